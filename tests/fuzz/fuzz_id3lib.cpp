// id3lib alone, as the load step calls it: a file linked with every tag type
// and its three texts read. Finds what id3lib must not be handed.
#include "fuzz_file.h"

#include <id3/misc_support.h>
#include <id3/tag.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = WriteFuzzFile(data, size);
    try {
        ID3_Tag tag;
        tag.Link(path.c_str(), ID3TT_ALL);
        for (auto get : {ID3_GetArtist, ID3_GetAlbum, ID3_GetTitle}) delete[] get(&tag);
        for (ID3_FrameID id : {ID3FID_LEADARTIST, ID3FID_BAND, ID3FID_CONDUCTOR, ID3FID_COMPOSER, ID3FID_ALBUM, ID3FID_TITLE}) {
            const ID3_Frame* frame = tag.Find(id);
            const ID3_Field* field = frame ? frame->GetField(ID3FN_TEXT) : nullptr;
            if (field && field->GetEncoding() == ID3TE_UTF16 && field->GetRawUnicodeText()) {
                volatile unicode_t sum = 0;
                const unicode_t* raw = field->GetRawUnicodeText();
                for (size_t k = 0; k < field->Size() / 2; ++k) sum = sum + raw[k];
            }
        }
    } catch (...) {
    }
    return 0;
}
