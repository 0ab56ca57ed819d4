// The dates and times the three time editors hold. An editor is a date-time
// control showing only a time of day, but it keeps a date and compares it
// with its range: a time whose date lies outside the range is refused
// without a word, and typing is refused too. So the range carries one date,
// and every time written to an editor carries the same date.
#pragma once

#include "win_types.h"

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
