// Plays a decoder's stream through the waveOut API (Windows only). A thread
// of its own decodes ahead into a small ring of buffers and hands them to the
// device; the calling (window) thread only starts, stops, seeks and asks for
// the position, and is never called back.
//
// The position heard is kept as our own base (the stream byte at which the
// device last started) plus the device's own count, since waveOutReset sets
// the device's count back to 0.
#pragma once

#include "mp3_decoder.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <vector>

class WavePlayer {
public:
    // deviceId: a waveOut device number or WAVE_MAPPER. The decoder stays
    // the caller's; while playing, only the player's thread touches it.
    WavePlayer(Mp3Decoder& decoder, UINT deviceId);
    ~WavePlayer();
    WavePlayer(const WavePlayer&) = delete;
    WavePlayer& operator=(const WavePlayer&) = delete;

    // Starts playing at the decoder's position; true when already playing.
    // False when the output device cannot be opened or the thread cannot be
    // started (nothing plays then).
    bool Start();
    // Stops at once; the decoder is moved to the byte that was heard last,
    // so a later Start goes on from there. Harmless when not playing.
    void Stop();
    // True from Start until Stop, or until the whole stream has been played
    // (the player then stops by itself).
    bool IsPlaying() const;
    // True once the whole stream has been played, stopped since or not, until the next Start or seek.
    bool PlayedToEnd() const { return finished_; }
    // The byte of the stream being heard (while playing) or that playback
    // would start from (while stopped).
    uint64_t PositionBytes();
    // Moves to byte (see Mp3Decoder::SeekToByte); playing goes on from there.
    bool SeekToByte(uint64_t byte);

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Feed();
    bool OpenDevice();
    uint64_t DeviceBytesPlayed();
    void ReleaseBuffers();

    Mp3Decoder& decoder_;
    UINT deviceId_;
    HWAVEOUT hWaveOut_ = nullptr;
    HANDLE hBufferDone_ = nullptr;  // signalled by the device for each finished buffer
    HANDLE hThread_ = nullptr;
    std::vector<WAVEHDR> headers_;
    std::vector<std::vector<char>> buffers_;
    uint64_t baseBytes_ = 0;        // stream byte at which the device count was 0
    std::atomic<uint64_t> writtenBytes_{0};  // bytes handed to the device since then
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> finished_{false};  // the whole stream has been heard
    bool playing_ = false;
    // waveOutGetPosition counts in 32 bits: follow its wrap-around.
    DWORD lastDeviceSamples_ = 0;
    uint64_t deviceWraps_ = 0;
};
