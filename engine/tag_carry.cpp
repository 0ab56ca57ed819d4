#include "tag_carry.h"

#include "app_state.h"
#include "byte_reader.h"
#include "id3lib_guard.h"
#include "id3v2_text.h"
#include "os.h"
#include "wide_paths.h"

#include <id3/misc_support.h>
#include <id3/reader.h>
#include <id3/tag.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// One of the three texts: its code-page-936 form and its Unicode original.
struct TagField {
    char* AppState::*text;
    char16_t* AppState::*wide;
};
constexpr TagField kArtist = {&AppState::szArtist, &AppState::wszArtist};
constexpr TagField kAlbum = {&AppState::szAlbum, &AppState::wszAlbum};
constexpr TagField kTitle = {&AppState::szTitle, &AppState::wszTitle};
constexpr TagField kFields[] = {kArtist, kAlbum, kTitle};

// The frames of each text, in the order id3lib's ID3_GetArtist and friends
// look for them.
struct FieldFrames {
    ID3_FrameID ids[4];
    char* (*get)(const ID3_Tag*);
};
const FieldFrames kFieldFrames[] = {
    {{ID3FID_LEADARTIST, ID3FID_BAND, ID3FID_CONDUCTOR, ID3FID_COMPOSER}, ID3_GetArtist},
    {{ID3FID_ALBUM, ID3FID_NOFRAME, ID3FID_NOFRAME, ID3FID_NOFRAME}, ID3_GetAlbum},
    {{ID3FID_TITLE, ID3FID_NOFRAME, ID3FID_NOFRAME, ID3FID_NOFRAME}, ID3_GetTitle},
};

char* NewText(const std::string& text)
{
    char* copy = new char[text.size() + 1];
    memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

char16_t* NewWide(const std::u16string& text)
{
    char16_t* copy = new char16_t[text.size() + 1];
    memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(char16_t));
    return copy;
}

// Replaces a text, taking ownership of the new ones (new[] or null).
void SetField(const TagField& field, char* text, char16_t* wide)
{
    delete[] (g_state.*field.text);
    delete[] (g_state.*field.wide);
    g_state.*field.text = text;
    g_state.*field.wide = wide;
}

// A text as read from a tag: ANSI bytes unchanged, Unicode converted for
// display and kept whole.
TagText TextFrom(const Id3Text& read)
{
    TagText text;
    text.bPresent = true;
    if (!read.bUnicode) {
        text.text = read.ansi;
        return text;
    }
    text.text = OsUtf16ToAnsi(read.wide.data(), read.wide.size());
    text.wide = read.wide;
    return text;
}

// id3lib keeps a UTF-16 text as big-endian units whatever the byte-order mark
// of the frame was; on this (little-endian) machine every unit it hands out
// and takes in is byte-swapped.
char16_t SwapBytes(char16_t unit)
{
    return static_cast<char16_t>((unit >> 8) | (unit << 8));
}

// The Unicode text of the frame id3lib picks for a field, when that frame is
// UTF-16; bFound false otherwise.
Id3Text Id3libUnicodeText(const ID3_Tag& tag, const FieldFrames& frames)
{
    Id3Text text;
    const ID3_Frame* frame = nullptr;
    for (ID3_FrameID id : frames.ids)
        if (id != ID3FID_NOFRAME && (frame = tag.Find(id)) != nullptr) break;
    const ID3_Field* field = frame ? frame->GetField(ID3FN_TEXT) : nullptr;
    if (!field || field->GetEncoding() != ID3TE_UTF16) return text;
    const unicode_t* raw = field->GetRawUnicodeText();
    const size_t units = field->Size() / sizeof(unicode_t);  // Size() counts bytes
    if (!raw) return text;
    text.bFound = text.bUnicode = true;
    for (size_t k = 0; k < units && raw[k] != 0; ++k) text.wide += SwapBytes(static_cast<char16_t>(raw[k]));
    return text;
}

