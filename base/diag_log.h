// The diagnostic log: an indented plain-text trace in log.txt beside the
// program. One instance, g_log, exists for the whole run. Lines printed
// before Open go to the debugger output; afterwards each line rewrites the
// whole file (old content, CR LF, new line), so the file always holds every
// line written so far and is never left open. Failures are silent: a line
// that cannot be written is lost and the caller goes on.
#pragma once

#include <cstdint>

class DiagLog {
public:
    // Enables the log: remembers the path (cut to 4,095 bytes) and creates
    // the file, or empties it when it exists.
    void Open(const char* path);
    // Raises the indentation by one level (4 spaces).
    void Indent();
    // Lowers the indentation by one level; never below 0.
    void Unindent();
    // Formats one line with the platform's wsprintf rules (at most 1,023
    // bytes of text, longer output is cut) and appends it at the current
    // indentation.
    void Print(const char* format, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    // Test access to the state.
    bool IsEnabled() const { return bEnabled; }
    int32_t Level() const { return nIndent; }

private:
    bool bEnabled = false;
    int32_t nIndent = 0;
    char szLine[4096] = {};
    char szPath[4096] = {};
};

extern DiagLog g_log;

// An operation that logs its own name: the line is written at the current
// level, the following lines stand one level deeper until the operation
// returns, by whatever path.
class LogScope {
public:
    explicit LogScope(const char* name)
    {
        g_log.Print("%s", name);
        g_log.Indent();
    }
    ~LogScope() { g_log.Unindent(); }
    LogScope(const LogScope&) = delete;
    LogScope& operator=(const LogScope&) = delete;
};

// Handles and addresses as the log shows them.

// Room for the hexadecimal digits of a pointer-sized value and a zero.
constexpr unsigned kHandleTextBytes = 2 * sizeof(void*) + 1;

// Writes value in lower-case hexadecimal without leading zeros ("0" for 0):
// what "%x" prints in a 32-bit build, without losing the upper half of a
// 64-bit address such as the process heap's.
void FormatHandle(uintptr_t value, char (&out)[kHandleTextBytes]);
