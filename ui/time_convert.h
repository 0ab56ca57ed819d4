// Conversions between the program's times (seconds as 32-bit floats) and
// the time fields of a SYSTEMTIME or a text "HH:MM:SS.T". A time stands for
// the time of day that many seconds after midnight; hours are not limited
// to 23. Float-to-integer steps truncate toward zero.
#pragma once

#include "win_types.h"

#include <cstddef>

// Writes wHour, wMinute, wSecond and wMilliseconds of st from t (negative
// times count as 0); the date fields are left as they are.
void SecondsToSystemTime(float t, SYSTEMTIME& st);

// Seconds of the four time fields of st.
float SystemTimeToSeconds(const SYSTEMTIME& st);

// Formats format (holding one "%s") with the text "HH:MM:SS.T" of t into out,
// which holds cap bytes.
void SecondsToText(float t, const char* format, char* out, size_t cap);
