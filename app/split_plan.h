// Splits of one source into many files: by a cue sheet, every so long, or
// into so many parts; where each part lies in the source's samples, what
// it is named and tagged.
#pragma once

#include "cue_sheet.h"
#include "cut_command_line.h"

#include <cstdint>
#include <string>
#include <vector>

// One part: the source's samples first to end - 1, counted from the first
// sample it plays. A track of a sheet has its file name and texts (UTF-8):
// artist, album, title (as TagTexts), track "n/N", date, genre (empty: none).
struct SplitPart {
    int64_t first = 0;
    int64_t end = 0;
    std::string name;
    std::string texts[6];
};

// What the timeline of a source gives a plan: the samples it plays, the
// samples the decoder makes before the first of them, samples per frame, rate.
struct SplitTimeline {
    int64_t played = 0;
    int64_t delay = 0;
    int64_t perFrame = 1152;
    int rate = 44100;
};

// Reads the words of a split (--split-cue SHEET [SOURCE], --split-every
// DURATION SOURCE, --split-parts N SOURCE, each with -o FOLDER). False,
// with the reason in error, when they make no split.
bool ParseSplitWords(const std::vector<std::string>& words, CutCommandLine& command, std::string& error);

// Parts of equal length (every > 0 samples, the last shorter) or count parts
// of equal length, each split point on the frame boundary of the decoded
// timeline nearest it. False, with the reason, when no such parts exist.
bool PlanEvenSplit(const SplitTimeline& timeline, int64_t every, long count, std::vector<SplitPart>& parts,
                   std::string& error);

// The tracks of the sheet's file entry chosen (ChooseCueFile): each from its
// INDEX 01 to the next one's, the last to the end. False, with "line N: ..."
// in error, for times out of order, past the end or a track of no length.
bool PlanCueSplit(const CueSheet& sheet, size_t file, const SplitTimeline& timeline, std::vector<SplitPart>& parts,
                  std::string& error);

// The file entry of the sheet whose tracks a split takes: the only one that
// has tracks, or the one naming sourceName (a file name, compared without
// regard to letter case), or else the only one naming it but for the
// extension (a sheet of the WAV or FLAC files the MP3s were made from); -1
// with the reason in error when there is none.
int ChooseCueFile(const CueSheet& sheet, const std::string& sourceName, std::string& error);

// A file name (UTF-8, or UTF-16) without its extension; a name that only
// begins with a dot keeps it.
template <typename Text>
Text StemOf(const Text& name)
{
    const size_t dot = name.rfind('.');
    return dot == Text::npos || dot == 0 ? name : name.substr(0, dot);
}

// Where the source of a sheet's FILE entry may be, in order: the name as
// written (beside the sheet unless it is absolute), then, for a sheet made
// for a WAV, FLAC or APE rip that was turned into an MP3, that name with the
// extension ".mp3", then the sheet's own name with ".mp3".
std::vector<std::string> CueSourceCandidates(const std::string& sheetPath, const std::string& fileName);
