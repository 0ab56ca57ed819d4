// The rules by which the selection's start and end move: a start set beyond
// the end widens the end to the end of the file, an end set before the start
// widens the start to the beginning of the file; neither swaps the two.
#pragma once

// fStart = value; when it then lies beyond fEnd, fEnd = fDuration.
void MoveSelectionStart(float value, float fDuration, float& fStart, float& fEnd);

// fEnd = value; when it then lies before fStart, fStart = 0.
void MoveSelectionEnd(float value, float& fStart, float& fEnd);

// Keeps the selection inside the file: a negative fStart becomes 0, an fEnd
// beyond fDuration becomes fDuration. fStart > fEnd may remain.
void ClampSelection(float fDuration, float& fStart, float& fEnd);
