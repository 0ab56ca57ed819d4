// Cuts of every lame-made fixture and every file made by others, judged as
// players judge them: the new file is the cut's Xing/Info frame, at most two
// priming frames and exactly the selected frames of its source; natively,
// mpg123 decodes it without complaint to the very samples the source plays
// of those frames, ffmpeg to as many, and mutagen, ffprobe and mpg123 report
// its duration. The figures measured are printed at the end.
#include "app_state.h"
#include "cutter.h"
#include "engine_fixture.h"
#include "frame_header.h"
#include "frame_index.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "judges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

// What one cut was and what the judges said of it.
struct CutCase {
    std::string family;   // e.g. "MPEG 1 VBR (lame)"
    std::string name;     // source file
    std::string made;     // the new file (removed once judged)
    int32_t nSelected;    // frames selected
    int32_t nLead;        // frames of the cut before them (priming)
    int32_t spf, rate, channels;
    bool bLameSource;     // the source's LAME header names a LAME version
    int64_t nAudioBytes = 0;  // bytes of the cut's frames
    int64_t nExpected = -1;  // samples (per channel) the source plays of the selection; -1 not comparable
};

// Per family: how many cuts, how they started, and how far into each edge the
// decoded samples differed from the source's.
struct FamilyFigures {
    int cuts = 0, compared = 0, exact = 0;
    int lead[3] = {0, 0, 0};
    int64_t startEdge = 0, endEdge = 0;  // largest extent of differences of more than a step, in samples
    int64_t rounding = 0, samples = 0;    // samples a step off, of all compared
};
std::map<std::string, FamilyFigures> g_figures;

// The decoders are Linux programs; with sanitizers only the files themselves
// are checked.
#if defined(_WIN32) || defined(__SANITIZE_ADDRESS__)
#define ZDV_DECODERS_JUDGE 0
#else
#define ZDV_DECODERS_JUDGE 1
#endif

// Up to 576 samples at each edge may differ: the transform overlap with the
// frames around the selection, and the synthesis filter bank's memory.
constexpr int64_t kEdgeSamples = 576;
// RMS of 16-bit samples from which a span counts as loud (about -40 dBFS).
constexpr double kLoudRms = 300;

class CutJudgesTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        MakeFolder(dir.File("out"));
    }

    static void TearDownTestSuite()
    {
        printf("\n  cut figures: family | cuts | lead 0/1/2 | compared | exact | start edge | end edge | a step off\n");
        for (const auto& [family, f] : g_figures)
            printf("  %-28s %4d  %3d/%3d/%3d  %4d  %4d  %5lld  %5lld  %lld of %lld\n", family.c_str(), f.cuts, f.lead[0], f.lead[1],
                   f.lead[2], f.compared, f.exact, static_cast<long long>(f.startEdge), static_cast<long long>(f.endEdge),
                   static_cast<long long>(f.rounding), static_cast<long long>(f.samples));
        g_figures.clear();
    }

    // Loads a copy of the file, cuts the given share of it and checks the new
    // file's frames. Returns the case ("" as made when nothing was made).
    CutCase Cut(const std::string& from, const std::string& family, float startShare, float endShare, [[maybe_unused]] bool withDecoders)
    {
        CutCase cut{family, FileTitleOf(from), "", 0, 0, 0, 0, 0, false};
        const std::string source = CopyIn(from, "source.mp3");
        Load(source);
        strcpy(g_state.szOutputFolder, dir.File("out").c_str());
        Select(g_state.fDuration * startShare, g_state.fDuration * endShare);
        const FrameSpan span = MP3MapSelection(g_state.nFrames, g_state.fStart, g_state.fEnd, g_state.fDuration);
        ui.messages.clear();
        MP3Split();
        if (ui.messages.size() != 1 || ui.messages[0].flags != (MB_ICONQUESTION | MB_YESNO)) {
            ADD_FAILURE() << "the cut did not finish";
            return cut;
        }
        cut.made = g_state.szScratch;
        if (getenv("ZDV_KEEP")) WriteFileBytes(std::string(getenv("ZDV_KEEP")) + "/" + cut.name + "_" + std::to_string(int(startShare * 100)) + ".mp3", ReadFileBytes(cut.made));
        const std::vector<uint8_t> bytes = ReadFileBytes(source);
        const std::vector<uint8_t> audio = AudioOf(ReadFileBytes(cut.made));
        EXPECT_EQ(CutProblems(audio, bytes, span.i, span.j), "");
        if (span.i >= span.j || audio.empty()) return cut;
        cut.nAudioBytes = static_cast<int64_t>(audio.size());

        // One describing frame only: the cut's own, never the source's.
        int infoFrames = 0;
        std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(audio.data(), static_cast<int64_t>(audio.size()), nullptr)));
        MP3ScanFrames(audio.data(), static_cast<int64_t>(audio.size()), frames.data());
        for (const FrameEntry& f : frames) infoFrames += MP3IsInfoFrame(audio.data() + f.nOffset, f.nLength);
        EXPECT_EQ(infoFrames, 1);

        const uint8_t* first = bytes.data() + g_state.pFrames[span.i].nOffset;
        cut.nSelected = span.j - span.i;
        cut.nLead = static_cast<int32_t>(frames.size()) - 1 - cut.nSelected;
        cut.spf = MP3SamplesPerFrame(first);
        cut.rate = MP3SampleRate(first);
        cut.channels = MP3IsMono(first) ? 1 : 2;
        const FrameEntry& info = g_state.feInfoFrame;
        const InfoFrameFacts facts = info.nLength ? MP3ReadInfoFrame(bytes.data() + info.nOffset, info.nLength) : InfoFrameFacts();
        cut.bLameSource = facts.bLame && memcmp(facts.lame, "LAME", 4) == 0 && facts.lame[4] >= '0' && facts.lame[4] <= '9';

        FamilyFigures& figures = g_figures[family];
        ++figures.cuts;
        ++figures.lead[std::min(cut.nLead, 2)];
