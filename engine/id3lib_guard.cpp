#include "id3lib_guard.h"

#include "id3v2_text.h"

namespace {

constexpr uint8_t kExtendedHeader = 0x40;  // v2.3 (v2.2: compression)

bool Id3libReadsSafely(const uint8_t* tag, size_t available)
{
    const Id3v2Info info = ReadId3v2(tag, available);
    if (info.nMajor != 2 && info.nMajor != 3) return false;
    if (tag[5] & kExtendedHeader) return false;
    if (info.nTagBytes > static_cast<int64_t>(available)) return false;
    return info.bWellFormed && !info.bPackedFrames;
}

}  // namespace

flags_t Id3libSafeTagTypes(const std::vector<uint8_t>& front)
{
    flags_t types = ID3TT_ALL;
    size_t at = 0;
    for (int n = 0; n < kMaxLeadingId3v2Tags && front.size() - at >= kId3v2HeaderSize; ++n) {
        const int64_t bytes = Id3v2TagSize(front.data() + at);
        if (bytes < 0) break;
        if (!Id3libReadsSafely(front.data() + at, front.size() - at)) types &= ~ID3TT_ID3V2;
        if (bytes >= static_cast<int64_t>(front.size() - at)) break;
        at += static_cast<size_t>(bytes);
    }
    return types;
}
