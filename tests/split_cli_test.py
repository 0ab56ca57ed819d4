#!/usr/bin/env python3
"""The splits of the command line, end to end: split_cli_test.py PROGRAM FIXTURES

A cue sheet in code page 936, UTF-8 with a BOM and UTF-16 (lines ending in CR), made for the WAV of a lame-made
file: the same files from the MP3 beside it, named, tagged (mutagen), each the exact samples of its track (mpg123);
a source not named .mp3 gives parts that are; a long title is cut; a list of new files that cannot be written fails;
bad input: its message, a non-zero exit, the folder as it was; --snap lands the split points in the silences of
silence_parts.mp3, whose silent parts, alike to the byte, are each written, and a split at its silences run again
completes its set. Over an hour of lame's frames (those of tone_steps.mp3 over and over): --split-every 10:00 and
--split-parts 4 judged by judge.py split, and --split-every 1:00 killed at several moments: every .mp3 left decodes
to its full minute and a rerun completes the set."""
import os, signal, subprocess, sys, tempfile, time
import mutagen.id3

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import judge  # noqa: E402

PROGRAM, FIXTURES = sys.argv[1], sys.argv[2]
JUDGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "judge.py")
SHEET = ('REM DATE 1999\nREM GENRE "民谣"\nPERFORMER "歌手甲"\nTITLE "专辑·一"\nFILE "tone_steps.wav" WAVE\n'
         '  TRACK 01 AUDIO\n    TITLE "第一首"\n    COMPOSER "作曲者"\n    INDEX 01 00:00:00\n'
         '  TRACK 02 AUDIO\n    TITLE "第二首: 慢?"\n    PERFORMER "歌手乙"\n    INDEX 00 00:19:00\n    INDEX 01 00:20:37\n'
         '  TRACK 03 AUDIO\n    TITLE "第三首 "现场""\n    INDEX 01 00:50:00\n')  # the MP3 made of the WAV
STARTS, END = [0, 20 * 75 + 37, 50 * 75], None
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def run(*words):
    return subprocess.run([PROGRAM] + list(words), capture_output=True, text=True)


def samples(path):
    pcm = subprocess.run(["mpg123", "-q", "-s", path], capture_output=True)
    check(pcm.returncode == 0 and not pcm.stderr, "mpg123 complains of %s: %s" % (path, pcm.stderr[:200]))
    return len(pcm.stdout) // 4


work = tempfile.mkdtemp()
source = os.path.join(work, "tone_steps.mp3")
open(source, "wb").write(open(os.path.join(FIXTURES, "tone_steps.mp3"), "rb").read())
total = samples(source)
names = ["01 - 第一首.mp3", "02 - 第二首_ 慢_.mp3", "03 - 第三首 _现场_.mp3"]
made = {}
for encoding, bytes_ in (("gbk", SHEET.encode("gbk")), ("utf-8-bom", b"\xef\xbb\xbf" + SHEET.encode()),
                         ("utf-16", SHEET.replace("\n", "\r").encode("utf-16"))):  # lines ending in CR alone
    out = os.path.join(work, encoding)
    os.mkdir(out)
    sheet = os.path.join(work, encoding + ".cue")
    open(sheet, "wb").write(bytes_)
    result = run("--split-cue", sheet, "-o", out)
    check(result.returncode == 0 and result.stdout.splitlines() == [os.path.join(out, n) for n in names],
          "%s: %s %s" % (encoding, result.stdout, result.stderr))
    check(sorted(os.listdir(out)) == names, "%s: %s" % (encoding, os.listdir(out)))
    made[encoding] = [open(os.path.join(out, n), "rb").read() for n in names if os.path.exists(os.path.join(out, n))]
check(made["gbk"] == made["utf-8-bom"] == made["utf-16"], "the encodings give other files")
ends = [round(s * 44100 / 75) for s in STARTS[1:]] + [total]
for k, name in enumerate(names):
    path = os.path.join(work, "gbk", name)
    if not os.path.exists(path):
        continue
    check(samples(path) == ends[k] - round(STARTS[k] * 44100 / 75), "%s: not the samples of its track" % name)
    tag = mutagen.id3.ID3(path)
    want = {"TIT2": ["第一首", "第二首: 慢?", '第三首 "现场"'][k], "TPE1": "歌手乙" if k == 1 else "歌手甲", "TALB": "专辑·一",
            "TRCK": "%d/3" % (k + 1), "TDRC": "1999", "TCON": "民谣"}
    check({key: str(tag.get(key)) for key in want} == want, "%s: tags %s" % (name, tag.pprint()))

