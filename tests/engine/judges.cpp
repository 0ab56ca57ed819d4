#include "judges.h"

#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

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

}  // namespace

std::string Mpg123Complaints(const std::string& path)
{
    int status = 0;
    const std::string out = Run("mpg123 -t " + Quoted(path) + " 2>&1", &status);
    std::string complaints;
    std::istringstream lines(out);
    std::string line;
    bool finished = false;
    while (std::getline(lines, line)) {
        if (line.find("finished.") != std::string::npos) finished = true;
        for (const char* word : {"rror", "arning", "llegal", "resync", "Note:"})
            if (line.find(word) != std::string::npos) {
                complaints += line + "\n";
                break;
            }
    }
    if (status != 0 || !finished) complaints += "mpg123 did not finish (status " + std::to_string(status) + ")\n";
    return complaints;
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
