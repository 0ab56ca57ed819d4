// Operations on ANSI path texts (code page 936 by design; the platform's ANSI
// code page decides which bytes start a double-byte character). A byte 0x5C
// that is the second half of a double-byte character (GBK has many, e.g.
// "乗" = 81 5C) is never a separator. Nothing here touches a file.
#pragma once

#include <cstddef>
#include <string>

// The last occurrence of separator in path as a character (not as the trail
// byte of a double-byte character), or null.
const char* FindLastSeparator(const char* path, char separator);

// Ends path at its last backslash: that backslash becomes the terminating
// zero, so "C:\\a\\b.exe" becomes "C:\\a". Returns false and leaves path
// unchanged when it holds no backslash.
bool CutAtLastBackslash(char* path);

// Ends path (an ANSI path in code page 936) at its last backslash, which
// goes, so that "C:\\music\\song.mp3" becomes "C:\\music". A file at a drive's
// root keeps the backslash: "C:\\song.mp3" becomes "C:\\", because "C:" alone
// would name the drive's current folder. Returns false and leaves path
// unchanged when it holds no backslash.
bool CutToFolder(char* path);

// Whether the last character of path is the platform's folder separator.
bool EndsWithSeparator(const char* path);

// Gives a folder path (in a buffer of cap bytes) one trailing separator of
// the platform when it does not end with one. False, path unchanged, when
// the buffer has no room for it.
bool AppendSeparator(char* path, size_t cap);

// The rules of the names of new files.

// Whether the name ends in ".mp3", the two letters in either case.
bool HasMp3Extension(const std::string& name);

// The numbered form of a candidate that ends in ".mp3": its text without
// the last four characters, "(", the number in decimal, ")" and ".mp3" in
// lower case. Every other character (a per-cent sign too) stays as it is.
std::string NumberedName(const std::string& candidate, int number);

// The web browser's program within the command that the registry gives for
// web addresses (the default value of HKEY_CLASSES_ROOT\http\shell\open\command),
// for example "C:\Program Files\Browser\browser.exe" -osint -url "%1".
// Cuts command in place right after the last ".exe" or ".EXE" in it (only
// these two letter cases count) and returns where the program's path begins:
// after a leading double quote, else at the first byte. Whatever followed the
// name (closing quote, switches, the placeholder of the address) is dropped.
// Returns null, leaving command unchanged, when it holds no such name (also
// when it is shorter than the four bytes of one). The returned text lies
// inside command; nothing is allocated.
char* BrowserPathInCommand(char* command);
