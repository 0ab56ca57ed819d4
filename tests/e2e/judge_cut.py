#!/usr/bin/python3
"""Runs the driver of the full cut under Wine, then lets the real judges look
at the new file it leaves in the artifact folder.

    judge_cut.py WINE_RUN PREFIX DRIVER ARTIFACT_DIR

The driver (cut_judged_e2e_tests.exe) cuts 5 s to 10 s out of a lame file
through the program's window and checks its frames against the source's
bytes; it copies the source to ARTIFACT_DIR/cut_source.mp3 and the new file
to ARTIFACT_DIR/cut_5_to_10.mp3. Then mpg123 must decode the new file
without a complaint to a length of about 5 s, and mutagen must read from it
the source's title, artist and album. Exit code 0 only when all holds.
"""
import os
import re
import subprocess
import sys

import mutagen.id3
import mutagen.mp3

TEXT_FRAMES = ("TIT2", "TPE1", "TALB")
COMPLAINTS = re.compile(r"rror|arning|llegal|resync|Note:")


def fail(message):
    print("FAIL: " + message)
    return 1


def main():
    wine_run, prefix, driver, folder = sys.argv[1:5]
    source = os.path.join(folder, "cut_source.mp3")
    cut = os.path.join(folder, "cut_5_to_10.mp3")
    for path in (source, cut):
        if os.path.exists(path):
            os.remove(path)
    if subprocess.run([wine_run, prefix, driver]).returncode != 0:
        return fail("the driver failed")
    if not os.path.exists(cut):
        return fail("the driver left no new file")

    decoded = subprocess.run(["mpg123", "-t", cut], capture_output=True, text=True, errors="replace")
    complaints = [line for line in decoded.stderr.splitlines() if COMPLAINTS.search(line)]
    if decoded.returncode != 0 or complaints:
        return fail("mpg123 -t: status %d\n%s" % (decoded.returncode, decoded.stderr))
    seconds = mutagen.mp3.MP3(cut).info.length
    if abs(seconds - 5.0) > 0.1:
        return fail("the new file lasts %.3f s, not about 5 s" % seconds)

    want = mutagen.id3.ID3(source)
    got = mutagen.id3.ID3(cut)
    for frame in TEXT_FRAMES:
        expected = str(want[frame])
        found = str(got[frame]) if frame in got else "<none>"
        if found != expected:
            return fail("%s: %r, the source has %r" % (frame, found, expected))
    print("mpg123 decodes %s cleanly (%.3f s); mutagen reads %s" %
          (cut, seconds, ", ".join(str(got[f]) for f in TEXT_FRAMES)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
