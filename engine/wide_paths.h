// The paths of the state that code page 936 cannot hold: their text in that
// code page (shown in the log and stored in settings.ini) and their UTF-16
// original, which names the file.
#pragma once

#include "app_state.h"
#include "os.h"

#include <string>

// Sets a path of the state from its UTF-16 original: its code-page-936 text
// into text (a text buffer of the state, cut to fit), and into *original a
// copy of the original when the text lost characters, else null.
void SetStatePath(char* text, char16_t** original, const std::u16string& path);
// The code-page-936 text of a path, and its original where that text lost
// characters (else empty).
void SplitPath(const std::u16string& path, std::string& text, std::u16string& original);
// A folder's path ending in one separator.
std::u16string WithSeparator(std::u16string folder);
// Drops the original of a path whose text was set in code page 936.
void DropOriginal(char16_t** original);
// The UTF-16 form of a path of the state: its original, or its text.
std::u16string WideOf(const char* text, const char16_t* original);
// The file-name part of a path: all after its last separator.
std::u16string FileTitleOf(const std::u16string& path);

// The source as the file functions take it.
inline OsPath SourcePath()
{
    return OsPath(g_state.szSourcePath, g_state.wszSourcePath);
}
