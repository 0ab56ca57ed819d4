#include "cut_layout.h"

#include "frame_header.h"
#include "side_info.h"

#include <algorithm>

namespace {

// The samples of the selection that the source itself plays, as a range of
// the source's decoded samples (before any gapless trimming): [start, end).
struct SampleRange {
    int64_t start;
    int64_t end;
};

// The selected frames' samples, less what the source's encoder delay and
// padding keep from playing. The padding is believed only when the source's
// frame count agrees with the index (a cut-off or grown file has none at its
// end). Where nothing would be left, the frames' samples whole.
SampleRange PlayedSamples(int32_t nFrames, int32_t i, int32_t j, int32_t samplesPerFrame, const InfoFrameFacts& info)
{
    const int64_t spf = samplesPerFrame;
    int64_t sourceStart = 0, sourceEnd = nFrames * spf;
    if (info.bLame) {
        sourceStart = info.nDelay + kDecoderDelaySamples;
        if (info.nFrames == nFrames) sourceEnd = nFrames * spf - info.nPadding + kDecoderDelaySamples;
    }
    SampleRange range = {std::max(i * spf, sourceStart), std::min(j * spf, sourceEnd)};
    if (range.end <= range.start) range = {i * spf, j * spf};
    return range;
}

}  // namespace

std::vector<uint8_t> MP3SilentCopy(const uint8_t* frame, int32_t length, int32_t mainDataBegin)
{
    std::vector<uint8_t> copy(frame, frame + length);
    MP3MakeSilent(copy.data(), mainDataBegin);
    return copy;
}

