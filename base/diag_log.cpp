#include "diag_log.h"

#include "os.h"

#include <cstdarg>
#include <cstring>
#include <vector>

namespace {
constexpr int kSpacesPerLevel = 4;
constexpr size_t kTextBytes = 1024;  // formatted text with its terminator
}  // namespace

DiagLog g_log;

void DiagLog::Open(const char* path)
{
    bEnabled = true;
    strncpy(szPath, path, sizeof szPath - 1);
    szPath[sizeof szPath - 1] = '\0';
    OsCreateEmptyFile(szPath);
}

void DiagLog::Indent()
{
    ++nIndent;
}

void DiagLog::Unindent()
{
    if (nIndent > 0) --nIndent;
}

void DiagLog::Print(const char* format, ...)
{
    // Levels beyond what szLine can hold are drawn at the deepest level that fits.
    const size_t maxLevel = (sizeof szLine - kTextBytes) / kSpacesPerLevel;
    const size_t level = static_cast<size_t>(nIndent) < maxLevel ? static_cast<size_t>(nIndent) : maxLevel;
    const size_t spaces = level * kSpacesPerLevel;
    memset(szLine, ' ', spaces);

    va_list args;
    va_start(args, format);
    const size_t textLength = static_cast<size_t>(OsFormatV(szLine + spaces, kTextBytes, format, args));
    va_end(args);
    const size_t lineLength = spaces + textLength;

    if (!bEnabled) {
        OsDebugOutput(szLine);
        return;
    }

    std::vector<char> content;
    if (!OsReadExistingFile(szPath, content)) return;
    if (!content.empty()) {
        content.push_back('\r');
        content.push_back('\n');
    }
    content.insert(content.end(), szLine, szLine + lineLength);
    OsWriteExistingFile(szPath, content.data(), content.size());
}

void FormatHandle(uintptr_t value, char (&out)[kHandleTextBytes])
{
    char reversed[kHandleTextBytes];
    int n = 0;
    do {
        reversed[n++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (int i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
    out[n] = '\0';
}
