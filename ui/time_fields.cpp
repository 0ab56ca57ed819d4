#include "time_fields.h"

#include "os.h"

namespace {

constexpr float kSecondsPerDay = 86400.0f;

void SetLastMomentOfDay(SYSTEMTIME& st)
{
    st.wHour = 23;
    st.wMinute = 59;
    st.wSecond = 59;
    st.wMilliseconds = 999;
}

// Virtual keys of the digits: the main keyboard's are their characters.
constexpr unsigned kKeyDigit0 = 0x30;   // '0'
constexpr unsigned kKeyNumpad0 = 0x60;  // VK_NUMPAD0
constexpr unsigned kDigits = 10;
constexpr int kMillisecondsPerTenth = 100;

struct TimeParts {
    int hours;
    int minutes;
    float rest;  // seconds and fraction within the minute
};

// Hours and minutes of t, with the remainders held as 32-bit floats.
TimeParts SplitSeconds(float t)
{
    if (t < 0) t = 0;
    TimeParts parts;
    parts.hours = static_cast<int>(static_cast<double>(t) / 3600.0);
    float rest = static_cast<float>(static_cast<double>(t) - 3600.0 * parts.hours);
    parts.minutes = static_cast<int>(static_cast<double>(rest) / 60.0);
    parts.rest = static_cast<float>(static_cast<double>(rest) - 60.0 * parts.minutes);
    return parts;
}

}  // namespace

void SecondsToSystemTime(float t, SYSTEMTIME& st)
{
    const TimeParts parts = SplitSeconds(t);
    const int seconds = static_cast<int>(parts.rest);
    const int ms = static_cast<int>((static_cast<double>(parts.rest) - seconds) * 1000.0);
    st.wHour = static_cast<WORD>(parts.hours);
    st.wMinute = static_cast<WORD>(parts.minutes);
    st.wSecond = static_cast<WORD>(seconds);
    st.wMilliseconds = static_cast<WORD>(ms);
}

float SystemTimeToSeconds(const SYSTEMTIME& st)
{
    float a = static_cast<float>(st.wHour * 3600);
    a = static_cast<float>(st.wMinute * 60) + a;
    a = static_cast<float>(st.wSecond) + a;
    return static_cast<float>(st.wMilliseconds) * 0.001f + a;
}

void SecondsToText(float t, const char* format, char* out, size_t cap)
{
    const TimeParts parts = SplitSeconds(t);
    const int seconds = static_cast<int>(parts.rest);
    const int tenths = static_cast<int>((static_cast<double>(parts.rest) - seconds) * 10.0);
    char text[64];
    OsFormat(text, sizeof text, "%02d:%02d:%02d.%d", parts.hours, parts.minutes, seconds, tenths);
    OsFormat(out, cap, format, text);
}

void EditorRangeOf(const SYSTEMTIME& now, float fDuration, SYSTEMTIME (&range)[2])
{
    range[0] = now;
    SecondsToSystemTime(0, range[0]);
    range[1] = now;
    if (fDuration >= kSecondsPerDay) {
        SetLastMomentOfDay(range[1]);
    } else {
        SecondsToSystemTime(fDuration, range[1]);
    }
}

SYSTEMTIME EditorTimeOf(const SYSTEMTIME& current, const SYSTEMTIME* rangeMin, float t)
{
    SYSTEMTIME st = rangeMin ? *rangeMin : current;
    SecondsToSystemTime(t, st);
    return st;
}

int TenthMilliseconds(unsigned virtualKey)
{
    unsigned digit;
    if (virtualKey - kKeyDigit0 < kDigits) {
        digit = virtualKey - kKeyDigit0;
    } else if (virtualKey - kKeyNumpad0 < kDigits) {
        digit = virtualKey - kKeyNumpad0;
    } else {
        return kNotATenth;
    }
    return static_cast<int>(digit) * kMillisecondsPerTenth + 1;
}

void FormatTenth(WORD milliseconds, char* out, size_t cap)
{
    OsFormat(out, cap, "%d", milliseconds / kMillisecondsPerTenth);
}
