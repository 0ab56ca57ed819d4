// The version word of bass.dll. The high 16 bits name the interface (0x0203:
// 2.3); the test build of the library compiles this file with another value
// (ZDV_BASS_INTERFACE_VERSION) to exercise the program's version check.
#include "bass.h"

#ifndef ZDV_BASS_INTERFACE_VERSION
#define ZDV_BASS_INTERFACE_VERSION 0x0203
#endif
// The low 16 bits: this library's own revision of that interface.
#define ZDV_BASS_REVISION 0x0001

BASSDEF(DWORD) BASS_GetVersion()
{
    return (DWORD(ZDV_BASS_INTERFACE_VERSION) << 16) | ZDV_BASS_REVISION;
}
