#!/usr/bin/python3
"""Judges a recording of the null sink by the tones of tone_steps.mp3.

    analyse_tone_steps.py WAV --from A --to B [--tolerance T] [--overrun R]

Second k of tone_steps.mp3 holds a pure tone of 300 + 100 x (k mod 30) Hz.
The recording is cut into 40 ms windows (5 ms apart); a window that is not
silent is given to the tone step whose frequency its zero crossings show,
when the Goertzel algorithm finds most of its energy there. Passes when
seconds A to B - 1 of the file were each heard for 1 s within T (default
0.1 s; the first and the last at least 1 s - 2 T), in order, without
dropouts, nothing else was heard, second B (the first past the end) was
heard for at most R (default 0.1 s: one tick of the program's 50 ms timer
and its delay), and the sound lasted B - A seconds, at most T less and at
most R more.
"""
import argparse
import math
import os
import sys

# The recording's samples and the Goertzel share, as the audio library's
# listening tests read them.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from analyse_recording import mono_samples, share_at  # noqa: E402

WINDOW_SECONDS = 0.04
HOP_SECONDS = 0.005
TONE_SHARE = 0.5
SILENCE_RMS = 0.01
STEPS = 30


def step_hz(index):
    return 300 + 100 * index


def step_of(window, rate):
    """The tone step of a window, or None (silence, a boundary, noise)."""
    n = len(window)
    if math.sqrt(sum(x * x for x in window) / n) < SILENCE_RMS:
        return None
    crossings = sum(1 for a, b in zip(window, window[1:]) if (a < 0) != (b < 0))
    hz = crossings * rate / (2.0 * n)
    index = int(round((hz - 300) / 100.0))
    if not 0 <= index < STEPS:
        return None
    return index if share_at(window, rate, step_hz(index)) > TONE_SHARE else None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("wav")
    ap.add_argument("--from", dest="first", type=int, required=True)
    ap.add_argument("--to", dest="end", type=int, required=True)
    ap.add_argument("--tolerance", type=float, default=0.1)
    ap.add_argument("--overrun", type=float, default=0.1)
    args = ap.parse_args()
    if args.end - args.first >= STEPS:
        sys.exit("the steps repeat every %d s" % STEPS)

    rate, mono = mono_samples(args.wav)
    n = int(rate * WINDOW_SECONDS)
    hop = int(rate * HOP_SECONDS)
    labels = [step_of(mono[i:i + n], rate) for i in range(0, len(mono) - n + 1, hop)]

    # Runs of windows with one label, in order: (label, windows, first window).
    runs = []
    for i, label in enumerate(labels):
        if label is None:
            continue
        if runs and runs[-1][0] == label and runs[-1][2] + runs[-1][1] == i:
            runs[-1][1] += 1
        else:
            runs.append([label, 1, i])
    heard = {}
    for label, windows, _ in runs:
        # Each window stands for the 5 ms around its middle.
        heard[label] = heard.get(label, 0.0) + windows * HOP_SECONDS

    expected = [k % STEPS for k in range(args.first, args.end)]
    past = args.end % STEPS
    print("recording %.2f s; heard (second mod %d: seconds): %s" % (
        len(mono) / rate, STEPS, ", ".join("%d: %.3f" % (k, heard[k]) for k in sorted(heard))))
    failures = []
    # The first and the last second share their outer edge with silence,
    # where the windows hold no tone alone, and the output's latency cuts
    # the last one short: each is only bounded from below more loosely.
    for k in expected:
        inner = k not in (expected[0], expected[-1])
        low = 1.0 - (args.tolerance if inner else 2 * args.tolerance)
        if not low <= heard.get(k, 0.0) <= 1.0 + args.tolerance:
            failures.append("second %d heard for %.3f s, not 1 s" % (k, heard.get(k, 0.0)))

    # From the first sound to the last: the selection's length, a little
    # longer when playback ran on past its end.
    block = int(rate * HOP_SECONDS)
    loud = [i for i in range(0, len(mono) - block + 1, block)
            if math.sqrt(sum(x * x for x in mono[i:i + block]) / block) >= SILENCE_RMS]
    span = (loud[-1] + block - loud[0]) / float(rate) if loud else 0.0
    length = args.end - args.first
    print("sound from %.3f s to %.3f s: %.3f s" % (loud[0] / float(rate) if loud else 0,
                                                  (loud[-1] + block) / float(rate) if loud else 0, span))
    if not length - args.tolerance <= span <= length + args.overrun:
        failures.append("%.3f s of sound, not %d s" % (span, length))
    if heard.get(past, 0.0) > args.overrun:
        failures.append("%.3f s of second %d, past the end" % (heard[past], args.end))
    others = {k: v for k, v in heard.items() if k not in expected and k != past and v > 0.02}
    if others:
        failures.append("seconds outside the selection heard: %s" % others)
    order = [label for label, _, _ in runs if label in expected or label == past]
    if order != sorted(order, key=lambda k: (k - args.first) % STEPS):
        failures.append("heard out of order: %s" % order)
    # Between two tones a few windows hold both and belong to neither; a
    # longer stretch without a tone is a dropout.
    boundary_windows = int(round(WINDOW_SECONDS / HOP_SECONDS))
    gaps = 0.0
    for before, after in zip(runs, runs[1:]):
        missing = after[2] - (before[2] + before[1])
        if missing > boundary_windows:
            gaps += missing * HOP_SECONDS
    print("dropouts %.3f s" % gaps)
    if gaps > args.tolerance:
        failures.append("dropouts of %.3f s in the playback" % gaps)
    for failure in failures:
        print("FAILED: " + failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
