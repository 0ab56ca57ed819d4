// The thin seam between the portable code (log, settings, engine) and the
// operating system. os_win32.cpp implements it with the Win32 calls the
// program makes; os_posix.cpp gives the same behaviour on Linux for the
// native unit tests, fuzzers and benchmarks.
//
// All paths and texts are ANSI strings in code page 936 (on Linux: bytes).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <vector>

// Hands a text to the debugger output (OutputDebugStringA); dropped on Linux
// unless ZDV_DEBUG_OUTPUT is set, in which case it goes to stderr.
void OsDebugOutput(const char* text);

// Formats with the platform's wsprintf rules (%s %d %u %x %c with flags and
// widths, no floating point) into out, which holds cap bytes; the result is
// cut at cap - 1 bytes and always terminated. Returns its length.
int OsFormatV(char* out, size_t cap, const char* format, va_list args);
int OsFormat(char* out, size_t cap, const char* format, ...);

// Zero-filled memory from the process heap; never released by the program.
void* OsHeapAllocZeroed(size_t bytes);
// The process heap handle as a number (for the start-up log line).
void* OsProcessHeap();

// Creates the file, or empties it when it exists, with read sharing, and
// closes it at once. False when it cannot be created.
bool OsCreateEmptyFile(const char* path);
// Reads the whole of an existing file (opened with read sharing). False when
// it does not exist or cannot be read.
bool OsReadExistingFile(const char* path, std::vector<char>& data);
// Opens an existing file for writing (read sharing) and writes the bytes from
// offset 0, leaving anything beyond them. False on any failure.
bool OsWriteExistingFile(const char* path, const char* data, size_t size);

enum class CreateNewResult {
    Created,  // the file did not exist and now exists, empty
    Exists,   // a file or folder of that name exists
    Failed,   // any other reason (missing folder, no rights, bad name)
};
// Creates a file exclusively (CREATE_NEW, FILE_SHARE_READ) and closes it.
CreateNewResult OsCreateNewFile(const char* path);
// Deletes a file; false when it could not be deleted.
bool OsDeleteFile(const char* path);

// Private-profile settings (GetPrivateProfileIntA and friends).
int OsProfileGetInt(const char* section, const char* key, int fallback, const char* iniPath);
// Copies the value into out (cap bytes including the terminator; longer
// values are cut at cap - 1 bytes); empty when missing.
void OsProfileGetString(const char* section, const char* key, char* out, size_t cap, const char* iniPath);
// Writes the value, creating the file, the section or the key when missing.
bool OsProfilePutString(const char* section, const char* key, const char* value, const char* iniPath);

// True when c starts a double-byte character in the ANSI code page
// (IsDBCSLeadByte); on Linux the program's code page 936 (GBK: 0x81-0xFE).
bool OsIsDbcsLeadByte(unsigned char c);

// The current user's music folder, created when missing (CSIDL_MYMUSIC);
// false and out untouched when it cannot be found.
bool OsMusicFolder(char* out, size_t cap);
