#!/usr/bin/python3
"""Judges cuts by their bytes and by real readers (mpg123, ffprobe, mutagen), and what the null sink heard.
    judge.py cut SOURCE CUT
    judge.py split SOURCE PART...   (the parts' audio frames joined, priming left out, are the source's)
    judge.py cut --list FILE      (lines: SOURCE CUT I J LEVEL, tab-separated; the selection took frames I..J-1)
    judge.py levels --list FILE   (lines: SOURCE LEVEL..., tab-separated, one level a column of equal spans of its
        frames, in dB: prints a line each, Spearman's rank correlation with the RMS of mpg123's decode of the same
        spans; with one a frame, then the frames whose level is off by more than 0.5 dB, or silent against sound or
        the reverse, but for the first and last 3)
    judge.py listen FROM TO WAV -- COMMAND...   (the sink recorded into WAV while COMMAND plays seconds FROM to TO of
        tone_steps.mp3, second k 300 + 100 (k mod 30) Hz: each heard 1 s, the outer ones 0.8 s, nothing else, ±0.1 s)
    judge.py previews WAV START... -- COMMAND   (the same while COMMAND plays 3 s of tone_steps.mp3 from each START:
        a stretch of sound 3 s long, ±0.1 s, that starts within a frame of where its first change of step puts START)
print a JSON line per cut: "span" [first, end], the source's frames it copies (as they are or made silent) after
"lead" frames (Xing/Info, priming); "problems" (none: good); "tags"; "compared": mpg123's decode was compared
with the source's. Levels: 0 bytes and mutagen, 1 and mpg123, 2 (the first form) and ffprobe. Exit 0: all good.
"""
import functools
import json
import math
import operator
import os
import re
import subprocess
import tempfile
import sys
import time
import wave
from array import array

import mutagen.id3
import mutagen.mp3

KBPS = [[0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],  # MPEG 1
        [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160]]  # MPEG 2 and 2.5
RATES = {3: (44100, 48000, 32000), 2: (22050, 24000, 16000), 0: (11025, 12000, 8000)}  # by version bits
EDGE = 576  # samples at each edge where the transform overlap may differ
SOURCES = {}
be = functools.partial(int.from_bytes, byteorder="big")


def head(b, at, end=None):
    """(length, version bits, mono, crc, rate) of a Layer III header at at (bytes from end on read as 0), or None."""
    h = (b[at:min(at + 4, end or len(b))] + bytes(4))[:4]
    ver, br, sr = h[1] >> 3 & 3, h[2] >> 4, h[2] >> 2 & 3
    if h[0] != 0xFF or h[1] >> 5 != 7 or ver == 1 or h[1] >> 1 & 3 != 1 or br in (0, 15) or sr == 3 or h[3] & 3 == 2:
        return None
    rate = RATES[ver][sr]
    length = (144000 if ver == 3 else 72000) * KBPS[ver != 3][br] // rate + (h[2] >> 1 & 1)
    return length, ver, h[3] >> 6 == 3, not h[1] & 1, rate


def side_info(b, at):
    """(offset of the side information, its size, bits of main_data_begin)."""
    _, ver, mono, crc, _ = head(b, at)
    return at + 4 + 2 * crc, (17 if mono else 32) if ver == 3 else (9 if mono else 17), 9 if ver == 3 else 8


def crc16(data, crc=0xFFFF):  # of a protected frame: ISO/IEC 11172-3, 2.4.3.1
    for byte in data:
        for bit in range(7, -1, -1):
            crc = (crc << 1 ^ (0x8005 if (crc >> 15) ^ (byte >> bit & 1) else 0)) & 0xFFFF
    return crc


def crc16_arc_bits(crc):  # eight bits of the reflected CRC-16 (0x8005)
    for _ in range(8):
        crc = crc >> 1 ^ 0xA001 if crc & 1 else crc >> 1
    return crc


ARC_TABLE = [crc16_arc_bits(n) for n in range(256)]


def crc16_arc(data, crc=0):  # of the LAME extension, a byte at a time
    for byte in data:
        crc = crc >> 8 ^ ARC_TABLE[(crc ^ byte) & 0xFF]
    return crc


