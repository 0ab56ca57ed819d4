// The name of a new file: the first candidate, then the numbered names
// (path_text.h), and its exclusive creation, so that no existing file is
// ever overwritten.
#pragma once

#include "os.h"

#include <cstdint>
#include <functional>
#include <string>

// The most numbered names tried for one cut ("song(1).mp3" .. "song(9999).mp3").
constexpr int kMaxNumberedNames = 9999;

enum class OutputFile {
    Created,  // the file exists now, empty, open for writing
    NotMp3,   // the first candidate is taken and does not end in ".mp3"
    Failed,   // a candidate could not be created for a reason other than
              // being taken, or no name was free
};

// Where a new file goes and what it is named after. Each path in code page
// 936, with its UTF-16 original where that code page cannot hold it (else
// the original is empty).
struct OutputRule {
    bool bBesideSource = false;      // beside the source, not in folder
    std::string folder;              // the output folder, ending in a separator
    std::u16string folderOriginal;
    std::string source;              // the source's path
    std::u16string sourceOriginal;
    std::string title;               // the source's file name
};

// A new file: open for writing (the caller closes it), its path and the
// path's UTF-16 original (empty when code page 936 holds it).
struct NewFile {
    OsFile file = nullptr;
    std::string path;
    std::u16string original;
    // The path as the file functions take it.
    OsPath Path() const { return OsPath(path, original); }
};

// Finds and creates the new file of a cut: the first candidate is the source
// itself with bBesideSource, otherwise the folder followed by the title;
// when that is taken, the numbered names in turn, each handed to tried
// before it is tried. On Created, made holds the file; otherwise its file is
// null and, on Failed, *reason is the system's code of the creation that
// failed (OsLastError), 0 when no name fitted (64 KB) or was free.
OutputFile MP3CreateNewFile(const OutputRule& rule, NewFile& made, uint32_t* reason,
                            const std::function<void(const std::string&)>& tried);

// The rule of g_state: bFolder, szOutputFolder (given a trailing separator,
// kept in szOutputFolder), szSourcePath and szFileTitle, with their
// originals. False when the output folder cannot take its separator.
bool StateOutputRule(OutputRule& rule);
