#!/usr/bin/python3
"""Makes the main window's test file: a tone that changes every second.

    make_window_fixtures.py OUTFILE

OUTFILE (tone_steps.mp3): 75 s at 44.1 kHz stereo, lame CBR 128 kbit/s with
its LAME tag (so that decoders know its exact length), second k holding a
pure tone of tone_hz(k) Hz; an ID3v2 tag with an artist only (the album and
the title are missing). A recording of any part of it tells by its tones
which seconds of the file were played, and for how long.
"""
import math
import os
import struct
import subprocess
import sys
import wave

from mutagen.id3 import ID3, TPE1, Encoding

RATE = 44100
SECONDS = 75
ARTIST = "测试者 Tone"


def tone_hz(second):
    """Second k of the file: 300 Hz and up in steps of 100 Hz, repeating
    every 30 s (the steps stay two Goertzel bins apart at 40 ms windows)."""
    return 300 + 100 * (second % 30)


def write_wav(path):
    frames = bytearray()
    phase = 0.0
    for second in range(SECONDS):
        step = 2 * math.pi * tone_hz(second) / RATE
        for _ in range(RATE):
            v = int(16000 * math.sin(phase))
            frames += struct.pack("<hh", v, v)
            phase += step
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def main():
    out = sys.argv[1]
    os.makedirs(os.path.dirname(out), exist_ok=True)
    wav = out + ".wav"
    write_wav(wav)
    partial = out + ".part"
    subprocess.run(["lame", "--quiet", "--cbr", "-b", "128", wav, partial], check=True)
    os.remove(wav)
    tag = ID3()
    tag.add(TPE1(encoding=Encoding.UTF16, text=ARTIST))
    tag.save(partial, v2_version=3)
    os.replace(partial, out)


if __name__ == "__main__":
    main()
