#!/usr/bin/python3
"""judge_run.py FROM TO WAV -- COMMAND...: runs a Windows test program while the null sink is recorded into WAV;
seconds FROM to TO of tone_steps.mp3 play (second k: 300 + 100 (k mod 30) Hz): each must be heard for 1 s, the
outer ones at least 0.8 s, nothing else, TO - FROM s of sound, all within 0.1 s.
"""
import math
import os
import subprocess
import sys
import time
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "package"))
from package_test import check, failures  # noqa: E402


def step_of(window, rate):
    """The tone step of the window by its zero crossings, if Goertzel finds most energy at its frequency."""
    energy = sum(x * x for x in window)
    if energy < len(window) * 1e-4:
        return None
    step = round((sum((a < 0) != (b < 0) for a, b in zip(window, window[1:])) * rate / (2 * len(window)) - 300) / 100)
    coeff, s1, s2 = 2 * math.cos(2 * math.pi * (300 + 100 * step) / rate), 0.0, 0.0
    for x in window:
        s1, s2 = x + coeff * s1 - s2, s1
    return step if 0 <= step < 30 and (s1 * s1 + s2 * s2 - coeff * s1 * s2) / (energy * len(window) / 2) > 0.5 else None


def judge_recording(path, first, end):
    with wave.open(path) as w:
        rate, channels, values = w.getframerate(), w.getnchannels(), memoryview(w.readframes(w.getnframes())).cast("h")
    mono = [sum(values[i:i + channels]) / (channels * 32768.0) for i in range(0, len(values) - channels + 1, channels)]
    hop = rate // 200  # 5 ms, in windows of 40 ms
    steps = [step_of(mono[i:i + 8 * hop], rate) for i in range(0, len(mono) - 8 * hop, hop)]
    heard = {k: steps.count(k) / 200.0 for k in set(steps) if k is not None}
    print("heard (step: seconds):", sorted(heard.items()))
    expected = [k % 30 for k in range(first, end)]  # the outer ones share an edge with silence
    failures.extend("second %d heard for %.3f s" % (k, heard.get(k, 0)) for k in expected
                    if not (0.8 if k in (expected[0], expected[-1]) else 0.9) <= heard.get(k, 0) <= 1.1)
    failures.extend("step %s heard for %.3f s" % (k, v) for k, v in heard.items() if k not in expected and v > 0.02)
    sound = [i for i, k in enumerate(steps) if k is not None]
    length = (sound[-1] - sound[0] + 8) / 200.0 if sound else 0
    check(abs(length - (end - first)) <= 0.1, "%.3f s of sound" % length)


def main(first, end, wav, command):
    os.makedirs(os.path.dirname(wav), exist_ok=True)
    recorder = subprocess.Popen(["parec", "-d", "nullsink.monitor", "--latency-msec=20", "--file-format=wav", wav])
    while not subprocess.run(["pactl", "list", "short", "source-outputs"], capture_output=True).stdout.strip():
        time.sleep(0.05)
    status = subprocess.run(command).returncode
    check(status == 0, "the test program failed (%d)" % status)
    time.sleep(0.3)
    recorder.terminate()
    recorder.wait()
    judge_recording(wav, int(first), int(end))
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4], sys.argv[5:]))
