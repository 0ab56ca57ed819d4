// The fuzz targets, one per ZDV_FUZZ_* switch. Each aborts where a property
// of the code it drives fails; the sanitizers catch the rest.
#include "app_state.h"
#include "cut_check.h"
#include "cut_layout.h"
#include "frame_scan.h"
#include "id3v2_text.h"
#include "info_frame.h"
#include "tag_carry.h"

#include <id3/misc_support.h>
#include <id3/tag.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The input as a scratch file of this process (in TMPDIR, removed at exit).
[[maybe_unused]] const std::string& FuzzFile(const uint8_t* data, size_t size)
{
    static const std::string path = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/zdv-fuzz-" + std::to_string(getpid()) + ".mp3";
    static const int removed = atexit([] { remove(path.c_str()); });
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || (size && fwrite(data, 1, size, f) != size)) abort();
    fclose(f);
    return (void)removed, path;
}

[[maybe_unused]] std::vector<FrameEntry> Scan(const uint8_t* data, size_t size)
{
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(data, static_cast<int64_t>(size), nullptr)));
    if (MP3ScanFrames(data, static_cast<int64_t>(size), frames.data()) != static_cast<int32_t>(frames.size())) abort();
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
#if defined(ZDV_FUZZ_FRAME_SCAN)
    // The scan stays inside the bytes, keeps the index's properties, and the
    // bytes arriving in chunks (size from the first two bytes) give the same frames.
    if (size < 2) return 0;
    const int64_t chunk = 1 + (data[0] | data[1] << 8), bytes = static_cast<int64_t>(size -= 2);
    data += 2;
    const AudioRange range = MP3FindAudioRange(data, bytes);
    if (range.nStart < 0 || range.nStart > range.nEnd || range.nEnd > bytes) abort();
    const std::vector<FrameEntry> frames = Scan(data, size);
    for (size_t k = 0, next = static_cast<size_t>(range.nStart); k < frames.size(); next = frames[k].nOffset + frames[k].nLength, ++k)
        if (frames[k].nOffset < int64_t(next) || frames[k].nLength < 24 || frames[k].nLength > 1441 ||
            (k + 1 < frames.size() && frames[k].nOffset + frames[k].nLength > range.nEnd))
            abort();
    std::vector<uint8_t> arriving(size, 0xA5);  // nothing else but what has arrived may be looked at
    FrameScanner scanner(arriving.data(), bytes);
    for (int64_t end = 0, from; end < bytes; scanner.Advance(end)) {
        from = end;
        end = std::min(bytes, end + chunk);
        memcpy(arriving.data() + from, data + from, static_cast<size_t>(end - from));
    }
    std::vector<FrameEntry> chunked(static_cast<size_t>(scanner.Finish()));
    scanner.CopyTo(chunked.data());
    if (chunked.size() != frames.size() || (!frames.empty() && memcmp(chunked.data(), frames.data(), frames.size() * sizeof(FrameEntry))))
        abort();
