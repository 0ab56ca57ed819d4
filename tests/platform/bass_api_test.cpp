// The exported calls of bass.dll as the program makes them, with the real
// output device (the PulseAudio null sink under Wine).
#include "bass.h"

#include "audio_test_files.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <string>

namespace {

double Seconds(HSTREAM h, QWORD bytes)
{
    return BASS_ChannelBytes2Seconds(h, bytes);
}

double PositionSeconds(HSTREAM h)
{
    return Seconds(h, BASS_ChannelGetPosition(h));
}

// Waits until pred holds or timeoutMs passes; returns whether it held.
template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

TEST(BassVersion, TheLibraryIs23AndTheTestVariantIsNot)
{
    EXPECT_EQ(BASS_GetVersion() >> 16, 0x0203u);
    char self[MAX_PATH];
    GetModuleFileNameA(GetModuleHandleA("bass.dll"), self, MAX_PATH);
    std::string variant = self;
    variant = variant.substr(0, variant.rfind('\\')) + "\\badversion\\bass.dll";
    HMODULE other = LoadLibraryExA(variant.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(other, nullptr) << variant;
    ASSERT_NE(other, GetModuleHandleA("bass.dll"));
    auto getVersion = reinterpret_cast<DWORD(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(other, "BASS_GetVersion")));
    ASSERT_NE(getVersion, nullptr);
    EXPECT_EQ(getVersion() >> 16, 0x0204u);
    FreeLibrary(other);
}

TEST(BassWithoutInit, StreamsNeedTheOutput)
{
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, FixturePath("cbr_v1_44100_128k.mp3").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

class Bass : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr)) << "error " << BASS_ErrorGetCode();
        ASSERT_EQ(BASS_ErrorGetCode(), BASS_OK);
    }
    void TearDown() override { BASS_Free(); }

    HSTREAM Open(const std::string& path)
    {
        HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
        EXPECT_NE(h, 0u) << path << ": error " << BASS_ErrorGetCode();
        return h;
    }
};

TEST_F(Bass, InitTwiceAndFreeTwiceAreRefused)
{
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
}

