// A file held open for reading over a longer time (the audio library keeps
// the file of a stream open while the stream exists). Part of the OS seam:
// os_reader_win32.cpp opens it with CreateFileA, so the path is an ANSI path
// in the program's code page (936); os_reader_posix.cpp with open().
//
// Offsets are 64-bit on both platforms.
#pragma once

#include <cstddef>
#include <cstdint>

struct OsReader;

// Opens an existing file for reading. Others may go on reading it (and
// renaming or deleting it on Windows) but not writing it while it is open.
// Returns nullptr when it cannot be opened; the caller owns the result and
// releases it with OsReaderClose.
OsReader* OsReaderOpen(const char* path);
// Reads up to bytes into out. Returns the count read (0 at the end of the
// file) or -1 on a read error.
int64_t OsReaderRead(OsReader* reader, void* out, size_t bytes);
// Moves the read position like lseek (whence: SEEK_SET, SEEK_CUR, SEEK_END).
// Returns the new position, or -1 when the position would be negative or the
// platform refuses.
int64_t OsReaderSeek(OsReader* reader, int64_t offset, int whence);
// Closes the file; nullptr is allowed and ignored.
void OsReaderClose(OsReader* reader);
