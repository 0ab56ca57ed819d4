// The few Windows types that the portable parts of the program (state record,
// time conversions, engine) name. The Windows build takes them from the
// platform headers; the native build, used for unit tests, fuzzing and
// benchmarks on Linux, gets layout-compatible stand-ins.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using BOOL = int;
using LONG = int32_t;
using QWORD = uint64_t;
using HANDLE = void*;
using HWND = struct HWND__*;
using HINSTANCE = struct HINSTANCE__*;
using HBITMAP = struct HBITMAP__*;
using HFONT = struct HFONT__*;
using HICON = struct HICON__*;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDOK = 1;
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
#endif

// 64-bit unsigned byte count of the audio library's interface.
#ifdef _WIN32
using QWORD = unsigned long long;
#endif
