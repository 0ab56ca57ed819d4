// waveOut playback of a decoder's stream; see wave_player.h.
#include "wave_player.h"

#include <algorithm>

namespace {

constexpr int kBufferCount = 16;
constexpr int kBufferMilliseconds = 20;
// The longest the thread sleeps without looking at the stop request.
constexpr DWORD kWaitMilliseconds = 100;

}  // namespace

WavePlayer::WavePlayer(Mp3Decoder& decoder, UINT deviceId) : decoder_(decoder), deviceId_(deviceId)
{
    baseBytes_ = decoder_.PositionBytes();
}

WavePlayer::~WavePlayer()
{
    Stop();
    if (hWaveOut_) waveOutClose(hWaveOut_);
    if (hBufferDone_) CloseHandle(hBufferDone_);
}

bool WavePlayer::OpenDevice()
{
    if (hWaveOut_) return true;
    if (!hBufferDone_) hBufferDone_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!hBufferDone_) return false;
    WAVEFORMATEX wfx = {};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = static_cast<WORD>(decoder_.Channels());
    wfx.nSamplesPerSec = static_cast<DWORD>(decoder_.RateHz());
    wfx.wBitsPerSample = 16;
    wfx.nBlockAlign = static_cast<WORD>(decoder_.BlockBytes());
    wfx.nAvgBytesPerSec = wfx.nSamplesPerSec * wfx.nBlockAlign;
    if (waveOutOpen(&hWaveOut_, deviceId_, &wfx, reinterpret_cast<DWORD_PTR>(hBufferDone_), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        hWaveOut_ = nullptr;
        return false;
    }
    size_t bytes = static_cast<size_t>(wfx.nAvgBytesPerSec) * kBufferMilliseconds / 1000;
    bytes -= bytes % wfx.nBlockAlign;
    buffers_.assign(kBufferCount, std::vector<char>(bytes));
    headers_.assign(kBufferCount, WAVEHDR{});
    return true;
}

bool WavePlayer::Start()
{
    if (IsPlaying()) return true;
    Stop();  // collects a thread that ended by itself
    if (!OpenDevice()) return false;
    baseBytes_ = decoder_.PositionBytes();
    writtenBytes_ = 0;
    lastDeviceSamples_ = 0;
    deviceWraps_ = 0;
    stopRequested_ = false;
    finished_ = false;
    hThread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (!hThread_) return false;
    SetThreadPriority(hThread_, THREAD_PRIORITY_ABOVE_NORMAL);
    playing_ = true;
    return true;
}

void WavePlayer::Stop()
{
    if (!playing_) return;
    uint64_t heard = PositionBytes();
    stopRequested_ = true;
    SetEvent(hBufferDone_);
    WaitForSingleObject(hThread_, INFINITE);
    CloseHandle(hThread_);
    hThread_ = nullptr;
    waveOutReset(hWaveOut_);
    ReleaseBuffers();
    playing_ = false;  // finished_ stays: a stream played to its end and stopped since is still at its end
    decoder_.SeekToByte(heard);
    baseBytes_ = decoder_.PositionBytes();
    writtenBytes_ = 0;
}

bool WavePlayer::IsPlaying() const
{
    return playing_ && !finished_;
}

uint64_t WavePlayer::DeviceBytesPlayed()
{
    MMTIME mmt = {};
    mmt.wType = TIME_SAMPLES;
    if (waveOutGetPosition(hWaveOut_, &mmt, sizeof(mmt)) != MMSYSERR_NOERROR) return 0;
    uint64_t block = decoder_.BlockBytes();
    switch (mmt.wType) {
    case TIME_SAMPLES:
        if (mmt.u.sample < lastDeviceSamples_) ++deviceWraps_;
        lastDeviceSamples_ = mmt.u.sample;
        return ((deviceWraps_ << 32) + mmt.u.sample) * block;
    case TIME_BYTES:
        return mmt.u.cb - mmt.u.cb % block;
    case TIME_MS:
        return static_cast<uint64_t>(mmt.u.ms) * static_cast<uint64_t>(decoder_.RateHz()) / 1000 * block;
    default:
        return 0;
    }
}

uint64_t WavePlayer::PositionBytes()
{
    if (!playing_) return decoder_.PositionBytes();
    // Never beyond what was handed to the device (some drivers count ahead).
    uint64_t played = std::min<uint64_t>(DeviceBytesPlayed(), writtenBytes_);
    return baseBytes_ + played;
}

bool WavePlayer::SeekToByte(uint64_t byte)
{
    if (byte > decoder_.LengthBytes()) return false;
    bool wasPlaying = IsPlaying();
    Stop();
    finished_ = false;
    bool ok = decoder_.SeekToByte(byte);
    baseBytes_ = decoder_.PositionBytes();
    if (wasPlaying) ok = Start() && ok;
    return ok;
}

void WavePlayer::ReleaseBuffers()
{
    for (WAVEHDR& h : headers_) {
        if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(hWaveOut_, &h, sizeof(h));
        h = WAVEHDR{};
    }
}

DWORD WINAPI WavePlayer::ThreadMain(LPVOID self)
{
    static_cast<WavePlayer*>(self)->Feed();
    return 0;
}

// The feeding loop: refill every buffer the device has finished with, until
// the stream has been decoded to its end and every buffer has been played.
void WavePlayer::Feed()
{
    bool decodedAll = false;
    while (!stopRequested_) {
        int queued = 0;
        for (int i = 0; i < kBufferCount && !stopRequested_; ++i) {
            WAVEHDR& h = headers_[i];
            if ((h.dwFlags & WHDR_PREPARED) && !(h.dwFlags & WHDR_DONE)) {
                ++queued;
                continue;
            }
            if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(hWaveOut_, &h, sizeof(h));
            if (decodedAll) continue;
            size_t got = decoder_.Read(buffers_[i].data(), buffers_[i].size());
            if (got < buffers_[i].size()) decodedAll = true;
            if (got == 0) continue;
            h = WAVEHDR{};
            h.lpData = buffers_[i].data();
            h.dwBufferLength = static_cast<DWORD>(got);
            if (waveOutPrepareHeader(hWaveOut_, &h, sizeof(h)) != MMSYSERR_NOERROR ||
                waveOutWrite(hWaveOut_, &h, sizeof(h)) != MMSYSERR_NOERROR) {
                decodedAll = true;  // the device refuses: end as if the stream ended
                continue;
            }
            writtenBytes_ += got;
            ++queued;
        }
        if (decodedAll && queued == 0) {
            finished_ = true;
            return;
        }
        WaitForSingleObject(hBufferDone_, kWaitMilliseconds);
    }
}
