#include "split_plan.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

// The most bytes of a title (UTF-8) a file name takes: with "NN - ", a
// number, ".mp3" and ".partial" it stays within the 255 a name may have.
constexpr size_t kTitleNameBytes = 200;

// "NN - TITLE.mp3", with what cannot stand in a file name replaced by '_', a
// long title cut at a character's edge, and "Track NN" for a title that
// leaves nothing.
std::string TrackFileName(int number, const std::string& title)
{
    std::string name = std::to_string(number / 10) + std::to_string(number % 10) + " - ";
    std::string rest = title;
    for (char& c : rest)
        if (static_cast<unsigned char>(c) < 0x20 || std::string("\\/:*?\"<>|").find(c) != std::string::npos) c = '_';
    if (rest.size() > kTitleNameBytes) {
        size_t cut = kTitleNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(rest[cut]) & 0xC0) == 0x80) --cut;
        rest.resize(cut);
    }
    while (!rest.empty() && (rest.back() == '.' || rest.back() == ' ')) rest.pop_back();
    if (rest.empty()) rest = "Track " + name.substr(0, 2);
    return name + rest + ".mp3";
}

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path with its file name's extension (if any) replaced by ".mp3".
std::string WithMp3Extension(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\") + 1;
    return path.substr(0, slash) + StemOf(path.substr(slash)) + ".mp3";
}

std::string CdTime(int64_t frames)
{
    char text[32];
    snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(frames / 4500),
             static_cast<long long>(frames / 75 % 60), static_cast<long long>(frames % 75));
    return text;
}

}  // namespace

bool ParseSplitWords(const std::vector<std::string>& words, CutCommandLine& command, std::string& error)
{
    command = CutCommandLine();
    const std::string& mode = words[0];
    command.kind = mode == "--split-cue"     ? CutCommandLine::Kind::SplitCue
                   : mode == "--split-every" ? CutCommandLine::Kind::SplitEvery
                                             : CutCommandLine::Kind::SplitParts;
    std::vector<std::string> rest;
    for (size_t k = 1; k < words.size(); ++k) {
        if (words[k] == "-o" && k + 1 < words.size() && command.folder.empty()) {
            command.folder = words[++k];
        } else if (words[k] == "--snap" && k + 1 < words.size() && !(command.snap > 0) &&
                   command.kind != CutCommandLine::Kind::SplitCue) {
            if (!ParseCutTime(words[++k], command.snap) || !(command.snap > 0)) {
                error = "not a duration: " + words[k];
                return false;
            }
        } else {
            rest.push_back(words[k]);
        }
    }
    const bool cue = command.kind == CutCommandLine::Kind::SplitCue;
    if (rest.size() != 2 && !(cue && rest.size() == 1)) {
        error = cue ? "give --split-cue SHEET [SOURCE] [-o FOLDER]" : "give " + mode + " " +
                (command.kind == CutCommandLine::Kind::SplitEvery ? "DURATION" : "N") +
                " SOURCE [-o FOLDER] [--snap SECONDS]";
        return false;
    }
    if (cue) {
        command.sheet = rest[0];
        command.source = rest.size() > 1 ? rest[1] : "";
        return true;
    }
    command.source = rest[1];
    char* end = nullptr;
    if (command.kind == CutCommandLine::Kind::SplitParts) {
        command.parts = std::strtol(rest[0].c_str(), &end, 10);
        if (rest[0].empty() || *end || command.parts < 1 || command.parts > 9999) {
            error = "N out of range (1 to 9999): " + rest[0];
            return false;
        }
    } else if (!ParseCutTime(rest[0], command.every) || !(command.every > 0)) {
        error = "not a duration: " + rest[0];
        return false;
    }
    return true;
}

