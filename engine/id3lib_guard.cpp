#include "id3lib_guard.h"

#include "id3v2_text.h"

namespace {

bool Id3libReadsSafely(const uint8_t* tag, size_t available)
{
    const Id3v2Info info = ReadId3v2(tag, available);
    if (info.nMajor != 2 && info.nMajor != 3) return false;
    if (tag[5] & kId3v2ExtendedHeader) return false;
    if (info.nTagBytes > static_cast<int64_t>(available)) return false;
    return info.bWellFormed && !info.bPackedFrames;
}

}  // namespace

flags_t Id3libSafeTagTypes(const std::vector<uint8_t>& front)
{
    flags_t types = ID3TT_ALL;
    WalkLeadingId3v2Tags(front.data(), static_cast<int64_t>(front.size()), [&](int64_t at, int64_t) {
        if (!Id3libReadsSafely(front.data() + at, front.size() - static_cast<size_t>(at))) types &= ~ID3TT_ID3V2;
    });
    return types;
}
