// The load step's tag reading and the cut's tag writing over any source file,
// as the program runs them: never a crash, a hang or a leak.
#include "app_state.h"
#include "fuzz_file.h"
#include "tag_carry.h"

#include <cstdio>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!g_state.szSourcePath) AllocTextBuffers();
    const std::string& path = WriteFuzzFile(data, size);
    strcpy(g_state.szSourcePath, path.c_str());
    {
        SourceTag tag;
        ReadSourceTag(tag);
    }
    FillMissingTagTexts();

    // A new file of one frame gets the texts.
    static const uint8_t kFrame[417] = {0xFF, 0xFB, 0x90, 0x00};
    const std::string out = path + ".cut.mp3";
    FILE* f = fopen(out.c_str(), "wb");
    const std::vector<uint8_t> placeholder = CutTagPlaceholder();
    fwrite(placeholder.data(), 1, placeholder.size(), f);
    fwrite(kFrame, 1, sizeof kFrame, f);
    fclose(f);
    WriteCutTag(out.c_str());
    remove(out.c_str());
    ClearTagTexts();
    return 0;
}
