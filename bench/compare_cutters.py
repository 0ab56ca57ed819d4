#!/usr/bin/env python3
"""Our command line's cut against its peers, whole process, in one run.

    bench/compare_cutters.py [--runs N] [--big]

Cuts 30:00-60:00 out of the 60-minute CBR and VBR files that zdv_engine_bench makes (build/native/bench-data),
and, with --big, 60:00-60:10 and the last minute out of a 3 GiB file of the CBR file's frames repeated (made once
in the bench folder, removed after), and the whole of it with our command line alone; and the CBR file split by a
20-track cue sheet, against mp3splt -c. Each tool runs N times
(default 7), the tools in turn, and the table gives the median wall time, its ratio to the I/O floor (reading the
source once and writing the cut once, with cat and head) and the peak memory (/usr/bin/time); under it, whether
mpg123 decodes our cut without a complaint and our memory budget. A peer that is not installed (mp3splt, ffmpeg)
is named as missing.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "build", "native", "bench-data")
OURS = os.path.join(ROOT, "build", "native", "app", "vodizaro-cut")


def clock(text):
    """Seconds of [[h:]m:]s."""
    seconds = 0.0
    for part in text.split(":"):
        seconds = seconds * 60 + float(part)
    return seconds


def commands(source, start, end, out):
    """Each tool's command for the cut start..end (texts [[h:]m:]s) of source into the folder out."""
    a, b = clock(start), clock(end)
    size = os.path.getsize(source)
    span = int(size * (b - a) / max(1.0, duration(source)))
    tools = {
        "I/O floor": ["sh", "-c", "cat \"$0\" >/dev/null; tail -c +%d \"$0\" | head -c %d >\"$1\"/floor.mp3"
                      % (int(size * a / max(1.0, duration(source))) + 1, span), source, out],
        "vodizaro-cut": [OURS, source, start, end, "-o", out],
    }
    if shutil.which("mp3splt"):
        tools["mp3splt"] = ["mp3splt", "-q", "-d", out, "-o", "cut", source, "%d.%02d" % divmod(int(a), 60),
                            "%d.%02d" % divmod(int(b), 60)]
    if shutil.which("ffmpeg"):
        tools["ffmpeg -c copy"] = ["ffmpeg", "-v", "error", "-y", "-ss", str(a), "-to", str(b), "-i", source,
                                   "-c", "copy", os.path.join(out, "ffmpeg.mp3")]
    return tools


DURATIONS = {}


def duration(source):
    if source not in DURATIONS:
        info = subprocess.run([OURS, "--info", source], capture_output=True, text=True).stdout
        line = [l for l in info.splitlines() if l.startswith("duration:")]
        DURATIONS[source] = float(line[0].split()[1]) if line else 0.0
        if not line:  # beyond what our program takes: the bitrate of the CBR file gives it
            DURATIONS[source] = os.path.getsize(source) * 8 / 128000
    return DURATIONS[source]


def measure(command):
    """Wall seconds, peak KiB and whether it succeeded, of one whole process."""
    begin = time.perf_counter()
    run = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, capture_output=True, text=True)
    seconds = time.perf_counter() - begin
    kib = int(run.stderr.strip().splitlines()[-1]) if run.stderr.strip() else 0
    return seconds, kib, run.returncode == 0


def decodes_cleanly(folder):
    """Whether mpg123 decodes every file our command line wrote into folder without a word on stderr."""
    made = [os.path.join(folder, f) for f in os.listdir(folder) if f not in ("floor.mp3", "ffmpeg.mp3")
            and not f.startswith("cut")]
    if not shutil.which("mpg123"):
        return "mpg123 missing"
    for path in made:
        if os.path.getsize(path) > 200 << 20:
            return "not decoded (over 200 MB: mpg123 would take minutes)"
        run = subprocess.run(["mpg123", "-t", "-q", path], capture_output=True, text=True)
        if run.returncode != 0 or run.stderr.strip():
            return "mpg123 complains of %s: %s" % (os.path.basename(path), run.stderr.strip()[:200])
    return "mpg123 decodes it cleanly" if made else "no file written"


def frames_of(source):
    info = subprocess.run([OURS, "--info", source], capture_output=True, text=True).stdout
    line = [l for l in info.splitlines() if l.startswith("frames:")]
    return int(line[0].split()[1]) if line else 0


def compare(source, start, end, runs, peers=True):
    print("\n%s, %s-%s (%.0f MB)" % (os.path.basename(source), start, end, os.path.getsize(source) / 1e6))
    results, verdict = {}, ""
    for _ in range(runs):
        with tempfile.TemporaryDirectory(dir=os.path.dirname(source)) as out:
            for name, command in commands(source, start, end, out).items():
                if peers or name in ("I/O floor", "vodizaro-cut"):
                    results.setdefault(name, []).append(measure(command))
                if name == "vodizaro-cut" and not verdict:
                    verdict = decodes_cleanly(out)
    floor = statistics.median(r[0] for r in results["I/O floor"])
    print("  %-16s %9s %9s %10s" % ("tool", "median s", "x floor", "peak MiB"))
    for name, rows in results.items():
        ok = all(r[2] for r in rows)
        wall = statistics.median(r[0] for r in rows)
        peak = max(r[1] for r in rows) / 1024
        print("  %-16s %9.3f %9.2f %10.1f%s" % (name, wall, wall / floor, peak, "" if ok else "  (failed)"))
    budget = 64 + 16 * frames_of(source) / 2 ** 20
    print("  our cut: %s; memory budget 64 MiB + 16 B a frame = %.1f MiB" % (verdict, budget))
    for peer in ("mp3splt", "ffmpeg"):
        if peers and not shutil.which(peer):
            print("  %-16s missing (not installed)" % peer)