#elif defined(ZDV_FUZZ_CUT_LAYOUT)
    // For a span chosen by the first four bytes, the layout of its cut stays
    // inside the bytes held, and what it hands over passes the read-back
    // check, every selected frame as in the source or as its silent copy.
    if (size < 4) return 0;
    const int32_t from = data[0] | data[1] << 8, count = 1 + (data[2] | data[3] << 8);
    data += 4;
    size -= 4;
    std::vector<FrameEntry> frames = Scan(data, size);
    InfoFrameFacts info;
    if (!frames.empty() && MP3IsLeadingInfoFrame(data, static_cast<int64_t>(size), frames[0])) {
        info = MP3ReadInfoFrame(data + frames[0].nOffset, static_cast<int32_t>(std::min<int64_t>(frames[0].nLength, size - frames[0].nOffset)));
        frames.erase(frames.begin());
    }
    const int32_t n = static_cast<int32_t>(frames.size()), i = n ? from % n : 0, j = std::min(i + count, n - 1);
    SourceBytes source;  // only the bytes held, exactly: a read past them is caught
    source.pData.reset(static_cast<uint8_t*>(OsAllocBuffer(size)));
    if (n < 2 || !source.pData) return 0;
    memcpy(source.pData.get(), data, size);
    source.nSize = static_cast<int32_t>(size);
    CutLayout layout;
    if (!MP3LayOutCut(frames.data(), n, i, j, source, info, layout)) return layout.nFrames != 0 ? abort(), 0 : 0;
    std::vector<uint8_t> cut;
    MP3EmitCut(layout, source, [&](const uint8_t* p, size_t c) { return cut.insert(cut.end(), p, p + c), true; });
    if (static_cast<int64_t>(cut.size()) != layout.nBytes ||
        !MP3CheckCutBytes(cut.data(), layout.nBytes, CutWritten{layout.nFrames, layout.nBytes, layout.nMusicCrc}))
        abort();
    size_t at = cut.size();
    for (auto copied = layout.copied.rbegin(); copied != layout.copied.rend(); ++copied) {
        const FrameEntry& e = copied->entry;
        at -= static_cast<size_t>(e.nLength);
        const std::vector<uint8_t> theirs = copied->nSilentBegin < 0 ? std::vector<uint8_t>(data + e.nOffset, data + e.nOffset + e.nLength)
                                                                     : MP3SilentCopy(data + e.nOffset, e.nLength, copied->nSilentBegin);
        if (memcmp(cut.data() + at, theirs.data(), theirs.size()) != 0) abort();
    }
#elif defined(ZDV_FUZZ_ID3V2_TEXT)
    // Our own ID3v2 reading stays inside the bytes and never hangs.
    const Id3v2Info info = ReadId3v2(data, size);
    if ((info.nMajor != 0 && (info.nMajor < 2 || info.nMajor > 4)) ||
        Utf8ToUtf16(std::string(reinterpret_cast<const char*>(data), size)).size() > size)
        abort();
#elif defined(ZDV_FUZZ_ID3LIB)
    // id3lib alone, as the load step calls it: what it must not be handed.
    try {
        ID3_Tag tag;
        tag.Link(FuzzFile(data, size).c_str(), ID3TT_ALL);
        for (auto get : {ID3_GetArtist, ID3_GetAlbum, ID3_GetTitle}) delete[] get(&tag);
        for (ID3_FrameID id : {ID3FID_LEADARTIST, ID3FID_BAND, ID3FID_CONDUCTOR, ID3FID_COMPOSER, ID3FID_ALBUM, ID3FID_TITLE}) {
            const ID3_Field* field = tag.Find(id) ? tag.Find(id)->GetField(ID3FN_TEXT) : nullptr;
            volatile unicode_t sum = 0;
            for (size_t k = 0; field && field->GetEncoding() == ID3TE_UTF16 && field->GetRawUnicodeText() && k < field->Size() / 2; ++k)
                sum = sum + field->GetRawUnicodeText()[k];
        }
    } catch (...) {
    }
#elif defined(ZDV_FUZZ_SOURCE_TAG)
    // The load step's tag reading and the cut's tag writing over any source.
    if (!g_state.szSourcePath) AllocTextBuffers();
    const std::string path = FuzzFile(data, size), out = path + ".cut.mp3";
    strcpy(g_state.szSourcePath, path.c_str());
    {
        SourceTag tag;
        ReadSourceTag(tag);
    }
    FillMissingTagTexts();
    static const uint8_t kFrame[417] = {0xFF, 0xFB, 0x90, 0x00};
    const std::vector<uint8_t> placeholder = CutTagPlaceholder();
    FILE* f = fopen(out.c_str(), "wb");
    fwrite(placeholder.data(), 1, placeholder.size(), f);
    fwrite(kFrame, 1, sizeof kFrame, f);
    fclose(f);
    WriteCutTag(out.c_str());
    remove(out.c_str());
    ClearTagTexts();
#endif
    return 0;
}
