#include "editor_range.h"

#include "time_convert.h"

namespace {

constexpr float kSecondsPerDay = 86400.0f;

void SetLastMomentOfDay(SYSTEMTIME& st)
{
    st.wHour = 23;
    st.wMinute = 59;
    st.wSecond = 59;
    st.wMilliseconds = 999;
}

}  // namespace

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
