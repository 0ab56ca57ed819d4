// The calls of bass.dll as the program makes them, with the real output device (the PulseAudio null sink
// under Wine). The version word and the code of a missing device: starts of the program (tests/e2e).
#include "bass.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

namespace {

double Position(HSTREAM h) { return BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h)); }

TEST(Bass, CodesRealTimeSeekAndEnd)
{
    const std::string tone = FixturePath("tone440.mp3");
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, tone.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
    TempDir dir;
    WriteFileBytes(dir.File("text.mp3"), std::vector<uint8_t>(3000, 'x'));
    const HSTREAM h = BASS_StreamCreateFile(FALSE, tone.c_str(), 0, 0, 0);
    // Every call sets the code, 0 when it succeeds: the error boxes show it.
    const struct { std::function<bool()> holds; int code; } calls[] = {
        {[] { return BASS_ChannelGetLength(0) == 0; }, BASS_ERROR_HANDLE},  // no source: handle 0
        {[&] { return !BASS_StreamCreateFile(FALSE, dir.File("missing.mp3").c_str(), 0, 0, 0); }, BASS_ERROR_FILEOPEN},
        {[&] { return !BASS_StreamCreateFile(FALSE, dir.File("text.mp3").c_str(), 0, 0, 0); }, BASS_ERROR_FILEFORM},
        {[&] { return BASS_ChannelSetPosition(h, BASS_ChannelGetLength(h)) && BASS_ChannelPlay(h, 0); }, BASS_OK},
        {[&] { return !BASS_ChannelSetPosition(h, BASS_ChannelGetLength(h) + 4); }, BASS_ERROR_POSITION},
    };
    for (const auto& call : calls) {
        EXPECT_TRUE(call.holds()) << call.code;
        EXPECT_EQ(BASS_ErrorGetCode(), call.code);
    }

    EXPECT_EQ(BASS_ChannelGetPosition(h), BASS_ChannelGetLength(h)) << "Play at the slider's end plays nothing";
    EXPECT_TRUE(BASS_ChannelSetPosition(h, 44100 * 4 + 3));
    EXPECT_EQ(BASS_ChannelGetPosition(h), 44100u * 4) << "rounded down to a sample frame";
    // Played from a seek near the end, it stops there by itself, and Play, after a
    // Stop too, starts again from the beginning. (Real time and a seek while
    // playing: the window's scenario and the recorded selection.)
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE) && BASS_ChannelSetPosition(h, 17 * 44100 / 10 * 4));
    EXPECT_NEAR(Position(h), 1.7, 0.05);
    while (BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING) Sleep(10);  // or the test's time runs out
    EXPECT_EQ(BASS_ChannelGetPosition(h), BASS_ChannelGetLength(h));
    ASSERT_TRUE(BASS_ChannelStop(h) && BASS_ChannelPlay(h, FALSE));
    EXPECT_LT(Position(h), 0.3);
    EXPECT_TRUE(BASS_Free());
}

}  // namespace
