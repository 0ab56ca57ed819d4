// The one process-wide record of the program's state: paths, the open
// source, its frame index, the selection, playback, the source's tag texts
// and the window handles. Every procedure reads and writes it directly.
#pragma once

#include "frame_entry.h"
#include "win_types.h"

#include <cstddef>
#include <cstdint>

// Size of each of the six text buffers.
constexpr size_t kTextBufferBytes = 65536;
// The numbering template of a cut lives in the second half of szScratch.
constexpr size_t kScratchTemplateOffset = 32768;
// Size of szCaption.
constexpr size_t kCaptionBytes = 4096;

struct AppState {
    // Text buffers: 64 KB each, zero-filled, allocated at start-up in this
    // order and never released. Texts are ANSI, code page 936.
    char* szAppFolder = nullptr;     // program folder, no trailing backslash
    char* szSourcePath = nullptr;    // full path of the source; empty = no source
    char* szFileTitle = nullptr;     // file-name part of the source path
    char* szOutputFolder = nullptr;  // folder receiving new files when bFolder is 0
    char* szIniPath = nullptr;       // full path of settings.ini
    char* szScratch = nullptr;       // shared scratch text (see the users)
    // The UTF-16 originals of szSourcePath and szOutputFolder where code page
    // 936 cannot hold them (their text reads '?' for what it lost); null
    // otherwise. new[], owned here (wide_paths.h).
    char16_t* wszSourcePath = nullptr;
    char16_t* wszOutputFolder = nullptr;

    // The open source, its index and the selection. Times are seconds.
    float fDuration = 0;       // length of the source; 0 = no source
    float fPosition = 0;       // play and cursor position (not clamped)
    float fStart = 0;          // start of the selection
    float fEnd = 0;            // end of the selection
    int32_t bPlaySelection = 0;  // selection playback runs and stops at fEnd
    DWORD hChannel = 0;        // audio stream of the source; 0 = none
    QWORD qwLength = 0;        // last byte count from the audio library
    int32_t bFolder = 0;       // 1: new files go beside the source
    int32_t nFrames = 0;       // entries in the frame index
    FrameEntry* pFrames = nullptr;  // frame index of the file last indexed: its audio frames
    FrameEntry feInfoFrame = {0, 0, {}};  // its Xing/Info/VBRI frame, not audio; nLength 0 = none
    int64_t nSourceBytes = 0;  // size of the file the frame index was built from

    // Tag texts of the source: the library's text, "-", or none (null).
    // Always allocated with new[] by the tag carry-over, which releases them.
    char* szArtist = nullptr;
    char* szAlbum = nullptr;
    char* szTitle = nullptr;
    // The same texts as the source held them when it held them in Unicode
    // (UTF-16 or UTF-8 frames): what the cut writes into the new file. None
    // when the text came as ANSI bytes, is "-" or is none.
    char16_t* wszArtist = nullptr;
    char16_t* wszAlbum = nullptr;
    char16_t* wszTitle = nullptr;

    // Process and window handles.
    HINSTANCE hInstance = nullptr;
    void* hHeap = nullptr;       // process heap, source of the text buffers
    UINT msgMutex = 0;           // registered "open zordu3vodizaro" message
    HANDLE hMutex = nullptr;     // single-instance mutex, owned by this instance
    HWND hMainDlg = nullptr;     // the main dialog: owner of message boxes
    HBITMAP hbmFill = nullptr;   // background pattern
    HBITMAP hbmFill2 = nullptr;  // second bitmap of CreateFillBmp, never drawn
    HFONT hTitleFont = nullptr;  // 26-pixel font of the file-name static
    HFONT hSliderFont = nullptr; // 16-pixel font of the slider caption
    HWND hSlider = nullptr;      // trackbar 2014
    RECT rcChannel = {0, 0, 0, 0};  // slider channel, slider client pixels
    int32_t nThumbMargin = 0;    // channel edge to slider positions 0 and 1000
    SYSTEMTIME stScratch = {};   // times handed to the date-time pickers
    char szCaption[kCaptionBytes] = {};  // duration part of the slider caption
};

// The one instance.
extern AppState g_state;

// Allocates the six text buffers, zero-filled, from the process heap, in
// the order of the record, and records the heap. Called once at start-up
// (and by tests that need a fresh record).
void AllocTextBuffers();