bool PlanEvenSplit(const SplitTimeline& timeline, int64_t every, long count, std::vector<SplitPart>& parts,
                   std::string& error)
{
    parts.clear();
    const int64_t played = timeline.played, spf = timeline.perFrame;
    // The frame boundary nearest a point, in samples from the first played.
    const auto boundary = [&](int64_t at) { return (at + timeline.delay + spf / 2) / spf * spf - timeline.delay; };
    std::vector<int64_t> points = {0};
    if (every > 0) {
        if (every < spf || played / every >= 9999) {
            error = "DURATION out of range: the parts would be under a frame or over 9999";
            return false;
        }
        for (int64_t at = every; at < played; at += every) {
            const int64_t point = boundary(at);
            if (point > points.back() && point < played) points.push_back(point);
        }
    } else {
        for (long k = 1; k < count; ++k) {
            const int64_t point = boundary(static_cast<int64_t>(std::llround(double(played) * double(k) / count)));
            if (point <= points.back() || point >= played) {
                error = "N out of range: the audio has fewer frames than " + std::to_string(count);
                return false;
            }
            points.push_back(point);
        }
    }
    points.push_back(played);
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        SplitPart part;
        part.first = points[k];
        part.end = points[k + 1];
        parts.push_back(part);
    }
    return true;
}

bool PlanCueSplit(const CueSheet& sheet, size_t file, const SplitTimeline& timeline, std::vector<SplitPart>& parts,
                  std::string& error)
{
    parts.clear();
    const std::vector<CueTrack>& tracks = sheet.files[file].tracks;
    const auto sample = [&](int64_t frames) { return (frames * timeline.rate + 37) / 75; };
    for (size_t k = 0; k < tracks.size(); ++k) {
        const CueTrack& track = tracks[k];
        const std::string where = "line " + std::to_string(track.line) + ": TRACK " + std::to_string(track.number);
        if (k > 0 && track.start == tracks[k - 1].start) {
            error = "line " + std::to_string(tracks[k - 1].line) + ": TRACK " + std::to_string(tracks[k - 1].number) +
                    " has no length";
            return false;
        }
        if (k > 0 && track.start < tracks[k - 1].start) {
            error = where + " starts before the track before it";
            return false;
        }
        if (sample(track.start) >= timeline.played) {
            error = where + " starts at " + CdTime(track.start) + ", past the end of the audio";
            return false;
        }
        SplitPart part;
        part.first = sample(track.start);
        part.end = k + 1 < tracks.size() ? sample(tracks[k + 1].start) : timeline.played;
        part.name = TrackFileName(track.number, track.title);
        part.texts[0] = track.performer.empty() ? sheet.performer : track.performer;
        part.texts[1] = sheet.title;
        part.texts[2] = track.title;
        part.texts[3] = std::to_string(track.number) + "/" + std::to_string(tracks.size());
        part.texts[4] = sheet.date;
        part.texts[5] = sheet.genre;
        parts.push_back(part);
    }
    return true;
}

int ChooseCueFile(const CueSheet& sheet, const std::string& sourceName, std::string& error)
{
    int only = -1, named = -1, stemNamed = -1, withTracks = 0;
    std::string names;
    const std::string source = Lower(FileNameOf(sourceName));
    for (size_t k = 0; k < sheet.files.size(); ++k) {
        if (sheet.files[k].tracks.empty()) continue;
        ++withTracks;
        only = int(k);
        names += (names.empty() ? "" : ", ") + sheet.files[k].name;
        const std::string name = Lower(FileNameOf(sheet.files[k].name));
        if (!source.empty() && name == source) named = int(k);
        if (!source.empty() && StemOf(name) == StemOf(source)) stemNamed = stemNamed == -1 ? int(k) : -2;
    }
    if (withTracks == 1) return only;
    if (named >= 0) return named;
    if (stemNamed >= 0) return stemNamed;
    error = "the sheet has tracks of several files (" + names + "); give the MP3 of one as SOURCE";
    return -1;
}

std::vector<std::string> CueSourceCandidates(const std::string& sheetPath, const std::string& fileName)
{
    std::string path = fileName;
    const bool absolute = path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':');
    const size_t slash = sheetPath.find_last_of("/\\");
    if (!absolute && slash != std::string::npos) path = sheetPath.substr(0, slash + 1) + path;
    std::vector<std::string> candidates = {path};
    for (const std::string& other : {WithMp3Extension(path), WithMp3Extension(sheetPath)})
        if (std::find(candidates.begin(), candidates.end(), other) == candidates.end()) candidates.push_back(other);
    return candidates;
}
