#include "cut_command_line.h"

#include "split_plan.h"
#include "time_fields.h"

#include <cstdlib>

const char kCutCommandHelp[] =
    "Usage: vodizaro-cut SOURCE START END [START END ...] [-o FOLDER]\n"
    "       vodizaro-cut --info SOURCE\n"
    "       vodizaro-cut --split-cue SHEET.cue [SOURCE] [-o FOLDER]\n"
    "       vodizaro-cut --split-every DURATION SOURCE [-o FOLDER] [--snap SECONDS]\n"
    "       vodizaro-cut --split-parts N SOURCE [-o FOLDER] [--snap SECONDS]\n"
    "       vodizaro-cut --silences SOURCE [--threshold DB] [--min-length TIME]\n"
    "       vodizaro-cut --split-at-silences SOURCE [-o FOLDER] [--threshold DB] [--min-length TIME]\n"
    "       vodizaro-cut -h\n"
    "\n"
    "Cuts each range START..END out of the MP3 file SOURCE into a new MP3 file,\n"
    "copying its frames as they are (no decoding), exactly as the window's cut:\n"
    "a fresh Xing/Info header, the frames the first one needs to decode, the tag's\n"
    "artist, album and title, and a check that the file reads back as written.\n"
    "The new files go into FOLDER, or beside SOURCE, named after SOURCE (ending\n"
    "in .mp3 where SOURCE does not); a name that is taken is numbered\n"
    "(\"song(1).mp3\"), no file is ever overwritten.\n"
    "Each new file's path is printed on a line of its own.\n"
    "\n"
    "Times are seconds (95.5) or [[h:]m:]s[.f] (1:35.5, 1:01:35).\n"
    "--info prints the frames, duration, stream and tag texts of SOURCE.\n"
    "--split-cue cuts each track of the sheet, from its INDEX 01 to the next one's,\n"
    "out of the sheet's FILE (or SOURCE) into \"NN - TITLE.mp3\", tagged from the sheet;\n"
    "a FILE that is not there (a WAV or FLAC) is looked for as that name, then as\n"
    "the sheet's name, with \".mp3\".\n"
    "--split-every and --split-parts cut SOURCE into parts of DURATION (the last\n"
    "shorter) or into N parts of equal length, split on frame boundaries; with\n"
    "--snap, each split point moves to the quietest place within SECONDS of it.\n"
    "A split run again into the same FOLDER takes the parts already there for\n"
    "written and writes the others.\n"
    "A split that fails removes the files it wrote.\n"
    "--silences prints the start and end of each silence of SOURCE, a line each:\n"
    "a stretch of at least TIME (default 1 s) quieter than DB (default -50 dB),\n"
    "as told by the frames' own levels (no decoding). --split-at-silences cuts\n"
    "SOURCE into its parts at the middle of each silence inside it, each part\n"
    "a cut as above.\n"
    "Exit status 0 when every file was written and checked; otherwise 1, with a\n"
    "line naming the file and the reason for each failure (nothing left behind),\n"
    "or 2 for words that make no command.\n";

namespace {

// A whole number of decimal digits, below 2^31.
bool ParseCount(const std::string& text, long& value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return true;
}

bool ParseSilenceWords(const std::vector<std::string>& words, CutCommandLine& command, std::string& error);

}  // namespace

