#include "level_overview.h"

#include "app_state.h"
#include "decoded_levels.h"
#include "frame_index.h"
#include "slider.h"
#include "sound_level.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

namespace {

// How often the window takes the levels decoded, on a timer of the slider.
constexpr UINT kTakeIntervalMs = 250;
constexpr UINT_PTR kTakeTimerId = 0x4C56;

// What the decoding thread and the window share: the levels decoded so far,
// and whether the decode has ended or is to stop.
struct DecodeShare {
    std::mutex lock;
    std::vector<uint8_t> levels;  // the frames decoded, from the first on
    bool ended = false;
    std::atomic<bool> stop{false};
};

struct Overview {
    std::shared_ptr<DecodeShare> share;
    std::thread decoder;
    HWND timerWindow = nullptr;
    std::vector<uint8_t> levels;  // one a frame of the source
    size_t taken = 0;             // the levels of levels taken from the decode
    // Where the program ends without the slider's end (no thread may be
    // left running when the program's objects go).
    ~Overview()
    {
        if (share) share->stop = true;
        if (decoder.joinable()) decoder.join();
    }
};
Overview g_overview;

// On the decoding thread: the levels of the source, copied for it, into share.
void Decode(const std::shared_ptr<DecodeShare>& share, const std::string& path, const std::u16string& original,
            int32_t samplesPerFrame, int64_t frames)
{
    // The window and the playback come first.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    const auto take = [&](int64_t, const uint8_t* levels, int64_t count) {
        std::lock_guard<std::mutex> hold(share->lock);
        share->levels.insert(share->levels.end(), levels, levels + count);
        return !share->stop;
    };
    DecodeFrameLevels(OsPath(path, original), samplesPerFrame, frames, take);
    std::lock_guard<std::mutex> hold(share->lock);
    share->ended = true;
}

// On the window's timer: the levels decoded since the last time go into the
// overview, and the slider shows them; once the decode has ended, the timer
// stops.
void CALLBACK TakeDecodedLevels(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    Overview& o = g_overview;
    if (!o.share) return;
    bool ended = false;
    const size_t before = o.taken;
    {
        std::lock_guard<std::mutex> hold(o.share->lock);
        const size_t count = std::min(o.share->levels.size(), o.levels.size());
        std::copy(o.share->levels.begin() + o.taken, o.share->levels.begin() + count, o.levels.begin() + o.taken);
        o.taken = count;
        ended = o.share->ended;
    }
    if (o.taken != before) {
        RefreshLevelOverview();
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    if (ended) {
        KillTimer(hwnd, id);
        o.timerWindow = nullptr;
    }
}

}  // namespace

void StartLevelOverview()
{
    StopLevelOverview();
    const FrameIndex& index = StateIndex();
    if (index.frames.empty() || !g_state.hSlider) return;
    Overview& o = g_overview;
    o.levels.assign(index.frames.size(), kLevelSilent);
    o.share = std::make_shared<DecodeShare>();
    try {
        o.decoder = std::thread(Decode, o.share, std::string(g_state.szSourcePath),
                                std::u16string(g_state.wszSourcePath ? g_state.wszSourcePath : u""),
                                index.timeline.nSamplesPerFrame, static_cast<int64_t>(index.frames.size()));
    } catch (const std::system_error&) {  // no thread to be had: no overview
        o.share.reset();
        o.levels.clear();
        return;
    }
    o.timerWindow = g_state.hSlider;
    SetTimer(o.timerWindow, kTakeTimerId, kTakeIntervalMs, TakeDecodedLevels);
    RefreshLevelOverview();
}

void StopLevelOverview()
{
    Overview& o = g_overview;
    if (o.share) o.share->stop = true;
    if (o.decoder.joinable()) o.decoder.join();
    if (o.timerWindow) KillTimer(o.timerWindow, kTakeTimerId);
    o.timerWindow = nullptr;
    o.share.reset();
    o.levels.clear();
    o.taken = 0;
    RefreshLevelOverview();
}

const std::vector<uint8_t>& OverviewLevels()
{
    return g_overview.levels;
}
