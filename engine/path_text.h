// Small operations on ANSI path texts (code page 936 by design; the
// platform's ANSI code page decides which bytes start a double-byte
// character). A byte 0x5C that is the second half of a double-byte
// character (GBK has many, e.g. "乗" = 81 5C) is never a separator.
#pragma once

// The last occurrence of separator in path as a character (not as the trail
// byte of a double-byte character), or null.
const char* FindLastSeparator(const char* path, char separator);

// Ends path at its last backslash: that backslash becomes the terminating
// zero, so "C:\\a\\b.exe" becomes "C:\\a". Returns false and leaves path
// unchanged when it holds no backslash.
bool CutAtLastBackslash(char* path);

// Whether the last character of path is the platform's folder separator.
bool EndsWithSeparator(const char* path);
