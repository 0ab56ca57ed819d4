#include "path_text.h"

#include "os.h"

bool CutAtLastBackslash(char* path)
{
    char* last = nullptr;
    for (char* p = path; *p != '\0'; ++p) {
        if (*p == '\\') {
            last = p;
        } else if (OsIsDbcsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            ++p;  // the trail byte belongs to this character
        }
    }
    if (!last) return false;
    *last = '\0';
    return true;
}