# A source whose name does not end in .mp3 lends it with .mp3: the parts beside it, numbered as ever.
recording = os.path.join(work, "录音.mpga")
open(recording, "wb").write(open(source, "rb").read())
parts = run("--split-parts", "2", recording).stdout.splitlines()
check(parts == [os.path.join(work, n) for n in ("录音.mp3", "录音(1).mp3")], "录音.mpga: %s" % parts)

# The list of new files that cannot be written is a failure, not a success.
with open("/dev/full", "w") as full:
    result = subprocess.run([PROGRAM, "--split-parts", "2", source, "-o", tempfile.mkdtemp(dir=work)], stdout=full,
                            stderr=subprocess.PIPE, text=True)
check(result.returncode != 0 and "cannot be written" in result.stderr, "the list: %s" % result.stderr)

# A title too long for a file name is cut at a character; one of dots alone names the track by its number.
sheet = os.path.join(work, "long.cue")
open(sheet, "w").write('FILE "tone_steps.mp3" MP3\n TRACK 01 AUDIO\n  TITLE "%s"\n  INDEX 01 00:00:00\n'
                       ' TRACK 02 AUDIO\n  TITLE "..."\n  INDEX 01 00:30:00\n' % ("长" * 150))
parts = run("--split-cue", sheet, "-o", tempfile.mkdtemp(dir=work)).stdout.splitlines()
check([os.path.basename(p) for p in parts] == ["01 - " + "长" * 66 + ".mp3", "02 - Track 02.mp3"], "titles: %s" % parts)

# Bad input: one line naming the file and the reason, exit non-zero, nothing written.
bad_sheets = [("FILE \"tone_steps.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:61:00\n", "line 3: expected INDEX"),
              ("TRACK 01 AUDIO\n", "line 1: expected FILE before TRACK"),
              ("FILE \"tone_steps.mp3\" MP3\n  TRACK 01 AUDIO\n  TRACK 02 AUDIO\n", "line 3: expected INDEX 01"),
              ("FILE \"tone_steps.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:10:00\n  TRACK 02 AUDIO\n"
               "    INDEX 01 00:05:00\n", "line 4: TRACK 2 starts before"),
              ("FILE \"tone_steps.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:10:00\n  TRACK 02 AUDIO\n"
               "    INDEX 01 00:10:00\n", "line 2: TRACK 1 has no length"),
              ("FILE \"tone_steps.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 01:20:00\n", "past the end of the audio"),
              ("FILE \"gone.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", "gone.mp3: cannot be read"),
              ("FILE \"a.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\nFILE \"b.mp3\" MP3\n  TRACK 02 AUDIO\n"
               "    INDEX 01 00:00:00\n", "tracks of several files (a.mp3, b.mp3)"),
              ("FILE \"tone_steps.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\nFILE \"b.mp3\" MP3\n",
               "line 4: expected INDEX 01 before the next FILE")]
bad = os.path.join(work, "bad")
os.mkdir(bad)
cases = [(["--split-cue", os.path.join(work, "bad%d.cue" % k), "-o", bad], text, sheet)
         for k, (sheet, text) in enumerate(bad_sheets)]
cases += [(["--split-parts", n, source, "-o", bad], "N out of range", None) for n in ("0", "3000", "x")]
cases += [(["--split-every", d, source, "-o", bad], text, None)
          for d, text in (("0", "not a duration: 0"), ("0.01", "DURATION out of range"), ("1:61", "not a duration"))]