#if ZDV_DECODERS_JUDGE
        if (withDecoders) ComparePlayback(source, span, cut, figures);
#endif
        return cut;
    }

    // Keeps a cut under a name of its own for the judges of its duration.
    void Keep(CutCase& cut, std::vector<CutCase>& judged)
    {
        const std::string kept = dir.File("cut" + std::to_string(judged.size() + 1) + ".mp3");
        std::rename(cut.made.c_str(), kept.c_str());  // the next cut takes the same name again
        cut.made = kept;
        judged.push_back(cut);
    }

    // The durations ffprobe and mutagen give the kept cuts.
    void JudgeDurations([[maybe_unused]] const std::vector<CutCase>& judged)
    {
#if ZDV_DECODERS_JUDGE
        std::vector<std::string> paths;
        for (const CutCase& cut : judged) paths.push_back(cut.made);
        const std::vector<double> mutagen = MutagenSeconds(paths);
        for (size_t k = 0; k < judged.size(); ++k) {
            const CutCase& cut = judged[k];
            SCOPED_TRACE(cut.name);
            // ffprobe counts the frames the Xing header counts: the selected ones
            // and the priming ones (but where the ID3v1 tag is more than a
            // sixteenth of the frames' bytes it estimates from the bitrate).
            // mutagen gives the samples the LAME header leaves where that names a
            // LAME version, and otherwise counts frames too.
            const double counted = (cut.nSelected + cut.nLead) * double(cut.spf) / cut.rate;
            if (cut.nAudioBytes > 16 * 128) {
                EXPECT_NEAR(FfprobeSeconds(cut.made), counted, 1e-5);
            }
            if (cut.nExpected >= 0) {
                EXPECT_NEAR(mutagen[k], cut.bLameSource ? double(cut.nExpected) / cut.rate : counted, 1e-5);
            }
        }
#endif
    }

