#!/usr/bin/python3
"""Judges a recording of the null sink (16-bit WAV) by its tones.

    analyse_recording.py WAV --hz F --seconds S [--absent G] [--tolerance T]

Slides a 20 ms window in 5 ms steps over the recording and measures, with
the Goertzel algorithm, the share of each window's energy at F (and G).
Passes when the stretch holding F lasts S seconds within T (default 0.1 s),
its breaks (short dropouts of a loaded machine) add up to less than T, and,
with --absent, no window holds G.
"""
import argparse
import math
import struct
import sys
import wave

WINDOW_SECONDS = 0.02
HOP_SECONDS = 0.005
TONE_SHARE = 0.5      # share of a window's energy at the frequency: a tone
ABSENT_SHARE = 0.2    # share above which the absent tone counts as present
SILENCE_RMS = 0.01    # of full scale


def mono_samples(path):
    with wave.open(path, "rb") as w:
        rate, channels, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
        data = w.readframes(w.getnframes())
    if width != 2:
        sys.exit("expected 16-bit samples")
    values = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
    mono = [sum(values[i:i + channels]) / (channels * 32768.0) for i in range(0, len(values) - channels + 1, channels)]
    return rate, mono


def share_at(window, rate, hz):
    """Energy at hz as a share of the window's energy (1.0 for a pure tone)."""
    n = len(window)
    coeff = 2 * math.cos(2 * math.pi * hz / rate)
    s1 = s2 = 0.0
    for x in window:
        s1, s2 = x + coeff * s1 - s2, s1
    power = s1 * s1 + s2 * s2 - coeff * s1 * s2
    energy = sum(x * x for x in window)
    return power / (energy * n / 2) if energy > 0 else 0.0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("wav")
    ap.add_argument("--hz", type=float, required=True)
    ap.add_argument("--seconds", type=float, required=True)
    ap.add_argument("--absent", type=float)
    ap.add_argument("--tolerance", type=float, default=0.1)
    args = ap.parse_args()

    rate, mono = mono_samples(args.wav)
    n = int(rate * WINDOW_SECONDS)
    hop = int(rate * HOP_SECONDS)
    toned = []
    absent_hits = 0
    for start in range(0, len(mono) - n + 1, hop):
        window = mono[start:start + n]
        rms = math.sqrt(sum(x * x for x in window) / n)
        if rms < SILENCE_RMS:
            toned.append(False)
            continue
        toned.append(share_at(window, rate, args.hz) > TONE_SHARE)
        if args.absent and share_at(window, rate, args.absent) > ABSENT_SHARE:
            absent_hits += 1
    runs = []  # (first window, windows)
    run = 0
    for i, t in enumerate(toned + [False]):
        if t:
            run += 1
        elif run:
            runs.append((i - run, run))
            run = 0
    # A stretch of tone of d seconds holds (d - window) / hop + 1 windows.
    total = sum((r - 1) * HOP_SECONDS + WINDOW_SECONDS for _, r in runs)
    first = toned.index(True) * HOP_SECONDS if True in toned else -1
    span = ((runs[-1][0] + runs[-1][1] - 1) * HOP_SECONDS + WINDOW_SECONDS - first) if runs else 0.0
    print("recording %.2f s; %g Hz in %d run(s), %.3f s in all, from %.3f s; %s windows with %s Hz"
          % (len(mono) / rate, args.hz, len(runs), total, first, absent_hits, args.absent))
    failures = 0
    if abs(total - args.seconds) > args.tolerance:
        print("FAILED: expected %.2f s of %g Hz" % (args.seconds, args.hz))
        failures += 1
    if span - total > args.tolerance:
        print("FAILED: the tone is broken up by %.3f s" % (span - total))
        failures += 1
    if absent_hits:
        print("FAILED: %g Hz heard" % args.absent)
        failures += 1
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
