#!/usr/bin/python3
"""Makes the file of the end-to-end cuts: a lame file with all three texts.

    make_cut_fixture.py OUTFILE

OUTFILE (cut_song.mp3): 20 s at 44.1 kHz stereo, a tone rising by 50 Hz a
second, lame CBR 128 kbit/s with its LAME tag; an ID3v2.3 tag with a title,
an artist and an album in UTF-16, Chinese and Latin letters mixed.
"""
import sys

from mutagen.id3 import TALB, TIT2, TPE1, Encoding

sys.dont_write_bytecode = True  # nothing written into the source tree
from make_window_fixtures import encode  # noqa: E402

SECONDS = 20


def main():
    encode(sys.argv[1], SECONDS, lambda second: 400 + 50 * second,
           [TIT2(encoding=Encoding.UTF16, text="剪切 测试 Title"),
            TPE1(encoding=Encoding.UTF16, text="艺术家 Artist"),
            TALB(encoding=Encoding.UTF16, text="专辑 Album")])


if __name__ == "__main__":
    main()
