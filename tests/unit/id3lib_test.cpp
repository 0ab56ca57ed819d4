// id3lib is linked and reads what a real encoder wrote.
#include "test_support.h"

#include <id3/misc_support.h>
#include <id3/tag.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::string Take(char* text)
{
    std::string s = text ? text : "(none)";
    delete[] text;
    return s;
}

TEST(Id3lib, ReadsTheArtistAndTitleThatLameWrote)
{
    for (const char* name : {"tag_v1v2.mp3", "tag_v2only.mp3", "tag_v1only.mp3", "tag_picture.mp3"}) {
        SCOPED_TRACE(name);
        ID3_Tag tag;
        tag.Link(FixturePath(name).c_str(), ID3TT_ALL);
        EXPECT_EQ(Take(ID3_GetArtist(&tag)), "Test Artist");
        EXPECT_EQ(Take(ID3_GetTitle(&tag)), "Test Title");
        EXPECT_EQ(Take(ID3_GetAlbum(&tag)), "Test Album");
    }
}

TEST(Id3lib, AnUntaggedFileHasNoTexts)
{
    ID3_Tag tag;
    tag.Link(FixturePath("cbr_v1_44100_128k.mp3").c_str(), ID3TT_ALL);
    EXPECT_EQ(Take(ID3_GetArtist(&tag)), "(none)");
    EXPECT_EQ(Take(ID3_GetTitle(&tag)), "(none)");
}

}  // namespace
