#include "path_text.h"

#include "os.h"

#include <cstring>

namespace {

constexpr size_t kExtensionBytes = 4;  // ".exe", ".mp3"

bool IsExeExtension(const char* at)
{
    // A four-byte comparison: ".Exe" and other mixed forms do not count. The
    // bytes are ASCII and '.' is never the second byte of a double-byte
    // character, so a match always starts a character of its own.
    return memcmp(at, ".EXE", kExtensionBytes) == 0 || memcmp(at, ".exe", kExtensionBytes) == 0;
}

}  // namespace

const char* FindLastSeparator(const char* path, char separator)
{
    const char* last = nullptr;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == separator) {
            last = p;
        } else if (OsIsDbcsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            ++p;  // the trail byte belongs to this character
        }
    }
    return last;
}

bool CutAtLastBackslash(char* path)
{
    char* last = const_cast<char*>(FindLastSeparator(path, '\\'));
    if (!last) return false;
    *last = '\0';
    return true;
}

bool CutToFolder(char* path)
{
    if (!CutAtLastBackslash(path)) return false;
    // "X:" (':' is never the second byte of a double-byte character).
    if (strlen(path) == 2 && path[1] == ':') strcpy(path + 2, "\\");
    return true;
}

bool EndsWithSeparator(const char* path)
{
    const char* last = FindLastSeparator(path, kOsPathSeparator);
    return last && last[1] == '\0';
}

bool AppendSeparator(char* path, size_t cap)
{
    if (EndsWithSeparator(path)) return true;
    const size_t length = strlen(path);
    if (length + 1 >= cap) return false;
    path[length] = kOsPathSeparator;
    path[length + 1] = '\0';
    return true;
}

bool HasMp3Extension(const std::string& name)
{
    if (name.size() < kExtensionBytes) return false;
    const char* ext = name.c_str() + name.size() - kExtensionBytes;
    return ext[0] == '.' && (ext[1] == 'm' || ext[1] == 'M') && (ext[2] == 'p' || ext[2] == 'P') && ext[3] == '3';
}

std::string NumberedName(const std::string& candidate, int number)
{
    return candidate.substr(0, candidate.size() - kExtensionBytes) + "(" + std::to_string(number) + ").mp3";
}

char* BrowserPathInCommand(char* command)
{
    char* start = command[0] == '"' ? command + 1 : command;
    const size_t length = strlen(start);
    if (length < kExtensionBytes) return nullptr;
    // Backwards from the end, so that the last name of a program is found.
    char* cursor = start + length - kExtensionBytes;
    while (cursor != start && !IsExeExtension(cursor)) --cursor;
    if (!IsExeExtension(cursor)) return nullptr;
    cursor[kExtensionBytes] = '\0';
    return start;
}