// id3lib's reader over a file open through the seam, which names files of
// any name; a block of the file at a time.
class OsFileReader : public ID3_Reader {
public:
    explicit OsFileReader(OsFile file) : file_(file)
    {
        end_ = static_cast<pos_type>(std::max<int64_t>(0, OsFileSize(file)));
    }
    void close() override {}
    pos_type getEnd() override { return end_; }
    pos_type getCur() override { return cur_; }
    pos_type setCur(pos_type pos) override { return cur_ = std::min(pos, end_); }
    int_type peekChar() override
    {
        const uint8_t* at = At(cur_);
        return at ? *at : END_OF_READER;
    }
    size_type readChars(char_type buf[], size_type len) override
    {
        size_type done = 0;
        for (const uint8_t* at; done < len && (at = At(cur_)) != nullptr;) {
            const size_type n = std::min<size_type>(len - done, blockStart_ + blockSize_ - cur_);
            memcpy(buf + done, at, n);
            done += n;
            cur_ += n;
        }
        return done;
    }

private:
    // The byte at pos, its block read when it is not held; null at the end
    // or on a read error.
    const uint8_t* At(pos_type pos)
    {
        if (pos >= end_) return nullptr;
        if (pos < blockStart_ || pos >= blockStart_ + blockSize_) {
            blockStart_ = pos;
            const int64_t got = OsSeek(file_, pos, SEEK_SET) == pos ? OsRead(file_, block_, sizeof block_) : -1;
            blockSize_ = static_cast<pos_type>(std::max<int64_t>(0, got));
            if (blockSize_ == 0) return nullptr;
        }
        return block_ + (pos - blockStart_);
    }

    OsFile file_;
    pos_type end_ = 0;
    pos_type cur_ = 0;
    pos_type blockStart_ = 0;
    pos_type blockSize_ = 0;
    uint8_t block_[64 * 1024];
};

// The leading ID3v2 tags of the file, one after the other, as far as the
// file holds them; empty when it starts with none.
std::vector<uint8_t> ReadLeadingTags(const OsPath& path)
{
    std::vector<uint8_t> bytes;
    OsFile file = OsOpenForReading(path);
    if (!file) return bytes;
    // The bytes read so far end where the walk stands.
    LeadingId3v2Tags tags(OsFileSize(file));
    while (!tags.Done()) {
        const size_t at = bytes.size();
        bytes.resize(at + kId3v2HeaderSize);
        if (!OsReadExact(file, bytes.data() + at, kId3v2HeaderSize) || tags.Take(bytes.data() + at) < 0) {
            bytes.resize(at);
            break;
        }
        bytes.resize(static_cast<size_t>(tags.End()));
        if (!OsReadExact(file, bytes.data() + at + kId3v2HeaderSize, bytes.size() - at - kId3v2HeaderSize)) {
            bytes.resize(at);
            break;
        }
    }
    OsCloseFile(file);
    return bytes;
}

}  // namespace

SourceTag::SourceTag() : pTag(new ID3_Tag()) {}

SourceTag::~SourceTag() = default;

void MP3ReadTagTexts(const OsPath& path, ID3_Tag& tag, TagTexts& texts)
{
    texts = TagTexts();
    const std::vector<uint8_t> leading = ReadLeadingTags(path);
    const Id3v2Info ours = ReadId3v2(leading.data(), leading.size());
    const flags_t types = Id3libSafeTagTypes(leading);
    if (OsFile file = OsOpenForReading(path)) {
        std::unique_ptr<OsFileReader> reader(new OsFileReader(file));
        Id3libCall([&] { tag.Link(*reader, types); });
        OsCloseFile(file);
    }

    // id3lib reads no v2.4 tag, and is not handed a tag it must not see:
    // then the texts of that tag come from our own reading of it. So do
    // Unicode texts: id3lib takes a UTF-16 text without a terminator (as it
    // writes them itself) for ISO-8859-1.
    const bool oursFirst = ours.nMajor == 4 || (ours.nMajor != 0 && !(types & ID3TT_ID3V2));
    const Id3Text* oursByField[] = {&ours.artist, &ours.album, &ours.title};
    for (size_t k = 0; k < 3; ++k) {
        const FieldFrames& frames = kFieldFrames[k];
        // The Unicode text first: ID3_GetArtist and friends squeeze the
        // field through ISO-8859-1 and back.
        Id3Text unicode;
        Id3libCall([&] { unicode = Id3libUnicodeText(tag, frames); });
        char* text = nullptr;
        Id3libCall([&] { text = frames.get(&tag); });
        if ((oursFirst || oursByField[k]->bUnicode) && oursByField[k]->bFound) {
            texts.texts[k] = TextFrom(*oursByField[k]);
        } else if (unicode.bFound) {
            texts.texts[k] = TextFrom(unicode);
        } else if (text) {  // ISO-8859-1 bytes as they are
            texts.texts[k].bPresent = true;
            texts.texts[k].text = text;
        }
        delete[] text;
    }
}

