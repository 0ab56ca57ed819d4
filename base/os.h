// The thin seam between the portable code (log, settings, engine, audio
// decoder) and the operating system. os_win32.cpp implements it with the
// Win32 calls the program makes; os_posix.cpp gives the same behaviour on Linux for the
// native unit tests, fuzzers and benchmarks.
//
// All paths and texts are ANSI strings in code page 936 (on Linux: bytes);
// files are named by OsPath, which carries the UTF-16 original of a path
// that code page cannot hold (on Linux: named in UTF-8).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Hands a text to the debugger output (OutputDebugStringA); dropped on Linux
// unless ZDV_DEBUG_OUTPUT is set, in which case it goes to stderr.
void OsDebugOutput(const char* text);

// Formats with the platform's wsprintf rules (%s %d %u %x %c with flags and
// widths, no floating point) into out, which holds cap bytes; the result is
// cut at cap - 1 bytes and always terminated. Returns its length.
int OsFormatV(char* out, size_t cap, const char* format, va_list args);
inline int OsFormat(char* out, size_t cap, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = OsFormatV(out, cap, format, args);
    va_end(args);
    return n;
}

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

// A path as the file functions take it: its code-page-936 text and, where
// that text lost characters (they read '?' in it), the UTF-16 original,
// which then is the one that names the file.
struct OsPath {
    OsPath(const char* text) : ansi(text) {}
    OsPath(const char* text, const char16_t* original) : ansi(text), wide(original) {}
    // A path held as strings, its original empty where there is none.
    OsPath(const std::string& text, const std::u16string& original)
        : ansi(text.c_str()), wide(original.empty() ? nullptr : original.c_str())
    {
    }
    const char* ansi;
    const char16_t* wide = nullptr;
};

// Why the last failed call of the seam on this thread failed, as the system
// numbers it (GetLastError; on Linux errno); 0 when it gave no reason.
uint32_t OsLastError();
// The system's own words for an error code, in code page 936, without the
// line break at their end; empty when the system has none.
std::string OsErrorText(uint32_t code);

// Deletes a file; false when it could not be deleted.
bool OsDeleteFile(const OsPath& path);
// Creates an empty scratch file of a name of its own in the system's folder
// for temporary files, a path code page 936 holds; false when it cannot.
bool OsNewScratchFile(std::string& path);

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

// Files read and written through the seam: the MP3 engine's sources and new
// files, and the audio library's streams.

// The separator of folders in a path.
#ifdef _WIN32
constexpr char kOsPathSeparator = '\\';
#else
constexpr char kOsPathSeparator = '/';
#endif

struct OsFileTag;
// An open file; null means none.
using OsFile = OsFileTag*;

// Opens an existing file for reading only. Other programs may read, write,
// rename and delete it meanwhile (the audio library keeps the source open),
// and a read-only file opens like any other. Null when it cannot be opened
// (missing, a folder, no rights, a null path).
OsFile OsOpenForReading(const OsPath& path);
// Opens an existing file for writing from its start, with read sharing. Null
// when it cannot be opened.
OsFile OsOpenForWriting(const OsPath& path);
// The size of an open file in bytes; -1 when it cannot be taken.
int64_t OsFileSize(OsFile file);
// Moves the position of an open file as lseek does: offset bytes from the
// start (whence SEEK_SET), the current position (SEEK_CUR) or the end
// (SEEK_END). Returns the new position, or -1 when the position would be
// negative or the system refuses.
int64_t OsSeek(OsFile file, int64_t offset, int whence);
// Reads up to the given number of bytes from the current position. Returns
// the count read (0 at the end of the file) or -1 on a read error.
int64_t OsRead(OsFile file, void* buffer, size_t bytes);
// Reads exactly the given number of bytes from the current position. False
// on any error or when the file ends first.
inline bool OsReadExact(OsFile file, void* buffer, size_t bytes)
{
    char* at = static_cast<char*>(buffer);
    while (bytes > 0) {
        const int64_t got = OsRead(file, at, bytes);
        if (got <= 0) return false;
        at += got;
        bytes -= static_cast<size_t>(got);
    }
    return true;
}
// Writes all the bytes at the current position. False on any error (disk
// full, device gone).
bool OsWriteExact(OsFile file, const void* buffer, size_t bytes);
// Closes an open file. False when the system reports an error while closing
// (data that could not be written after all). The file is closed either way.
bool OsCloseFile(OsFile file);

// What an exclusive creation found.
enum class CreateNewResult {
    Created,  // the file did not exist and now exists, empty
    Exists,   // a file or folder of that name exists
    Failed,   // any other reason (missing folder, no rights, bad name)
};
// Creates a file exclusively (CREATE_NEW, FILE_SHARE_READ) and hands it out
// open for writing in *file (the caller closes it). *file is null unless the
// result is Created.
CreateNewResult OsCreateNewFileForWriting(const OsPath& path, OsFile* file);
// Creates a file exclusively, as OsCreateNewFileForWriting does, and closes it.
inline CreateNewResult OsCreateNewFile(const OsPath& path)
{
    OsFile file = nullptr;
    const CreateNewResult result = OsCreateNewFileForWriting(path, &file);
    if (file) OsCloseFile(file);
    return result;
}

// True when a file or folder of that name exists.
bool OsPathExists(const OsPath& path);
// Renames a closed file, never replacing one: Created when from now has the
// name to, Exists when a file or folder of that name is there (nothing
// moved), Failed for any other reason (OsLastError tells).
CreateNewResult OsRenameNoReplace(const OsPath& from, const OsPath& to);
// Has the system put the file's bytes on the disk (fsync, FlushFileBuffers);
// false when the file cannot be opened or the system refuses.
bool OsFlushToDisk(const OsPath& path);
// Starts writing the bytes [offset, offset + length) of a file open for
// writing to the disk, without waiting, so that a flush later has less to
// wait for. Where the system has no such call, nothing.
void OsStartWriteBack(OsFile file, int64_t offset, int64_t length);

// A block of memory for a whole file's bytes, not cleared; null when it
// cannot be had. Large blocks come in large pages where the system gives them
// on request (Linux), which spares most of the cost of touching them first.
void* OsAllocBuffer(size_t bytes);
// Releases a block of OsAllocBuffer (null: nothing).
void OsFreeBuffer(void* block);

// Converts UTF-16 text (native byte order, units code units, no terminator
// needed) to the program's ANSI code page 936. Characters that code page
// lacks, and unpaired surrogates, become '?'.
std::string OsUtf16ToAnsi(const char16_t* text, size_t units);
// Converts UTF-16 text to UTF-8 (an unpaired surrogate is not converted).
std::string OsUtf16ToUtf8(const std::u16string& text);
// Converts text in the program's ANSI code page 936 to UTF-16.
std::u16string OsAnsiToUtf16(const char* text);
