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
class OsFileReader final : public ID3_Reader {
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

// The ID3v1 tag: "TAG", title, artist and album of 30 bytes each, then year,
// comment, track and genre.
constexpr size_t kId3v1Bytes = 128;
constexpr size_t kId3v1TextBytes = 30;
// APEv2's header and footer.
constexpr size_t kApeFooterBytes = 32;
constexpr uint32_t kApeHasHeader = 0x80000000u;
// The cut's tags at the end are read back from the last MiB of the new file.
constexpr size_t kMaxBackBytes = size_t(1) << 20;

// The frame ids of a version: artist, album, title and length.
struct CutFrameIds {
    const char* ids[4];
};
constexpr CutFrameIds kCutIdsV2 = {{"TP1", "TAL", "TT2", "TLE"}};
constexpr CutFrameIds kCutIdsV3 = {{"TPE1", "TALB", "TIT2", "TLEN"}};
constexpr size_t kLengthFrame = 3;

// Frames tied to the old audio: its length and size, and what points into it
// by time or by byte (v2.2 ids of three characters, v2.3 and v2.4 of four).
bool TiedToOldAudio(const std::string& id)
{
    static const char* const kIds[] = {"TLE", "TSI", "SLT", "STC", "ETC", "MLL",  "TLEN", "TSIZ", "SYLT", "SYTC",
                                       "ETCO", "MLLT", "SEEK", "ASPI", "POSS", "CHAP", "CTOC"};
    for (const char* tied : kIds)
        if (id == tied) return true;
    return false;
}

// Frame flags: "discard this frame when the audio is altered".
bool DiscardedWithNewAudio(int major, const Id3v2Frame& frame)
{
    return frame.abFlags[0] & (major == 4 ? 0x20 : major == 3 ? 0x40 : 0);
}

// Whether the bytes the flags of a compressed or encrypted frame add are
// there (its content cannot be checked without expanding it): v2.3 a size,
// a method and a group, v2.4 a group, a method and the size compression
// needs; v2.2's compressed meta frame a method and a size.
bool PackedFits(int major, const Id3v2Frame& frame)
{
    const uint8_t f = frame.abFlags[1];
    size_t bytes = 5;
    if (major == 3) bytes = (f & 0x80 ? 4 : 0) + (f & 0x40 ? 1 : 0) + (f & 0x20 ? 1 : 0);
    if (major == 4) {
        if ((f & 0x08) && !(f & 0x01)) return false;
        bytes = (f & 0x40 ? 1 : 0) + (f & 0x04 ? 1 : 0) + (f & 0x01 ? 4 : 0);
    }
    return frame.data.size() > bytes;
}

// A frame id is capital letters and digits.
bool ValidFrameId(const std::string& id)
{
    for (const char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

// The content of a text frame holding text: ISO-8859-1 bytes as they are, or
// the Unicode original as UTF-16 with a little-endian byte-order mark.
std::vector<uint8_t> TextContent(const TagText& text)
{
    std::vector<uint8_t> content;
    if (text.wide.empty()) {
        content.push_back(0);
        content.insert(content.end(), text.text.begin(), text.text.end());
        return content;
    }
    content = {1, 0xFF, 0xFE};
    for (const char16_t unit : text.wide) {
        content.push_back(static_cast<uint8_t>(unit & 0xFF));
        content.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return content;
}

// Whether a frame of the tag reads as text (its first value).
bool ReadsAs(const Id3v2Frames& tag, const Id3v2Frame& frame, const TagText& text)
{
    std::vector<uint8_t> content;
    if (!Id3v2FrameContent(tag, frame, content)) return false;
    const Id3Text read = DecodeId3v2Text(content.data(), content.size());
    return read.bFound && (text.wide.empty() ? !read.bUnicode && read.ansi == text.text : read.wide == text.wide);
}

void AppendFrame(std::vector<uint8_t>& tag, int major, const Id3v2Frame& frame)
{
    const size_t size = frame.data.size();
    tag.insert(tag.end(), frame.id.begin(), frame.id.end());
    uint8_t header[6];
    if (major == 2) {
        WriteBe(header, 3, static_cast<uint32_t>(size));
        tag.insert(tag.end(), header, header + 3);
    } else {
        if (major == 4)
            WriteSyncsafe(header, static_cast<uint32_t>(size));
        else
            WriteBe(header, 4, static_cast<uint32_t>(size));
        memcpy(header + 4, frame.abFlags, 2);
        tag.insert(tag.end(), header, header + 6);
    }
    tag.insert(tag.end(), frame.data.begin(), frame.data.end());
}

// The leading ID3v2 tag of the new file, from the first tag of the source's
// leading bytes; what is left out is added to dropped.
std::vector<uint8_t> CutId3v2(const std::vector<uint8_t>& leading, const TagTexts& texts, int64_t lengthMs,
                              std::vector<std::string>& dropped)
{
    Id3v2Frames source = ReadId3v2Frames(leading.data(), leading.size());
    if (source.nMajor != 0 && !source.bReadable) dropped.push_back("ID3v2(损坏)");
    if (!source.bReadable) {
        source = Id3v2Frames();
        source.nMajor = 3;
        source.bSizesFit = true;
    }
    const int major = source.nMajor;
    const CutFrameIds& ids = major == 2 ? kCutIdsV2 : kCutIdsV3;

    // The frames: the source's, each of the three texts in place of the first
    // frame of its id (or in front, in their order), the length anew.
    std::vector<Id3v2Frame> frames;
    bool placed[4] = {};
    const auto made = [&](size_t k) {
        Id3v2Frame frame;
        frame.id = ids.ids[k];
        if (k == kLengthFrame) {
            const std::string ms = std::to_string(lengthMs);
            frame.data.push_back(0);
            frame.data.insert(frame.data.end(), ms.begin(), ms.end());
        } else {
            frame.data = TextContent(texts.texts[k]);
        }
        placed[k] = true;
        return frame;
    };
    for (size_t k = 0; k < 3; ++k) {
        bool found = false;
        for (const Id3v2Frame& frame : source.frames) found = found || frame.id == ids.ids[k];
        if (!found) frames.push_back(made(k));
    }
    for (Id3v2Frame& frame : source.frames) {
        std::vector<uint8_t> content;
        const bool packed = Id3v2FramePacked(major, frame);
        if (frame.id.size() != (major == 2 ? 3u : 4u) || !ValidFrameId(frame.id) ||
            !(packed ? PackedFits(major, frame) : Id3v2FrameContent(source, frame, content))) {
            dropped.push_back(frame.id + "(损坏)");
            continue;
        }
        size_t k = 0;
        while (k < 4 && frame.id != ids.ids[k]) ++k;
        if (k < 3 && !placed[k]) {
            frames.push_back(ReadsAs(source, frame, texts.texts[k]) ? frame : made(k));
            placed[k] = true;
        } else if (k == kLengthFrame && !placed[k]) {
            frames.push_back(made(k));
        } else if (k < 3) {
            frames.push_back(frame);  // a second frame of the id, as it stands
        } else if (TiedToOldAudio(frame.id) || DiscardedWithNewAudio(major, frame)) {
            if (k != kLengthFrame) dropped.push_back(frame.id);
        } else {
            // Every frame of a tag unsynchronised as a whole is, frame by frame.
            if (source.bUnsync) frame.abFlags[1] |= 0x02;
            frames.push_back(frame);
        }
    }
    // What a split adds (track, year, genre) stands in place of the source's own.
    static const char* const kExtraIds[3][3] = {
        {"TRK", "TYE", "TCO"}, {"TRCK", "TYER", "TCON"}, {"TRCK", "TDRC", "TCON"}};  // v2.2, v2.3, v2.4
    for (size_t k = 0; k < 3; ++k) {
        if (!texts.extras[k].bPresent) continue;
        const std::string id = kExtraIds[major == 2 ? 0 : major == 3 ? 1 : 2][k];
        frames.erase(std::remove_if(frames.begin(), frames.end(), [&](const Id3v2Frame& f) { return f.id == id; }),
                     frames.end());
        Id3v2Frame frame;
        frame.id = id;
        frame.data = TextContent(texts.extras[k]);
        frames.push_back(frame);
    }
    if (!source.bSizesFit) dropped.push_back("ID3v2(损坏)");
    // Only the first of several tags in front comes along.
    if (source.nTagBytes > 0 && static_cast<size_t>(source.nTagBytes) < leading.size()) dropped.push_back("ID3v2");

    std::vector<uint8_t> tag = {'I', 'D', '3', static_cast<uint8_t>(major), 0, 0, 0, 0, 0, 0};
    for (const Id3v2Frame& frame : frames) AppendFrame(tag, major, frame);
    // Padding to a whole KB, so that a tag editor has room to change it in place.
    constexpr size_t kRoundBytes = 1024;
    tag.resize((tag.size() + kRoundBytes - 1) / kRoundBytes * kRoundBytes, 0);
    WriteSyncsafe(tag.data() + 6, static_cast<uint32_t>(tag.size() - kId3v2HeaderSize));
    return tag;
}

// The ID3v1 tag of the new file: the three texts in code page 936, the rest
// from the source's (v1) when it has one.
std::vector<uint8_t> CutId3v1(const uint8_t* source, const TagTexts& texts)
{
    std::vector<uint8_t> tag(kId3v1Bytes, 0);
    memcpy(tag.data(), "TAG", 3);
    if (source) memcpy(tag.data() + 93, source + 93, kId3v1Bytes - 93);
    else tag.back() = 0xFF;  // no genre
    const size_t from[3] = {2, 0, 1};  // title, artist, album of the texts (artist, album, title)
    for (size_t slot = 0; slot < 3; ++slot) {
        const std::string& text = texts.texts[from[slot]].text;
        memcpy(tag.data() + 3 + slot * kId3v1TextBytes, text.data(), std::min(text.size(), kId3v1TextBytes));
    }
    return tag;
}

// The source's tags at its end, read from its last MiB: the ID3v1 tag (or
// null) and the APEv2 tag (empty when none); Lyrics3 tags are left out.
void ReadTrailingTags(const OsPath& path, int64_t audioStart, std::vector<uint8_t>& tail, const uint8_t*& id3v1,
                      std::vector<uint8_t>& ape, std::vector<std::string>& dropped)
{
    id3v1 = nullptr;
    OsFile file = OsOpenForReading(path);
    if (!file) return;
    const int64_t size = OsFileSize(file);
    const int64_t from = std::max<int64_t>(audioStart, size - static_cast<int64_t>(kMaxBackBytes));
    tail.resize(static_cast<size_t>(std::max<int64_t>(0, size - from)));
    const bool read = OsSeek(file, from, SEEK_SET) == from && OsReadExact(file, tail.data(), tail.size());
    OsCloseFile(file);
    if (!read) tail.clear();
    size_t end = tail.size();
    if (end >= kId3v1Bytes && memcmp(&tail[end - kId3v1Bytes], "TAG", 3) == 0) {
        end -= kId3v1Bytes;
        id3v1 = &tail[end];
    }
    for (size_t before = 0; before != end;) {
        before = end;
        const uint8_t* at = tail.data() + end;
        if (end >= kApeFooterBytes && memcmp(at - kApeFooterBytes, "APETAGEX", 8) == 0) {
            const uint8_t* footer = at - kApeFooterBytes;
            const uint64_t bytes = uint64_t(ReadLe32(footer + 12)) + (ReadLe32(footer + 20) & kApeHasHeader ? 32 : 0);
            if (bytes < kApeFooterBytes || bytes > end) {
                // One that begins before the bytes read is too large to carry.
                dropped.push_back(bytes > end && from > audioStart ? "APEv2" : "APEv2(损坏)");
                break;
            }
            end -= static_cast<size_t>(bytes);
            if (ape.empty()) ape.assign(tail.begin() + long(end), tail.begin() + long(end + bytes));
        } else if (end >= 15 && memcmp(at - 9, "LYRICS200", 9) == 0) {
            // Its size: six digits before the mark, counting from "LYRICSBEGIN" to them.
            const std::string digits(at - 15, at - 9);
            const bool number = digits.find_first_not_of("0123456789") == std::string::npos;
            const uint64_t bytes = number ? std::stoull(digits) + 15 : 0;
            if (bytes < 15 + 11 || bytes > end || memcmp(at - bytes, "LYRICSBEGIN", 11) != 0) break;
            end -= static_cast<size_t>(bytes);
            dropped.push_back("Lyrics3");
        }
    }
}

}  // namespace

CutSourceTags ReadCutSourceTags(const OsPath& path)
{
    CutSourceTags source;
    source.leading = ReadLeadingTags(path);
    std::vector<uint8_t> tail;
    const uint8_t* id3v1 = nullptr;
    ReadTrailingTags(path, static_cast<int64_t>(source.leading.size()), tail, id3v1, source.ape, source.dropped);
    if (id3v1) source.id3v1.assign(id3v1, id3v1 + kId3v1Bytes);
    return source;
}

CutTags MakeCutTags(const CutSourceTags& source, const TagTexts& texts, int64_t lengthMs)
{
    CutTags tags;
    std::vector<std::string> dropped;
    tags.front = CutId3v2(source.leading, texts, lengthMs, dropped);
    dropped.insert(dropped.end(), source.dropped.begin(), source.dropped.end());
    tags.back = source.ape;
    const std::vector<uint8_t> v1 = CutId3v1(source.id3v1.empty() ? nullptr : source.id3v1.data(), texts);
    tags.back.insert(tags.back.end(), v1.begin(), v1.end());
    for (const std::string& part : dropped) tags.dropped += (tags.dropped.empty() ? "" : " ") + part;
    return tags;
}

CutTags MakeCutTags(const OsPath& path, const TagTexts& texts, int64_t lengthMs)
{
    return MakeCutTags(ReadCutSourceTags(path), texts, lengthMs);
}
