#include "wide_paths.h"

#include <cstring>

void SplitPath(const std::u16string& path, std::string& text, std::u16string& original)
{
    text = OsUtf16ToAnsi(path.c_str(), path.size());
    original = OsAnsiToUtf16(text.c_str()) == path ? std::u16string() : path;
}

std::u16string WithSeparator(std::u16string folder)
{
    if (folder.empty() || folder.back() != static_cast<char16_t>(kOsPathSeparator))
        folder += static_cast<char16_t>(kOsPathSeparator);
    return folder;
}

void SetStatePath(char* text, char16_t** original, const std::u16string& path)
{
    std::string ansi;
    std::u16string whole;
    SplitPath(path, ansi, whole);
    // A text cut to fit its buffer names the file by the original.
    const size_t length = std::min(ansi.size(), kTextBufferBytes - 1);
    if (length < ansi.size()) whole = path;
    memcpy(text, ansi.c_str(), length);
    text[length] = '\0';
    DropOriginal(original);
    if (whole.empty()) return;
    *original = new char16_t[whole.size() + 1];
    memcpy(*original, whole.c_str(), (whole.size() + 1) * sizeof(char16_t));
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
