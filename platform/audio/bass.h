// The audio library (bass.dll) as the program calls it: the 2.3 interface.
// Lengths and positions are byte counts of the decoded 16-bit PCM stream at
// the source's own rate and channels; seconds are 32-bit floats; handles are
// 32-bit. All calls come from the window thread.
#pragma once

#include <windows.h>

#ifdef ZDV_BUILDING_BASS
#define BASSDEF(type) extern "C" __declspec(dllexport) type WINAPI
#else
#define BASSDEF(type) extern "C" __declspec(dllimport) type WINAPI
#endif

typedef unsigned long long QWORD;
typedef DWORD HSTREAM;

// BASS_ChannelIsActive results.
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3

// Version word: the high 16 bits are 0x0203 for this interface.
BASSDEF(DWORD) BASS_GetVersion();
// Opens the output (device -1: the default one). FALSE when there is no
// output device; BASS_ErrorGetCode tells why.
BASSDEF(BOOL) BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const GUID* dsguid);
// Stops everything and releases the output and every stream.
BASSDEF(BOOL) BASS_Free();
// Opens a file (mem FALSE: file is an ANSI path) as a stream; 0 when it
// cannot be decoded. offset and length 0: the whole file.
BASSDEF(HSTREAM) BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
// Releases a stream (stopping it first).
BASSDEF(BOOL) BASS_StreamFree(HSTREAM handle);
// Length of the decoded stream in bytes.
BASSDEF(QWORD) BASS_ChannelGetLength(DWORD handle);
// A byte count of the stream in seconds.
BASSDEF(float) BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
// Play position in bytes.
BASSDEF(QWORD) BASS_ChannelGetPosition(DWORD handle);
// Moves the stream: the next sound played is the sample at that byte.
BASSDEF(BOOL) BASS_ChannelSetPosition(DWORD handle, QWORD pos);
// Starts or resumes playback at the current position (restart FALSE).
BASSDEF(BOOL) BASS_ChannelPlay(DWORD handle, BOOL restart);
// Stops playback; the position stays where it is.
BASSDEF(BOOL) BASS_ChannelStop(DWORD handle);
// BASS_ACTIVE_PLAYING (1) while the stream plays.
BASSDEF(DWORD) BASS_ChannelIsActive(DWORD handle);
// Code of the last error of the calling thread's last call; 0 for none.
BASSDEF(int) BASS_ErrorGetCode();