#if ZDV_DECODERS_JUDGE
    // The samples the source plays of the selected frames: those of the
    // frames' span of its full decode that its gapless decode keeps. Compared
    // with the cut's gapless decode, which must have exactly as many, equal
    // but for the edges. Not comparable when mpg123 does not decode the
    // source to the frames of the index (free format, junk it takes for
    // frames, changes of sample rate).
    void ComparePlayback(const std::string& source, FrameSpan span, CutCase& cut, FamilyFigures& figures)
    {
        if (sourcePath_ != source || sourceBytes_ != ReadFileBytes(source)) {
            sourcePath_ = source;
            sourceBytes_ = ReadFileBytes(source);
            full_ = Mpg123Decode(source, false).samples;
            const Mpg123Decoding played = Mpg123Decode(source, true);
            played_ = played.samples;
            sourceClean_ = played.complaints.empty();
            sourceStart_ = FfprobeStartTime(source);
        }
        const Mpg123Decoding decoded = Mpg123Decode(cut.made, true);
        // What decodes cleanly must still decode cleanly when cut.
        if (sourceClean_) {
            EXPECT_EQ(decoded.complaints, "");
        }
        const int64_t fullLength = static_cast<int64_t>(full_.size()) / 2, playedLength = static_cast<int64_t>(played_.size()) / 2;
        if (fullLength != int64_t(g_state.nFrames) * cut.spf || playedLength == 0) return;
        const uint8_t* model = sourceBytes_.data() + g_state.pFrames[0].nOffset;
        for (int32_t k = 1; k < g_state.nFrames; ++k)
            if (!MP3SameStream(sourceBytes_.data() + g_state.pFrames[k].nOffset, model)) return;
        // Where the gapless decode starts in the full one, as ffprobe reads the
        // source's LAME header; not comparable where mpg123 reads it otherwise.
        const int64_t skip = std::llround(sourceStart_ * cut.rate);
        if (skip + playedLength > fullLength || !std::equal(played_.begin(), played_.end(), full_.begin() + 2 * skip)) return;

        const int64_t start = std::max(int64_t(span.i) * cut.spf, skip);
        const int64_t end = std::min(int64_t(span.j) * cut.spf, skip + playedLength);
        if (end <= start) return;
        cut.nExpected = end - start;
        const std::vector<int16_t>& made = decoded.samples;
        ++figures.compared;
        EXPECT_NEAR(decoded.seconds, double(cut.nExpected) / cut.rate, 0.0101) << "the time mpg123 shows";
        ASSERT_EQ(static_cast<int64_t>(made.size()) / 2, cut.nExpected) << "samples the cut plays";
        // Larger differences only near the edges, each counted as far as it
        // reaches. Differences of one step anywhere only when the priming
        // frames move the first selected frame to another place in mpg123's
        // synthesis buffer (16 blocks of 32 samples) than in the source: its
        // rounding depends on that place, as frames of silence put in front
        // of the source show.
        const bool placeKept = ((cut.nLead - span.i) * (cut.spf / 32)) % 16 == 0;
        int64_t rounding = 0, startEdge = 0, endEdge = 0;
        for (int64_t k = 0; k < cut.nExpected; ++k) {
            const int16_t* mine = made.data() + 2 * k;
            const int16_t* theirs = full_.data() + 2 * (start + k);
            const int diff = std::max(std::abs(mine[0] - theirs[0]), std::abs(mine[1] - theirs[1]));
            if (diff == 0) continue;
            if (diff == 1 && !placeKept) {
                ++rounding;
            } else if (k < cut.nExpected / 2) {
                startEdge = k + 1;
            } else {
                endEdge = std::max(endEdge, cut.nExpected - k);
            }
        }
        if (rounding == 0 && startEdge == 0 && endEdge == 0) ++figures.exact;
        figures.rounding += rounding;
        figures.samples += cut.nExpected;
        figures.startEdge = std::max(figures.startEdge, startEdge);
        figures.endEdge = std::max(figures.endEdge, endEdge);
        EXPECT_LE(startEdge, kEdgeSamples) << "differences reach this far into the start";
        EXPECT_LE(endEdge, kEdgeSamples) << "differences reach this far into the end";

        EXPECT_EQ(FfmpegSampleCount(cut.made, cut.channels), cut.nExpected) << "samples ffmpeg decodes";

        // The first 50 ms are sound, as loud as the source's: not silence, not a click.
        const int64_t span50 = std::min<int64_t>(cut.rate / 20, cut.nExpected);
        auto rms = [&](const int16_t* samples) {
            double sum = 0;
            for (int64_t k = 0; k < 2 * span50; ++k) sum += double(samples[k]) * samples[k];
            return std::sqrt(sum / double(2 * span50));
        };
        const double theirs = rms(full_.data() + 2 * start);
        if (theirs >= kLoudRms) {
            EXPECT_LE(std::fabs(20 * std::log10(rms(made.data()) / theirs)), 3.0) << "dB off the source's first 50 ms";
        }
    }

    std::string sourcePath_;
    std::vector<uint8_t> sourceBytes_;
    std::vector<int16_t> full_, played_;
    bool sourceClean_ = false;
    double sourceStart_ = 0;