// What the window does when there is no source: every call on handle 0.
TEST_F(Bass, EveryCallOnHandleZeroFailsCleanly)
{
    EXPECT_EQ(BASS_ChannelGetLength(0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(BASS_ChannelBytes2Seconds(0, 0), 0.0f);
    EXPECT_EQ(BASS_ChannelGetPosition(0), 0u);
    EXPECT_FALSE(BASS_ChannelSetPosition(0, 0));
    EXPECT_FALSE(BASS_ChannelPlay(0, FALSE));
    EXPECT_FALSE(BASS_ChannelStop(0));
    EXPECT_EQ(BASS_ChannelIsActive(0), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_FALSE(BASS_StreamFree(0));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(Bass, FilesThatCannotBePlayedGiveNoHandleAndACode)
{
    TempDir dir;
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, dir.File("missing.mp3").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    WriteFileBytes(dir.File("text.mp3"), std::vector<uint8_t>(3000, 'x'));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, dir.File("text.mp3").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, "x", 0, 1, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
}

TEST_F(Bass, LengthIsTheDecodedStreamInBytes)
{
    HSTREAM h = Open(AudioFixturePath("tone440.mp3"));
    QWORD length = BASS_ChannelGetLength(h);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    EXPECT_EQ(length, ReferencePcm("tone440.mp3").size() * 2);
    EXPECT_EQ(length, 2u * 44100 * 4);  // lame's LAME tag: exactly the 2 s encoded
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(h, length), 2.0f);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(h, 44100 * 4 / 10), 0.1f);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(h), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
}

TEST_F(Bass, APathInTheProgramsCodePageOpens)
{
    TempDir dir;
    std::string path = dir.File("音乐 测试.mp3");
    WriteFileBytes(path, ReadFileBytes(AudioFixturePath("tone440.mp3")));
    HSTREAM h = Open(path);
    EXPECT_EQ(BASS_ChannelGetLength(h), 2u * 44100 * 4);
}

TEST_F(Bass, SeekingWhileStoppedMovesThePosition)
{
    HSTREAM h = Open(AudioFixturePath("tone440.mp3"));
    QWORD length = BASS_ChannelGetLength(h);
    EXPECT_TRUE(BASS_ChannelSetPosition(h, 44100 * 4 + 3));  // rounded down to a sample frame
    EXPECT_EQ(BASS_ChannelGetPosition(h), 44100u * 4);
    EXPECT_TRUE(BASS_ChannelSetPosition(h, length));
    EXPECT_EQ(BASS_ChannelGetPosition(h), length);
    EXPECT_FALSE(BASS_ChannelSetPosition(h, length + 4));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_EQ(BASS_ChannelGetPosition(h), length);
}

TEST_F(Bass, PlayStopAndResume)
{
    HSTREAM h = Open(AudioFixturePath("tone440.mp3"));
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(h), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    ASSERT_TRUE(WaitFor([&] { return PositionSeconds(h) > 0.05; }, 1000));
    Sleep(400);
    EXPECT_TRUE(BASS_ChannelPlay(h, FALSE));  // already playing: goes on
    EXPECT_EQ(BASS_ChannelIsActive(h), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    ASSERT_TRUE(BASS_ChannelStop(h));
    EXPECT_EQ(BASS_ChannelIsActive(h), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    double stopped = PositionSeconds(h);
    EXPECT_GT(stopped, 0.35);
    EXPECT_LT(stopped, 1.2);
    Sleep(200);
    EXPECT_DOUBLE_EQ(PositionSeconds(h), stopped);  // stays put while stopped
    EXPECT_TRUE(BASS_ChannelStop(h));               // stopping twice is harmless
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));        // resumes where it stopped
    double resumed = PositionSeconds(h);
    EXPECT_GE(resumed, stopped);
    EXPECT_LT(resumed, stopped + 0.1);
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));  // restart: from the start
    EXPECT_LT(PositionSeconds(h), 0.1);
}

TEST_F(Bass, SeekingWhilePlayingGoesOnFromThere)
{
    HSTREAM h = Open(AudioFixturePath("tone_change.mp3"));
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    Sleep(200);
    QWORD target = 9ull * 44100 * 4;
    ASSERT_TRUE(BASS_ChannelSetPosition(h, target));
    EXPECT_EQ(BASS_ChannelIsActive(h), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    double at = PositionSeconds(h);
    EXPECT_GE(at, 9.0);
    EXPECT_LT(at, 9.1);
    Sleep(300);
    EXPECT_GT(PositionSeconds(h), 9.1);
}

TEST_F(Bass, AStreamPlayedToItsEndStopsByItself)
{
    HSTREAM h = Open(FixturePath("cbr_v1_44100_128k.mp3"));  // 0.6 s
    QWORD length = BASS_ChannelGetLength(h);
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    DWORD start = GetTickCount();
    ASSERT_TRUE(WaitFor([&] { return BASS_ChannelIsActive(h) != BASS_ACTIVE_PLAYING; }, 3000));
    DWORD tookMs = GetTickCount() - start;
    EXPECT_GT(tookMs, 500u);
    EXPECT_LT(tookMs, 1200u);
    EXPECT_EQ(BASS_ChannelGetPosition(h), length);
    // Played to its end: playing again starts from the beginning.
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(h), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    EXPECT_LT(PositionSeconds(h), 0.3);
}

TEST_F(Bass, FreedStreamsAndFreeingEverythingInvalidateHandles)
{
    HSTREAM a = Open(AudioFixturePath("tone440.mp3"));
    HSTREAM b = Open(AudioFixturePath("tone440.mp3"));
    EXPECT_NE(a, b);
    ASSERT_TRUE(BASS_ChannelPlay(b, FALSE));
    EXPECT_TRUE(BASS_StreamFree(a));
    EXPECT_EQ(BASS_ChannelGetLength(a), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_TRUE(BASS_Free());  // stops b on the way
    EXPECT_EQ(BASS_ChannelIsActive(b), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
}

}  // namespace
