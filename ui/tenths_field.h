// The tenths digit of the time editors: a field of the editors' format that
// the window draws itself ("X" in "HH:mm:ss.X") and that takes one digit.
#pragma once

#include "win_types.h"

#include <cstddef>

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
