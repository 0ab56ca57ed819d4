// What id3lib may be handed. It trusts the sizes it reads: a compressed frame
// claiming gigabytes makes it allocate them, and it walks an ID3v2.4 tag with
// the frame sizes of v2.3. So the leading ID3v2 tags of a source are looked
// at here first, and every call into id3lib is kept from throwing through
// the program.
#pragma once

#include <id3/globals.h>

#include <cstdint>
#include <vector>

// The tag types (ID3TT_ flags) id3lib may parse in a file whose leading
// ID3v2 tags (as far as the file holds them) are in front: ID3TT_ALL, less
// ID3TT_ID3V2 when any of those tags is one id3lib cannot read safely - a
// version other than 2.2 and 2.3, an extended header, a frame that does not
// fit, a compressed or encrypted frame, or a tag cut short by the end of the
// file. Such a tag is read by ReadId3v2 instead.
flags_t Id3libSafeTagTypes(const std::vector<uint8_t>& front);

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
