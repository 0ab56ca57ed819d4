// A clean engine for each test: a fresh state record, a log.txt of its own,
// a recorder in place of the message boxes, and a scratch folder.
#pragma once

#include "engine_ui.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// What the engine would have shown and posted. Questions are answered with
// the given button.
class RecordingUi : public EngineUi {
public:
    struct Message {
        std::string text;
        std::string caption;  // "(default)" for the system's default caption
        UINT flags;
    };

    int ShowMessage(const char* text, const char* caption, UINT flags) override;
    void ShowAudioError(const char* text) override;
    void PostOpenFileCommand() override { ++nPostedOpenFile; }

    int nAnswer = IDNO;  // the answer to Yes/No questions
    int nAudioErrorCode = 5;  // what the audio library would report
    std::vector<Message> messages;
    int nPostedOpenFile = 0;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The lines of log.txt written so far.
    std::vector<std::string> LogLines() const;
    // The lines of log.txt written from line `first` on.
    std::vector<std::string> LogLinesFrom(size_t first) const;

    // Copies a fixture (or any file) into the scratch folder under a name.
    std::string CopyIn(const std::string& from, const std::string& name) const;

    // The load step as the window runs it, without the audio library: the
    // source path and title, the frame index, the tag texts, a selection of
    // the whole file and a duration of frames x samples / rate.
    void Load(const std::string& path, float durationSeconds = 0);

    // Selects a range of the loaded source.
    void Select(float startSeconds, float endSeconds);

    TempDir dir;
    RecordingUi ui;
};

// The frames of a new file: what lies between its ID3v2 tag and its ID3v1
// tag (a failed check when either is missing).
std::vector<uint8_t> AudioOf(const std::vector<uint8_t>& file);
// What is wrong with the frames of a cut of index entries i..j-1 of g_state
// out of source ("" when nothing): they must be whole frames back to back, a
// Xing/Info frame first that counts them and their bytes, then at most two
// priming frames, then those entries of the source, each byte for byte or as
// a frame of silence (one whose audio data the source never had).
std::string CutProblems(const std::vector<uint8_t>& audio, const std::vector<uint8_t>& source, int32_t i, int32_t j);

// Makes a folder (and its parents).
void MakeFolder(const std::string& path);
// The file name part of a path.
std::string FileTitleOf(const std::string& path);
// Bytes [begin, end) of a file.
std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, int64_t begin, int64_t end);