def audio_range(b):
    """The bytes between leading ID3v2 and trailing ID3v1, APEv2, Lyrics3 v2 and appended ID3v2 tags."""
    def id3(at, mark):
        h = b[at:at + 10]
        if at < 0 or len(h) < 10 or h[:3] != mark or h[3] not in (2, 3, 4) or any(x & 0x80 for x in h[6:10]):
            return 0
        return 10 + sum((x & 0x7F) << 7 * (3 - k) for k, x in enumerate(h[6:10])) + (10 if h[5] & 0x10 else 0)
    start, end, before = 0, len(b), -1
    while id3(start, b"ID3") and start + id3(start, b"ID3") <= end:
        start += id3(start, b"ID3")
    while end != before:
        before, size = end, 0
        if end - start >= 128 and b[end - 128:end - 125] == b"TAG":
            size = 128
        elif b[end - 32:end - 24] == b"APETAGEX":
            size = int.from_bytes(b[end - 20:end - 16], "little") + (32 if b[end - 9] & 0x80 else 0)
        elif b[end - 9:end] == b"LYRICS200" and b[end - 15:end - 9].isdigit():
            size = int(b[end - 15:end - 9]) + 15
            size *= b[end - size:end - size + 11] == b"LYRICSBEGIN"
        elif b[end - 10:end - 7] == b"3DI":
            size = id3(end - 10, b"3DI")
        end -= size if size <= end - start else 0
    return start, end


def lame_fields(b, at, length):
    """The kind of a describing frame and, of Xing/Info, its fields and LAME extension; None for none."""
    off, size, _ = side_info(b, at)
    for x in (off + size - 2 * head(b, at)[3], off + size):
        if b[x:x + 4] in (b"Xing", b"Info") and x + 8 <= at + length:
            flags, f, p = be(b[x + 4:x + 8]), dict(kind=b[x:x + 4].decode(), at=x), x + 8
            for bit, name, n in ((1, "frames", 4), (2, "bytes", 4), (4, "toc", 100), (8, "quality", 4)):
                f[name] = (list(b[p:p + n]) if n == 100 else be(b[p:p + n])) if flags & bit else None
                p += n * (flags & bit > 0)
            ext = b[p:p + 36]
            if p + 36 <= at + length and ext[:1].isalpha():
                f.update(flags=flags, encoder=ext[:9].decode("latin-1"), delay=be(ext[21:24]) >> 12,
                         padding=be(ext[21:24]) & 0xFFF, music_length=be(ext[28:32]), music_crc=be(ext[32:34]),
                         tag_crc_ok=crc16_arc(b[at:p + 34]) == be(ext[34:36]))
            return f
    return dict(kind="VBRI") if b[at + 36:at + 40] == b"VBRI" and length >= 40 else None


def starts_stream(b, at, end, joins):
    """As the index: a describing frame, 4 frames chained in version and rate, or fewer to end (cut off if joins)."""
    h = n = head(b, at, end)
    p = at
    for _ in range(3):
        p += n[0]
        n = p < end and head(b, p, end)
        if not n or n[1::3] != h[1::3]:
            return p == end or p > end and joins or bool(lame_fields(b, at, min(h[0], end - at)))
    return True


def scan(b, strict=False):
    """The frames between the tags as (offset, length), where the walk ends, where the tags start."""
    start, end = audio_range(b)
    frames, at, stream_end, model = [], start, start, None
    while at < end:
        h = head(b, at, end)
        if h and (at + h[0] <= end if strict else at == stream_end and h[1::3] == model
                  or starts_stream(b, at, end, at == stream_end)):
            frames.append((at, h[0]))
            at = stream_end = at + h[0]
            model = h[1::3]
        elif strict:
            break
        else:
            at = b.find(b"\xff", at + 1, end) % (end + 1) or end  # as the index does
    return frames, at, end


def silent_copy_of(b, at, src, s_at, length):
    """The frame at at is src's at s_at made silent: side information zero but main_data_begin, a right CRC."""
    off, size, bits = side_info(b, at)
    crc_ok = not head(b, at)[3] or crc16(b[at + 2:at + 4] + b[off:off + size]) == be(b[at + 4:at + 6])
    same_data = b[off + size:at + length] == src[s_at + off + size - at:s_at + length]
    return b[at:at + 4] == src[s_at:s_at + 4] and same_data and \
        be(b[off:off + size]) & ((1 << (8 * size - bits)) - 1) == 0 and crc_ok


