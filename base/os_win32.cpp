// Windows side of the seam: the Win32 calls of the program itself.
#include "os.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
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

uint32_t OsLastError()
{
    return GetLastError();
}

std::string OsErrorText(uint32_t code)
{
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
    return std::string(text, n);
}

namespace {

// CreateFile for the path: the wide call for a path code page 936 cannot hold.
HANDLE CreateFileOf(const OsPath& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    if (path.wide)
        return CreateFileW(reinterpret_cast<LPCWSTR>(path.wide), access, share, nullptr, disposition, flags, nullptr);
    return CreateFileA(path.ansi, access, share, nullptr, disposition, flags, nullptr);
}

}  // namespace

bool OsNewScratchFile(std::string& path)
{
    char folder[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n > MAX_PATH || strchr(folder, '?') || !GetTempFileNameA(folder, "zdv", 0, name)) return false;
    path = name;
    return true;
}

bool OsDeleteFile(const OsPath& path)
{
    if (path.wide) return DeleteFileW(reinterpret_cast<LPCWSTR>(path.wide)) != 0;
    return DeleteFileA(path.ansi) != 0;
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

// An OsFile is a Win32 file handle.
namespace {

HANDLE Handle(OsFile file)
{
    return reinterpret_cast<HANDLE>(file);
}

// ReadFile and WriteFile move at most 4 GB - 1 per call; stay well below.
constexpr size_t kMaxTransferBytes = 64u << 20;

}  // namespace

OsFile OsOpenForReading(const OsPath& path)
{
    if (!path.ansi && !path.wide) return nullptr;
    HANDLE h = CreateFileOf(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
    return h == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<OsFile>(h);
}

OsFile OsOpenForWriting(const OsPath& path)
{
    HANDLE h = CreateFileOf(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return h == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<OsFile>(h);
}

int64_t OsFileSize(OsFile file)
{
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(Handle(file), &size)) return -1;
    return static_cast<int64_t>(size.QuadPart);
}

int64_t OsSeek(OsFile file, int64_t offset, int whence)
{
    const DWORD method = whence == SEEK_CUR ? FILE_CURRENT : whence == SEEK_END ? FILE_END : FILE_BEGIN;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!file || !SetFilePointerEx(Handle(file), distance, &position, method)) return -1;
    return static_cast<int64_t>(position.QuadPart);
}

int64_t OsRead(OsFile file, void* buffer, size_t bytes)
{
    const DWORD want = static_cast<DWORD>(bytes < kMaxTransferBytes ? bytes : kMaxTransferBytes);
    DWORD got = 0;
    if (!ReadFile(Handle(file), buffer, want, &got, nullptr)) return -1;
    return got;
}

bool OsWriteExact(OsFile file, const void* buffer, size_t bytes)
{
    const char* at = static_cast<const char*>(buffer);
    while (bytes > 0) {
        DWORD want = static_cast<DWORD>(bytes < kMaxTransferBytes ? bytes : kMaxTransferBytes);
        DWORD put = 0;
        if (!WriteFile(Handle(file), at, want, &put, nullptr) || put == 0) return false;
        at += put;
        bytes -= put;
    }
    return true;
}

bool OsCloseFile(OsFile file)
{
    return file && CloseHandle(Handle(file));
}

bool OsPathExists(const OsPath& path)
{
    const DWORD attributes =
        path.wide ? GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.wide)) : GetFileAttributesA(path.ansi);
    return attributes != INVALID_FILE_ATTRIBUTES;
}

CreateNewResult OsRenameNoReplace(const OsPath& from, const OsPath& to)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails where the name is taken.
    const std::u16string source = from.wide ? std::u16string(from.wide) : OsAnsiToUtf16(from.ansi);
    const std::u16string target = to.wide ? std::u16string(to.wide) : OsAnsiToUtf16(to.ansi);
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(source.c_str()), reinterpret_cast<LPCWSTR>(target.c_str()), 0))
        return CreateNewResult::Created;
    const DWORD err = GetLastError();
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS || OsPathExists(to)) return CreateNewResult::Exists;
    SetLastError(err);
    return CreateNewResult::Failed;
}

void OsStartWriteBack(OsFile, int64_t, int64_t) {}

bool OsFlushToDisk(const OsPath& path)
{
    HANDLE h = CreateFileOf(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(h) != 0;
    return CloseHandle(h) && flushed;
}

CreateNewResult OsCreateNewFileForWriting(const OsPath& path, OsFile* file)
{
    *file = nullptr;
    HANDLE h = CreateFileOf(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    if (h != INVALID_HANDLE_VALUE) {
        *file = reinterpret_cast<OsFile>(h);
        return CreateNewResult::Created;
    }
    DWORD err = GetLastError();
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) return CreateNewResult::Exists;
    // A folder of that name answers "access denied"; it is taken all the same.
    auto attributes = [&] {
        return path.wide ? GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.wide)) : GetFileAttributesA(path.ansi);
    };
    if (err == ERROR_ACCESS_DENIED && attributes() != INVALID_FILE_ATTRIBUTES)
        return CreateNewResult::Exists;
    SetLastError(err);
    return CreateNewResult::Failed;
}

void* OsAllocBuffer(size_t bytes)
{
    return HeapAlloc(GetProcessHeap(), 0, bytes ? bytes : 1);
}

void OsFreeBuffer(void* block)
{
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

std::string OsUtf16ToAnsi(const char16_t* text, size_t units)
{
    constexpr UINT kCodePage = 936;
    if (units == 0) return {};
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
    int n = WideCharToMultiByte(kCodePage, 0, wide, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string(units, '?');
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kCodePage, 0, wide, static_cast<int>(units), &out[0], n, nullptr, nullptr);
    return out;
}

std::string OsUtf16ToUtf8(const std::u16string& text)
{
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.c_str());
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::u16string OsAnsiToUtf16(const char* text)
{
    constexpr UINT kCodePage = 936;
    const int n = MultiByteToWideChar(kCodePage, 0, text, -1, nullptr, 0);
    if (n <= 1) return {};
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(kCodePage, 0, text, -1, reinterpret_cast<LPWSTR>(&out[0]), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

bool OsIsDbcsLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) != 0;
}
