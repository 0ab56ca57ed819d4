#include "time_convert.h"

#include "os.h"

namespace {

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
