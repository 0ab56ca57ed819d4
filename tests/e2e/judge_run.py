#!/usr/bin/python3
"""Runs a Windows test program under Wine, then judges what it left.

    judge_run.py [--cut SOURCE CUT] [--listen FROM TO WAV] -- COMMAND...

--cut: the program left CUT, cut out of SOURCE, and CUT.span holding the
  first and the end of the source's audio frames it must copy; tests/judge.py
  must find no problem, that span, and the source's artist, album and title.
--listen: the null sink's monitor is recorded into WAV while the program
  plays seconds FROM to TO of tone_steps.mp3, whose second k holds a tone of
  300 + 100 x (k mod 30) Hz. Each of those seconds must be heard for 1 s
  (within 0.1 s; the first and the last at least 0.8 s), in order, without
  dropouts, nothing else, and the sound must last TO - FROM s within 0.1 s.
Exit code 0 when the program and every judgement pass.
"""
import json
import math
import os
import subprocess
import sys
import time
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
WINDOW, HOP, SILENCE, TOLERANCE = 0.04, 0.005, 0.01, 0.1


def judge_cut(source, cut):
    import mutagen.id3
    span = [int(x) for x in open(os.path.splitext(cut)[0] + ".span").read().split()]
    out = subprocess.run([sys.executable, os.path.join(HERE, "..", "judge.py"), "cut", source, cut],
                         capture_output=True, text=True)
    print(out.stdout, out.stderr)
    verdict = json.loads(out.stdout)
    tags = mutagen.id3.ID3(source)
    want = {frame: str(tags[frame]) for frame in ("TPE1", "TALB", "TIT2")}
    failures = verdict["problems"] + ([] if out.returncode == 0 else ["judge.py: status %d" % out.returncode])
    if verdict["span"] != span:
        failures.append("the cut copies frames %s, not %s" % (verdict["span"], span))
    failures += ["%s: %r, the source has %r" % (f, verdict["tags"].get(f), t)
                 for f, t in want.items() if verdict["tags"].get(f) != t]
    return failures


def tone_of(window, rate):
    """The step (0..29) of tone_steps.mp3 that a 40 ms window holds, or None."""
    n = len(window)
    energy = sum(x * x for x in window)
    if math.sqrt(energy / n) < SILENCE:
        return None
    crossings = sum(1 for a, b in zip(window, window[1:]) if (a < 0) != (b < 0))
    step = int(round((crossings * rate / (2.0 * n) - 300) / 100.0))
    if not 0 <= step < 30:
        return None
    # Goertzel: most of the energy at the step's frequency.
    coeff = 2 * math.cos(2 * math.pi * (300 + 100 * step) / rate)
    s1 = s2 = 0.0
    for x in window:
        s1, s2 = x + coeff * s1 - s2, s1
    return step if (s1 * s1 + s2 * s2 - coeff * s1 * s2) / (energy * n / 2) > 0.5 else None


def judge_recording(path, first, end):
    with wave.open(path, "rb") as w:
        rate, channels = w.getframerate(), w.getnchannels()
        data = w.readframes(w.getnframes())
    values = memoryview(data).cast("h")
    mono = [sum(values[i:i + channels]) / (channels * 32768.0) for i in range(0, len(values) - channels + 1, channels)]
    n, hop = int(rate * WINDOW), int(rate * HOP)
    steps = [tone_of(mono[i:i + n], rate) for i in range(0, len(mono) - n + 1, hop)]
    runs = []  # [step, windows, first window]
    for i, step in enumerate(steps):
        if step is None:
            continue
        if runs and runs[-1][0] == step and runs[-1][2] + runs[-1][1] == i:
            runs[-1][1] += 1
        else:
            runs.append([step, 1, i])
    heard = {}
    for step, windows, _ in runs:
        heard[step] = heard.get(step, 0.0) + windows * HOP
    expected = [k % 30 for k in range(first, end)]
    print("heard (step: seconds):", {k: round(v, 3) for k, v in sorted(heard.items())})
    failures = []
    for k in expected:
        low = 1.0 - (2 * TOLERANCE if k in (expected[0], expected[-1]) else TOLERANCE)
        if not low <= heard.get(k, 0.0) <= 1.0 + TOLERANCE:
            failures.append("second %d heard for %.3f s, not 1 s" % (k, heard.get(k, 0.0)))
    others = {k: v for k, v in heard.items() if k not in expected and v > 0.02}
    if others:
        failures.append("heard outside the selection: %s" % others)
    order = [step for step, _, _ in runs if step in expected]
    if order != sorted(order, key=lambda k: (k - first) % 30):
        failures.append("heard out of order: %s" % order)
    gaps = sum((b[2] - a[2] - a[1]) * HOP for a, b in zip(runs, runs[1:]) if b[2] - a[2] - a[1] > WINDOW / HOP)
    if gaps > TOLERANCE:
        failures.append("dropouts of %.3f s" % gaps)
    loud = [i for i, step in enumerate(steps) if step is not None]
    span = (loud[-1] - loud[0]) * HOP + WINDOW if loud else 0.0
    if abs(span - (end - first)) > TOLERANCE:
        failures.append("%.3f s of sound, not %d s" % (span, end - first))
    return failures


def main():
    args = sys.argv[1:]
    split = args.index("--")
    options, command = args[:split], args[split + 1:]
    recorder = None
    if "--listen" in options:
        at = options.index("--listen")
        first, end, wav = int(options[at + 1]), int(options[at + 2]), options[at + 3]
        os.makedirs(os.path.dirname(wav), exist_ok=True)
        recorder = subprocess.Popen(["parec", "-d", "nullsink.monitor", "--latency-msec=20", "--file-format=wav", wav])
        for _ in range(100):
            if subprocess.run(["pactl", "list", "short", "source-outputs"], capture_output=True).stdout.strip():
                break
            time.sleep(0.05)
    status = subprocess.run(command).returncode
    failures = [] if status == 0 else ["the test program failed (%d)" % status]
    if recorder:
        time.sleep(0.3)
        recorder.terminate()
        recorder.wait()
        failures += judge_recording(wav, first, end)
    if "--cut" in options and status == 0:
        at = options.index("--cut")
        failures += judge_cut(options[at + 1], options[at + 2])
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
