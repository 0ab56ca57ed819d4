#!/usr/bin/python3
"""Judges a cut by its bytes and by real readers (mpg123, ffprobe, mutagen).

    judge.py cut [--quick] SOURCE CUT [--end J] [CUT [--end J] ...]

prints one JSON object per CUT, one per line:
  span      [first, end]: the cut's copied frames (after its Xing/Info frame
            and priming frames) are the source's audio frames first..end-1
            (the source's Xing/Info/VBRI frame is not audio), each byte for
            byte or as a silent frame of the same length; null when they are
            not such a run. --end J prefers the run ending at J where frames
            repeat.
  lead      frames before the copied ones (Xing/Info + priming)
  problems  what is wrong (empty = good)
  tags      {frame id: text} as mutagen reads the cut
  frames, delay, padding, encoder, spf, rate: the cut's Xing/Info frame
  played    [start, end]: the samples of the source's whole decode (no
            gapless trimming) a gapless decoder plays of the cut, by its delay
            and padding; source_played the same of the source; null unknown
  compared  mpg123's decodes of both were compared sample by sample
  seconds   the durations mpg123, mutagen and ffprobe give the cut
--quick leaves the decoders out. Exit status 0 when every "problems" is empty.
"""
import json
import os
import re
import subprocess
import sys
from array import array

try:
    import mutagen.id3
    import mutagen.mp3
except ImportError:  # another python3 first in PATH
    os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)