void MP3ReadTagTexts(const OsPath& path, TagTexts& texts)
{
    ID3_Tag tag;
    MP3ReadTagTexts(path, tag, texts);
}

void ReadSourceTag(SourceTag& tag)
{
    TagTexts texts;
    MP3ReadTagTexts(SourcePath(), *tag.pTag, texts);
    for (size_t k = 0; k < 3; ++k) {
        const TagText& text = texts.texts[k];
        char16_t* wide = text.wide.empty() ? nullptr : NewWide(text.wide);
        SetField(kFields[k], text.bPresent ? NewText(text.text) : nullptr, wide);
    }
}

TagTexts StateTagTexts()
{
    TagTexts texts;
    for (size_t k = 0; k < 3; ++k) {
        const char* text = g_state.*kFields[k].text;
        const char16_t* wide = g_state.*kFields[k].wide;
        texts.texts[k].bPresent = text != nullptr;
        texts.texts[k].text = text ? text : "";
        texts.texts[k].wide = wide ? wide : u"";
    }
    return texts;
}

void FillMissingTagTexts()
{
    for (const TagField& field : kFields)
        if (!(g_state.*field.text)) SetField(field, NewText("-"), nullptr);
}

void ClearTagTexts()
{
    for (const TagField& field : kFields) SetField(field, nullptr, nullptr);
}

namespace {

// The three frames of a new file's tag, in the order artist, album, title.
const ID3_FrameID kCutFrameIds[] = {ID3FID_LEADARTIST, ID3FID_ALBUM, ID3FID_TITLE};
const ID3_FrameID kExtraFrameIds[] = {ID3FID_TRACKNUM, ID3FID_YEAR, ID3FID_CONTENTTYPE};

// Sets a frame's text: the ANSI text, or with unicode the Unicode original
// when there is one.
void SetFrameText(ID3_Frame& frame, const TagText& from, bool unicode)
{
    ID3_Field* text = frame.GetField(ID3FN_TEXT);
    if (unicode && !from.wide.empty()) {
        std::u16string swapped;
        for (const char16_t w : from.wide) swapped += SwapBytes(w);
        frame.GetField(ID3FN_TEXTENC)->Set(ID3TE_UTF16);
        text->SetEncoding(ID3TE_UTF16);
        text->Set(reinterpret_cast<const unicode_t*>(swapped.c_str()));
    } else {
        frame.GetField(ID3FN_TEXTENC)->Set(ID3TE_ISO8859_1);
        text->SetEncoding(ID3TE_ISO8859_1);
        text->Set(from.text.c_str());
    }
}

// Gives the tag its three frames, artist, album and title, in that order,
// with the ANSI texts or, with unicode, the Unicode originals where there are
// any. The tag owns them: AddFrame would copy each through an assignment in
// which id3lib deletes an iterator through a base without a virtual
// destructor.
void AttachCutFrames(ID3_Tag& tag, const TagTexts& texts, bool unicode)
{
    for (size_t k = 0; k < 3; ++k) {
        ID3_Frame* frame = new ID3_Frame;
        frame->SetID(kCutFrameIds[k]);
        SetFrameText(*frame, texts.texts[k], unicode);
        tag.AttachFrame(frame);
    }
    for (size_t k = 0; k < 3; ++k) {
        if (!texts.extras[k].bPresent) continue;
        ID3_Frame* frame = new ID3_Frame;
        frame->SetID(kExtraFrameIds[k]);
        SetFrameText(*frame, texts.extras[k], unicode);
        tag.AttachFrame(frame);
    }
}

bool AnyUnicodeText(const TagTexts& texts)
{
    for (const TagText& text : texts.texts)
        if (!text.wide.empty()) return true;
    for (const TagText& text : texts.extras)
        if (!text.wide.empty()) return true;
    return false;
}

}  // namespace

