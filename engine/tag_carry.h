// Tag carry-over: artist, album and title of the source, read when it is
// loaded and written into each new file the cut makes, through id3lib.
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
// The same reading of the file at path into texts, linked in tag.
void MP3ReadTagTexts(const OsPath& path, ID3_Tag& tag, TagTexts& texts);
// The same with a tag of its own.
void MP3ReadTagTexts(const OsPath& path, TagTexts& texts);
// The three texts of g_state.
TagTexts StateTagTexts();
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

// The bytes the cut writes at the front of a new file, before its frames: a
// blank ID3v2 tag just large enough to take the tag WriteCutTag will write,
// so that id3lib writes that tag in place instead of rewriting the whole file
// through a temporary one.
std::vector<uint8_t> CutTagPlaceholder(const TagTexts& texts);

// Writes the three texts into the new file at path (already closed) as the
// frames TPE1, TALB and TIT2, in ID3v2 and ID3v1. ANSI texts are written as
// they are; a text the source held in Unicode goes into ID3v2 as UTF-16 and
// into ID3v1 as its code-page-936 form. The library's results are not
// examined: a tag that cannot be written leaves the file with its frames.
// A file whose name code page 936 cannot hold gets the tag id3lib writes
// into a scratch file of the same first bytes (id3lib names files in that
// code page).
void WriteCutTag(const OsPath& path, const TagTexts& texts);
