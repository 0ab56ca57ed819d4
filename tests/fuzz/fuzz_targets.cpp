// One fuzz target through every parser: the frame scan and its levels, our ID3v2 reading, a
// cut's layout from exactly the bytes held and the read-back check of what it
// emits (a failed check aborts), the load step's tag reading and the cut's tag
// writing, and the bytes as a cue sheet split over the frames found. The first
// four bytes choose the span, the rest is the file; the sanitizers catch the rest.
#include "app_state.h"
#include "cut_check.h"
#include "cut_layout.h"
#include "cue_sheet.h"
#include "cutter.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "id3v2_text.h"
#include "info_frame.h"
#include "sound_level.h"
#include "split_plan.h"
#include "tag_carry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t bytes)
{
    if (bytes < 4) return 0;
    const uint8_t* data = input + 4;
    const int64_t size = static_cast<int64_t>(bytes - 4);
    ReadId3v2(data, static_cast<size_t>(size));
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(data, size, nullptr)));
    MP3ScanFrames(data, size, frames.data());
    for (const FrameEntry& f : frames)  // the bytes held of each frame, the last perhaps cut off
        MP3FrameLevel(data + f.nOffset, static_cast<int32_t>(std::min<int64_t>(f.nLength, size - f.nOffset)));
    InfoFrameFacts info;
    if (!frames.empty() && MP3IsLeadingInfoFrame(data, size, frames[0])) {
        info = MP3ReadInfoFrame(data + frames[0].nOffset, static_cast<int32_t>(std::min<int64_t>(
                                                              frames[0].nLength, size - frames[0].nOffset)));
        frames.erase(frames.begin());
    }
    FrameIndex index;
    index.frames = frames;
    index.timeline = MP3TimelineOf(frames, info);
    const int32_t n = static_cast<int32_t>(frames.size());
    const float seconds = n * 1152.0f / 8000;  // the first two bytes choose the start, the next two the length
    const float start = seconds * (input[0] | input[1] << 8) / 65536.0f;
    const float end = start + seconds * (input[2] | input[3] << 8) / 65536.0f;
    const FrameSpan span = MP3MapSelection(index, start, end, seconds);
    const int32_t i = span.i, j = span.j;
    SourceBytes source;
    CutLayout layout;
    if (n > 1) {
        source.pData.reset(static_cast<uint8_t*>(OsAllocBuffer(static_cast<size_t>(size))));
        memcpy(source.pData.get(), data, static_cast<size_t>(size));
        source.nSize = static_cast<int32_t>(size);
    }
    if (n > 1 && MP3LayOutCut(frames.data(), i, j, {span.nFirstSample, span.nEndSample}, size, source, info, layout)) {
        std::vector<uint8_t> cut;
        const auto read = [&](int64_t from, int64_t to) { return source.Bytes(from, to - from); };
        const CutEmitted emitted = MP3EmitCut(layout, frames.data(), read, [&](const uint8_t* p, size_t c) {
            cut.insert(cut.end(), p, p + c);
            return true;
        });
        if (emitted != CutEmitted::Done) abort();
        if (!layout.infoFrame.empty()) std::copy(layout.infoFrame.begin(), layout.infoFrame.end(), cut.begin());
        const CutWritten written{layout.nFrames, layout.nBytes, layout.nMusicCrc};
        if (int64_t(cut.size()) != layout.nBytes || !MP3CheckCutBytes(cut.data(), layout.nBytes, written)) abort();
    }

    CueSheet sheet;
    std::string error;
    if (ParseCueSheet(std::string(reinterpret_cast<const char*>(data), size_t(size)), sheet, error)) {
        const int entry = ChooseCueFile(sheet, "x.mp3", error);
        SplitTimeline timeline;
        timeline.played = index.timeline.nEndSample - index.timeline.nFirstSample;
        std::vector<SplitPart> parts;
        if (entry >= 0 && PlanCueSplit(sheet, size_t(entry), timeline, parts, error))
            for (const SplitPart& part : parts)
                if (part.first < 0 || part.end <= part.first || part.end > timeline.played) abort();
    }

    static const std::string path = "/dev/shm/zdv-fuzz-" + std::to_string(getpid()) + ".mp3";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
    if (!g_state.szSourcePath) AllocTextBuffers();
    strcpy(g_state.szSourcePath, path.c_str());
    {
        SourceTag tag;
        ReadSourceTag(tag);
    }
    FillMissingTagTexts();
    // The tags a cut carries parse back whole: every frame fits, the texts are there.
    const CutTags tags = MakeCutTags(path.c_str(), StateTagTexts(), 1000);
    const Id3v2Frames front = ReadId3v2Frames(tags.front.data(), tags.front.size());
    if (front.nTagBytes != int64_t(tags.front.size()) || !front.bSizesFit || front.frames.size() < 3) abort();
    if (tags.back.size() < 128 || memcmp(&tags.back[tags.back.size() - 128], "TAG", 3) != 0) abort();
    remove(path.c_str());
    ClearTagTexts();
    return 0;
}
