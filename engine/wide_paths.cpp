#include "wide_paths.h"

#include <cstring>

void SetStatePath(char* text, char16_t** original, const std::u16string& path)
{
    const std::string ansi = OsUtf16ToAnsi(path.c_str(), path.size());
    const size_t length = std::min(ansi.size(), kTextBufferBytes - 1);
    memcpy(text, ansi.c_str(), length);
    text[length] = '\0';
    DropOriginal(original);
    if (OsAnsiToUtf16(text) == path) return;
    *original = new char16_t[path.size() + 1];
    memcpy(*original, path.c_str(), (path.size() + 1) * sizeof(char16_t));
}

void DropOriginal(char16_t** original)
{
    delete[] *original;
    *original = nullptr;
}

std::u16string WideOf(const char* text, const char16_t* original)
{
    return original ? std::u16string(original) : OsAnsiToUtf16(text);
}

std::u16string FileTitleOf(const std::u16string& path)
{
    const size_t separator = path.find_last_of(static_cast<char16_t>(kOsPathSeparator));
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}
