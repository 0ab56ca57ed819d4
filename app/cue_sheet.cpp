#include "cue_sheet.h"

#include "os.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool IsUtf8(const std::string& text)
{
    for (size_t k = 0; k < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        const size_t tail = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
        if (tail == 9 || (tail && c < 0xC2) || k + tail >= text.size() + (tail ? 0 : 1)) return false;
        for (size_t n = 1; n <= tail; ++n)
            if ((static_cast<unsigned char>(text[k + n]) >> 6) != 2) return false;
        k += tail + 1;
    }
    return true;
}

// The words of a line: bare words, or quoted texts (without their quotes).
// False for a quote that is not closed.
bool SplitWords(const std::string& line, std::vector<std::string>& words)
{
    words.clear();
    for (size_t k = 0; k < line.size();) {
        if (line[k] == ' ' || line[k] == '\t') {
            ++k;
        } else if (line[k] == '"') {
            const size_t end = line.find('"', k + 1);
            if (end == std::string::npos) return false;
            words.push_back(line.substr(k + 1, end - k - 1));
            k = end + 1;
        } else {
            const size_t end = line.find_first_of(" \t", k);
            words.push_back(line.substr(k, end == std::string::npos ? std::string::npos : end - k));
            k = end == std::string::npos ? line.size() : end;
        }
    }
    return true;
}

// A whole number of up to 9 digits.
bool Number(const std::string& text, long& value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return true;
}

// mm:ss:ff in CD frames; the minutes may run past 99, and a sheet made by
// hand may write a field with one digit.
bool CueTime(const std::string& text, int64_t& frames)
{
    const size_t a = text.find(':'), b = text.rfind(':');
    long m = 0, s = 0, f = 0;
    if (a == std::string::npos || a == b || !Number(text.substr(0, a), m) || !Number(text.substr(a + 1, b - a - 1), s) ||
        !Number(text.substr(b + 1), f) || s >= 60 || f >= 75 || b - a > 3 || text.size() - b > 3)
        return false;
    frames = (static_cast<int64_t>(m) * 60 + s) * 75 + f;
    return true;
}

// Where the text of a line after its first count words begins.
size_t AfterWords(const std::string& line, int count)
{
    size_t at = 0;
    for (int k = 0; k < count && at < line.size(); ++k) {
        at = std::min(line.size(), line.find_first_not_of(" \t", at));
        at = std::min(line.size(), line.find_first_of(" \t", at));
    }
    return std::min(line.size(), line.find_first_not_of(" \t", at));
}

// The text of a line after its first count words (TITLE, REM GENRE, ...):
// from its first quote to its last, the quotes within kept (a \" as a quote),
// or the rest of the line as it stands. False for a quote that is not closed.
bool TextAfter(const std::string& line, int count, std::string& text)
{
    const size_t at = AfterWords(line, count), end = line.find_last_not_of(" \t");
    text = end == std::string::npos || end < at ? std::string() : line.substr(at, end + 1 - at);
    if (text.empty() || text[0] != '"') return true;
    if (text.size() < 2 || text.back() != '"') return false;
    text = text.substr(1, text.size() - 2);
    for (size_t k = 0; (k = text.find("\\\"", k)) != std::string::npos; ++k) text.erase(k, 1);
    return true;
}

// The name of a FILE line: quoted, to its last quote; else the words before
// the type. Empty when there is none.
std::string NameOfFileLine(const std::string& line)
{
    const size_t at = AfterWords(line, 1);
    if (at < line.size() && line[at] == '"') {
        const size_t last = line.rfind('"');
        return last > at ? line.substr(at + 1, last - at - 1) : std::string();
    }
    const size_t type = line.find_last_of(" \t", line.find_last_not_of(" \t"));
    if (type == std::string::npos || type < at) return std::string();
    return line.substr(at, line.find_last_not_of(" \t", type) + 1 - at);
}

// A word that may be a command: letters, then letters, digits or '_'.
bool IsCommandWord(const std::string& word)
{
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (word.empty() || !letter(word[0])) return false;
    for (char c : word)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
    return true;
}

