// Inputs the fuzzers once failed on (tests/fuzz/found), replayed through the
// program's own paths: the frame scan, our ID3v2 reading, the load step's
// tag reading with id3lib behind its guard, and a cut carrying the tag.
#include "app_state.h"
#include "cutter.h"
#include "engine_fixture.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "id3lib_guard.h"
#include "id3v2_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// Every kept input, as (target, path).
std::vector<std::pair<std::string, std::string>> FoundInputs()
{
    std::vector<std::pair<std::string, std::string>> inputs;
    std::error_code ec;
    for (const auto& target : fs::directory_iterator(fs::path(ZDV_FUZZ_FOUND_DIR), ec))
        for (const auto& input : fs::directory_iterator(target.path(), ec))
            inputs.emplace_back(target.path().filename().string(), input.path().string());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

class FuzzFoundTest : public EngineTest {};

TEST_F(FuzzFoundTest, EveryKeptInputLoadsAndCutsWithoutHarm)
{
    const auto inputs = FoundInputs();
    ASSERT_FALSE(inputs.empty()) << "no inputs in " << ZDV_FUZZ_FOUND_DIR;
    MakeFolder(dir.File("out"));
    for (const auto& [target, input] : inputs) {
        SCOPED_TRACE(input);
        const std::vector<uint8_t> bytes = ReadFileBytes(input);
        const int32_t frames = MP3ScanFrames(bytes.data(), static_cast<int64_t>(bytes.size()), nullptr);
        const Id3v2Info tag = ReadId3v2(bytes.data(), bytes.size());

        Load(CopyIn(input, "found.mp3"));
        EXPECT_EQ(g_state.nFrames, frames);
        ASSERT_NE(g_state.szTitle, nullptr);
        if (tag.title.bFound && !tag.title.bUnicode) {
            EXPECT_EQ(std::string(g_state.szTitle), tag.title.ansi);
        }

        strcpy(g_state.szOutputFolder, dir.File("out").c_str());
        ui.messages.clear();
        MP3Split();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
    }
}

// The compressed frames that made id3lib allocate gigabytes never reach it.
TEST(Id3libGuard, TagsId3libCannotReadSafelyAreKeptFromIt)
{
    for (const auto& [target, input] : FoundInputs()) {
        if (target != "fuzz_id3lib") continue;
        SCOPED_TRACE(input);
        const std::vector<uint8_t> bytes = ReadFileBytes(input);
        EXPECT_EQ(Id3libSafeTagTypes(bytes) & ID3TT_ID3V2, 0);
    }
}

}  // namespace
