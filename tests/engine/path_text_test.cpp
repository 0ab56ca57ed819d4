// Finding separators in paths, with the double-byte characters of code
// page 936 whose second byte is 0x5C.
#include "path_text.h"

#include "os.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Cut(std::string path, bool* found = nullptr)
{
    bool cut = CutAtLastBackslash(path.data());
    if (found) *found = cut;
    return path.c_str();
}

TEST(PathText, CutsAtTheLastBackslash)
{
    EXPECT_EQ(Cut("C:\\Program Files\\Zor\\ZorDU3Vodizaro.exe"), "C:\\Program Files\\Zor");
    EXPECT_EQ(Cut("C:\\ZorDU3Vodizaro.exe"), "C:");
    EXPECT_EQ(Cut("\\\\server\\share\\a\\"), "\\\\server\\share\\a");
    EXPECT_EQ(Cut("Z:\\tmp\\工具\\剪切.exe"), "Z:\\tmp\\工具");
}

TEST(PathText, APathWithoutBackslashStaysAsItIs)
{
    bool found = true;
    EXPECT_EQ(Cut("ZorDU3Vodizaro.exe", &found), "ZorDU3Vodizaro.exe");
    EXPECT_FALSE(found);
    EXPECT_EQ(Cut("", &found), "");
    EXPECT_FALSE(found);
}

TEST(PathText, TheSecondByteOfADoubleByteCharacterIsNoBackslash)
{
    // "乗" is 81 5C and "昞" 95 5C in code page 936: a byte-wise search from
    // the end would cut inside the folder's name.
    EXPECT_EQ(Cut("C:\\\x81\x5c\\Zor.exe"), "C:\\\x81\x5c");
    EXPECT_EQ(Cut("C:\\tools\\\x95\x5c"), "C:\\tools");
    EXPECT_EQ(Cut("C:\\a\x81\x5c\x95\x5c" "b\\x.exe"), "C:\\a\x81\x5c\x95\x5c" "b");
    bool found = true;
    EXPECT_EQ(Cut("\x81\x5c\x95\x5c", &found), "\x81\x5c\x95\x5c");
    EXPECT_FALSE(found);
}

TEST(PathText, ATrailingSeparatorIsNeverTheSecondByteOfACharacter)
{
    const std::string sep(1, kOsPathSeparator);
    EXPECT_TRUE(EndsWithSeparator(("D:" + sep + "out" + sep).c_str()));
    EXPECT_TRUE(EndsWithSeparator(("D:" + sep + "音乐" + sep).c_str()));
    EXPECT_FALSE(EndsWithSeparator(("D:" + sep + "out").c_str()));
    EXPECT_FALSE(EndsWithSeparator(""));
    // "乗" in code page 936 is 81 5C: its second byte is the backslash code.
    EXPECT_FALSE(EndsWithSeparator(("D:" + sep + "\x81\x5C").c_str()));
}

}  // namespace
