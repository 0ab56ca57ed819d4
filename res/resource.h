// Identifiers of the program's resources and of the controls of its two
// dialogs. Included by the resource script and by the code; no identifier
// is written as a bare number anywhere else.
#pragma once

// Dialog templates.
#define IDD_MAIN 1000   // the main window, MainDialog
#define IDD_ABOUT 104   // the About box

// The program icon (16, 24, 32 pixels, each in 8-bit and 32-bit colour).
#define IDI_PROGRAM 101

// Button icons. The olive pictures are the normal look of the small
// playback and range buttons, the blue ones their second picture.
#define IDI_EXIT_DOOR 202          // door with a red arrow
#define IDI_TAG_ORANGE 204         // orange question mark
#define IDI_HOME_PAGE 205          // web page with a globe
#define IDI_PLAY_OLIVE 206         // play triangle
#define IDI_STOP_OLIVE 207         // stop square
#define IDI_OK_TICK 211            // red tick
#define IDI_PLAY_RANGE_OLIVE 215   // play triangle between brackets
#define IDI_RANGE_START_OLIVE 216  // opening bracket
#define IDI_RANGE_END_OLIVE 217    // closing bracket
#define IDI_OPEN_OUTPUT 218        // open folder with a red arrow
#define IDI_OPEN_FILE 219          // blank sheet
#define IDI_CUT 220                // red scissors
#define IDI_BULK 221               // stack of sheets
#define IDI_ABOUT 222              // large question mark
#define IDI_TAG_GREY 400           // grey question mark
#define IDI_PLAY_BLUE 401
#define IDI_STOP_BLUE 402
#define IDI_PLAY_RANGE_BLUE 404
#define IDI_RANGE_START_BLUE 405
#define IDI_RANGE_END_BLUE 406

// A static text without an identifier of its own.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Controls of the main window (template IDD_MAIN), in tab order.
#define IDC_BUTTON_OPEN_FILE 2037
#define IDC_BUTTON_BULK 2043          // hidden for the life of the window
#define IDC_BUTTON_ABOUT 2001
#define IDC_BUTTON_EXIT 1             // outside the client area, disabled
#define IDC_BUTTON_SHOW_TAG 2044
#define IDC_STATIC_FILE_TITLE 2038    // the source's file name, large font
#define IDC_EDIT_SOURCE_PATH 2039     // the source's full path, read-only
#define IDC_GROUP_SPLIT 1999
#define IDC_TIME_POSITION 2042
#define IDC_TIME_START 2040
#define IDC_TIME_END 2041
#define IDC_SLIDER 2014
#define IDC_BUTTON_SET_START 2025
#define IDC_BUTTON_SET_END 2026
#define IDC_CHECK_PLAY_SELECTION 2045
#define IDC_BUTTON_CLEAR 2027
#define IDC_BUTTON_PLAY 2010
#define IDC_BUTTON_STOP 2012
#define IDC_BUTTON_SET_START_ICON 2029
#define IDC_BUTTON_SET_END_ICON 2030
#define IDC_BUTTON_PLAY_SELECTION 2028
#define IDC_GROUP_OUTPUT 1998
#define IDC_BUTTON_OPEN_OUTPUT 2031
#define IDC_EDIT_OUTPUT_FOLDER 2032
#define IDC_BUTTON_BROWSE_OUTPUT 2033
#define IDC_CHECK_SAME_FOLDER 2034
#define IDC_BUTTON_CUT 2035

// Command 2 comes from the Escape key; the window ignores it.
#define IDC_ESCAPE 2

// Controls of the About box (template IDD_ABOUT).
#define IDC_BUTTON_HOME_PAGE 2004
#define IDC_BUTTON_ABOUT_OK 1

// The main window's 50 ms position timer.
#define IDT_POSITION 0

// The home page, shown in the About box and used by its button.
#define ZDV_HOME_PAGE_URL "https://zor-du3.example/du3-vodizaro/"
