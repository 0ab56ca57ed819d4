// The time editors' arithmetic, portable: conversions between the
// program's times (seconds as 32-bit floats) and the time fields of a
// SYSTEMTIME or a text "HH:MM:SS.T", the dates and times the editors hold,
// and their tenths digit. A time stands for the time of day that many
// seconds after midnight; hours are not limited to 23. Float-to-integer
// steps truncate toward zero.
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

// The dates and times the three time editors hold. An editor is a date-time
// control showing only a time of day, but it keeps a date and compares it
// with its range: a time whose date lies outside the range is refused
// without a word, and typing is refused too. So the range carries one date,
// and every time written to an editor carries the same date.

// The editors' range for a source of fDuration seconds, from one reading of
// the clock (now), so that both ends carry the same date: range[0] is now's
// date at 00:00:00.000, range[1] the same date at the time of day of
// fDuration. A source of 24 hours or more, which a time of day cannot hold,
// ends the range at 23:59:59.999.
void EditorRangeOf(const SYSTEMTIME& now, float fDuration, SYSTEMTIME (&range)[2]);

// The time to write to an editor for t seconds: the time of day of t, on the
// date of rangeMin when the editor has a range (rangeMin not null), else on
// the editor's own date (current).
SYSTEMTIME EditorTimeOf(const SYSTEMTIME& current, const SYSTEMTIME* rangeMin, float t);

// The tenths digit of the time editors: a field of the editors' format that
// the window draws itself ("X" in "HH:mm:ss.X") and that takes one digit.

// No digit: the key leaves the field as it is.
constexpr int kNotATenth = -1;

// The milliseconds a key typed into the field stands for: digit d, from the
// main keyboard ('0'..'9') or the numeric keypad, gives d x 100 + 1 (the
// extra millisecond makes even 0 at 00:00:00 a time above 0, and the field
// still shows d). kNotATenth for any other key.
int TenthMilliseconds(unsigned virtualKey);

// The field's text for a time with the given milliseconds: the tenths digit,
// "%d" of milliseconds / 100, into out (cap bytes, always terminated).
void FormatTenth(WORD milliseconds, char* out, size_t cap);
