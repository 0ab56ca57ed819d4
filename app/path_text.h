// Small operations on ANSI path texts (code page 936 by design; the
// platform's ANSI code page decides which bytes start a double-byte
// character).
#pragma once

// Ends path at its last backslash: that backslash becomes the terminating
// zero, so "C:\\a\\b.exe" becomes "C:\\a". A byte 0x5C that is the second
// half of a double-byte character (GBK has many, e.g. "乗" = 81 5C) is not a
// backslash. Returns false and leaves path unchanged when it holds no
// backslash.
bool CutAtLastBackslash(char* path);
