// What id3lib may be handed: it crashes or hangs on some malformed tags, so
// every tag of a source is looked at here first, and every call into it is
// kept from throwing through the program.
#pragma once

#include <id3/globals.h>

#include <cstdint>
#include <vector>

// The tag types (ID3TT_ flags) of the file at path that id3lib may parse:
// ID3TT_ALL less each kind of tag that is present in a form it cannot parse
// safely. leading holds the file's leading ID3v2 tag as far as it exists
// (empty when there is none).
flags_t Id3libSafeTagTypes(const char* path, const std::vector<uint8_t>& leading);

// Runs a call into id3lib; an exception it throws (it allocates sizes read
// from the file) ends the call and nothing else.
template <typename Call>
void Id3libCall(Call call)
{
    try {
        call();
    } catch (...) {
    }
}