#endif
};

std::string FamilyOf(const FixtureInfo& info)
{
    const std::string kind = info.crc ? "CRC" : info.name.rfind("noinfo", 0) == 0 ? "VBR, no Info" : info.vbr ? "VBR" : "CBR";
    return "MPEG " + info.version + " " + kind + " (lame)";
}

std::string FamilyOf(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(bytes.data(), static_cast<int64_t>(bytes.size()), nullptr)));
    MP3ScanFrames(bytes.data(), static_cast<int64_t>(bytes.size()), frames.data());
    if (frames.empty()) return "no audio (others)";
    const uint8_t* h = bytes.data() + frames[0].nOffset;
    const bool v1 = MP3IsMpeg1(h);
    const bool v25 = !v1 && (h[1] & 0x18) == 0;
    return std::string("MPEG ") + (v1 ? "1" : v25 ? "2.5" : "2") + " (others)";
}

// The decoders judge the VBR and CRC files and, of the CBR files, the lowest
// and the highest bitrate of each version (the other CBR files and the tag
// files have the same kinds of frames).
bool JudgedByDecoders(const FixtureInfo& info)
{
    if (info.name.rfind("tag_", 0) == 0) return false;
    if (info.name.rfind("cbr_", 0) != 0) return true;
    static const std::map<std::string, std::vector<int>> kJudged = {{"1", {32, 320}}, {"2", {8, 160}}, {"2.5", {8, 64}}};
    const std::vector<int>& bitrates = kJudged.at(info.version);
    return std::find(bitrates.begin(), bitrates.end(), info.bitrate) != bitrates.end();
}

TEST_F(CutJudgesTest, LameFilesOfEveryVersionRateAndMode)
{
    std::vector<CutCase> judged;
    for (const FixtureInfo& info : LoadFixtureManifest()) {
        SCOPED_TRACE(info.name);
        const bool withDecoders = JudgedByDecoders(info);
        // A middle part, a part from the start (which would take the encoder's
        // Info frame along) and a part to the end.
        for (auto [start, end] : {std::pair(0.25f, 0.75f), std::pair(0.0f, 0.5f), std::pair(0.5f, 1.0f)}) {
            SCOPED_TRACE(start);
            CutCase cut = Cut(FixturePath(info.name), FamilyOf(info), start, end, withDecoders);
            if (cut.made.empty()) continue;
#if ZDV_DECODERS_JUDGE
            if (info.name == "tag_v1v2.mp3" && start == 0.0f) {
                const auto frames = MutagenFrames(cut.made);
                EXPECT_EQ(frames.size(), 3u);
                EXPECT_EQ(frames.count("TPE1") + frames.count("TALB") + frames.count("TIT2"), 3u);
            }
#endif
            if (!withDecoders) {
                std::remove(cut.made.c_str());  // the next cut takes the same name again
                continue;
            }
            Keep(cut, judged);
        }
    }
    JudgeDurations(judged);
}

TEST_F(CutJudgesTest, FilesMadeByOthers)
{
    const std::vector<std::string> names = TestdataFiles({".mp3", ".bit"});
    if (names.empty()) GTEST_SKIP() << "real-world files not present";
    std::vector<CutCase> judged;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        // The decoders judge a middle part; the whole file, from the start, is
        // checked for its frames.
        for (auto [start, end] : {std::pair(0.25f, 0.75f), std::pair(0.0f, 1.0f)}) {
            CutCase cut = Cut(TestdataPath(name), FamilyOf(TestdataPath(name)), start, end, start > 0);
            if (cut.nExpected >= 0) {
                Keep(cut, judged);
            } else if (!cut.made.empty()) {
                std::remove(cut.made.c_str());
            }
        }
    }
    JudgeDurations(judged);
}

}  // namespace
