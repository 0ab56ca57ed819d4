#include "reservoir.h"

#include "byte_reader.h"
#include "frame_header.h"
#include "side_info.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace {

// The held bytes of entry k, when they hold its side information; else null.
const uint8_t* FrameBytes(const FrameEntry* frames, int32_t k, const SourceBytes& source)
{
    const uint8_t* bytes = source.Bytes(frames[k].nOffset, frames[k].nLength);
    return bytes && frames[k].nLength >= MP3MainDataOffset(bytes) ? bytes : nullptr;
}

int32_t MaxMainDataBegin(const uint8_t* header)
{
    return MP3IsMpeg1(header) ? kMaxMainDataBeginMpeg1 : kMaxMainDataBeginMpeg2;
}

// The size of the main data area of a frame.
int32_t AreaBytes(const uint8_t* frame, int32_t length)
{
    return length - MP3MainDataOffset(frame);
}

// Whether the main data stream runs on from entry m to entry m + 1: both
// held, of one version, layer and sample rate (decoders keep their reservoir
// across a change of mode), nothing between them.
bool RunsOn(const FrameEntry* frames, int32_t m, const SourceBytes& source)
{
    const uint8_t* a = FrameBytes(frames, m, source);
    const uint8_t* b = FrameBytes(frames, m + 1, source);
    return a && b && MP3SameFormat(a, b) &&
           frames[m].nOffset + static_cast<int64_t>(frames[m].nLength) == frames[m + 1].nOffset;
}

// Copies into out (when not null) the last count bytes of the main data
// stream before the main data area of entry k, as far as the stream runs on
// to it; what it does not reach stays zero. Returns how many bytes it
// reached.
int32_t StreamBefore(const FrameEntry* frames, int32_t k, const SourceBytes& source, int32_t count, uint8_t* out)
{
    if (out) memset(out, 0, static_cast<size_t>(count));
    int32_t found = 0;
    for (int32_t m = k - 1; m >= 0 && found < count && RunsOn(frames, m, source); --m) {
        const uint8_t* bytes = FrameBytes(frames, m, source);
        const int32_t take = std::min(AreaBytes(bytes, frames[m].nLength), count - found);
        if (out) memcpy(out + count - found - take, bytes + frames[m].nLength - take, static_cast<size_t>(take));
        found += take;
    }
    return found;
}

// What the frames first to j - 1, copied back to back after available bytes
// of the stream before entry first, need of those bytes (reach), and which of
// them point back further than their stream reaches (silenced).
struct ReservoirUse {
    int32_t reach = 0;
    std::vector<int32_t> silenced;
};

ReservoirUse UseOfReservoir(const FrameEntry* frames, int32_t first, int32_t j, const SourceBytes& source, int32_t available)
{
    ReservoirUse use;
    ReservoirWalk walk(first, available);
    for (int32_t k = first; k < j; ++k)
        if (walk.Take(frames, k, FrameBytes(frames, k, source))) use.silenced.push_back(k);
    use.reach = walk.Reach();
    return use;
}

// A frame with the model's header (lowest bitrate not below the model's whose
// main data area holds areaBytes), the given side information (null: all
// zero, a frame of silence) and an empty main data area. Empty when no
// bitrate is large enough.
std::vector<uint8_t> NewFrame(const uint8_t* model, int32_t areaBytes, const uint8_t* sideInfo)
{
    uint8_t header[4];
    for (int32_t index = MP3BitrateIndex(model); index <= kMaxBitrateIndex; ++index) {
        const int32_t length = MP3HeaderWithBitrate(model, index, header);
        if (AreaBytes(header, length) < areaBytes) continue;
        std::vector<uint8_t> frame(static_cast<size_t>(length), 0);
        memcpy(frame.data(), header, 4);
        if (sideInfo) {
            memcpy(frame.data() + 4, sideInfo, static_cast<size_t>(MP3SideInfoBytes(header)));
            MP3ClearMainDataBegin(frame.data());
        }
        return frame;
    }
    return {};
}

