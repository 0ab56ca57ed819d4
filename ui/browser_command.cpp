#include "browser_command.h"

#include <cstring>

namespace {

constexpr size_t kExtensionBytes = 4;  // ".exe"

bool IsExeExtension(const char* at)
{
    // A four-byte comparison: ".Exe" and other mixed forms do not count. The
    // bytes are ASCII and '.' is never the second byte of a double-byte
    // character, so a match always starts a character of its own.
    return memcmp(at, ".EXE", kExtensionBytes) == 0 || memcmp(at, ".exe", kExtensionBytes) == 0;
}

}  // namespace

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
