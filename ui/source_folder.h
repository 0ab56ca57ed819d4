// The folder of a source file, as a text the shell can open.
#pragma once

// Ends path (an ANSI path in code page 936) at its last backslash, which
// goes, so that "C:\\music\\song.mp3" becomes "C:\\music". A file at a drive's
// root keeps the backslash: "C:\\song.mp3" becomes "C:\\", because "C:" alone
// would name the drive's current folder. Returns false and leaves path
// unchanged when it holds no backslash.
bool CutToFolder(char* path);