def main_data(b, frames):
    """The main data stream of adjacent frames, and where each frame's starts in it."""
    stream, starts = bytearray(), []
    for at, length in frames:
        off, size, _ = side_info(b, at)
        starts.append(len(stream))
        stream += b[off + size:at + length]
    return bytes(stream), starts


def decode(path, gapless):
    """mpg123's 16-bit stereo samples and its complaints."""
    mode = "--gapless" if gapless else "--no-gapless"
    run = subprocess.run(["mpg123", "-v", "-e", "s16", "--stereo", "-s", mode, path], capture_output=True)
    notes = run.stderr.decode("utf-8", "replace").replace("\r", "\n").split("\n")
    complaints = [n for n in notes if any(w in n for w in ("rror", "arning", "llegal", "resync"))]
    complaints += ["mpg123 did not finish"] if run.returncode or not any("finished." in n for n in notes) else []
    return array("h", run.stdout[:len(run.stdout) // 2 * 2]), complaints


def decode_ffmpeg(paths):
    """ffmpeg's 16-bit stereo samples of each file (gapless as its LAME header says), by one ffmpeg for many."""
    decoded = {}
    with tempfile.TemporaryDirectory() as folder:
        for first in range(0, len(paths), 64):
            part, command = paths[first:first + 64], ["ffmpeg", "-v", "error", "-y"]
            for path in part:
                command += ["-i", path]
            for k in range(len(part)):
                command += ["-map", "%d:a" % k, "-f", "s16le", "-ac", "2", os.path.join(folder, "%d.raw" % k)]
            subprocess.run(command, capture_output=True)
            for k, path in enumerate(part):
                raw = os.path.join(folder, "%d.raw" % k)
                decoded[path] = array("h", open(raw, "rb").read() if os.path.exists(raw) else b"")
    return decoded


def judge_ffmpeg(results):
    """Adds to each result that asks for it whether ffmpeg plays the cut as the source's samples, to the bit."""
    asks = [result for result in results if "ffmpeg" in result]
    decoded = decode_ffmpeg(sorted({path for result in asks for path in result["ffmpeg"][:2]}))
    for result in asks:
        source, cut, (start, end), played = result.pop("ffmpeg")
        theirs, mine = decoded[source], decoded[cut]
        if len(theirs) != 2 * played:  # ffmpeg plays the source otherwise than mpg123
            continue
        theirs = theirs[2 * start:2 * end]
        result["ffmpeg_differing"] = 0 if mine == theirs else sum(1 for x, y in zip(mine, theirs) if x != y) // 2
        result["problems"] += ["ffmpeg: %d samples of %d differ, %d played" % (
            result["ffmpeg_differing"], len(theirs) // 2, len(mine) // 2)] if mine != theirs else []


def source_facts(path, decoders):
    """The source's frames, where their runs start, mpg123's decodes where they match the frames (decoders)."""
    if path not in SOURCES:
        b = open(path, "rb").read()
        frames = scan(b)[0]
        info = frames.pop(0) if frames and lame_fields(b, *frames[0]) else None
        src = SOURCES[path] = dict(bytes=b, frames=frames, info=info, exact={}, run=[], played=None)
        for k, (at, length) in enumerate(frames):
            src["exact"].setdefault(b[at:at + length], []).append(k)
            src["run"].append(k if k == 0 or sum(frames[k - 1]) != at else src["run"][-1])
    src = SOURCES[path]
    b, frames = src["bytes"], src["frames"]
    if decoders and "full" not in src and frames:
        src["full"] = decode(path, False)[0]
        played, complaints = decode(path, True)
        src["clean"] = not complaints
        f = lame_fields(b, *src["info"]) if src["info"] else None
        skip = f["delay"] + 529 if f and "delay" in f else 0
        spf = 1152 if head(b, frames[0][0])[1] == 3 else 576
        if len(src["full"]) == 2 * spf * len(frames) and played and len({head(b, at)[1::3] for at, _ in frames}) == 1 \
                and src["full"][2 * skip:2 * skip + len(played)] == played:
            src["played"] = [skip, skip + len(played) // 2]
    return src


def judge(source, cut, selected, level, want=None):
    src = source_facts(source, level > 0)
    sb, sframes = src["bytes"], src["frames"]
    b = open(cut, "rb").read()
    problems, result, seconds = [], dict(span=None, lead=None, tags={}, compared=False), {}
    frames, at, end = scan(b, True)
    problems += ["no whole frame at byte %d" % at] if at < end else []
    f = lame_fields(b, *frames[0]) if frames else None
    formats = {head(b, at)[1::3] for at, _ in frames[1 if f else 0:]}  # version and rate
    if not f and len(formats) > 1:  # no Xing/Info frame describes frames that change format
        frames = [None] + frames
    elif not f or f["kind"] not in ("Xing", "Info") or f.get("flags") != 15 or not f.get("tag_crc_ok"):
        problems.append("no Xing/Info frame with all four fields and a LAME extension whose CRC holds first")
        f = frames = None
    else:
        problems += ["a Xing/Info frame over other rates"] if formats - {head(b, frames[0][0])[1::3]} else []
        music, rest = sum(frames[-1]) - frames[0][0], len(b) - frames[0][0]  # to the last frame; to the end
        rest = rest if rest - music > music // 16 else music  # where tags after the frames would mislead ffmpeg
        if (f["frames"], f["bytes"], f["music_length"]) != (len(frames) - 1, rest, music):
            problems.append("Xing/Info counts %d frames, %d and %d bytes, not %d, %d and %d" %
                            (f["frames"], f["bytes"], f["music_length"], len(frames) - 1, rest, music))
        problems += ["LAME music CRC wrong"] if crc16_arc(b[sum(frames[0]):end]) != f["music_crc"] else []
        problems += ["table of contents does not rise from 0"] if f["toc"] != sorted(f["toc"]) or f["toc"][0] else []
        result.update(frames=f["frames"], delay=f["delay"], padding=f["padding"], encoder=f["encoder"].rstrip("\0"))

    def same(k, s):
        (at, length), s_at = frames[k], sframes[s][0]  # the same header, so the same length
        return b[at:at + length] == sb[s_at:s_at + length] or silent_copy_of(b, at, sb, s_at, length)

    best = (0, None)  # the longest run of source frames ending with the cut's last frame
    candidates = src["exact"].get(b[frames[-1][0]:sum(frames[-1])]) or [s for s in range(len(sframes)) if same(-1, s)] \
        if frames and len(frames) > 1 else []
    for s in [selected[1] - 1] if selected[1] - 1 in candidates else candidates:
        n = 1
        while n < len(frames) - 1 and n <= s and same(len(frames) - 1 - n, s - n):
            n += 1
        best = max(best, (n, s), key=lambda x: x[0])
    if frames and best[1] is None:
        problems.append("the cut's frames are no run of the source's frames")
    elif frames:
        n, s = best
        first, lead = s + 1 - n, len(frames) - n
        result.update(span=[first, s + 1], lead=lead)
        problems += ["%d priming frames" % (lead - 1)] if lead > 3 else []
        # Each frame's audio data starts after the Xing/Info frame; a copied frame's in the bytes it has in the source.
        stream, starts = main_data(b, frames[1:])
        for k, (at, length) in enumerate(frames[1:], 1):
            off, size, bits = side_info(b, at)
            mdb, pos, s = be(b[off:off + 2]) >> (16 - bits), starts[k - 1], first + k - lead
            if k < lead and head(b, at)[1:3] != head(b, frames[lead][0])[1:3]:
                problems.append("priming frame %d of another version or mode" % k)
            if k < lead and head(b, at)[3] and crc16(b[at + 2:at + 4] + b[off:off + size]) != be(b[at + 4:at + 6]):
                problems.append("priming frame %d fails its CRC" % k)
            if mdb > pos:
                problems.append("frame %d reaches %d bytes before the first frame after the Xing/Info frame"
                                % (k, mdb - pos))
            elif k >= lead and pos - mdb < starts[lead - 1] and b[at:at + length] == sb[sframes[s][0]:][:length]:
                theirs, their_starts = main_data(sb, sframes[src["run"][s]:s + 1])
                if mdb > their_starts[-1] or stream[pos - mdb:pos] != theirs[their_starts[-1] - mdb:their_starts[-1]]:
                    problems.append("frame %d, copied as it is, finds other bytes before it than in the source" % k)
        spf, rate = (1152 if head(b, frames[-1][0])[1] == 3 else 576), head(b, frames[-1][0])[4]
        base = (first - lead + 1) * spf
        played = [base + f["delay"] + 529, base + (len(frames) - 1) * spf - f["padding"] + 529] if f else None
        result.update(spf=spf, rate=rate, played=played)
    try:
        mp3 = mutagen.mp3.MP3(cut)
        seconds["mutagen"] = mp3.info.length
        for frame in (mp3.tags or {}).values():
            result["tags"][frame.FrameID] = "/".join(map(str, frame.text)) if hasattr(frame, "text") else ""
        # Every frame is the source's, but for the texts the cut sets and the length it gives anew; "dropped": the
        # source's frames the cut left out.
        ours = {f.HashKey: repr(f) for f in (mp3.tags or {}).values()}
        try:  # the source's tags only: mutagen finds no audio in some sources
            theirs = {f.HashKey: repr(f) for f in mutagen.id3.ID3(source).values()}
        except mutagen.id3.ID3NoHeaderError:
            theirs = {}
        problems += ["tag frame %s is not the source's" % k for k, r in ours.items()
                     if theirs.get(k) != r and k not in ("TPE1", "TALB", "TIT2", "TLEN")]
        length, played = mp3.tags and mp3.tags.get("TLEN"), result.get("played")  # the length of what it plays
        if length and played and abs(int(str(length)) - (played[1] - played[0]) * 1000 / result["rate"]) > 1:
            problems.append("TLEN %s ms" % length)
        result["dropped"] = sorted(set(theirs) - set(ours))
    except Exception as error:
        problems.append("mutagen: %s" % error)
    if level and result["span"]:
        decoded, complaints = decode(cut, True)
        one = len({head(sb, at)[1::3] for at, _ in sframes[slice(*result["span"])]}) == 1  # the copied frames' format
        long = f and f["bytes"] != f["music_length"]  # mpg123 remarks on a byte count that runs over the tags
        problems += ["mpg123: " + c for c in complaints if (src.get("clean") or one and "Big change" in c)
                     and not (long and "Xing stream size" in c)]
        if src["played"]:  # the cut's decode is the source's samples it claims to play, but near the edges
            (start, end), (a, z) = played, src["played"]
            problems += ["plays samples %d..%d, the source %d..%d" % (start, end, a, z)] if start < a or end > z else []
            theirs, result["compared"] = src["full"][2 * start:2 * end], len(decoded) == 2 * (end - start)
            problems += [] if result["compared"] else ["mpg123 plays %d samples" % (len(decoded) // 2)]
            edge = 0 if want else EDGE  # a selection's samples are to be exact, others but near the edges
            far = [k // 2 for k in range(2 * edge, len(decoded) - 2 * edge) if abs(decoded[k] - theirs[k]) > 1] \
                if result["compared"] and decoded != theirs else []
            result["differing"] = len(far)
            problems += ["%d samples differ from the source's, %d..%d into the cut" % (len(far), far[0], far[-1])] \
                if far else []
            # ffmpeg to the bit (it does not trim a cut of two frames: its trimming waits for a third).
            if want and f and result["compared"] and f["frames"] > 2:
                result["ffmpeg"] = (source, cut, (start - a, end - a), z - a)
        # Where a LAME version wrote the cut, mutagen gives what it plays; ffprobe counts its frames.
        counted = f["frames"] * spf / rate if f else 0
        expected = len(decoded) / 2 / rate if f and re.match("LAME[0-9]", f["encoder"]) else counted
        if result["compared"] and abs(seconds.get("mutagen", -1) - expected) > 1e-5:
            problems.append("mutagen gives %s s" % seconds.get("mutagen"))
        if level > 1 and f and f["bytes"] > 16 * 128:  # else it estimates from the bitrate
            out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                  "stream=duration", "-of", "csv=p=0", cut], capture_output=True, text=True).stdout
            seconds["ffprobe"] = float(re.match(r"[0-9.]*", out).group(0) or -1)
            problems += ["ffprobe gives %f s" % seconds["ffprobe"]] if abs(seconds["ffprobe"] - counted) > 1e-5 else []
    i, j = selected
    if j >= 0 and (result["span"] or [0, -1])[1] != j:
        problems.append("the copied frames do not end with the selected frame %d" % (j - 1))
    elif j >= 0 and not 1 <= result["lead"] + i - result["span"][0] <= 4:
        problems.append("%d frames before the selected ones" % (result["lead"] + i - result["span"][0]))
    elif want and result["compared"] and result["played"] != want:
        problems.append("plays samples %d..%d, not the selection's %d..%d" % (*result["played"], *want))
    result.update(seconds=seconds, problems=problems)
    return result


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


def read_mono(path):
    with wave.open(path) as w:
        rate, channels, values = w.getframerate(), w.getnchannels(), memoryview(w.readframes(w.getnframes())).cast("h")
    return rate, [sum(values[i:i + channels]) / (channels * 32768.0) for i in range(0, len(values) - channels + 1,
                                                                                   channels)]


def judge_previews(path, starts, seconds=3.0, frame=1152 / 44100.0):
    rate, mono = read_mono(path)
    hop, runs, first = rate // 200, [], None
    loud = [i for i, x in enumerate(mono) if abs(x) > 0.01]
    for i, j in zip(loud, loud[1:] + [None]):
        first = i if first is None else first
        if j is None or j - i > rate // 10:
            runs, first = runs + [(first, i)], None
    problems = []
    for start in starts:
        k, found = int(start), []
        for a, b in runs:
            within = range(a, min(b, a + int(1.3 * rate)), hop)  # the first change of step
            centres = {c + 4 * hop: step_of(mono[c:c + 8 * hop], rate) for c in within}
            last = [c for c, step in centres.items() if step == k]
            after = [c for c, step in centres.items() if step == k + 1 and last and c > last[0]]
            if last and after and b - a > 2 * rate:
                change = (max(c for c in last if c < after[0]) + after[0]) / 2.0
                found.append(((a - change) / rate + k + 1, (b - a) / rate))
        print("preview from %.4f: heard from %s" % (start, found))
        problems += [] if len(found) == 1 and abs(found[0][0] - start) <= frame and abs(found[0][1] - seconds) <= 0.1 \
            else ["no %.1f s of sound from %.4f" % (seconds, start)]
    return problems


def judge_recording(path, first, end):
    rate, mono = read_mono(path)
    hop = rate // 200  # 5 ms, in windows of 40 ms
    steps = [step_of(mono[i:i + 8 * hop], rate) for i in range(0, len(mono) - 8 * hop, hop)]
    heard = {k: steps.count(k) / 200.0 for k in set(steps) if k is not None}
    print("heard (step: seconds):", sorted(heard.items()))
    expected = [k % 30 for k in range(first, end)]  # the outer ones share an edge with silence
    problems = ["second %d heard for %.3f s" % (k, heard.get(k, 0)) for k in expected
                if not (0.8 if k in (expected[0], expected[-1]) else 0.9) <= heard.get(k, 0) <= 1.1]
    problems += ["step %s heard for %.3f s" % (k, v) for k, v in heard.items() if k not in expected and v > 0.02]
    sound = [i for i, k in enumerate(steps) if k is not None]
    length = (sound[-1] - sound[0] + 8) / 200.0 if sound else 0
    return problems + ([] if abs(length - (end - first)) <= 0.1 else ["%.3f s of sound" % length])


def listen(wav, command, judge_wav):
    """Runs command while the null sink is recorded into wav, then judges the recording."""
    os.makedirs(os.path.dirname(wav), exist_ok=True)
    recorder = subprocess.Popen(["parec", "-d", "nullsink.monitor", "--latency-msec=20", "--file-format=wav", wav])
    while not subprocess.run(["pactl", "list", "short", "source-outputs"], capture_output=True).stdout.strip():
        time.sleep(0.05)
    status = subprocess.run(command).returncode
    time.sleep(0.3)
    recorder.terminate()
    recorder.wait()
    problems = ([] if status == 0 else ["the test program failed (%d)" % status])
    return problems + judge_wav(wav)


def judge_split(source, parts):
    """Problems of parts split from source: their audio frames joined, without the Xing/Info frame and the priming
    before each part's first selected frame, must be the source's audio frames."""
    sb = open(source, "rb").read()
    sf = scan(sb)[0]
    sf = sf[1:] if sf and lame_fields(sb, *sf[0]) else sf
    where, problems, done = {}, [], 0
    for k, (at, n) in enumerate(sf):
        where.setdefault(sb[at:at + n], []).append(k)
    for part in parts:
        b = open(part, "rb").read()
        fr = scan(b, True)[0][1:]
        last = [e + 1 for e in where.get(b[fr[-1][0]:sum(fr[-1])], []) if e >= done] if fr else []
        match = [e for e in last if e - done <= len(fr) and all(
            b[a:a + n] == sb[sf[s][0]:sum(sf[s])] for (a, n), s in zip(fr[len(fr) - (e - done):], range(done, e)))]
        if not match:
            return problems + ["%s does not go on from source frame %d" % (part, done)]
        done = max(match)  # of a source that repeats itself, the end that takes the most of the part
    return problems + (["the parts end at source frame %d of %d" % (done, len(sf))] if done != len(sf) else [])


def ranks(values):
    order, r = sorted(range(len(values)), key=values.__getitem__), [0.0] * len(values)
    i = 0
    while i < len(order):  # ties share their mean rank
        j = i
        while j + 1 < len(order) and values[order[j + 1]] == values[order[i]]:
            j += 1
        for k in order[i:j + 1]:
            r[k] = (i + j) / 2
        i = j + 1
    return r


def level_correlation(path, levels):
    """Spearman's rho of the columns' levels and the decoded RMS (dB) of the same spans of frames."""
    b = open(path, "rb").read()
    frames = scan(b)[0]
    n, spf = len(frames) - bool(frames and lame_fields(b, *frames[0])), 1152 if head(b, frames[0][0])[1] == 3 else 576
    pcm = decode(path, False)[0]
    rms = []
    for c in range(len(levels)):
        first = min(n - 1, c * n // len(levels))
        span = pcm[2 * spf * first:2 * spf * max(first + 1, (c + 1) * n // len(levels))]
        power = sum(map(operator.mul, span, span)) / max(1, len(span))
        rms.append(10 * math.log10(power / 32768.0 ** 2) if power else -200.0)
    a, r = ranks(levels), ranks(rms)
    mean = (len(a) - 1) / 2
    cov = sum((x - mean) * (y - mean) for x, y in zip(a, r))
    rho = cov / math.sqrt(sum((x - mean) ** 2 for x in a) * sum((y - mean) ** 2 for y in r) or 1)
    # A frame at a time (the first and last hold the encoder's delay and padding, which mpg123 plays here): silent
    # where the samples are all 0, and above the floor of the levels (-95.5 dB) within the half dB they round to.
    off = [k for k in range(3, n - 3) if len(levels) == n and ((levels[k] <= -96) != (rms[k] == -200.0) or
                                                              max(levels[k], rms[k]) > -94 and
                                                              abs(levels[k] - rms[k]) > 0.5)]
    return rho, off


def main(args):
    if args[:2] == ["cut", "--list"]:
        rows = [line.rstrip(b"\n").split(b"\t") for line in open(args[2], "rb")]
        jobs = [(os.fsdecode(r[0]), os.fsdecode(r[1]), (int(r[2]), int(r[3])), int(r[4]),
                 [int(r[5]), int(r[6])] if len(r) > 6 and int(r[5]) >= 0 else None) for r in rows]
    elif args[:1] == ["cut"] and len(args) == 3:
        jobs = [(args[1], args[2], (-1, -1), 2)]
    elif args[:1] == ["split"] and len(args) > 2:
        problems = judge_split(args[1], args[2:])
        print("\n".join("FAILED: " + problem for problem in problems))
        sys.exit(1 if problems else 0)
    elif args[:2] == ["levels", "--list"] and len(args) == 3:
        for row in (line.rstrip(b"\n").split(b"\t") for line in open(args[2], "rb")):
            rho, off = level_correlation(os.fsdecode(row[0]), [float(v) for v in row[1:]])
            print("%.3f" % rho, *off)
        sys.exit(0)
    elif args[:1] == ["listen"] and args[4:5] == ["--"]:
        problems = listen(args[3], args[5:], lambda wav: judge_recording(wav, int(args[1]), int(args[2])))
        print("\n".join("FAILED: " + problem for problem in problems))
        sys.exit(1 if problems else 0)
    elif args[:1] == ["previews"] and "--" in args[3:]:
        cut = args.index("--")
        problems = listen(args[1], args[cut + 1:], lambda wav: judge_previews(wav, [float(a) for a in args[2:cut]]))
        print("\n".join("FAILED: " + problem for problem in problems))
        sys.exit(1 if problems else 0)
    else:
        sys.exit(__doc__)
    results = [judge(*job) for job in jobs]
    judge_ffmpeg(results)
    print("".join(json.dumps(result, ensure_ascii=False) + "\n" for result in results), end="")
    sys.exit(1 if any(result["problems"] for result in results) else 0)


if __name__ == "__main__":
    main(sys.argv[1:])