bool ParseCutTime(const std::string& text, float& seconds)
{
    // Fields from the last: seconds with their fraction, minutes, hours.
    std::string rest = text;
    const size_t point = rest.find('.');
    long milliseconds = 0;
    if (point != std::string::npos) {
        std::string fraction = rest.substr(point + 1);
        if (fraction.empty() || fraction.size() > 3) return false;
        fraction.resize(3, '0');
        if (!ParseCount(fraction, milliseconds)) return false;
        rest.resize(point);
    }
    long fields[3] = {0, 0, 0};  // seconds, minutes, hours
    int count = 0;
    for (size_t end = rest.size(); count < 3; ++count) {
        if (end == 0) return false;
        const size_t colon = rest.rfind(':', end - 1);
        const size_t begin = colon == std::string::npos ? 0 : colon + 1;
        if (!ParseCount(rest.substr(begin, end - begin), fields[count])) return false;
        if (colon == std::string::npos) break;
        end = colon;
    }
    if (count == 3 || (count >= 1 && fields[0] >= 60) || (count == 2 && fields[1] >= 60)) return false;
    if (fields[2] > 9999 || (count == 0 && fields[0] > 35999999)) return false;
    const long total = fields[2] * 3600 + fields[1] * 60 + fields[0];
    SYSTEMTIME time = {};
    time.wHour = static_cast<WORD>(total / 3600);
    time.wMinute = static_cast<WORD>(total / 60 % 60);
    time.wSecond = static_cast<WORD>(total % 60);
    time.wMilliseconds = static_cast<WORD>(milliseconds);
    seconds = SystemTimeToSeconds(time);
    return true;
}

bool ParseCutCommandLine(const std::vector<std::string>& words, CutCommandLine& command, std::string& error)
{
    command = CutCommandLine();
    if (words.empty() || words[0] == "-h" || words[0] == "--help") return words.size() <= 1;
    if (words[0] == "--split-cue" || words[0] == "--split-every" || words[0] == "--split-parts")
        return ParseSplitWords(words, command, error);
    if (words[0] == "--info") {
        command.kind = CutCommandLine::Kind::Info;
        if (words.size() != 2) error = "--info takes one SOURCE";
        command.source = words.size() > 1 ? words[1] : "";
        return words.size() == 2;
    }
    if (words[0] == "--silences" || words[0] == "--split-at-silences") return ParseSilenceWords(words, command, error);
    command.kind = CutCommandLine::Kind::Cut;
    std::vector<std::string> times;
    for (size_t k = 0; k < words.size(); ++k) {
        if (words[k] == "-o" && k + 1 < words.size() && command.folder.empty()) {
            command.folder = words[++k];
        } else if (command.source.empty() && !words[k].empty() && words[k][0] != '-') {
            command.source = words[k];
        } else {
            times.push_back(words[k]);
        }
    }
    if (command.source.empty() || times.empty() || times.size() % 2) {
        error = "give SOURCE and pairs of START END (vodizaro-cut -h)";
        return false;
    }
    for (size_t k = 0; k < times.size(); k += 2) {
        float start = 0;
        float end = 0;
        if (!ParseCutTime(times[k], start) || !ParseCutTime(times[k + 1], end) || !(start < end)) {
            error = "not a range: " + times[k] + " " + times[k + 1];
            return false;
        }
        command.ranges.emplace_back(start, end);
    }
    return true;
}

namespace {

// --silences and --split-at-silences, with SOURCE and their options.
bool ParseSilenceWords(const std::vector<std::string>& words, CutCommandLine& command, std::string& error)
{
    const bool split = words[0] == "--split-at-silences";
    command.kind = split ? CutCommandLine::Kind::SplitSilences : CutCommandLine::Kind::Silences;
    for (size_t k = 1; k < words.size(); ++k) {
        const bool valued = k + 1 < words.size();
        if (valued && words[k] == "-o" && split && command.folder.empty()) {
            command.folder = words[++k];
        } else if (valued && words[k] == "--threshold") {
            char* end = nullptr;
            const std::string& value = words[++k];
            command.thresholdDb = std::strtof(value.c_str(), &end);
            if (value.empty() || *end || !(command.thresholdDb <= 0 && command.thresholdDb >= -96)) {
                error = "not a threshold from -96 to 0 dB: " + value;
                return false;
            }
        } else if (valued && words[k] == "--min-length") {
            if (!ParseCutTime(words[++k], command.minSeconds) || !(command.minSeconds > 0)) {
                error = "not a length: " + words[k];
                return false;
            }
        } else if (command.source.empty() && !words[k].empty() && words[k][0] != '-') {
            command.source = words[k];
        } else {
            error = "not understood: " + words[k] + " (vodizaro-cut -h)";
            return false;
        }
    }
    if (command.source.empty()) error = words[0] + " takes a SOURCE";
    return !command.source.empty();
}

}  // namespace
