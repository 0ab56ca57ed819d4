#include "path_text.h"

#include "os.h"

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

bool EndsWithSeparator(const char* path)
{
    const char* last = FindLastSeparator(path, kOsPathSeparator);
    return last && last[1] == '\0';
}
