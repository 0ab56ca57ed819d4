// The words of the cutting program's command line, portable: what it is
// asked to do and the times it takes.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct CutCommandLine {
    enum class Kind { Cut, Info, Help, SplitCue, SplitEvery, SplitParts, Silences, SplitSilences } kind = Kind::Help;
    std::string source;                             // UTF-8
    std::vector<std::pair<float, float>> ranges;    // start and end, seconds
    std::string folder;                             // -o FOLDER (UTF-8); empty: beside the source
    std::string sheet;                              // --split-cue SHEET (UTF-8)
    float every = 0;                                // --split-every DURATION, seconds
    long parts = 0;                                 // --split-parts N
    float snap = 0;                                 // --snap SECONDS: how far a split point may move to quiet
    float thresholdDb = -50;                        // --threshold: quieter frames are silent
    float minSeconds = 1;                           // --min-length: the shortest silence
};

// Reads a time, seconds ("95.5") or "[[h:]m:]s[.f]" ("1:35.5", "1:01:35"),
// into seconds as the window's time editors reckon them. False for anything
// else (minutes or seconds of 60 or more under a larger field included).
bool ParseCutTime(const std::string& text, float& seconds);

// Reads the words after the program's name. False, with a one-line reason
// in error, when they do not make a command.
bool ParseCutCommandLine(const std::vector<std::string>& words, CutCommandLine& command, std::string& error);

// What -h prints.
extern const char kCutCommandHelp[];