KBPS = {1: [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
        2: [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160]}
RATES = {3: (44100, 48000, 32000), 2: (22050, 24000, 16000), 0: (11025, 12000, 8000)}  # by version bits
EDGE = 576  # samples at each edge where the transform overlap may differ


def head(b, at):
    """(length, version bits, mono, crc) of an acceptable Layer III header at
    at (bytes past the end read as zero), else None."""
    h = (b[at:at + 4] + bytes(4))[:4]
    ver, layer, br, sr = h[1] >> 3 & 3, h[1] >> 1 & 3, h[2] >> 4, h[2] >> 2 & 3
    if h[0] != 0xFF or h[1] & 0xE0 != 0xE0 or ver == 1 or layer != 1 or br in (0, 15) or sr == 3 or h[3] & 3 == 2:
        return None
    mpeg1 = ver == 3
    length = (144000 if mpeg1 else 72000) * KBPS[1 if mpeg1 else 2][br] // RATES[ver][sr] + (h[2] >> 1 & 1)
    return length, ver, h[3] >> 6 == 3, not h[1] & 1


def side_info(b, at):
    """(offset of the side information, its size, main_data_begin bits)."""
    _, ver, mono, crc = head(b, at)
    size = (17 if mono else 32) if ver == 3 else (9 if mono else 17)
    return at + 4 + 2 * crc, size, 9 if ver == 3 else 8


def crc16(data, crc=0xFFFF):  # ISO/IEC 11172-3 2.4.3.1
    for byte in data:
        for bit in range(7, -1, -1):
            crc = (crc << 1 ^ (0x8005 if (crc >> 15) ^ (byte >> bit & 1) else 0)) & 0xFFFF
    return crc


def crc16_arc(data, crc=0):  # the LAME extension's CRCs
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = crc >> 1 ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def audio_range(b):
    """The bytes between leading ID3v2 tags and trailing ID3v1, APEv2,
    Lyrics3 v2 and appended ID3v2 tags (id3.org, apev2, lyrics3 layouts)."""
    def id3_size(at, mark):
        h = b[at:at + 10]
        if len(h) < 10 or h[:3] != mark or h[3] not in (2, 3, 4) or any(x & 0x80 for x in h[6:10]):
            return -1
        return 10 + sum((x & 0x7F) << 7 * (3 - k) for k, x in enumerate(h[6:10])) + (10 if h[5] & 0x10 else 0)
    start, end = 0, len(b)
    while id3_size(start, b"ID3") > 0 and start + id3_size(start, b"ID3") <= end:
        start += id3_size(start, b"ID3")
    changed = True
    while changed:
        changed, before = False, end
        if end - start >= 128 and b[end - 128:end - 125] == b"TAG":
            end -= 128
        elif b[end - 32:end - 24] == b"APETAGEX":
            size, flags = int.from_bytes(b[end - 20:end - 16], "little"), int.from_bytes(b[end - 12:end - 8], "little")
            size += 32 if flags & 0x80000000 else 0
            end -= size if size <= end - start else 0
        elif b[end - 9:end] == b"LYRICS200" and b[end - 15:end - 9].isdigit():
            size = int(b[end - 15:end - 9]) + 15
            end -= size if size <= end - start and b[end - size:end - size + 11] == b"LYRICSBEGIN" else 0
        elif b[end - 10:end - 7] == b"3DI" and 0 < id3_size(end - 10, b"3DI") <= end - start:
            end -= id3_size(end - 10, b"3DI")
        changed = end != before
    return start, end


def info_kind(b, at, length, where=False):
    """"Xing", "Info" or "VBRI" for a describing frame (with where, also the
    offset of the Xing/Info tag), else None."""
    off, size, _ = side_info(b, at)
    for x in (off + size - 2 * head(b, at)[3], off + size):
        if b[x:x + 4] in (b"Xing", b"Info") and x + 4 <= at + length:
            return (b[x:x + 4].decode(), x) if where else b[x:x + 4].decode()
    return "VBRI" if b[at + 36:at + 40] == b"VBRI" and length >= 40 else None


def scan(b):
    """The frames of a file as (offset, length), as the index finds them: a
    header where one is, else the next byte; the describing frame apart."""
    start, end = audio_range(b)
    frames, at = [], start
    while at < end:
        h = head(b[:end], at)
        if h:
            frames.append((at, h[0]))
            at += h[0]
        else:
            nxt = b.find(b"\xff", at + 1, end)
            at = end if nxt < 0 else nxt
    info = frames.pop(0) if frames and info_kind(b, *frames[0]) else None
    return frames, info


def is_silent_copy(b, at, src, s_at, length):
    """The frame at at is the source's frame at s_at made silent: its header
    and main data area, no audio data, its CRC made right."""
    off, size, bits = side_info(b, at)
    if b[at:at + 4] != src[s_at:s_at + 4] or b[off + size:at + length] != src[s_at + off + size - at:s_at + length]:
        return False
    rest = int.from_bytes(b[off:off + size], "big") & ((1 << (8 * size - bits)) - 1)
    crc_ok = not head(b, at)[3] or crc16(b[at + 2:at + 4] + b[off:off + size]) == int.from_bytes(b[at + 4:at + 6], "big")
    return rest == 0 and crc_ok


def main_data_begin(b, at):
    off, _, bits = side_info(b, at)
    return int.from_bytes(b[off:off + 2], "big") >> (16 - bits)


def decode(path, gapless):
    """mpg123's 16-bit stereo samples, its complaints, and the seconds it shows."""
    run = subprocess.run(["mpg123", "-v", "-e", "s16", "--stereo", "-s", "--gapless" if gapless else "--no-gapless", path],
                         capture_output=True)
    notes = run.stderr.decode("utf-8", "replace").replace("\r", "\n").split("\n")
    complaints = [n for n in notes if any(w in n for w in ("rror", "arning", "llegal", "resync"))]
    if run.returncode or not any("finished." in n for n in notes):
        complaints.append("mpg123 did not finish")
    seconds = None
    for n in notes:
        if n.startswith("> ") and "00:00.00+" in n:
            m, s = n.split("00:00.00+")[1].split()[0].split(":")
            seconds = int(m) * 60 + float(s)
            break
    return array("h", run.stdout[:len(run.stdout) // 2 * 2]), complaints, seconds


def ffprobe_seconds(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", "stream=duration", "-of",
                          "csv=p=0", path], capture_output=True, text=True).stdout.strip()
    number = re.match(r"[0-9.]+", out)
    return float(number.group(0)) if number else None


def lame_fields(b, at, length, problems):
    """What the Xing/Info frame at at says, checking its LAME extension."""
    x = info_kind(b, at, length, True)[1]
    flags = int.from_bytes(b[x + 4:x + 8], "big")
    if flags != 15:
        problems.append("Xing/Info flags %d, not all four fields" % flags)
        return None
    f = dict(frames=int.from_bytes(b[x + 8:x + 12], "big"), bytes=int.from_bytes(b[x + 12:x + 16], "big"),
             toc=list(b[x + 16:x + 116]))
    lame = x + 120
    ext = b[lame:lame + 36]
    if lame + 36 > at + length or not ext[:4].isalpha():
        problems.append("no LAME extension")
        return None
    f.update(encoder=ext[:9].decode("latin-1"), delay=int.from_bytes(ext[21:24], "big") >> 12,
             padding=int.from_bytes(ext[21:24], "big") & 0xFFF, music_length=int.from_bytes(ext[28:32], "big"),
             music_crc=int.from_bytes(ext[32:34], "big"))
    if crc16_arc(b[at:lame + 34]) != int.from_bytes(ext[34:36], "big"):
        problems.append("LAME tag CRC wrong")
    return f


SOURCES = {}


def source_facts(path, decoders):
    """The source's audio frames, their main data streams and (decoders) what
    mpg123 decodes of it whole and gapless, if that is comparable."""
    if path not in SOURCES:
        b = open(path, "rb").read()
        frames, info = scan(b)
        facts = SOURCES[path] = dict(bytes=b, frames=frames, info=info, exact={}, stream=[], played=None)
        for k, (at, length) in enumerate(frames):
            facts["exact"].setdefault(b[at:at + length], []).append(k)
            if k == 0 or frames[k - 1][0] + frames[k - 1][1] != at:
                run, pos = k, 0  # a run of adjacent frames: one main data stream
            off, size, _ = side_info(b, at)
            facts["stream"].append((run, pos))
            pos += at + length - off - size
    facts = SOURCES[path]
    b, frames, info = facts["bytes"], facts["frames"], facts["info"]
    if decoders and "full" not in facts and frames:
        facts["full"], _, _ = decode(path, False)
        played, complaints, _ = decode(path, True)
        facts["clean"] = not complaints
        spf = 1152 if head(b, frames[0][0])[1] == 3 else 576
        f = lame_fields(b, *info, []) if info and info_kind(b, *info) in ("Xing", "Info") else None
        skip = f["delay"] + 529 if f else 0
        if len(facts["full"]) == 2 * spf * len(frames) and len({head(b, at)[1:3] for at, _ in frames}) == 1 and played and \
                facts["full"][2 * skip:2 * skip + len(played)] == played:
            facts["played"] = [skip, skip + len(played) // 2]
    return facts


def judge(source, cut, end_hint, level):
    src = source_facts(source, level > 0)
    sb, sframes = src["bytes"], src["frames"]
    b = open(cut, "rb").read()
    problems, result = [], dict(span=None, lead=None, tags={})
    start, end = audio_range(b)
    frames, at = [], start
    while at < end:
        h = head(b, at)
        if not h or at + h[0] > end:
            problems.append("bad frame walk at byte %d" % at)
            break
        frames.append((at, h[0]))
        at += h[0]
    if not frames or info_kind(b, *frames[0]) not in ("Xing", "Info"):
        problems.append("no Xing/Info frame first")
        frames = []
    f = lame_fields(b, *frames[0], problems) if frames else None
    if f:
        music = frames[-1][0] + frames[-1][1] - frames[0][0]
        if f["frames"] != len(frames) - 1 or f["bytes"] != music or f["music_length"] != music:
            problems.append("Xing/Info counts %d frames, %d bytes, %d music bytes; the cut has %d and %d" %
                            (f["frames"], f["bytes"], f["music_length"], len(frames) - 1, music))
        if crc16_arc(b[frames[1][0] if len(frames) > 1 else end:end]) != f["music_crc"]:
            problems.append("LAME music CRC wrong")
        if f["toc"][0] != 0 or f["toc"] != sorted(f["toc"]):
            problems.append("table of contents does not rise from 0")
        result.update(frames=f["frames"], delay=f["delay"], padding=f["padding"], encoder=f["encoder"])

    def same(k, s):
        (at, length), (s_at, s_len) = frames[k], sframes[s]
        return length == s_len and (b[at:at + length] == sb[s_at:s_at + length] or is_silent_copy(b, at, sb, s_at, length))

    # The longest run of source frames ending with the cut's last frame.
    best = (0, None)
    if len(frames) > 1:
        last = b[frames[-1][0]:frames[-1][0] + frames[-1][1]]
        candidates = src["exact"].get(last) or [s for s in range(len(sframes)) if same(len(frames) - 1, s)]
        for s in sorted(candidates, key=lambda s: s + 1 != end_hint):
            n = 1
            while n < len(frames) - 1 and n <= s and same(len(frames) - 1 - n, s - n):
                n += 1
            if n > best[0]:
                best = (n, s)
    if best[1] is None:
        if len(frames) > 1:
            problems.append("the cut's frames are no run of the source's frames")
    else:
        n, s = best
        first, lead = s + 1 - n, len(frames) - n
        result.update(span=[first, s + 1], lead=lead)
        if lead > 3:
            problems.append("%d priming frames" % (lead - 1))
        # Every frame finds the bytes its audio data starts in: within the
        # frames after the Xing/Info frame, and for a copied frame that is
        # not silent, the very bytes it finds in the source.
        stream, streams = b"", []
        for k, (at, length) in enumerate(frames[1:], 1):
            off, size, _ = side_info(b, at)
            streams.append(len(stream))
            stream += b[off + size:at + length]
        for k, (at, length) in enumerate(frames[1:], 1):
            mdb, pos = main_data_begin(b, at), streams[k - 1]
            if k < lead and head(b, at)[1:3] != head(b, frames[lead][0])[1:3]:
                problems.append("priming frame %d of another version or mode" % k)
            if mdb > pos:
                problems.append("frame %d reaches %d bytes before the first audio frame" % (k, mdb - pos))
            elif k >= lead and b[at:at + length] == sb[sframes[first + k - lead][0]:][:length]:
                run, spos = src["stream"][first + k - lead]
                if mdb > spos:
                    problems.append("frame %d copied as it is, its audio data begins before its run in the source" % k)
                elif stream[pos - mdb:pos] != source_stream(src, run)[spos - mdb:spos]:
                    problems.append("frame %d finds other bytes before it than in the source" % k)
        if f:
            spf = 1152 if head(b, frames[-1][0])[1] == 3 else 576
            base = first * spf - (lead - 1) * spf
            result.update(spf=spf, rate=mutagen_rate(b, frames[-1][0]),
                          played=[base + f["delay"] + 529, base + (len(frames) - 1) * spf - f["padding"] + 529])
    try:
        tag = mutagen.id3.ID3(cut)
        result["tags"] = {fr.FrameID: "/".join(str(t) for t in fr.text) if hasattr(fr, "text") else "" for fr in tag.values()}
    except mutagen.id3.ID3NoHeaderError:
        pass
    except Exception as error:
        problems.append("mutagen: %s" % error)
    try:
        seconds = {"mutagen": mutagen.mp3.MP3(cut).info.length}
    except Exception as error:
        seconds = {"mutagen": None}
        problems.append("mutagen cannot read the cut: %s" % error)
    result["source_played"], result["compared"] = src["played"], False
    if level and result["span"] and f:
        decoded, complaints, seconds["mpg123"] = decode(cut, True)
        if src.get("clean"):
            problems += ["mpg123: " + c for c in complaints]
        compare(src, result, decoded, problems)
        # Durations: mpg123 and, where the encoder string names a LAME
        # version, mutagen give what the cut plays; ffprobe counts frames.
        played = len(decoded) / 2 / result["rate"]
        counted = f["frames"] * result["spf"] / result["rate"]
        if seconds["mpg123"] is None or abs(seconds["mpg123"] - played) > 0.0101:
            problems.append("mpg123 shows %s s, plays %f s" % (seconds["mpg123"], played))
        if result["compared"] and abs(seconds["mutagen"] - (played if f["encoder"][4:5].isdigit() else counted)) > 1e-5:
            problems.append("mutagen gives %f s" % seconds["mutagen"])
        if level > 1 and f["bytes"] > 16 * 128:  # else it estimates from the bitrate
            seconds["ffprobe"] = ffprobe_seconds(cut)
            if seconds["ffprobe"] is None or abs(seconds["ffprobe"] - counted) > 1e-5:
                problems.append("ffprobe gives %s s, the frames %f s" % (seconds["ffprobe"], counted))
    result.update(seconds=seconds, problems=problems)
    return result


def source_stream(src, run):
    key = ("run", run)
    if key not in src:
        b, frames, data = src["bytes"], src["frames"], b""
        for k in range(run, len(frames)):
            if k > run and frames[k - 1][0] + frames[k - 1][1] != frames[k][0]:
                break
            at, length = frames[k]
            off, size, _ = side_info(b, at)
            data += b[off + size:at + length]
        src[key] = data
    return src[key]


def mutagen_rate(b, at):
    return RATES[head(b, at)[1]][b[at + 2] >> 2 & 3]


def compare(src, result, decoded, problems):
    """The cut's gapless decode against the source's own decode of the
    samples it claims to play: as many, the same but near the edges."""
    if not src["played"] or not result["played"]:
        return
    start, end = result["played"]
    a, z = src["played"]
    if start < a or end > z:
        problems.append("plays samples %d..%d, the source only %d..%d" % (start, end, a, z))
    if len(decoded) // 2 != end - start:
        problems.append("mpg123 plays %d samples, the header says %d" % (len(decoded) // 2, end - start))
        return
    theirs = src["full"][2 * start:2 * end]
    result["compared"] = True
    if decoded == theirs:
        return
    far = [k // 2 for k in range(len(decoded)) if abs(decoded[k] - theirs[k]) > 1]
    far = [k for k in far if EDGE <= k < end - start - EDGE]
    if far:
        problems.append("samples differ from the source's %d..%d samples into the cut" % (far[0], far[-1]))


def main(args):
    """cut [--quick] SOURCE CUT [--end J] [CUT ...], or cut --list FILE with
    lines SOURCE, CUT, J (-1: none) and level (0 quick, 1 mpg123, 2 and
    ffprobe), tab-separated."""
    if args[:2] == ["cut", "--list"]:
        jobs = [line.rstrip("\n").split("\t") for line in open(args[2], encoding="utf-8")]
        jobs = [(source, cut, int(end), int(level)) for source, cut, end, level in jobs]
    elif args[:1] == ["cut"] and len(args) >= 3:
        level = 0 if "--quick" in args else 2
        args = [a for a in args[1:] if a != "--quick"]
        jobs = []
        for k, arg in enumerate(args[1:], 1):
            if arg != "--end" and args[k - 1] != "--end":
                jobs.append((args[0], arg, int(args[k + 2]) if args[k + 1:k + 2] == ["--end"] else -1, level))
    else:
        sys.exit(__doc__)
    good = True
    for source, cut, end, level in jobs:
        result = judge(source, cut, end, level)
        good = good and not result["problems"]
        print(json.dumps(result, ensure_ascii=False), flush=True)
    sys.exit(0 if good else 1)


if __name__ == "__main__":
    main(sys.argv[1:])