cases += [(["--split-every", "10", os.path.join(work, "none.mp3"), "-o", bad], "none.mp3: cannot be read", None)]
for words, text, sheet in cases:
    if sheet:
        open(words[1], "w").write(sheet)
    result = run(*words)
    check(result.returncode != 0 and text in result.stderr and len(result.stderr.splitlines()) == 1
          and not os.listdir(bad), "%s: %d %s %s" % (words[:2], result.returncode, result.stderr, os.listdir(bad)))

# An hour of lame's frames: those of tone_steps.mp3 after its Info frame (the first takes nothing from before it)
# over and over, as many as an hour holds.
tones = open(source, "rb").read()
frames = judge.scan(tones)[0][1:]
hour = os.path.join(work, "hour.mp3")
rounds, rest = divmod(3600 * 44100 // 1152, len(frames))
open(hour, "wb").write(tones[frames[0][0]:sum(frames[-1])] * rounds + tones[frames[0][0]:sum(frames[rest - 1])])
for words, count in ((["--split-every", "10:00"], 6), (["--split-parts", "4"], 4)):
    out = tempfile.mkdtemp(dir=work)
    parts = run(*words, hour, "-o", out).stdout.splitlines()
    judged = subprocess.run([sys.executable, JUDGE, "split", hour] + parts, capture_output=True, text=True)
    check(len(parts) == count and judged.returncode == 0, "%s: %s" % (words, judged.stdout))
minute = 44100 * 60
out = tempfile.mkdtemp(dir=work)
for delay in (0.03, 0.08, 0.15):
    process = subprocess.Popen([PROGRAM, "--split-every", "1:00", hour, "-o", out], stdout=subprocess.DEVNULL)
    time.sleep(delay)
    process.send_signal(signal.SIGKILL)
    process.wait()
    for name in os.listdir(out):
        if name.endswith(".mp3"):
            check(abs(samples(os.path.join(out, name)) - minute) <= 1152, "killed: %s is not a minute" % name)
        else:
            check(name.endswith(".partial"), "killed: %s left" % name)
# The rerun into the same folder completes the set: the parts already there count as written, none twice.
parts = run("--split-every", "1:00", hour, "-o", out).stdout.splitlines()
judged = subprocess.run([sys.executable, JUDGE, "split", hour] + parts, capture_output=True, text=True)
mp3s = sorted(os.path.join(out, n) for n in os.listdir(out) if n.endswith(".mp3"))
check(len(parts) == 60 and sorted(parts) == mp3s and judged.returncode == 0, "the rerun: %d parts, %d files, %s"
      % (len(parts), len(mp3s), judged.stdout[-300:]))

# --snap moves each split point into the silence within reach (silence_parts.mp3: silent from 60 to 120, 165 to 195
# and 235 to 255 s); the parts stay back to back.
quiet = os.path.join(FIXTURES, "silence_parts.mp3")
for words in (["--split-every", "1:00", "--snap", "20"], ["--split-parts", "5", "--snap", "25"]):
    out = tempfile.mkdtemp(dir=work)
    parts = run(*words, quiet, "-o", out).stdout.splitlines()
    lengths = [samples(p) for p in parts]
    points = [sum(lengths[:k]) / 44100 for k in range(1, len(parts))]
    inside = all(any(a + 2 < t < b - 2 for a, b in ((60, 120), (165, 195), (235, 255))) for t in points)
    check(len(parts) == 5 and inside and sum(lengths) == samples(quiet), "%s: split at %s" % (words, points))

# Split at the silences, and again into the same folder: the same 4 parts, taken the second time.
out = tempfile.mkdtemp(dir=work)
parts = [run("--split-at-silences", quiet, "-o", out).stdout.splitlines() for _ in range(2)]
check(len(parts[0]) == 4 and parts[0] == parts[1] and len(os.listdir(out)) == 4, "at silences: %s" % parts)

# Parts of silence alike to the byte (441 whole frames each) are each written, none taken for another's.
out = tempfile.mkdtemp(dir=work)
parts = run("--split-every", "11.52", quiet, "-o", out).stdout.splitlines()
check(len(parts) == len(set(parts)) == len(os.listdir(out)) == 27, "alike parts: %s, %s" % (parts, os.listdir(out)))

print("\n".join("FAILED: " + f for f in failures) or "split: all checks passed")
sys.exit(1 if failures else 0)
