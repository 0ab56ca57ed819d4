// Long work on the window's thread (a load, a cut). The window keeps painting
// and answering the system all along; once the work has taken a third of a
// second, the slider's caption shows what it does and the per cent done, and
// the window takes no input until the work ends.
#pragma once

#include <windows.h>

// One piece of work, from construction to destruction; nested ones count as
// the outer one.
class WindowWork {
public:
    explicit WindowWork(HWND hMainDlg);
    ~WindowWork();
    WindowWork(const WindowWork&) = delete;
    WindowWork& operator=(const WindowWork&) = delete;
};

// The work under way is this far (nothing without work; a negative percent
// for work that cannot tell how far it is). With what null the
// work is over as far as the window goes: input again, the caption as before.
void ShowWorkProgress(const char* what, int percent);

// The slider's caption while work shows its progress; null otherwise.
const char* WorkCaption();
// Whether work is under way: the frame index may be in the making.
bool WorkUnderWay();
