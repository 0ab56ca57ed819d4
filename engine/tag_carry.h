// Tag carry-over: artist, album and title of the source, read when it is
// loaded (through id3lib and our own reader), and the source's whole tags,
// read again when it is cut, carried into each new file with those texts.
//
// The texts live in g_state: szArtist, szAlbum, szTitle in code page 936
// (shown in the tag box), and wszArtist, wszAlbum, wszTitle, the Unicode
// originals of texts the source held in UTF-16 or UTF-8, which the cut
// writes unchanged. All six are allocated with new[] here and released here
// when replaced.
#pragma once

#include "os.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ID3_Tag;

// One text of a tag: its code-page-936 form, and its Unicode original when
// the source held it in UTF-16 or UTF-8 (else empty).
struct TagText {
    bool bPresent = false;  // the source has the text
    std::string text;
    std::u16string wide;
};

// The texts a cut carries: artist, album and title, in that order; a split
// adds, where it has them, the track ("n/N"), the year and the genre.
struct TagTexts {
    TagText texts[3];
    TagText extras[3];
};

// The id3lib tag of one load step: constructed empty (no file) when the step
// starts, linked to the source by ReadSourceTag once the frame index has been
// built, destroyed when the step ends, whatever its outcome.
class SourceTag {
public:
    SourceTag();
    ~SourceTag();
    SourceTag(const SourceTag&) = delete;
    SourceTag& operator=(const SourceTag&) = delete;

private:
    friend void ReadSourceTag(SourceTag& tag);
    std::unique_ptr<ID3_Tag> pTag;
};

// Links the tag to the source (read through the seam) and sets the three texts from it, each none
// when the source has no such text. ANSI (ISO-8859-1) texts are taken as the
// byte strings they are; UTF-16 and UTF-8 texts are converted to code page
// 936 for szArtist etc. and kept whole in wszArtist etc. Parts of a tag that
// would make id3lib crash or hang are not handed to it; a tag that cannot be
// read leaves texts none. Never fails.
void ReadSourceTag(SourceTag& tag);
// The same reading of the file at path into texts, linked in tag.
void MP3ReadTagTexts(const OsPath& path, ID3_Tag& tag, TagTexts& texts);
// The same with a tag of its own.
void MP3ReadTagTexts(const OsPath& path, TagTexts& texts);
// The three texts of g_state.
TagTexts StateTagTexts();

// Replaces each of the three texts that is none by "-" (the last step of a
// successful load).
void FillMissingTagTexts();

// Sets the three texts to none, releasing what they held (a source that
// cannot be opened).
void ClearTagTexts();

// The tags of a new file, made from its source's tags and the three texts.
// At the front, the source's (first) ID3v2 tag in its version, every frame
// as it stands but those tied to the old audio: its length (TLEN, given anew
// when the source has one), its size (TSIZ), synchronised lyrics and tempo,
// event timings, MPEG location lookup, seek frames, audio seek points,
// position synchronisation, chapters, and any frame flagged to be discarded
// when the audio changes. Artist, album and title (TPE1, TALB, TIT2) are the
// three texts: the source's frame where it reads as that text, else a new
// one (ISO-8859-1 bytes as they are, UTF-16 for a Unicode original); without
// a source tag the tag is version 2.3. At the end, the source's APEv2 tag as
// it stands, and an ID3v1 tag of the texts in code page 936 with the year,
// comment, track and genre of the source's ID3v1 tag. What does not parse is
// left out, and so are Lyrics3 tags.
struct CutTags {
    std::vector<uint8_t> front;  // before the frames: the ID3v2 tag, padded to a whole KB
    std::vector<uint8_t> back;   // after them: APEv2, then ID3v1
    std::string dropped;         // what of the source's tags is left out (frame ids, "(损坏)" after those that do
                                 // not parse), in their order; empty when all comes along
};

// What of a source's tags its cuts carry, read once for any number of cuts.
struct CutSourceTags {
    std::vector<uint8_t> leading;     // its leading ID3v2 tags, as they stand
    std::vector<uint8_t> ape;         // its APEv2 tag, or none
    std::vector<uint8_t> id3v1;       // its ID3v1 tag, or none
    std::vector<std::string> dropped; // what of the tags after its frames is left out
};
CutSourceTags ReadCutSourceTags(const OsPath& path);

// The tags of a cut of the source that plays lengthMs milliseconds: from
// its tags read before, or read from the file at path now.
CutTags MakeCutTags(const CutSourceTags& source, const TagTexts& texts, int64_t lengthMs);
CutTags MakeCutTags(const OsPath& path, const TagTexts& texts, int64_t lengthMs);
