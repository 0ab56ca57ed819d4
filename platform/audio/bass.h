// The audio library (bass.dll) as the program calls it: the 2.3 interface,
// built by platform/audio from libmpg123 (decoding) and waveOut (output).
// Lengths and positions are byte counts of the decoded 16-bit PCM stream at
// the source's own rate and channels; seconds are 32-bit floats; handles are
// 32-bit and never 0. All calls come from the window thread; the library
// plays on threads of its own and never calls back into the program.
//
// Every call except BASS_GetVersion and BASS_ErrorGetCode sets the error code
// that BASS_ErrorGetCode returns: BASS_OK when it succeeds, else one of the
// codes below. A call on a handle that is not a live stream (0 included)
// fails with BASS_ERROR_HANDLE and returns FALSE or 0 (0.0 seconds, length
// and position 0, BASS_ACTIVE_STOPPED): harmless for callers that ignore it.
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

// Error codes (BASS_ErrorGetCode).
#define BASS_UNICODE 0x80000000  // flag: the file name is UTF-16

#define BASS_OK 0
#define BASS_ERROR_MEM 1        // out of memory while setting up the decoder
#define BASS_ERROR_FILEOPEN 2   // the file does not exist or cannot be read
#define BASS_ERROR_DRIVER 3     // the output device refused to open or to play
#define BASS_ERROR_HANDLE 5     // not a live stream handle (0 included)
#define BASS_ERROR_POSITION 7   // a position beyond the end of the stream
#define BASS_ERROR_INIT 8       // BASS_Init has not succeeded (or BASS_Free came since)
#define BASS_ERROR_ALREADY 14   // BASS_Init called a second time
#define BASS_ERROR_ILLPARAM 20  // an argument this library does not support
#define BASS_ERROR_DEVICE 23    // no output device at all, or no such device number
#define BASS_ERROR_FILEFORM 41  // the file holds no MPEG audio that can be decoded

// Version word: the high 16 bits are 0x0203 for this interface; the low 16
// bits are the library's own revision.
BASSDEF(DWORD) BASS_GetVersion();
// Opens the output: device -1 is the default one (WAVE_MAPPER), 1..n the
// waveOut devices; freq (8000..192000) is only used to prove the device
// works; flags, win and dsguid are ignored. FALSE with BASS_ERROR_DEVICE
// when there is no output device, BASS_ERROR_DRIVER when it cannot be
// opened, BASS_ERROR_ALREADY when already initialised.
BASSDEF(BOOL) BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const GUID* dsguid);
// Stops everything and releases the output and every stream (their handles
// become invalid). FALSE with BASS_ERROR_INIT when not initialised.
BASSDEF(BOOL) BASS_Free();
// Opens a file (mem FALSE: file is an ANSI path in the program's code page,
// or with BASS_UNICODE in flags a UTF-16 path) as a stream, measured to its
// exact length and positioned at its start; other flags are ignored. Only offset 0 and length 0 (the whole file) and files
// (not memory) are supported: otherwise BASS_ERROR_ILLPARAM. Returns 0 with
// BASS_ERROR_INIT, BASS_ERROR_FILEOPEN, BASS_ERROR_FILEFORM or
// BASS_ERROR_MEM on failure. The stream lives until BASS_StreamFree or
// BASS_Free; the file stays open meanwhile (others may read, write, rename
// and delete it).
BASSDEF(HSTREAM) BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
// Releases a stream (stopping it first).
BASSDEF(BOOL) BASS_StreamFree(HSTREAM handle);
// Length of the decoded stream in bytes (encoder delay and padding that a
// LAME tag declares are not part of it).
BASSDEF(QWORD) BASS_ChannelGetLength(DWORD handle);
// A byte count of the stream in seconds: pos / (rate x channels x 2),
// computed in double precision and rounded once to a float.
BASSDEF(float) BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
// Play position in bytes: while playing, the byte being heard; when stopped,
// where playing would start.
BASSDEF(QWORD) BASS_ChannelGetPosition(DWORD handle);
// Moves the stream to pos, rounded down to a whole sample frame: the next
// sound played is exactly that sample; a playing stream goes on from there.
// pos may equal the length (the end); beyond it: FALSE, BASS_ERROR_POSITION.
BASSDEF(BOOL) BASS_ChannelSetPosition(DWORD handle, QWORD pos);
// Starts or resumes playback at the current position (restart FALSE), or
// from the start (restart TRUE). A stream that has been played to its end
// starts again from its start. TRUE when already playing. FALSE with
// BASS_ERROR_DRIVER when the output device cannot be opened.
BASSDEF(BOOL) BASS_ChannelPlay(DWORD handle, BOOL restart);
// Stops playback at once; the position stays at the sample heard last, so
// that BASS_ChannelPlay goes on from there. TRUE also when not playing.
BASSDEF(BOOL) BASS_ChannelStop(DWORD handle);
// BASS_ACTIVE_PLAYING (1) while the stream plays; BASS_ACTIVE_STOPPED once
// stopped or once it has been played to its end (it stops by itself).
BASSDEF(DWORD) BASS_ChannelIsActive(DWORD handle);
// Code of the error of the library's last call (see above); 0 for none.
BASSDEF(int) BASS_ErrorGetCode();
