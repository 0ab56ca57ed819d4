// Speed and memory of the engine on hour-long files, against the floor set
// by the disk: reading the source once and writing the new file once.
//
//   zdv_engine_bench            makes (once) a 60-minute 128 kbit/s CBR and a
//                               60-minute VBR file with lame and prints the
//                               figures for both
//   zdv_engine_bench FILE...    the same for the given files
//
// Peak memory is taken from a fresh process that only loads the file
// (VmHWM), so nothing else of this program counts; its load is timed too.
#include "app_state.h"
#include "cutter.h"
#include "decoded_levels.h"
#include "diag_log.h"
#include "engine_ui.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "os.h"
#include "source_file.h"
#include "tag_carry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Seconds taken by the best of a few runs of a step.
template <typename Step>
double BestSeconds(int runs, Step step)
{
    double best = 1e9;
    for (int k = 0; k < runs; ++k) {
        const auto start = Clock::now();
        step();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (seconds < best) best = seconds;
    }
    return best;
}

int64_t FileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

// Makes an hour of two-channel 44,100 Hz music-like sound (a tone that steps
// through a scale in each channel, with a little noise) encoded by lame.
bool MakeHourLongFile(const std::string& path, const std::string& lameArgs)
{
    if (FileSize(path) > 0) return true;
    fprintf(stderr, "making %s with lame (once; a few minutes)...\n", path.c_str());
    const std::string source =
        "ffmpeg -hide_banner -loglevel error -f lavfi -i "
        "'aevalsrc=0.3*sin(2*PI*(220+55*floor(mod(t\\,16)))*t)+0.04*(random(0)-0.5)|"
        "0.3*sin(2*PI*(330+55*floor(mod(t\\,12)))*t)+0.04*(random(1)-0.5):s=44100:d=3600' "
        "-f s16le -ac 2 -ar 44100 -";
    const std::string tmp = path + ".part";
    const std::string command = source + " | lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j " +
                                lameArgs + " - '" + tmp + "' 2>/dev/null && mv '" + tmp + "' '" + path + "'";
    return system(command.c_str()) == 0 && FileSize(path) > 0;
}

// The peak resident memory of this process so far, in bytes.
int64_t PeakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6) * 1024;
    return -1;
}

// What a fresh process of this program that loads the file (or, with an
// empty path, does nothing) takes: its peak memory in bytes, and the seconds
// of the load, where nothing freed before can be used again.
struct FreshLoad {
    int64_t peakBytes = -1;
    double seconds = 0;
};
FreshLoad RunFreshLoad(const std::string& self, const std::string& path)
{
    const std::string command = "'" + self + "' --peak-of-load '" + path + "'";
    FreshLoad load;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return load;
    long long bytes = -1;
    if (fscanf(pipe, "%lld %lf", &bytes, &load.seconds) != 2) bytes = -1;
    pclose(pipe);
    load.peakBytes = bytes;
    return load;
}

void SetSource(const std::string& path)
{
    strcpy(g_state.szSourcePath, path.c_str());
    const size_t slash = path.find_last_of('/');
    strcpy(g_state.szFileTitle, path.c_str() + slash + 1);
}

// The load step as far as the engine goes: the frame index and the tag.
void LoadSource()
{
    SourceTag tag;
    MP3GetFrames();
    ReadSourceTag(tag);
    FillMissingTagTexts();
}

