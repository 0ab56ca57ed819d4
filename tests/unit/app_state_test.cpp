// The state record starts empty and its text buffers are what every Part
// relies on: six zero-filled 64 KB buffers from the process heap.
#include "app_state.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

TEST(AppState, StartsWithNoSourceNoSelectionAndNoHandles)
{
    const AppState fresh;
    EXPECT_EQ(fresh.fDuration, 0.0f);
    EXPECT_EQ(fresh.fPosition, 0.0f);
    EXPECT_EQ(fresh.fStart, 0.0f);
    EXPECT_EQ(fresh.fEnd, 0.0f);
    EXPECT_EQ(fresh.bPlaySelection, 0);
    EXPECT_EQ(fresh.hChannel, 0u);
    EXPECT_EQ(fresh.qwLength, 0u);
    EXPECT_EQ(fresh.bFolder, 0);
    EXPECT_EQ(fresh.nFrames, 0);
    EXPECT_EQ(fresh.pFrames, nullptr);
    EXPECT_EQ(fresh.szArtist, nullptr);
    EXPECT_EQ(fresh.szAlbum, nullptr);
    EXPECT_EQ(fresh.szTitle, nullptr);
    EXPECT_EQ(fresh.szSourcePath, nullptr);
    EXPECT_EQ(fresh.hMainDlg, nullptr);
    EXPECT_EQ(fresh.nThumbMargin, 0);
    EXPECT_EQ(fresh.szCaption[0], '\0');
    // Units the other parts rely on.
    static_assert(std::is_same_v<decltype(fresh.fDuration), float>);
    static_assert(sizeof(fresh.hChannel) == 4 && sizeof(fresh.qwLength) == 8);
    static_assert(sizeof(FrameEntry) == 8 && sizeof(fresh.nFrames) == 4);
    static_assert(sizeof(fresh.szCaption) == 4096);
}

TEST(AppState, TextBuffersAreSixZeroFilledBuffersOf64KB)
{
    AllocTextBuffers();
    char* buffers[] = {g_state.szAppFolder,    g_state.szSourcePath, g_state.szFileTitle,
                       g_state.szOutputFolder, g_state.szIniPath,    g_state.szScratch};
    for (char* buffer : buffers) {
        ASSERT_NE(buffer, nullptr);
        for (size_t i = 0; i < kTextBufferBytes; ++i) ASSERT_EQ(buffer[i], 0) << i;
        buffer[kTextBufferBytes - 1] = 'x';  // the whole buffer is ours
    }
    EXPECT_NE(g_state.hHeap, nullptr);
}

}  // namespace