std::vector<uint8_t> CutTagPlaceholder(const TagTexts& texts)
{
    // The ID3v2.3 tag the cut will write: its header, then per frame a
    // header, the encoding byte and the text (UTF-16 with its byte-order
    // mark), counted with room for a terminator. (id3lib's own Render and
    // Size cannot tell: the one copies the tag through the faulty frame
    // assignment, the other counts UTF-16 text twice.)
    size_t bytes = kId3v2HeaderSize;
    for (const TagText& from : texts.texts) {
        const size_t text = from.wide.empty() ? strlen(from.text.c_str()) : 2 + 2 * from.wide.size();
        bytes += kId3v2HeaderSize + 1 + text + 2;
    }
    for (const TagText& from : texts.extras) {
        const size_t text = from.wide.empty() ? strlen(from.text.c_str()) : 2 + 2 * from.wide.size();
        if (from.bPresent) bytes += kId3v2HeaderSize + 1 + text + 2;
    }

    // id3lib keeps an existing tag's size when the new one fits in it with
    // less than 4 KB to spare; round the whole tag up to 1 KB.
    constexpr size_t kRoundBytes = 1024;
    const size_t total = (bytes + kRoundBytes - 1) / kRoundBytes * kRoundBytes;
    const size_t body = total - kId3v2HeaderSize;
    std::vector<uint8_t> placeholder(total, 0);
    const uint8_t header[6] = {'I', 'D', '3', 3, 0, 0};  // version 2.3, no flags
    memcpy(placeholder.data(), header, sizeof header);
    WriteSyncsafe(placeholder.data() + sizeof header, static_cast<uint32_t>(body));
    return placeholder;
}

namespace {

void WriteCutTagTo(const char* path, const TagTexts& texts)
{
    ID3_Tag tag;
    tag.Link(path, ID3TT_ALL);
    AttachCutFrames(tag, texts, true);
    if (!AnyUnicodeText(texts)) {
        tag.Update(ID3TT_ALL);
        return;
    }
    // ID3v2 gets the Unicode originals; then ID3v1, which holds single-byte
    // text, gets the code-page-936 texts, as this program shows them. (In
    // this order, as id3lib itself goes: ID3v2 is written at the front.)
    tag.Update(ID3TT_ID3V2);
    for (size_t k = 0; k < 3; ++k) {
        ID3_Frame* frame = tag.Find(kCutFrameIds[k]);
        if (frame) SetFrameText(*frame, texts.texts[k], false);
        frame = texts.extras[k].bPresent ? tag.Find(kExtraFrameIds[k]) : nullptr;
        if (frame) SetFrameText(*frame, texts.extras[k], false);
    }
    tag.Update(ID3TT_ID3V1);
}

// Writes the tag id3lib writes into a scratch file that begins as the new
// file begins (the room for the tag and the first frames), then puts the
// bytes in place: the ID3v2 tag over that room, what id3lib appended (ID3v1)
// at the end. Nothing is put when id3lib did not write the tag in place.
void WriteCutTagThroughScratch(const OsPath& path, const TagTexts& texts)
{
    const size_t room = CutTagPlaceholder(texts).size();
    std::vector<char> head(room + 64 * 1024);
    OsFile file = OsOpenForReading(path);
    const int64_t got = file ? OsRead(file, head.data(), head.size()) : -1;
    if (file) OsCloseFile(file);
    std::string scratch;
    if (got < static_cast<int64_t>(room) || !OsNewScratchFile(scratch)) return;
    head.resize(static_cast<size_t>(got));
    file = OsOpenForWriting(scratch.c_str());
    const bool prepared = file && OsWriteExact(file, head.data(), head.size());
    if (file) OsCloseFile(file);
    std::vector<char> bytes;
    if (prepared) WriteCutTagTo(scratch.c_str(), texts);
    const bool read = prepared && OsReadExistingFile(scratch.c_str(), bytes);
    OsDeleteFile(scratch.c_str());
    if (!read || bytes.size() < head.size() ||
        Id3v2TagSize(reinterpret_cast<const uint8_t*>(bytes.data())) != static_cast<int64_t>(room))
        return;
    file = OsOpenForWriting(path);
    if (!file) return;
    if (OsWriteExact(file, bytes.data(), room) && OsSeek(file, 0, SEEK_END) >= 0)
        OsWriteExact(file, bytes.data() + head.size(), bytes.size() - head.size());
    OsCloseFile(file);
}

}  // namespace

void WriteCutTag(const OsPath& path, const TagTexts& texts)
{
    if (path.wide) {
        WriteCutTagThroughScratch(path, texts);
        return;
    }
    WriteCutTagTo(path.ansi, texts);
}