void Report(const std::string& self, const std::string& path, const std::string& outFolder)
{
    const int64_t size = FileSize(path);
    const double mb = static_cast<double>(size) / 1e6;
    printf("\n%s: %.1f MB\n", path.c_str(), mb);
    SetSource(path);

    // The floor: read the file once, write half of it once.
    SourceBytes bytes;
    double readSeconds = 1e9;
    for (int run = 0; run < 5; ++run) {
        bytes = SourceBytes();  // released outside the time taken
        readSeconds = std::min(readSeconds, BestSeconds(1, [&] { ReadSourceFile(path.c_str(), bytes); }));
    }
    const std::string scratch = outFolder + "/floor.bin";
    const size_t outBytes = static_cast<size_t>(bytes.nSize / 2);
    const double writeSeconds = BestSeconds(5, [&] {
        OsDeleteFile(scratch.c_str());
        OsFile file = nullptr;
        OsCreateNewFileForWriting(scratch.c_str(), &file);
        OsWriteExact(file, bytes.pData.get(), outBytes);
        OsCloseFile(file);
    });
    OsDeleteFile(scratch.c_str());

    // The scan alone, over the bytes in memory, chunk by chunk as the load
    // does it (there the chunks are fresh from the read).
    std::vector<FrameEntry> frames;
    const auto scanSecondsOf = [&](bool levels) {
        return BestSeconds(5, [&] {
            FrameScanner scanner(bytes.nSize, levels);
            for (int64_t end = 0; end < bytes.nSize;) {
                end = std::min<int64_t>(bytes.nSize, end + kReadChunkBytes);
                scanner.Advance(bytes.pData.get(), 0, end);
            }
            scanner.Finish([&](int64_t from, int64_t) { return bytes.pData.get() + from; });
            frames = scanner.Take();
        });
    };
    const double bareScanSeconds = scanSecondsOf(false);
    const double scanSeconds = scanSecondsOf(true);
    bytes = SourceBytes();

    const double loadSeconds = BestSeconds(5, LoadSource);
    // The frame index alone, read from the file, as the window's load and
    // the command line's silences make it.
    const auto indexSecondsOf = [&](bool levels) {
        return BestSeconds(5, [&] {
            SourceFile file;
            FrameIndex index;
            int32_t counted = 0;
            if (file.Open(path.c_str()) == SourceRead::Ok) MP3IndexFile(file, index, &counted, nullptr, levels);
        });
    };
    const double bareIndexSeconds = indexSecondsOf(false);
    const double indexSeconds = indexSecondsOf(true);
    // The overview's levels from the decoded sound, which the window makes
    // behind the load.
    const double overviewSeconds = BestSeconds(1, [&] {
        DecodeFrameLevels(path.c_str(), StateIndex().timeline.nSamplesPerFrame, g_state.nFrames,
                          [](int64_t, const uint8_t*, int64_t) { return true; });
    });
    // 30 minutes out of 60.
    g_state.fDuration = static_cast<float>(g_state.nFrames * 1152.0 / 44100.0);
    g_state.fStart = g_state.fDuration / 4;
    g_state.fEnd = g_state.fDuration * 3 / 4;
    strcpy(g_state.szOutputFolder, outFolder.c_str());
    g_state.bFolder = 0;
    const double cutSeconds = BestSeconds(5, [&] {
        MP3Split();
        OsDeleteFile(g_state.szScratch);
    });

    const double floor = readSeconds + writeSeconds;
    const int64_t idle = RunFreshLoad(self, "").peakBytes;
    FreshLoad fresh = RunFreshLoad(self, path);
    for (int run = 1; run < 5; ++run) fresh.seconds = std::min(fresh.seconds, RunFreshLoad(self, path).seconds);
    const int64_t peak = fresh.peakBytes;
    printf("  frames                 %d\n", g_state.nFrames);
    printf("  read once              %7.1f ms  (%.2f GB/s)\n", readSeconds * 1e3, size / readSeconds / 1e9);
    printf("  write half once        %7.1f ms  (%.2f GB/s)\n", writeSeconds * 1e3, outBytes / writeSeconds / 1e9);
    printf("  I/O floor              %7.1f ms\n", floor * 1e3);
    printf("  index scan in memory   %7.1f ms  (%.2f GB/s; target >= 1 GB/s)\n", scanSeconds * 1e3,
           size / scanSeconds / 1e9);
    printf("  without the levels     %7.1f ms  (the levels add %.1f %%)\n", bareScanSeconds * 1e3,
           (scanSeconds / bareScanSeconds - 1) * 100);
    printf("  load (index and tag)   %7.1f ms  (in a fresh process %.1f ms)\n", loadSeconds * 1e3, fresh.seconds * 1e3);
    printf("  index from the file    %7.1f ms  (with the levels %.1f ms: %.1f %% more)\n", bareIndexSeconds * 1e3,
           indexSeconds * 1e3, (indexSeconds / bareIndexSeconds - 1) * 100);
    printf("  overview decoded       %7.1f ms  (behind the load)\n", overviewSeconds * 1e3);
    printf("  cut 30 of 60 minutes   %7.1f ms\n", cutSeconds * 1e3);
    printf("  load + cut             %7.1f ms  = %.2f x the I/O floor (target <= 2)\n", (loadSeconds + cutSeconds) * 1e3,
           (loadSeconds + cutSeconds) / floor);
    printf("  peak memory of a load  %7.1f MB  (process at rest %.1f MB; load adds %.1f MB = %.3f x the file; "
           "target <= 1.1)\n",
           peak / 1e6, idle / 1e6, (peak - idle) / 1e6, static_cast<double>(peak - idle) / size);
}

}  // namespace

int main(int argc, char** argv)
{
    AllocTextBuffers();
    if (argc == 3 && strcmp(argv[1], "--peak-of-load") == 0) {
        const auto start = Clock::now();
        if (argv[2][0]) {
            SetSource(argv[2]);
            LoadSource();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        printf("%lld %.6f\n", static_cast<long long>(PeakResidentBytes()), seconds);
        return 0;
    }

    const std::string dataDir = ZDV_BENCH_DATA_DIR;
    mkdir(dataDir.c_str(), 0755);
    const std::string outFolder = dataDir + "/out";
    mkdir(outFolder.c_str(), 0755);
    g_log.Open((dataDir + "/log.txt").c_str());

    std::vector<std::string> files(argv + 1, argv + argc);
    if (files.empty()) {
        const std::string cbr = dataDir + "/hour_cbr128.mp3", vbr = dataDir + "/hour_vbr.mp3";
        if (!MakeHourLongFile(cbr, "--cbr -b 128") || !MakeHourLongFile(vbr, "-V 2")) {
            fprintf(stderr, "could not make the files (ffmpeg and lame needed)\n");
            return 1;
        }
        files = {cbr, vbr};
    }
    const std::string self = argv[0][0] == '/' ? argv[0] : std::string(getcwd(nullptr, 0)) + "/" + argv[0];
    for (const std::string& file : files) Report(self, file, outFolder);
    return 0;
}
