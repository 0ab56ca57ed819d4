// Windows side of the seam: the Win32 calls of the program itself.
#include "os.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

void OsDebugOutput(const char* text)
{
    OutputDebugStringA(text);
}

int OsFormatV(char* out, size_t cap, const char* format, va_list args)
{
    if (cap == 0) return 0;
    wvnsprintfA(out, static_cast<int>(cap), format, args);
    out[cap - 1] = '\0';
    return static_cast<int>(strlen(out));
}

int OsFormat(char* out, size_t cap, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = OsFormatV(out, cap, format, args);
    va_end(args);
    return n;
}

void* OsHeapAllocZeroed(size_t bytes)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void* OsProcessHeap()
{
    return GetProcessHeap();
}

bool OsCreateEmptyFile(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool OsReadExistingFile(const char* path, std::vector<char>& data)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(h, nullptr);
    bool ok = size != INVALID_FILE_SIZE;
    if (ok) {
        data.resize(size);
        DWORD got = 0;
        ok = size == 0 || (ReadFile(h, data.data(), size, &got, nullptr) && got == size);
    }
    CloseHandle(h);
    return ok;
}

bool OsWriteExistingFile(const char* path, const char* data, size_t size)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = WriteFile(h, data, static_cast<DWORD>(size), &put, nullptr) && put == size;
    ok = CloseHandle(h) && ok;
    return ok;
}

CreateNewResult OsCreateNewFile(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return CreateNewResult::Created;
    }
    DWORD err = GetLastError();
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) return CreateNewResult::Exists;
    // A folder of that name answers "access denied"; it is taken all the same.
    if (err == ERROR_ACCESS_DENIED) {
        DWORD attr = GetFileAttributesA(path);
        if (attr != INVALID_FILE_ATTRIBUTES) return CreateNewResult::Exists;
    }
    return CreateNewResult::Failed;
}

bool OsDeleteFile(const char* path)
{
    return DeleteFileA(path) != 0;
}

int OsProfileGetInt(const char* section, const char* key, int fallback, const char* iniPath)
{
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, iniPath));
}

void OsProfileGetString(const char* section, const char* key, char* out, size_t cap, const char* iniPath)
{
    GetPrivateProfileStringA(section, key, nullptr, out, static_cast<DWORD>(cap), iniPath);
}

bool OsProfilePutString(const char* section, const char* key, const char* value, const char* iniPath)
{
    return WritePrivateProfileStringA(section, key, value, iniPath) != 0;
}

bool OsMusicFolder(char* out, size_t cap)
{
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_MYMUSIC, TRUE)) return false;
    if (strlen(path) + 1 > cap) return false;
    strcpy(out, path);
    return true;
}

bool OsIsDbcsLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) != 0;
}
