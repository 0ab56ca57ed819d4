// The source's folder as the "打开" button hands it to the shell.
#include "path_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string FolderOf(const std::string& path)
{
    std::string text = path;
    return CutToFolder(text.data()) ? std::string(text.c_str()) : "<unchanged " + text + ">";
}

TEST(SourceFolder, TheLastBackslashGoesExceptAtADrivesRoot)
{
    EXPECT_EQ(FolderOf("C:\\音乐\\歌曲 一.mp3"), "C:\\音乐");
    EXPECT_EQ(FolderOf("C:\\song.mp3"), "C:\\");
    EXPECT_EQ(FolderOf("\\\\server\\share\\song.mp3"), "\\\\server\\share");
    // 0x5C as the second byte of a double-byte character is no separator.
    EXPECT_EQ(FolderOf("D:\\乗\\a.mp3"), "D:\\乗");
    EXPECT_EQ(FolderOf("D:\\乗.mp3"), "D:\\");
    EXPECT_EQ(FolderOf("song.mp3"), "<unchanged song.mp3>");
}

}  // namespace
