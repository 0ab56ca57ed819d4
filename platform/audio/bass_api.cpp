// The exported calls of bass.dll: a table of streams (each an Mp3Decoder and
// its WavePlayer) behind 32-bit handles, the output device chosen by
// BASS_Init, and the last error code. Every call sets the error code: 0 when
// it succeeds.
#include "bass.h"

#include "mp3_decoder.h"
#include "wave_player.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

struct Stream {
    Mp3Decoder decoder;
    std::unique_ptr<WavePlayer> player;
};

struct Library {
    bool initialised = false;
    UINT deviceId = WAVE_MAPPER;
    std::map<DWORD, std::unique_ptr<Stream>> streams;
    DWORD lastHandle = 0x00010000;
    int error = BASS_OK;
};

// Calls come from the window thread; the lock only keeps a stray call from
// another thread from corrupting the table. The players' threads never take it.
std::mutex g_lock;
// Never destroyed: at process exit, with other threads already gone and the
// loader lock held, stopping players and closing devices could hang. The
// program frees everything with BASS_Free before it ends.
Library& g_lib = *new Library;

// Each call records its outcome here and returns through it.
template <typename T>
T Fail(int code, T result)
{
    g_lib.error = code;
    return result;
}
template <typename T>
T Succeed(T result)
{
    g_lib.error = BASS_OK;
    return result;
}

Stream* FindStream(DWORD handle)
{
    auto it = g_lib.streams.find(handle);
    return it == g_lib.streams.end() ? nullptr : it->second.get();
}

DWORD NextHandle()
{
    do {
        ++g_lib.lastHandle;
    } while (g_lib.lastHandle == 0 || g_lib.streams.count(g_lib.lastHandle) != 0);
    return g_lib.lastHandle;
}

// Opens the device once in a common format and closes it again: proves that
// an output device exists and works.
int ProbeDevice(UINT deviceId, DWORD freq)
{
    if (waveOutGetNumDevs() == 0) return BASS_ERROR_DEVICE;
    WAVEFORMATEX wfx = {};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = 2;
    wfx.nSamplesPerSec = freq;
    wfx.wBitsPerSample = 16;
    wfx.nBlockAlign = 4;
    wfx.nAvgBytesPerSec = freq * 4;
    HWAVEOUT hwo = nullptr;
    if (waveOutOpen(&hwo, deviceId, &wfx, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return BASS_ERROR_DRIVER;
    waveOutClose(hwo);
    return BASS_OK;
}

}  // namespace

BASSDEF(BOOL) BASS_Init(int device, DWORD freq, DWORD /*flags*/, HWND /*win*/, const GUID* /*dsguid*/)
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_lib.initialised) return Fail(BASS_ERROR_ALREADY, FALSE);
    UINT deviceId;
    if (device == -1) {
        deviceId = WAVE_MAPPER;
    } else if (device >= 1 && static_cast<UINT>(device) <= waveOutGetNumDevs()) {
        deviceId = static_cast<UINT>(device - 1);
    } else {
        return Fail(BASS_ERROR_DEVICE, FALSE);
    }
    if (freq < 8000 || freq > 192000) return Fail(BASS_ERROR_ILLPARAM, FALSE);
    int probe = ProbeDevice(deviceId, freq);
    if (probe != BASS_OK) return Fail(probe, FALSE);
    g_lib.deviceId = deviceId;
    g_lib.initialised = true;
    return Succeed(TRUE);
}

BASSDEF(BOOL) BASS_Free()
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!g_lib.initialised) return Fail(BASS_ERROR_INIT, FALSE);
    g_lib.streams.clear();  // each player stops and closes its device
    g_lib.initialised = false;
    return Succeed(TRUE);
}