bool MP3LayOutCut(const FrameEntry* frames, int32_t nFrames, int32_t i, int32_t j, const SourceBytes& source,
                  const InfoFrameFacts& sourceInfo, CutLayout& layout)
{
    layout = CutLayout();
    if (i >= j) return false;
    const uint8_t* first = source.Bytes(frames[i].nOffset, frames[i].nLength);
    if (first) {
        // How far the played samples start into the first selected frame and
        // end before the end of the last one.
        const int32_t spf = MP3SamplesPerFrame(first);
        const SampleRange played = PlayedSamples(nFrames, i, j, spf, sourceInfo);
        int64_t head = played.start - int64_t(i) * spf, tail = int64_t(j) * spf - played.end;
        // A decoder drops delay + 529 samples: without frames ahead of the
        // first selected one, that is at least 529 of its own.
        layout.priming = MP3PrimeCut(frames, i, j, source, head < kDecoderDelaySamples);
        int64_t delay = int64_t(layout.priming.Lead(i)) * spf + head - kDecoderDelaySamples;
        if (delay < 0 || delay > kMaxLameDelay || tail + kDecoderDelaySamples > kMaxLameDelay) {
            // Beyond what the header can state: the frames' samples whole.
            head = tail = 0;
            layout.priming = MP3PrimeCut(frames, i, j, source, true);
            delay = std::max<int64_t>(0, int64_t(layout.priming.Lead(i)) * spf - kDecoderDelaySamples);
        }
        layout.nDelay = static_cast<int32_t>(delay);
        layout.nPadding = static_cast<int32_t>(tail + kDecoderDelaySamples);
    } else {
        layout.priming.nFirstCopied = i;
    }

    InfoFrameContent content;
    int64_t reservoir = 0;  // main data bytes of the cut's frames so far
    for (const std::vector<uint8_t>& frame : layout.priming.frames) {
        content.frameBytes.push_back(static_cast<int32_t>(frame.size()));
        layout.nMusicCrc = MP3LameCrc(frame.data(), frame.size(), layout.nMusicCrc);
        reservoir += static_cast<int64_t>(frame.size()) - MP3MainDataOffset(frame.data());
    }
    const std::vector<int32_t>& silenced = layout.priming.silenced;
    for (int32_t k = layout.priming.nFirstCopied; k < j; ++k) {
        const uint8_t* bytes = source.Bytes(frames[k].nOffset, frames[k].nLength);
        if (!bytes) continue;
        int32_t silentBegin = -1;
        if (std::binary_search(silenced.begin(), silenced.end(), k)) {
            const int64_t most = MP3IsMpeg1(bytes) ? kMaxMainDataBeginMpeg1 : kMaxMainDataBeginMpeg2;
            silentBegin = static_cast<int32_t>(std::min(reservoir, most));
        }
        reservoir += frames[k].nLength - MP3MainDataOffset(bytes);
        layout.copied.push_back({frames[k], silentBegin});
        content.frameBytes.push_back(frames[k].nLength);
        if (silentBegin >= 0) {
            const std::vector<uint8_t> frame = MP3SilentCopy(bytes, frames[k].nLength, silentBegin);
            layout.nMusicCrc = MP3LameCrc(frame.data(), frame.size(), layout.nMusicCrc);
        } else {
            layout.nMusicCrc = MP3LameCrc(bytes, static_cast<size_t>(frames[k].nLength), layout.nMusicCrc);
        }
    }
    if (content.frameBytes.empty()) {
        layout = CutLayout();
        return false;
    }

    // The first frame after the Xing/Info frame is its model; one bitrate
    // throughout makes the cut constant bitrate.
    auto headerOf = [&](size_t n) {
        const size_t made = layout.priming.frames.size();
        return n < made ? layout.priming.frames[n].data() : source.Bytes(layout.copied[n - made].entry.nOffset, 4);
    };
    content.pModel = headerOf(0);
    content.bConstantBitrate = true;
    bool oneFormat = true;
    for (size_t n = 1; n < content.frameBytes.size(); ++n) {
        const uint8_t* header = headerOf(n);
        content.bConstantBitrate =
            content.bConstantBitrate && MP3BitrateIndex(header) == MP3BitrateIndex(content.pModel);
        oneFormat = oneFormat && MP3SameFormat(header, content.pModel);
    }
    content.nDelay = layout.nDelay;
    content.nPadding = layout.nPadding;
    content.nMusicCrc = layout.nMusicCrc;
    content.pSource = &sourceInfo;
    // A Xing/Info frame describes frames of its own version, layer and sample
    // rate: frames that change them get none.
    if (oneFormat) layout.infoFrame = MP3BuildInfoFrame(content);
    layout.nFrames = static_cast<int32_t>(content.frameBytes.size());
    layout.nBytes = static_cast<int64_t>(layout.infoFrame.size());
    for (int32_t bytes : content.frameBytes) layout.nBytes += bytes;
    return true;
}

bool MP3EmitCut(const CutLayout& layout, const SourceBytes& source, const std::function<bool(const uint8_t*, size_t)>& write)
{
    auto put = [&](const std::vector<uint8_t>& bytes) { return write(bytes.data(), bytes.size()); };
    if (!layout.infoFrame.empty() && !put(layout.infoFrame)) return false;
    for (const std::vector<uint8_t>& frame : layout.priming.frames)
        if (!put(frame)) return false;

    // A run of adjacent frames, [runStart, runEnd) of the source, not yet handed over.
    int64_t runStart = 0, runEnd = 0;
    auto flush = [&]() {
        const bool ok = runEnd == runStart || write(source.Bytes(runStart, runEnd - runStart), static_cast<size_t>(runEnd - runStart));
        runStart = runEnd;
        return ok;
    };
    for (const CopiedFrame& copied : layout.copied) {
        const FrameEntry& frame = copied.entry;
        if (copied.nSilentBegin >= 0) {
            if (!flush() || !put(MP3SilentCopy(source.Bytes(frame.nOffset, frame.nLength), frame.nLength, copied.nSilentBegin)))
                return false;
            runStart = runEnd = static_cast<int64_t>(frame.nOffset) + frame.nLength;
            continue;
        }
        if (frame.nOffset != runEnd) {
            if (!flush()) return false;
            runStart = frame.nOffset;
        }
        runEnd = static_cast<int64_t>(frame.nOffset) + frame.nLength;
    }
    return flush();
}