bool Is(const std::string& word, const char* keyword)
{
    size_t k = 0;
    for (; keyword[k]; ++k)
        if (k >= word.size() || (word[k] & ~0x20) != keyword[k]) return false;
    return k == word.size();
}

}  // namespace

std::string CueTextOf(const std::string& bytes)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) return bytes.substr(3);
    if (bytes.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        const bool little = byte(0) == 0xFF;
        std::u16string wide;
        for (size_t k = 2; k + 1 < bytes.size(); k += 2)
            wide += static_cast<char16_t>(little ? byte(k) | byte(k + 1) << 8 : byte(k) << 8 | byte(k + 1));
        return OsUtf16ToUtf8(wide);
    }
    if (IsUtf8(bytes)) return bytes;
    return OsUtf16ToUtf8(OsAnsiToUtf16(bytes.c_str()));
}

bool ParseCueSheet(const std::string& bytes, CueSheet& sheet, std::string& error)
{
    sheet = CueSheet();
    // Lines end in LF, CR LF or a CR alone.
    std::string text = CueTextOf(bytes);
    for (size_t k = 0; (k = text.find('\r', k)) != std::string::npos; ++k)
        if (k + 1 == text.size() || text[k + 1] != '\n') text[k] = '\n';
    std::vector<std::string> words;
    int number = 0;
    const auto fail = [&](const char* expected) {
        error = "line " + std::to_string(number) + ": expected " + expected;
        return false;
    };
    CueTrack* track = nullptr;
    for (size_t at = 0; at < text.size();) {
        ++number;
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Texts run to the end of the line; the other commands are words.
        std::string text;
        const bool closed = TextAfter(line, 1, text);
        if (!SplitWords(line, words) && !closed) return fail("a closing quote");
        if (words.empty()) continue;
        const std::string& key = words[0];
        const std::string value = words.size() > 1 ? words[1] : "";
        if (Is(key, "REM")) {
            std::string* field = Is(value, "DATE") ? &sheet.date : Is(value, "GENRE") ? &sheet.genre : nullptr;
            if (field && !TextAfter(line, 2, *field)) return fail("a closing quote");
        } else if (Is(key, "TITLE") || Is(key, "PERFORMER")) {
            if (!closed) return fail("a closing quote");
            std::string& field = Is(key, "TITLE") ? (track ? track->title : sheet.title)
                                                  : (track ? track->performer : sheet.performer);
            field = text;
        } else if (Is(key, "FILE")) {
            const std::string name = NameOfFileLine(line);
            if (name.empty()) return fail("FILE \"name\" TYPE");
            if (track && track->start < 0) return fail("INDEX 01 before the next FILE");
            sheet.files.push_back({name, {}});
            track = nullptr;
        } else if (Is(key, "TRACK")) {
            long n = 0;
            if (sheet.files.empty()) return fail("FILE before TRACK");
            if (words.size() != 3 || !Number(value, n) || n < 1 || n > 99) return fail("TRACK nn TYPE");
            if (track && track->start < 0) return fail("INDEX 01 before the next TRACK");
            sheet.files.back().tracks.push_back({int(n), "", "", -1, number});
            track = &sheet.files.back().tracks.back();
        } else if (Is(key, "INDEX")) {
            long n = 0;
            int64_t frames = 0;
            if (!track) return fail("TRACK before INDEX");
            if (words.size() != 3 || !Number(value, n) || !CueTime(words[2], frames)) return fail("INDEX nn mm:ss:ff");
            if (n == 1) track->start = frames;
        } else if (!IsCommandWord(key)) {
            // Other commands (CATALOG, ISRC, FLAGS, PREGAP, SONGWRITER, COMPOSER, ...) are passed over.
            return fail("a cue command (REM, TITLE, PERFORMER, FILE, TRACK, INDEX, ...)");
        }
    }
    if (track && track->start < 0) return fail("INDEX 01 of the last TRACK");
    for (const CueFile& file : sheet.files)
        if (!file.tracks.empty()) return true;
    return fail("a TRACK");
}
