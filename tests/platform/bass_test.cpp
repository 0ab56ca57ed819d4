// The calls of bass.dll as the program makes them, with the real output
// device (the PulseAudio null sink under Wine): the error codes, the position
// in real time, seeking and playing again after the end. The version word is
// checked by every start of the program (tests/e2e).
#include "bass.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

namespace {

double Position(HSTREAM h)
{
    return BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));
}

TEST(Bass, EveryRefusalGivesItsCode)
{
    const std::string tone = FixturePath("tone440.mp3");
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, tone.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
    TempDir dir;
    WriteFileBytes(dir.File("text.mp3"), std::vector<uint8_t>(3000, 'x'));
    const HSTREAM h = BASS_StreamCreateFile(FALSE, tone.c_str(), 0, 0, 0);
    const struct { std::function<bool()> refused; int code; } calls[] = {
        {[] { return !BASS_Init(-1, 44100, 0, nullptr, nullptr); }, BASS_ERROR_ALREADY},
        {[] { return BASS_ChannelGetLength(0) == 0; }, BASS_ERROR_HANDLE},  // no source: handle 0
        {[] { return !BASS_ChannelPlay(0, FALSE); }, BASS_ERROR_HANDLE},
        {[&] { return !BASS_StreamCreateFile(FALSE, dir.File("missing.mp3").c_str(), 0, 0, 0); }, BASS_ERROR_FILEOPEN},
        {[&] { return !BASS_StreamCreateFile(FALSE, dir.File("text.mp3").c_str(), 0, 0, 0); }, BASS_ERROR_FILEFORM},
        {[] { return !BASS_StreamCreateFile(TRUE, "x", 0, 1, 0); }, BASS_ERROR_ILLPARAM},
        {[&] { return !BASS_ChannelSetPosition(h, BASS_ChannelGetLength(h) + 4); }, BASS_ERROR_POSITION},
        {[&] { return BASS_StreamFree(h) && BASS_ChannelGetLength(h) == 0; }, BASS_ERROR_HANDLE},
        {[] { return BASS_Free() && !BASS_Free(); }, BASS_ERROR_INIT},
    };
    for (const auto& call : calls) {
        EXPECT_TRUE(call.refused()) << call.code;
        EXPECT_EQ(BASS_ErrorGetCode(), call.code);
    }
}

TEST(Bass, PlaysInRealTimeSeeksAndPlaysAgainAfterTheEnd)
{
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
    const HSTREAM h = BASS_StreamCreateFile(FALSE, FixturePath("tone440.mp3").c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(BASS_ChannelGetLength(h), 2u * 44100 * 4);  // the LAME tag: exactly the 2 s encoded
    EXPECT_TRUE(BASS_ChannelSetPosition(h, 44100 * 4 + 3));
    EXPECT_EQ(BASS_ChannelGetPosition(h), 44100u * 4) << "rounded down to a sample frame";
    ASSERT_TRUE(BASS_ChannelSetPosition(h, 0) && BASS_ChannelPlay(h, FALSE));
    while (Position(h) < 0.2) Sleep(5);
    const double from = Position(h);
    const ULONGLONG start = GetTickCount64();
    Sleep(1000);
    EXPECT_NEAR(Position(h) - from, (GetTickCount64() - start) / 1000.0, 0.1) << "in real time";
    ASSERT_TRUE(BASS_ChannelStop(h));
    const double stopped = Position(h);
    Sleep(200);
    EXPECT_EQ(Position(h), stopped);
    EXPECT_EQ(BASS_ChannelIsActive(h), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    // A seek while playing goes on from there; at the end playback stops by
    // itself, and Play starts again from the beginning.
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE) && BASS_ChannelSetPosition(h, 17 * 44100 / 10 * 4));
    EXPECT_EQ(BASS_ChannelIsActive(h), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    EXPECT_NEAR(Position(h), 1.7, 0.05);
    for (const ULONGLONG end = GetTickCount64() + 2000; GetTickCount64() < end;) {
        if (BASS_ChannelIsActive(h) != BASS_ACTIVE_PLAYING) break;
        Sleep(10);
    }
    EXPECT_EQ(BASS_ChannelGetPosition(h), BASS_ChannelGetLength(h));
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    EXPECT_LT(Position(h), 0.3);
    BASS_Free();
}

}  // namespace
