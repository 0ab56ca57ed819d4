// Figures of the audio library's decoding core on a long file: how long a
// stream takes to open (the scan that measures it exactly), to decode, and
// to seek. The long file is a real lame-made file repeated end to end.
//
//   audio_decode_bench [MINUTES]   (default 30)
#include "mp3_decoder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 30;
    const std::string source = std::string(ZDV_AUDIO_FIXTURE_DIR) + "/tone_change.mp3";  // 12 s
    std::ifstream in(source, std::ios::binary);
    std::vector<char> one((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (one.empty()) {
        std::fprintf(stderr, "missing %s (build the tests first)\n", source.c_str());
        return 1;
    }
    const std::string path = "/tmp/zdv_audio_bench.mp3";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < minutes * 5; ++i) out.write(one.data(), static_cast<std::streamsize>(one.size()));
    }

    Mp3Decoder d;
    auto t0 = Clock::now();
    if (d.Open(path.c_str()) != DecoderOpenResult::Ok) return 1;
    double openMs = MsSince(t0);
    double seconds = d.BytesToSeconds(d.LengthBytes());
    std::printf("file: %.1f MB, %.0f s of audio (%d Hz, %d ch)\n", double(one.size()) * minutes * 5 / 1e6, seconds,
                d.RateHz(), d.Channels());
    std::printf("open (exact length by scan): %.1f ms\n", openMs);

    std::vector<char> buf(1 << 16);
    t0 = Clock::now();
    uint64_t total = 0;
    for (size_t got; (got = d.Read(buf.data(), buf.size())) > 0;) total += got;
    double decodeMs = MsSince(t0);
    std::printf("decode all: %.0f ms, %.0f x real time\n", decodeMs, seconds * 1000 / decodeMs);

    const int seeks = 200;
    t0 = Clock::now();
    for (int i = 0; i < seeks; ++i) {
        uint64_t at = d.LengthBytes() / seeks * i;
        d.SeekToByte(at);
        d.Read(buf.data(), 4096);
    }
    std::printf("seek + first 4 KB: %.2f ms each (%d seeks)\n", MsSince(t0) / seeks, seeks);
    std::remove(path.c_str());
    return total == d.LengthBytes() ? 0 : 1;
}
