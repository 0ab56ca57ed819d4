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


def write_wav(path, seconds, hz):
    """A WAV file of seconds s at RATE, stereo; second k a pure tone of hz(k) Hz."""
    frames = bytearray()
    phase = 0.0
    for second in range(seconds):
        step = 2 * math.pi * hz(second) / RATE
        for _ in range(RATE):
            v = int(16000 * math.sin(phase))
            frames += struct.pack("<hh", v, v)
            phase += step
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def encode(out, seconds, hz, frames):
    """OUT: write_wav's tones encoded by lame CBR 128 kbit/s (with its LAME
    tag), then an ID3v2.3 tag holding frames; made under another name and
    renamed when complete."""
    os.makedirs(os.path.dirname(out), exist_ok=True)
    wav = out + ".wav"
    write_wav(wav, seconds, hz)
    partial = out + ".part"
    subprocess.run(["lame", "--quiet", "--cbr", "-b", "128", wav, partial], check=True)
    os.remove(wav)
    tag = ID3()
    for frame in frames:
        tag.add(frame)
    tag.save(partial, v2_version=3)
    os.replace(partial, out)


def main():
    encode(sys.argv[1], SECONDS, tone_hz, [TPE1(encoding=Encoding.UTF16, text=ARTIST)])


if __name__ == "__main__":
    main()
