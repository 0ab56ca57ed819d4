#!/usr/bin/python3
"""Makes the audio library's test files and their reference decodes.

    make_audio_fixtures.py OUTDIR FIXTUREDIR NAME...

Writes into OUTDIR:
  tone440.mp3       2 s of a 440 Hz tone (44.1 kHz stereo, lame CBR 128k)
  tone_change.mp3   440 Hz for the first 10 s, then 880 Hz for 2 s
  <name>.pcm        for tone440.mp3 and each FIXTUREDIR/NAME: what the
                    mpg123 program itself decodes (16-bit signed native,
                    interleaved, at the file's own rate, gapless as usual)
and OUTDIR/done as the last step (a finished folder makes the next call a
no-op).
"""
import math
import os
import struct
import subprocess
import sys
import wave

RATE = 44100


def tone_wav(path, segments):
    """segments: [(seconds, hz)], stereo, amplitude about -6 dBFS."""
    frames = bytearray()
    phase = 0.0
    for seconds, hz in segments:
        for _ in range(int(seconds * RATE)):
            v = int(16000 * math.sin(phase))
            frames += struct.pack("<hh", v, v)
            phase += 2 * math.pi * hz / RATE
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def encode(wav, mp3):
    subprocess.run(["lame", "--quiet", "--cbr", "-b", "128", wav, mp3], check=True)
    os.remove(wav)


def reference(mp3, pcm):
    with open(pcm, "wb") as out:
        subprocess.run(["mpg123", "-q", "-s", mp3], stdout=out, stderr=subprocess.DEVNULL, check=True)


def main():
    out, fixtures, names = sys.argv[1], sys.argv[2], sys.argv[3:]
    done = os.path.join(out, "done")
    if os.path.exists(done):
        return
    os.makedirs(out, exist_ok=True)
    tone_wav(os.path.join(out, "tone440.wav"), [(2.0, 440.0)])
    encode(os.path.join(out, "tone440.wav"), os.path.join(out, "tone440.mp3"))
    tone_wav(os.path.join(out, "tone_change.wav"), [(10.0, 440.0), (2.0, 880.0)])
    encode(os.path.join(out, "tone_change.wav"), os.path.join(out, "tone_change.mp3"))
    reference(os.path.join(out, "tone440.mp3"), os.path.join(out, "tone440.pcm"))
    for name in names:
        reference(os.path.join(fixtures, name), os.path.join(out, os.path.splitext(name)[0] + ".pcm"))
    open(done, "w").close()


if __name__ == "__main__":
    main()
