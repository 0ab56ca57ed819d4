// A console program that plays through bass.dll the way the program does,
// for the tests that listen to the output (record_playback.sh) and the test
// without any output device. Its exit code is its number of failed checks.
//
//   bass_probe play FILE SECONDS          play from the start until the
//                                         position reaches SECONDS, then stop;
//                                         SECONDS 0: until the stream ends
//   bass_probe seekplay FILE AT SECONDS   seek to AT seconds, then the same
//   bass_probe nodevice                   BASS_Init must fail with a code
#include "bass.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Allowed difference between the position's advance and the wall clock's.
constexpr double kToleranceSeconds = 0.1;
constexpr DWORD kPollMilliseconds = 10;

int g_failures = 0;

void Check(bool ok, const char* what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++g_failures;
}

double Now()
{
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(freq.QuadPart);
}

int NoDevice()
{
    BOOL ok = BASS_Init(-1, 44100, 0, nullptr, nullptr);
    int code = BASS_ErrorGetCode();
    std::printf("BASS_Init = %d, error code %d\n", ok, code);
    Check(!ok, "BASS_Init fails without an output device");
    Check(code != 0, "with a non-zero error code");
    return g_failures;
}

// Plays from seekSeconds until the position has advanced by playSeconds (0:
// until the stream stops by itself at its end), checking that the position
// follows the wall clock meanwhile.
int Play(const char* file, double seekSeconds, double playSeconds)
{
    if (!BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
        std::printf("BASS_Init failed: %d\n", BASS_ErrorGetCode());
        return 1;
    }
    HSTREAM h = BASS_StreamCreateFile(FALSE, file, 0, 0, 0);
    if (!h) {
        std::printf("BASS_StreamCreateFile failed: %d\n", BASS_ErrorGetCode());
        return 1;
    }
    QWORD length = BASS_ChannelGetLength(h);
    double lengthSeconds = BASS_ChannelBytes2Seconds(h, length);
    double bytesPerSecond = double(length) / lengthSeconds;
    QWORD seekBytes = static_cast<QWORD>(seekSeconds * bytesPerSecond);
    if (seekSeconds > 0) Check(BASS_ChannelSetPosition(h, seekBytes) != 0, "seek");
    double start = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));
    Check(std::fabs(start - seekSeconds) < 0.001, "the position is the seek target");
    const bool toTheEnd = playSeconds <= 0;
    const double expected = toTheEnd ? lengthSeconds - start : playSeconds;

    Check(BASS_ChannelPlay(h, FALSE) != 0, "play");
    double t0 = Now();
    double firstMove = -1;  // wall time when the position first moved
    double firstPos = 0;
    double lastMove = -1;   // wall time of the last position before the end
    double lastPos = start;
    std::vector<std::pair<double, double>> track;  // (wall time, position) before the end
    bool monotonic = true;
    bool active = true;
    double pos = start;
    for (;;) {
        Sleep(kPollMilliseconds);
        bool playing = BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING;
        double now = Now();
        pos = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));
        if (pos < lastPos) monotonic = false;
        if (firstMove < 0 && pos > start) {
            firstMove = now;
            firstPos = pos;
        }
        if (pos < lengthSeconds) {
            lastMove = now;
            lastPos = pos;
            if (firstMove >= 0) track.emplace_back(now, pos);
        }
        if (toTheEnd ? !playing : pos - start >= playSeconds) break;
        active = active && playing;
        if (now - t0 > expected + 2.0) break;
    }
    if (toTheEnd) {
        Check(pos == lengthSeconds, "the stream stops by itself at its end");
        Sleep(500);  // the last sound still on its way through the audio server
    }
    BASS_ChannelStop(h);
    double stoppedAt = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));

    // The rate away from the start and the end, where output buffering
    // shows: from 0.3 s after the position first moved to 0.3 s before the end.
    double advance = 0;
    double wall = -1;
    size_t from = 0;
    while (from < track.size() && track[from].first < firstMove + 0.3) ++from;
    size_t to = track.size();
    while (to > from && track[to - 1].first > lastMove - 0.3) --to;
    if (to > from + 1) {
        advance = track[to - 1].second - track[from].second;
        wall = track[to - 1].first - track[from].first;
    }
    std::printf("start latency %.3f s; position %.3f -> %.3f s over %.3f s of wall clock; "
                "in the middle %.3f s over %.3f s\n",
                firstMove < 0 ? -1.0 : firstMove - t0, firstPos, lastPos, firstMove < 0 ? 0.0 : lastMove - firstMove,
                advance, wall);
    Check(firstMove >= 0 && firstMove - t0 < 0.5, "playback starts within 0.5 s");
    Check(active, "BASS_ChannelIsActive is 1 while playing");
    Check(monotonic, "the position never goes back while playing");
    Check(wall > 0.5 && std::fabs(advance - wall) <= kToleranceSeconds,
          "the position advances in real time (within 0.1 s)");
    Check(BASS_ChannelIsActive(h) == BASS_ACTIVE_STOPPED, "stopped after BASS_ChannelStop");
    Check(std::fabs(stoppedAt - pos) < 0.05, "the position stays where playback stopped");
    BASS_Free();
    return g_failures;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 2 && std::strcmp(argv[1], "nodevice") == 0) return NoDevice();
    if (argc == 4 && std::strcmp(argv[1], "play") == 0) return Play(argv[2], 0.0, std::atof(argv[3]));
    if (argc == 5 && std::strcmp(argv[1], "seekplay") == 0)
        return Play(argv[2], std::atof(argv[3]), std::atof(argv[4]));
    std::fprintf(stderr, "usage: bass_probe nodevice | play FILE SECONDS | seekplay FILE AT SECONDS\n");
    return 100;
}
