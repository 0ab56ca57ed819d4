#include "decoded_levels.h"

#include "mp3_decoder.h"
#include "sound_level.h"

#include <algorithm>
#include <vector>

namespace {

// The sample frames decoded at a time.
constexpr size_t kReadSampleFrames = 16 * 1152;
constexpr double kFullScalePower = 32768.0 * 32768.0;

// The levels of the frames in file order, from the sums of the squares of
// their samples, handed over a block at a time.
class LevelBlocks {
public:
    LevelBlocks(int64_t frames, const std::function<bool(int64_t, const uint8_t*, int64_t)>& take)
        : frames_(frames), take_(take)
    {
        block_.reserve(kDecodedLevelBlock);
    }
    // Adds values squares summed of the current frame.
    void Add(int64_t sum, int64_t values)
    {
        sum_ += sum;
        values_ += values;
    }
    // The current frame is complete: false when take stops the decode.
    bool Next()
    {
        block_.push_back(values_ ? LevelOfPower(static_cast<double>(sum_) / kFullScalePower / values_) : kLevelSilent);
        sum_ = values_ = 0;
        ++done_;
        if (static_cast<int64_t>(block_.size()) < kDecodedLevelBlock && done_ < frames_) return true;
        const bool going = take_(done_ - static_cast<int64_t>(block_.size()), block_.data(),
                                 static_cast<int64_t>(block_.size()));
        block_.clear();
        return going;
    }
    int64_t Done() const { return done_; }

private:
    int64_t frames_;
    const std::function<bool(int64_t, const uint8_t*, int64_t)>& take_;
    std::vector<uint8_t> block_;
    int64_t done_ = 0;
    int64_t sum_ = 0, values_ = 0;
};

}  // namespace

bool DecodeFrameLevels(const OsPath& path, int32_t samplesPerFrame, int64_t frames,
                       const std::function<bool(int64_t first, const uint8_t* levels, int64_t count)>& take)
{
    Mp3Decoder decoder;
    const int64_t spf = samplesPerFrame;
    if (frames <= 0 || spf <= 0 || decoder.Open(path, DecoderOpenMode::Pass) != DecoderOpenResult::Ok) return false;
    const size_t channels = static_cast<size_t>(decoder.Channels());
    std::vector<int16_t> pcm(kReadSampleFrames * channels);
    LevelBlocks blocks(frames, take);
    // The sample that comes next: frame k ends where sample (k + 1) s begins.
    int64_t at = 0;
    for (;;) {
        const size_t got = decoder.Read(pcm.data(), pcm.size() * sizeof pcm[0]) / decoder.BlockBytes();
        if (got == 0) break;
        for (size_t i = 0; i < got && blocks.Done() < frames;) {
            const int64_t frameEnd = (blocks.Done() + 1) * spf;
            const size_t n = static_cast<size_t>(std::min<int64_t>(frameEnd - at, int64_t(got - i)));
            int64_t sum = 0;
            for (const int16_t* x = pcm.data() + i * channels; x != pcm.data() + (i + n) * channels; ++x)
                sum += int32_t(*x) * *x;
            blocks.Add(sum, static_cast<int64_t>(n * channels));
            i += n;
            at += static_cast<int64_t>(n);
            if (at >= frameEnd && !blocks.Next()) return false;
        }
        if (blocks.Done() >= frames) return true;
    }
    while (blocks.Done() < frames)
        if (!blocks.Next()) return false;
    return true;
}
