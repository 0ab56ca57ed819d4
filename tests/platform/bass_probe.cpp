// A console program that plays through bass.dll the way the program does,
// for the tests that listen to the output (record_playback.sh) and the test
// without any output device. Its exit code is its number of failed checks.
//
//   bass_probe play FILE SECONDS          play from the start until the
//                                         position reaches SECONDS, then stop
//   bass_probe seekplay FILE AT SECONDS   seek to AT seconds, then the same
//   bass_probe nodevice                   BASS_Init must fail with a code
#include "bass.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// Plays from seekSeconds until the position has advanced by playSeconds,
// checking that the position follows the wall clock meanwhile.
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
    double bytesPerSecond = double(length) / BASS_ChannelBytes2Seconds(h, length);
    QWORD seekBytes = static_cast<QWORD>(seekSeconds * bytesPerSecond);
    if (seekSeconds > 0) Check(BASS_ChannelSetPosition(h, seekBytes) != 0, "seek");
    double start = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));
    Check(std::fabs(start - seekSeconds) < 0.001, "the position is the seek target");

    Check(BASS_ChannelPlay(h, FALSE) != 0, "play");
    double t0 = Now();
    double firstMove = -1;   // wall time when the position first moved
    double firstPos = 0;
    double lastPos = start;
    bool monotonic = true;
    bool active = true;
    double pos = start;
    while (pos - start < playSeconds && Now() - t0 < playSeconds + 2.0) {
        Sleep(kPollMilliseconds);
        pos = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));
        if (pos < lastPos) monotonic = false;
        if (firstMove < 0 && pos > start) {
            firstMove = Now();
            firstPos = pos;
        }
        lastPos = pos;
        active = active && BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING;
    }
    double t1 = Now();
    BASS_ChannelStop(h);
    double stoppedAt = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));

    std::printf("start latency %.3f s; position %.3f -> %.3f s over %.3f s of wall clock\n",
                firstMove < 0 ? -1.0 : firstMove - t0, firstPos, pos, firstMove < 0 ? 0.0 : t1 - firstMove);
    Check(firstMove >= 0 && firstMove - t0 < 0.5, "playback starts within 0.5 s");
    Check(active, "BASS_ChannelIsActive is 1 while playing");
    Check(monotonic, "the position never goes back while playing");
    Check(firstMove >= 0 && std::fabs((pos - firstPos) - (t1 - firstMove)) <= kToleranceSeconds,
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
