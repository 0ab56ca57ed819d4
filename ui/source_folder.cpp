#include "source_folder.h"

#include "path_text.h"

#include <cstring>

bool CutToFolder(char* path)
{
    if (!CutAtLastBackslash(path)) return false;
    // "X:" (':' is never the second byte of a double-byte character).
    if (strlen(path) == 2 && path[1] == ':') strcpy(path + 2, "\\");
    return true;
}
