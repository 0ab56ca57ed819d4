// The name of a new file: the first candidate, then the numbered names
// (path_text.h), and its exclusive creation, so that no existing file is
// ever overwritten.
#pragma once

#include "os.h"

#include <string>

// The most numbered names tried for one cut ("song(1).mp3" .. "song(9999).mp3").
constexpr int kMaxNumberedNames = 9999;

enum class OutputFile {
    Created,  // the file exists now, empty, open for writing
    NotMp3,   // the first candidate is taken and does not end in ".mp3"
    Failed,   // a candidate could not be created for a reason other than
              // being taken, or no name was free
};

// Finds and creates the new file of a cut from g_state: the first candidate
// is szSourcePath when bFolder is set, otherwise szOutputFolder (given a
// trailing separator, kept in szOutputFolder) followed by szFileTitle; when
// that is taken, the numbered names in turn, each logged as "(?) 文件: %s".
// On Created the chosen name is in szScratch, with its UTF-16 original in
// original where code page 936 cannot hold it (else original is empty), and
// *file is open for writing (the caller closes it); otherwise *file is null.
// On Failed, *reason is the system's code of the creation that failed
// (OsLastError), 0 when no name fitted or was free.
OutputFile CreateOutputFile(OsFile* file, uint32_t* reason, std::u16string& original);
