#include "cut_layout.h"

#include "frame_header.h"
#include "side_info.h"

#include <algorithm>

namespace {

// The first index entry a cut of entries from i on may need bytes of: the
// one before it, and before that as many as hold the largest reservoir.
int32_t FirstNeeded(const FrameEntry* frames, int32_t i)
{
    // No frame's main data area is smaller than its length less a header,
    // a CRC and the largest side information.
    constexpr int32_t kLeastOverhead = 4 + 2 + 32;
    int32_t first = i > 0 ? i - 1 : 0;
    for (int32_t covered = 0; first > 0 && covered < kMaxMainDataBeginMpeg1;) {
        --first;
        covered += std::max(0, frames[first].nLength - kLeastOverhead);
    }
    return first;
}

// Copies bytes to write, taking the music CRC and digest of the layout on
// the way.
class MusicWriter {
public:
    MusicWriter(CutLayout& layout, const CutWriter& write) : layout_(layout), write_(write) {}
    bool Put(const uint8_t* bytes, size_t count)
    {
        layout_.nMusicCrc = MP3LameCrc(bytes, count, layout_.nMusicCrc);
        digest_.Add(bytes, count);
        return write_(bytes, count);
    }
    void Finish() { layout_.nMusicDigest = digest_.Value(); }

private:
    CutLayout& layout_;
    const CutWriter& write_;
    ByteDigest digest_;
};

// Builds the layout's Xing/Info frame from its content.
void BuildInfoFrame(CutLayout& layout)
{
    layout.content.pModel = layout.modelHeader;
    layout.content.pSource = &layout.sourceInfo;
    layout.infoFrame = MP3BuildInfoFrame(layout.content);
    layout.content.pModel = nullptr;
    layout.content.pSource = nullptr;
}

}  // namespace

CutHead MP3CutHead(const FrameEntry* frames, int32_t i, int32_t j)
{
    // Two frames before the selection may be primed from.
    CutHead head = {FirstNeeded(frames, std::max(0, i - 1)), i};
    for (int64_t bytes = 0; head.nEnd < j && bytes < kCutHeadBytes; ++head.nEnd) bytes += frames[head.nEnd].nLength;
    return head;
}

std::vector<uint8_t> MP3SilentCopy(const uint8_t* frame, int32_t length, int32_t mainDataBegin)
{
    std::vector<uint8_t> copy(frame, frame + length);
    MP3MakeSilent(copy.data(), mainDataBegin);
    return copy;
}

bool MP3LayOutCut(const FrameEntry* frames, int32_t i, int32_t j, const SampleRange& played, int64_t sourceBytes,
                  const SourceBytes& head, const InfoFrameFacts& sourceInfo, CutLayout& layout)
{
    layout = CutLayout();
    if (i >= j) return false;
    // The last frame of a file may be cut off at its end: the cut leaves it out.
    layout.nEndCopied = frames[j - 1].nOffset + frames[j - 1].nLength > sourceBytes ? j - 1 : j;
    const uint8_t* first = i < layout.nEndCopied ? head.Bytes(frames[i].nOffset, frames[i].nLength) : nullptr;
    if (!first) return false;
    // How far the played samples start into the first selected frame and
    // end before the end of the last one written.
    const int32_t headEnd = std::min(MP3CutHead(frames, i, j).nEnd, layout.nEndCopied);
    const int32_t spf = MP3SamplesPerFrame(first);
    int64_t lead = std::max<int64_t>(0, played.nStart - int64_t(i) * spf);
    int64_t tail = std::max<int64_t>(0, int64_t(layout.nEndCopied) * spf - played.nEnd);
    if (lead + tail >= int64_t(layout.nEndCopied - i) * spf) lead = tail = 0;
    // A decoder drops delay + 529 samples: without frames ahead of the
    // first selected one, that is at least 529 of its own.
    layout.priming = MP3PrimeCut(frames, i, headEnd, head, lead < kDecoderDelaySamples);
    int64_t delay = int64_t(layout.priming.Lead(i)) * spf + lead - kDecoderDelaySamples;
    if (delay < 0 || delay > kMaxLameDelay || tail + kDecoderDelaySamples > kMaxLameDelay) {
        // Beyond what the header can state: the frames' samples whole.
        lead = tail = 0;
        layout.priming = MP3PrimeCut(frames, i, headEnd, head, true);
        delay = std::max<int64_t>(0, int64_t(layout.priming.Lead(i)) * spf - kDecoderDelaySamples);
    }
    layout.nDelay = static_cast<int32_t>(delay);
    layout.nPadding = static_cast<int32_t>(tail + kDecoderDelaySamples);
    layout.nAvailable = MP3StreamAvailable(frames, layout.priming.nFirstCopied, head);

    // The frames after the Xing/Info frame: the made ones, then the copied.
    const std::vector<std::vector<uint8_t>>& made = layout.priming.frames;
    const int32_t firstCopied = layout.priming.nFirstCopied;
    const int32_t count = static_cast<int32_t>(made.size()) + layout.nEndCopied - firstCopied;
    const auto headerOf = [&](int32_t n) {
        return n < static_cast<int32_t>(made.size()) ? made[size_t(n)].data()
                                                     : frames[firstCopied + n - made.size()].abHeader;
    };
    // The first is the Xing/Info frame's model; one bitrate throughout makes
    // the cut constant bitrate.
    InfoFrameContent& content = layout.content;
    memcpy(layout.modelHeader, headerOf(0), 4);
    content.bConstantBitrate = true;
    bool oneFormat = true;
    for (int32_t n = 1; n < count; ++n) {
        const uint8_t* header = headerOf(n);
        content.bConstantBitrate =
            content.bConstantBitrate && MP3BitrateIndex(header) == MP3BitrateIndex(layout.modelHeader);
        oneFormat = oneFormat && MP3SameFormat(header, layout.modelHeader);
    }
    MP3MeasureMusic(count, [&](int32_t n) {
        return n < static_cast<int32_t>(made.size()) ? static_cast<int32_t>(made[size_t(n)].size())
                                                     : frames[firstCopied + n - made.size()].nLength;
    }, content);
    content.nDelay = layout.nDelay;
    content.nPadding = layout.nPadding;
    layout.sourceInfo = sourceInfo;
    // A Xing/Info frame describes frames of its own version, layer and sample
    // rate: frames that change them get none. Its music CRC is known once
    // the frames are written.
    if (oneFormat) BuildInfoFrame(layout);
    layout.nFrames = count;
    layout.nBytes = static_cast<int64_t>(layout.infoFrame.size()) + content.nMusicBytes;
    return true;
}

