#!/usr/bin/python3
"""Makes the sample MP3 that a new user finds beside the program: half a
minute of a simple tune (one note every half second, each with a soft
attack and decay, so that cuts can be heard), encoded by lame at 128 kbit/s
and tagged with an artist, an album and a title in Chinese (ID3v2.3, UTF-16).

    make_sample.py OUT.mp3
"""
import array
import math
import os
import shutil
import subprocess
import sys
import tempfile
import wave

from mutagen.id3 import ID3, TALB, TIT2, TPE1, Encoding

RATE = 44100
SECONDS = 30
NOTE_SECONDS = 0.5
# A rising and falling C major tune, in Hz.
TUNE = [261.6, 293.7, 329.6, 349.2, 392.0, 440.0, 493.9, 523.3, 493.9, 440.0, 392.0, 349.2, 329.6, 293.7]
TEXTS = {TPE1: "Zor DU3 Vodizaro 乐队", TALB: "示例专辑", TIT2: "示例 · 音阶"}


def write_tune(path):
    samples = array.array("h")
    per_note = int(RATE * NOTE_SECONDS)
    for n in range(int(SECONDS / NOTE_SECONDS)):
        f = TUNE[n % len(TUNE)]
        for i in range(per_note):
            t = i / RATE
            envelope = min(1.0, t / 0.02) * math.exp(-3.0 * t)
            v = envelope * (0.5 * math.sin(2 * math.pi * f * t) + 0.15 * math.sin(4 * math.pi * f * t))
            left = int(v * 24000)
            right = int(v * 0.8 * 24000)
            samples.append(left)
            samples.append(right)
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples.tobytes())


def main():
    out = sys.argv[1]
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        wav = os.path.join(scratch, "tune.wav")
        mp3 = os.path.join(scratch, "tune.mp3")
        write_tune(wav)
        subprocess.run(["lame", "--quiet", "--cbr", "-b", "128", "-m", "j", wav, mp3], check=True)
        tag = ID3()
        for frame, text in TEXTS.items():
            tag.add(frame(encoding=Encoding.UTF16, text=text))
        tag.save(mp3, v2_version=3)
        shutil.copyfile(mp3, out)


if __name__ == "__main__":
    main()
