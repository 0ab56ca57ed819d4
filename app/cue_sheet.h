// Cue sheets: the track list of one audio file (or of several), in CD
// frames of 1/75 s, read from the bytes of a .cue file in whatever encoding
// it came in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One TRACK: its number, texts (UTF-8) and where its INDEX 01 lies, in CD
// frames (1/75 s) from the start of its file; line is the TRACK's line.
struct CueTrack {
    int number = 0;
    std::string title;
    std::string performer;
    int64_t start = -1;
    int line = 0;
};

// One FILE entry: the name as written and its tracks in order.
struct CueFile {
    std::string name;
    std::vector<CueTrack> tracks;
};

// The sheet's own texts (UTF-8) and its files.
struct CueSheet {
    std::string title;
    std::string performer;
    std::string date;
    std::string genre;
    std::vector<CueFile> files;
};

// The text of a sheet in UTF-8: a byte-order mark decides (UTF-8, UTF-16 LE
// or BE); without one, valid UTF-8 is taken as it is, anything else as code
// page 936.
std::string CueTextOf(const std::string& bytes);

// Reads a sheet's bytes (lines ending in LF, CR LF or CR). Commands it has no
// use for are passed over. False, with "line N: expected ..." in error, when
// a line does not parse, a track has no INDEX 01, or no track is there.
bool ParseCueSheet(const std::string& bytes, CueSheet& sheet, std::string& error);