CutEmitted MP3EmitCut(CutLayout& layout, const FrameEntry* frames, const CutSourceReader& read, const CutWriter& write)
{
    layout.nMusicCrc = 0;
    if (!layout.infoFrame.empty() && !write(layout.infoFrame.data(), layout.infoFrame.size()))
        return CutEmitted::WriteFailed;
    MusicWriter music(layout, write);
    int64_t reservoir = 0;  // main data bytes of the cut's frames so far
    for (const std::vector<uint8_t>& frame : layout.priming.frames) {
        if (!music.Put(frame.data(), frame.size())) return CutEmitted::WriteFailed;
        reservoir += static_cast<int64_t>(frame.size()) - MP3MainDataOffset(frame.data());
    }

    ReservoirWalk walk(layout.priming.nFirstCopied, layout.nAvailable);
    for (int32_t k = layout.priming.nFirstCopied; k < layout.nEndCopied;) {
        // A run of frames adjacent in the source, a chunk at most (one frame at least).
        const int64_t from = frames[k].nOffset;
        int64_t to = from + frames[k].nLength;
        int32_t end = k + 1;
        for (; end < layout.nEndCopied && frames[end].nOffset == to; ++end) {
            if (to + frames[end].nLength - from > kReadChunkBytes) break;
            to += frames[end].nLength;
        }
        const uint8_t* run = read(from, to);
        if (!run) return CutEmitted::ReadFailed;
        const uint8_t* unwritten = run;  // what of the run is not yet handed over
        for (; k < end; ++k) {
            const uint8_t* bytes = run + (frames[k].nOffset - from);
            const int32_t length = frames[k].nLength;
            if (memcmp(bytes, frames[k].abHeader, 4) != 0) return CutEmitted::Changed;
            const bool holdsSideInfo = length >= MP3MainDataOffset(bytes);
            if (walk.Take(frames, k, holdsSideInfo ? bytes : nullptr)) {
                const int64_t most = MP3IsMpeg1(bytes) ? kMaxMainDataBeginMpeg1 : kMaxMainDataBeginMpeg2;
                const std::vector<uint8_t> silent =
                    MP3SilentCopy(bytes, length, static_cast<int32_t>(std::min(reservoir, most)));
                if ((bytes > unwritten && !music.Put(unwritten, static_cast<size_t>(bytes - unwritten))) ||
                    !music.Put(silent.data(), silent.size()))
                    return CutEmitted::WriteFailed;
                unwritten = bytes + length;
            }
            reservoir += length - MP3MainDataOffset(bytes);
        }
        const uint8_t* runEnd = run + (to - from);
        if (runEnd > unwritten && !music.Put(unwritten, static_cast<size_t>(runEnd - unwritten)))
            return CutEmitted::WriteFailed;
    }
    music.Finish();
    if (!layout.infoFrame.empty()) {
        layout.content.nMusicCrc = layout.nMusicCrc;
        BuildInfoFrame(layout);
    }
    return CutEmitted::Done;
}
