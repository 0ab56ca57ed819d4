#include "selection_rules.h"

void MoveSelectionStart(float value, float fDuration, float& fStart, float& fEnd)
{
    fStart = value;
    if (fStart > fEnd) fEnd = fDuration;
}

void MoveSelectionEnd(float value, float& fStart, float& fEnd)
{
    fEnd = value;
    if (fEnd < fStart) fStart = 0;
}

void ClampSelection(float fDuration, float& fStart, float& fEnd)
{
    if (fStart < 0) fStart = 0;
    if (fEnd > fDuration) fEnd = fDuration;
}