// A frame of silence whose main data area ends with the reach bytes of the
// stream before entry k (all of which the stream reaches).
std::vector<uint8_t> Carrier(const FrameEntry* frames, int32_t k, const SourceBytes& source, int32_t reach)
{
    std::vector<uint8_t> frame = NewFrame(FrameBytes(frames, k, source), reach, nullptr);
    if (!frame.empty()) StreamBefore(frames, k, source, reach, frame.data() + frame.size() - reach);
    return frame;
}

// How the frame before the selection is rebuilt.
enum class Rebuild {
    Whole,       // all its audio data
    SecondHalf,  // MPEG 1: granule 0 keeps only its scale factors
};

// The frame before the selection (entry i - 1), rebuilt so that its audio
// data starts in its own main data area (main_data_begin 0), an area that
// ends with the reach bytes the selected frames point to. Rebuilt whole, it
// decodes as in the source, so the selected frames find the overlap and the
// filter bank's memory they continue. Rebuilt from its second half (for when
// the whole does not fit in one frame), its granule 0 decodes to silence but
// keeps the scale factors granule 1 may reuse, and granule 1 decodes as in the
// source: the selected frames find the overlap they continue, and differ only
// as far as the filter bank remembers (under 512 samples). Empty when it does
// not fit in one frame, its stream does not run on to the selection, or its
// audio data is not all reached or overlaps what the selected frames point to.
std::vector<uint8_t> Rebuilt(const FrameEntry* frames, int32_t i, const SourceBytes& source, int32_t reach, Rebuild how)
{
    const uint8_t* before = FrameBytes(frames, i - 1, source);
    if (!RunsOn(frames, i - 1, source)) return {};
    if (how == Rebuild::SecondHalf && !MP3IsMpeg1(before)) return {};
    const int32_t length = frames[i - 1].nLength;

    // Which bits of its audio data it keeps, in order: [from, from + bits).
    struct Run {
        int64_t from, bits;
        int32_t granule, channel;  // reduced to its scale factors; -1: kept whole
    };
    std::vector<Run> runs;
    int64_t at = 0, keptBits = 0;
    for (int32_t g = 0; g < MP3Granules(before); ++g) {
        for (int32_t c = 0; c < MP3Channels(before); ++c) {
            const int32_t bits = MP3Part23Bits(before, g, c);
            if (how == Rebuild::SecondHalf && g == 0) {
                const int32_t part2 = MP3FirstScaleFactorBits(before, c);
                if (part2 > bits) return {};
                runs.push_back({at, part2, g, c});
            } else {
                runs.push_back({at, bits, -1, -1});
            }
            keptBits += runs.back().bits;
            at += bits;
        }
    }
    const int32_t dataBytes = static_cast<int32_t>((at + 7) / 8), keptBytes = static_cast<int32_t>((keptBits + 7) / 8);

    // Its audio data, counted back from the end of its own area.
    const int32_t back = AreaBytes(before, length) + MP3MainDataBegin(before, length);
    if (dataBytes > back - reach) return {};
    std::vector<uint8_t> stream(static_cast<size_t>(back));
    if (StreamBefore(frames, i, source, back, stream.data()) < back) return {};
    std::vector<uint8_t> frame = NewFrame(before, keptBytes + reach, before + 4 + MP3CrcBytes(before));
    if (frame.empty()) return {};
    uint8_t* area = frame.data() + MP3MainDataOffset(frame.data());
    int64_t to = 0;
    for (const Run& run : runs) {
        CopyBits(area, to, stream.data(), run.from, run.bits);
        to += run.bits;
        if (run.granule >= 0) MP3KeepScaleFactorsOnly(frame.data(), run.granule, run.channel, static_cast<int32_t>(run.bits));
    }
    memcpy(frame.data() + frame.size() - reach, stream.data() + back - reach, static_cast<size_t>(reach));
    return frame;
}

}  // namespace

