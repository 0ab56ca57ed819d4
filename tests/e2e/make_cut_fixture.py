#!/usr/bin/python3
"""Makes the file of the end-to-end cuts: a lame file with all three texts.

    make_cut_fixture.py OUTFILE

OUTFILE (cut_song.mp3): 20 s at 44.1 kHz stereo, a tone rising by 50 Hz a
second, lame CBR 128 kbit/s with its LAME tag; an ID3v2.3 tag with a title,
an artist and an album in UTF-16, Chinese and Latin letters mixed.
"""
import math
import os
import struct
import subprocess
import sys
import wave

from mutagen.id3 import ID3, TALB, TIT2, TPE1, Encoding

RATE = 44100
SECONDS = 20
TEXTS = {"TIT2": "剪切 测试 Title", "TPE1": "艺术家 Artist", "TALB": "专辑 Album"}


def write_wav(path):
    frames = bytearray()
    phase = 0.0
    for second in range(SECONDS):
        step = 2 * math.pi * (400 + 50 * second) / RATE
        for _ in range(RATE):
            v = int(12000 * math.sin(phase))
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
    tag.add(TIT2(encoding=Encoding.UTF16, text=TEXTS["TIT2"]))
    tag.add(TPE1(encoding=Encoding.UTF16, text=TEXTS["TPE1"]))
    tag.add(TALB(encoding=Encoding.UTF16, text=TEXTS["TALB"]))
    tag.save(partial, v2_version=3)
    os.replace(partial, out)


if __name__ == "__main__":
    main()
