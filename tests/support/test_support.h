// Shared helpers of the tests: where the fixtures are, scratch folders, whole
// files, locks, a clean engine for each test and the judge of cuts. The same
// code runs natively and under Wine.
#pragma once

#include "engine_ui.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// A file made by tests/fixtures/make_fixtures.py.
std::string FixturePath(const std::string& name);
// A real-world file made by others, or "" when that folder is not present.
std::string TestdataPath(const std::string& name);
// The real-world files with one of the extensions (".mp3"), sorted.
std::vector<std::string> TestdataFiles(const std::vector<std::string>& extensions);

// One row of the fixture manifest (see make_fixtures.py).
struct FixtureInfo {
    std::string name, version;  // version "1", "2" or "2.5"
    int rate = 0, bitrate = 0, channels = 0;  // bitrate 0 for VBR
    bool crc = false, vbr = false, id3v1 = false, id3v2 = false;
    int64_t audioStart = 0, audioEnd = 0;  // the bytes between the tags
    bool infoFrame = false;                // lame wrote an Info/Xing frame first
    int ffprobePackets = 0, mpg123Frames = 0;  // audio frames the judges count
};
std::vector<FixtureInfo> LoadFixtureManifest();

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);
// Makes a folder (its parent must exist); an ANSI path on Windows.
void MakeFolder(const std::string& path);

// A fresh, empty folder, removed with everything in it at the end of its life.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }  // no trailing separator
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// Makes a file read-only (on Linux also immutable, which stops root). False
// when that does not stop this process from writing it (root under Wine).
bool MakeReadOnly(const std::string& path);
void MakeWritable(const std::string& path);

// Holds a file open as another program would: exclusive, or (shareRead) the
// way a player does, letting others read it. Held() is false where the
// platform has no such locks (Linux).
class ExclusiveLock {
public:
    explicit ExclusiveLock(const std::string& path, bool shareRead = false);
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    bool Held() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

// What the engine would have shown and posted; questions get nAnswer.
struct RecordingUi : EngineUi {
    struct Message {
        std::string text, caption;  // caption "(default)": the system's own
        UINT flags;
    };
    int ShowMessage(const char* text, const char* caption, UINT flags) override;
    void ShowAudioError(const char* text) override;
    void PostOpenFileCommand() override { ++nPostedOpenFile; }
    int nAnswer = IDNO;
    std::vector<Message> messages;
    int nPostedOpenFile = 0;
};

// A clean engine for each test: a fresh state record, a log.txt of its own,
// the recorder in place of the message boxes, and a scratch folder.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The lines of log.txt from line first on.
    std::vector<std::string> LogLines(size_t first = 0) const;
    // Copies a file into the scratch folder under a name (its folder made
    // before); returns its path.
    std::string CopyIn(const std::string& from, const std::string& name) const;
    // The load step as the window runs it, without the audio library: path
    // and title, frame index, tag texts, the whole file selected, a duration
    // of frames x samples per frame / rate.
    void Load(const std::string& path);
    // Sets the output folder (made when missing); returns it with a separator.
    std::string Output(const std::string& name);

    TempDir dir;
    RecordingUi ui;
};

#ifndef _WIN32
// What tests/judge.py says of cuts, one JSON text each; Field gives the JSON
// text of one value, Numbers the numbers in it.
struct Judged {
    std::string json;
    std::string Field(const std::string& key) const;
    std::vector<double> Numbers(const std::string& key) const;
};
struct JudgeJob {
    std::string source, cut;
    int end = -1;   // the source frame the copied run should end before, -1 for any
    int level = 1;  // 0 the bytes and mutagen only, 1 and mpg123, 2 and ffprobe
};
std::vector<Judged> JudgeCuts(const std::vector<JudgeJob>& jobs);
#endif