Priming MP3PrimeCut(const FrameEntry* frames, int32_t i, int32_t j, const SourceBytes& source, bool leadIn)
{
    Priming priming;
    priming.nFirstCopied = i;
    const int32_t available = StreamBefore(frames, i, source, MaxMainDataBegin(FrameBytes(frames, i, source)), nullptr);
    ReservoirUse use = UseOfReservoir(frames, i, j, source, available);
    if (!leadIn && i == 0) {
        priming.silenced = std::move(use.silenced);
        priming.bExact = true;
        return priming;
    }
    const bool oneGranule = MP3Granules(FrameBytes(frames, i, source)) == 1;
    // The frames copied from entry k on, after available bytes of the stream
    // before it: those before the selection must run on to it and sound.
    const auto useFrom = [&](int32_t k, ReservoirUse& from) {
        if (k == i) {
            from = use;
            return true;
        }
        for (int32_t m = k; m < i; ++m)
            if (!RunsOn(frames, m, source)) return false;
        from = UseOfReservoir(frames, k, j, source, MP3StreamAvailable(frames, k, source));
        return from.silenced.empty() || from.silenced.front() >= i;
    };
    const auto take = [&](std::vector<uint8_t> made, int32_t k, ReservoirUse& from, bool exact) {
        priming.frames.push_back(std::move(made));
        priming.nFirstCopied = k;
        priming.silenced = std::move(from.silenced);
        priming.bExact = exact;
        return true;
    };
    // The frame before entry k rebuilt, copying from k on. Its last granule
    // hands on the overlap of the source; whole, and with two granules, it
    // also decodes as in the source.
    const auto rebuild = [&](int32_t k, Rebuild how) {
        ReservoirUse from;
        if (k < 1 || !useFrom(k, from)) return false;
        std::vector<uint8_t> rebuilt = Rebuilt(frames, k, source, from.reach, how);
        const int32_t decoded = how == Rebuild::Whole && !oneGranule ? 0 : 1;
        return !rebuilt.empty() && take(std::move(rebuilt), k, from, i - k >= decoded);
    };
    // A frame of silence carrying what entries from k on point to, copying
    // from k on: the frame at k then hands on the overlap of the source, as
    // does a decoder starting on the file's first frame.
    const auto carry = [&](int32_t k) {
        ReservoirUse from;
        if (k < 0 || !useFrom(k, from)) return false;
        std::vector<uint8_t> carrier = Carrier(frames, k, source, from.reach);
        const int32_t decoded = oneGranule ? 2 : 1;
        return !carrier.empty() && take(std::move(carrier), k, from, k == 0 || i - k >= decoded);
    };
    if (oneGranule ? rebuild(i - 1, Rebuild::Whole) || carry(i - 2) || rebuild(i, Rebuild::Whole) || carry(i - 1)
                   : rebuild(i, Rebuild::Whole) || carry(i - 1) || rebuild(i, Rebuild::SecondHalf))
        return priming;
    if (!carry(i)) {
        priming.silenced = std::move(use.silenced);
        priming.bExact = i == 0;
    }
    return priming;
}

int32_t MP3StreamAvailable(const FrameEntry* frames, int32_t k, const SourceBytes& source)
{
    return StreamBefore(frames, k, source, MaxMainDataBegin(FrameBytes(frames, k, source)), nullptr);
}

bool ReservoirWalk::Take(const FrameEntry* frames, int32_t k, const uint8_t* bytes)
{
    if (!bytes) {
        runs_ = 0;
        bPrevious_ = false;
        return false;
    }
    const bool runsOn = bPrevious_ && MP3SameFormat(previous_, bytes) &&
                        frames[k - 1].nOffset + static_cast<int64_t>(frames[k - 1].nLength) == frames[k].nOffset;
    if (k > first_ && !runsOn) runs_ = 0;
    bool silenced = false;
    // Past the largest main_data_begin from the start and from the last
    // break, a frame can neither point before its stream nor before the
    // copied frames.
    if (runs_ < kMaxMainDataBeginMpeg1 || distance_ < kMaxMainDataBeginMpeg1) {
        const int32_t begin = MP3MainDataBegin(bytes, frames[k].nLength);
        if (begin > runs_) {
            silenced = true;
        } else {
            reach_ = static_cast<int32_t>(std::max<int64_t>(reach_, begin - distance_));
        }
    }
    const int32_t area = AreaBytes(bytes, frames[k].nLength);
    runs_ += area;
    distance_ += area;
    memcpy(previous_, bytes, 4);
    bPrevious_ = true;
    return silenced;
}
