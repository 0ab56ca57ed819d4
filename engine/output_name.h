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
    std::string title;               // the source's file name, or the name to give
    std::u16string titleOriginal;    // the name's original, when it is not the source's
    int nFromNumber = 0;             // numbered names below this one are not tried (a run's parts before took them)
};

// A new file: written under a name of its own that is no ".mp3" (its
// temporary name, temp), open for writing (the caller closes it), and given
// its final name, path, only once it is complete (MP3CommitNewFile); each path
// with its UTF-16 original (empty when code page 936 holds it). number is the
// numbered name path is (0: the first candidate).
struct NewFile {
    OsFile file = nullptr;
    std::string path;
    std::u16string original;
    std::string temp;
    std::u16string tempOriginal;
    int number = 0;
    std::string first;  // the first candidate, which the numbered names count from
    std::u16string firstOriginal;
    // The paths as the file functions take them.
    OsPath Path() const { return OsPath(path, original); }
    OsPath TempPath() const { return OsPath(temp, tempOriginal); }
};

// What a file left behind by a cut that did not end carries after its name.
extern const char kPartialSuffix[];

// Finds the name of the new file of a cut and creates the file under its
// temporary name (that name followed by ".partial", or by ".N.partial" when
// such a leftover is there). The first candidate is the source itself with
// bBesideSource, otherwise the folder followed by the title; when a file or
// folder has that name, the numbered names in turn, each handed to tried
// before it is tried. Leftovers (".partial") take no name. On Created, made
// holds the file; otherwise its file is null and, on Failed, *reason is the
// system's code of the creation that failed (OsLastError), 0 when no name
// fitted (64 KB) or was free.
OutputFile MP3CreateNewFile(const OutputRule& rule, NewFile& made, uint32_t* reason,
                            const std::function<void(const std::string&)>& tried);

// Walks the names MP3CreateNewFile would try, up to the first free one, and
// stops at the first whose file matches: made then names it (path, original
// and number; no file open). False when none does.
bool MP3FindNamedFile(const OutputRule& rule, NewFile& made, const std::function<bool(const OsPath& path)>& matches);

// Gives the new file (closed, complete) its final name: on the disk first
// (flushed), then by a rename that never replaces a file; where a file took
// the name meanwhile, the next free numbered name (each handed to tried).
// Created when made.path names it now; otherwise Failed (with *reason; the
// file keeps its temporary name for the caller to delete) or NotMp3.
OutputFile MP3CommitNewFile(NewFile& made, uint32_t* reason, const std::function<void(const std::string&)>& tried);

// The rule of g_state: bFolder, szOutputFolder (given a trailing separator,
// kept in szOutputFolder), szSourcePath and szFileTitle, with their
// originals. False when the output folder cannot take its separator.
bool StateOutputRule(OutputRule& rule);
