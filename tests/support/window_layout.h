// The two dialog templates as the program must have them, control by
// control: what the static resource test compares with the compiled
// templates and what the end-to-end tests compare with the live windows.
// Texts are CP936 bytes; rectangles are dialog units.
#pragma once

#include <windows.h>

struct ExpectedControl {
    int id;             // 65535 (-1) for statics without an identifier
    const char* klass;  // window class, compared without regard to case
    const char* text;
    int x, y, cx, cy;
    DWORD style;
};

struct ExpectedDialog {
    DWORD style;
    int x, y, cx, cy;
    const char* caption;
    const char* face;
    int pointSize;
    const ExpectedControl* controls;
    int count;
};

// Template 1000, the main window: 31 controls in tab order.
extern const ExpectedDialog kMainDialogLayout;
// Template 104, the About box: 3 controls.
extern const ExpectedDialog kAboutDialogLayout;