BASSDEF(HSTREAM) BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags)
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!g_lib.initialised) return Fail(BASS_ERROR_INIT, HSTREAM(0));
    if (mem || offset != 0 || length != 0) return Fail(BASS_ERROR_ILLPARAM, HSTREAM(0));
    if (!file) return Fail(BASS_ERROR_FILEOPEN, HSTREAM(0));
    auto stream = std::make_unique<Stream>();
    const OsPath path = (flags & BASS_UNICODE) ? OsPath(nullptr, static_cast<const char16_t*>(file))
                                               : OsPath(static_cast<const char*>(file));
    switch (stream->decoder.Open(path)) {
    case DecoderOpenResult::Ok: break;
    case DecoderOpenResult::FileNotOpened: return Fail(BASS_ERROR_FILEOPEN, HSTREAM(0));
    case DecoderOpenResult::NotDecodable: return Fail(BASS_ERROR_FILEFORM, HSTREAM(0));
    case DecoderOpenResult::DecoderFailed: return Fail(BASS_ERROR_MEM, HSTREAM(0));
    }
    stream->player = std::make_unique<WavePlayer>(stream->decoder, g_lib.deviceId);
    DWORD handle = NextHandle();
    g_lib.streams[handle] = std::move(stream);
    return Succeed(HSTREAM(handle));
}

BASSDEF(BOOL) BASS_StreamFree(HSTREAM handle)
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!FindStream(handle)) return Fail(BASS_ERROR_HANDLE, FALSE);
    g_lib.streams.erase(handle);
    return Succeed(TRUE);
}

BASSDEF(QWORD) BASS_ChannelGetLength(DWORD handle)
{
    std::lock_guard<std::mutex> lock(g_lock);
    Stream* s = FindStream(handle);
    if (!s) return Fail(BASS_ERROR_HANDLE, QWORD(0));
    return Succeed(QWORD(s->decoder.LengthBytes()));
}

BASSDEF(float) BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos)
{
    std::lock_guard<std::mutex> lock(g_lock);
    Stream* s = FindStream(handle);
    if (!s) return Fail(BASS_ERROR_HANDLE, 0.0f);
    return Succeed(static_cast<float>(s->decoder.BytesToSeconds(pos)));
}

BASSDEF(QWORD) BASS_ChannelGetPosition(DWORD handle)
{
    std::lock_guard<std::mutex> lock(g_lock);
    Stream* s = FindStream(handle);
    if (!s) return Fail(BASS_ERROR_HANDLE, QWORD(0));
    return Succeed(QWORD(s->player->PositionBytes()));
}

BASSDEF(BOOL) BASS_ChannelSetPosition(DWORD handle, QWORD pos)
{
    std::lock_guard<std::mutex> lock(g_lock);
    Stream* s = FindStream(handle);
    if (!s) return Fail(BASS_ERROR_HANDLE, FALSE);
    if (pos > s->decoder.LengthBytes()) return Fail(BASS_ERROR_POSITION, FALSE);
    bool wasPlaying = s->player->IsPlaying();
    if (!s->player->SeekToByte(pos)) {
        // A playing stream that cannot be restarted has lost its device.
        return Fail(wasPlaying && !s->player->IsPlaying() ? BASS_ERROR_DRIVER : BASS_ERROR_POSITION, FALSE);
    }
    return Succeed(TRUE);
}

BASSDEF(BOOL) BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    std::lock_guard<std::mutex> lock(g_lock);
    Stream* s = FindStream(handle);
    if (!s) return Fail(BASS_ERROR_HANDLE, FALSE);
    WavePlayer& player = *s->player;
    if (player.IsPlaying() && !restart) return Succeed(TRUE);
    // A stream played to its end starts again from its beginning; one only moved to its end plays nothing.
    if (restart || player.PlayedToEnd()) {
        player.Stop();
        player.SeekToByte(0);
    }
    if (!player.Start()) return Fail(BASS_ERROR_DRIVER, FALSE);
    return Succeed(TRUE);
}

BASSDEF(BOOL) BASS_ChannelStop(DWORD handle)
{
    std::lock_guard<std::mutex> lock(g_lock);
    Stream* s = FindStream(handle);
    if (!s) return Fail(BASS_ERROR_HANDLE, FALSE);
    s->player->Stop();
    return Succeed(TRUE);
}

BASSDEF(DWORD) BASS_ChannelIsActive(DWORD handle)
{
    std::lock_guard<std::mutex> lock(g_lock);
    Stream* s = FindStream(handle);
    if (!s) return Fail(BASS_ERROR_HANDLE, DWORD(BASS_ACTIVE_STOPPED));
    return Succeed(DWORD(s->player->IsPlaying() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED));
}

BASSDEF(int) BASS_ErrorGetCode()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_lib.error;
}
