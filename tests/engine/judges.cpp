#include "judges.h"

#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

namespace {

// A path as one shell word.
std::string Quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Run(const std::string& command, int* status)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        *status = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    *status = pclose(pipe);
    return out;
}

constexpr const char kMutagenScript[] = R"(
import sys, mutagen.id3
try:
    tag = mutagen.id3.ID3(sys.argv[1])
except mutagen.id3.ID3NoHeaderError:
    sys.exit(0)
for frame in tag.values():
    text = "/".join(str(t) for t in frame.text) if hasattr(frame, "text") else ""
    sys.stdout.buffer.write((frame.FrameID + "\t" + text.replace("\n", " ") + "\n").encode("utf-8"))
)";

constexpr const char kMutagenLengths[] = R"(
import sys, mutagen.mp3
for path in sys.argv[1:]:
    try:
        print(repr(mutagen.mp3.MP3(path).info.length))
    except Exception:
        print(-1)
)";

// The numbers a command prints, one per line, in order.
// A file name of its own for mpg123's notes.
std::string TempNotesPath()
{
    static int counter = 0;
    return (std::filesystem::temp_directory_path() / ("zdv-mpg123-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".txt")).string();
}

std::vector<double> Numbers(const std::string& command)
{
    int status = 0;
    std::istringstream lines(Run(command, &status));
    std::vector<double> numbers;
    std::string line;
    while (std::getline(lines, line)) {
        try {
            numbers.push_back(line.empty() ? -1 : std::stod(line));
        } catch (const std::exception&) {
            numbers.push_back(-1);
        }
    }
    return numbers;
}

}  // namespace

Mpg123Decoding Mpg123Decode(const std::string& path, bool gapless)
{
    Mpg123Decoding decoding;
    const std::string notes = TempNotesPath();
    int status = 0;
    const std::string raw = Run(std::string("mpg123 -v -e s16 --stereo -s ") + (gapless ? "--gapless " : "--no-gapless ") +
                                    Quoted(path) + " 2>" + Quoted(notes),
                                &status);
    decoding.samples.resize(raw.size() / 2);
    for (size_t k = 0; k < decoding.samples.size(); ++k)
        decoding.samples[k] = static_cast<int16_t>(static_cast<uint8_t>(raw[2 * k]) | static_cast<uint8_t>(raw[2 * k + 1]) << 8);

    std::ifstream in(notes, std::ios::binary);
    const std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::remove(notes.c_str());
    bool finished = false;
    // Status lines end in carriage returns, notes in line feeds.
    std::string line;
    for (char c : out + "\n") {
        if (c != '\n' && c != '\r') {
            line += c;
            continue;
        }
        if (line.find("finished.") != std::string::npos) finished = true;
        for (const char* word : {"rror", "arning", "llegal", "resync"})
            if (line.find(word) != std::string::npos) {
                decoding.complaints += line + "\n";
                break;
            }
        // The first status line: "> 00+59  00:00.00+00:01.50 ...", played + left.
        const size_t at = line.find("00:00.00+");
        int minutes = 0, seconds = 0, hundredths = 0;
        if (decoding.seconds < 0 && line.rfind("> ", 0) == 0 && at != std::string::npos &&
            sscanf(line.c_str() + at + 9, "%d:%d.%d", &minutes, &seconds, &hundredths) == 3) {
            decoding.seconds = minutes * 60 + seconds + hundredths / 100.0;
        }
        line.clear();
    }
    if (status != 0 || !finished) decoding.complaints += "mpg123 did not finish (status " + std::to_string(status) + ")\n";
    return decoding;
}

double FfprobeStartTime(const std::string& path)
{
    const std::vector<double> start = Numbers("ffprobe -v error -select_streams a:0 -show_entries stream=start_time -of csv=p=0 " +
                                              Quoted(path) + " 2>/dev/null");
    return start.empty() || start[0] < 0 ? 0 : start[0];
}

int64_t FfmpegSampleCount(const std::string& path, int channels)
{
    int status = 0;
    const std::string raw = Run("ffmpeg -v error -i " + Quoted(path) + " -f s16le - 2>/dev/null", &status);
    return static_cast<int64_t>(raw.size()) / (2 * channels);
}

double FfprobeSeconds(const std::string& path)
{
    const std::vector<double> seconds = Numbers("ffprobe -v error -select_streams a:0 -show_entries stream=duration -of csv=p=0 " +
                                                Quoted(path) + " 2>/dev/null");
    return seconds.empty() ? -1 : seconds[0];
}

std::vector<double> MutagenSeconds(const std::vector<std::string>& paths)
{
    std::string all;
    for (const std::string& path : paths) all += " " + Quoted(path);
    std::vector<double> seconds = paths.empty() ? std::vector<double>() : Numbers("/usr/bin/python3 -c " + Quoted(kMutagenLengths) + all);
    seconds.resize(paths.size(), -1);
    return seconds;
}

std::map<std::string, std::string> MutagenFrames(const std::string& path)
{
    int status = 0;
    const std::string out = Run("/usr/bin/python3 -c " + Quoted(kMutagenScript) + " " + Quoted(path), &status);
    EXPECT_EQ(status, 0) << "mutagen could not read " << path;
    std::map<std::string, std::string> frames;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos) frames.emplace(line.substr(0, tab), line.substr(tab + 1));
    }
    return frames;
}

#endif
