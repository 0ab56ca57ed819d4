// Windows side of the long-lived file reader.
#include "os_reader.h"

#include <windows.h>

#include <cstdio>

struct OsReader {
    HANDLE hFile;
};

OsReader* OsReaderOpen(const char* path)
{
    if (!path) return nullptr;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return new OsReader{h};
}

int64_t OsReaderRead(OsReader* reader, void* out, size_t bytes)
{
    // ReadFile takes a 32-bit count; callers read in small blocks anyway.
    DWORD want = bytes > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes);
    DWORD got = 0;
    if (!ReadFile(reader->hFile, out, want, &got, nullptr)) return -1;
    return got;
}

int64_t OsReaderSeek(OsReader* reader, int64_t offset, int whence)
{
    DWORD method = whence == SEEK_CUR ? FILE_CURRENT : whence == SEEK_END ? FILE_END : FILE_BEGIN;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER result;
    if (!SetFilePointerEx(reader->hFile, distance, &result, method)) return -1;
    return result.QuadPart;
}

void OsReaderClose(OsReader* reader)
{
    if (!reader) return;
    CloseHandle(reader->hFile);
    delete reader;
}