def compare_cue_split(source, runs):
    """A 20-track sheet over the 60-minute file: our --split-cue against mp3splt -c, and the I/O floor (reading the
    source and writing all parts: one copy of it, within the kernel), the same copy through memory (dd), and that
    copy on the disk (dd with fsync)."""
    print("\n%s by a 20-track cue sheet (%.0f MB)" % (os.path.basename(source), os.path.getsize(source) / 1e6))
    results = {}
    for _ in range(runs):
        with tempfile.TemporaryDirectory(dir=os.path.dirname(source)) as out:
            sheet = os.path.join(out, "set.cue")
            with open(sheet, "w") as cue:
                cue.write('TITLE "Set"\nFILE "%s" MP3\n' % source)
                for k in range(20):
                    cue.write('  TRACK %02d AUDIO\n    TITLE "Track %d"\n    INDEX 01 %02d:00:00\n' % (k + 1, k + 1, k * 3))
            # cat copies within the kernel (copy_file_range); dd moves the bytes through memory, as any
            # cutter must that reads them (a CRC of the audio, the check of what is written); with fsync it
            # waits, as a cutter must whose files are to survive a loss of power, until they are on the disk.
            tools = {"I/O floor": ["sh", "-c", "cat \"$0\" >\"$1\"/floor.mp3", source, out],
                     "dd bs=1M": ["dd", "if=" + source, "of=" + os.path.join(out, "dd.mp3"), "bs=1M", "status=none"],
                     "dd bs=1M fsync": ["dd", "if=" + source, "of=" + os.path.join(out, "ddsync.mp3"), "bs=1M",
                                        "status=none", "conv=fsync"],
                     "vodizaro-cut": [OURS, "--split-cue", sheet, source, "-o", os.path.join(out, "ours")]}
            os.mkdir(os.path.join(out, "ours"))
            if shutil.which("mp3splt"):
                os.mkdir(os.path.join(out, "splt"))
                tools["mp3splt -c"] = ["mp3splt", "-q", "-c", sheet, "-d", os.path.join(out, "splt"), source]
            for name, command in tools.items():
                results.setdefault(name, []).append(measure(command))
    floor = statistics.median(r[0] for r in results["I/O floor"])
    durable = statistics.median(r[0] for r in results["dd bs=1M fsync"])
    print("  %-16s %9s %9s %9s %10s" % ("tool", "median s", "x floor", "x fsync", "peak MiB"))
    for name, rows in results.items():
        wall = statistics.median(r[0] for r in rows)
        print("  %-16s %9.3f %9.2f %9.2f %10.1f%s" % (name, wall, wall / floor, wall / durable,
                                                      max(r[1] for r in rows) / 1024,
                                                      "" if all(r[2] for r in rows) else "  (failed)"))


def make_big(path, model, size=3 << 30):
    """A file of size bytes of model's frames (its tags left out), repeated."""
    data = open(model, "rb").read()
    first = data.find(b"\xff\xfb")
    body = data[first:len(data) - (128 if data[-128:-125] == b"TAG" else 0)]
    with open(path + ".tmp", "wb") as out:
        for _ in range(size // len(body)):
            out.write(body)
    os.replace(path + ".tmp", path)


def main():
    runs = int(sys.argv[sys.argv.index("--runs") + 1]) if "--runs" in sys.argv else 7
    if not os.path.exists(OURS):
        sys.exit("build the native configuration first (cmake/build.sh native)")
    cbr, vbr = os.path.join(DATA, "hour_cbr128.mp3"), os.path.join(DATA, "hour_vbr.mp3")
    if not (os.path.exists(cbr) and os.path.exists(vbr)):
        subprocess.run([os.path.join(ROOT, "build", "native", "bench", "zdv_engine_bench")], check=True)
    for source in (cbr, vbr):
        compare(source, "30:00", "60:00", runs)
    compare_cue_split(cbr, runs)
    if "--big" in sys.argv:
        big = os.path.join(DATA, "big_3gib.mp3")
        make_big(big, cbr)
        try:
            seconds = os.path.getsize(big) * 8 / 128000
            last = "%d:%02d:%02d" % (int(seconds - 60) // 3600, int(seconds - 60) // 60 % 60, int(seconds - 60) % 60)
            compare(big, "1:00:00", "1:00:10", max(1, runs // 3))
            whole = "%d:%02d:%02d" % (int(seconds) // 3600, int(seconds) // 60 % 60, int(seconds) % 60)
            compare(big, last, whole, max(1, runs // 3))
            compare(big, "0", whole, 1, peers=False)  # memory whatever the size of the selection
        finally:
            os.remove(big)


if __name__ == "__main__":
    main()
