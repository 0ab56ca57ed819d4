// The levels the slider's overview shows: those of the source's frames from
// a decode of its sound (decoded_levels.h), made on a thread of its own once
// a load has ended, so that the load takes no longer for them and the window
// goes on answering. The window takes the levels decoded so far a few times
// a second and repaints the slider with them.
#pragma once

#include <cstdint>
#include <vector>

// Starts the decode of the source the window has loaded (szSourcePath, with
// the frames and timeline of StateIndex()); the levels are all silent until
// it reaches them. With no frames, nothing starts.
void StartLevelOverview();

// Stops the decode at once (the thread has ended when it returns) and drops
// the levels: a new load, or the window closing.
void StopLevelOverview();

// The level of each frame of the source as far as the decode has come (the
// rest silent), or none: the window thread's copy.
const std::vector<uint8_t>& OverviewLevels();
