// Shared helpers of the tests: fixtures, scratch folders, whole files, locks,
// a clean engine for each test and the judge of cuts. Natively and under Wine.
#pragma once

#include "engine_ui.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

std::string FixturePath(const std::string& name);   // made by tests/fixtures/make_fixtures.py
std::string TestdataPath(const std::string& name);  // a real-world file, "" when not present
std::vector<std::string> TestdataFiles(const std::vector<std::string>& extensions);  // their names, sorted

// One row of the fixture manifest (make_fixtures.py).
struct FixtureInfo {
    std::string name, version;
    int rate = 0, bitrate = 0, channels = 0;
    bool crc = false, vbr = false, id3v1 = false, id3v2 = false;
    int64_t audioStart = 0, audioEnd = 0;
    bool infoFrame = false;
    int ffprobePackets = 0, mpg123Frames = 0;
};
std::vector<FixtureInfo> LoadFixtureManifest();

using Bytes = std::vector<uint8_t>;
Bytes Cat(std::initializer_list<Bytes> parts);
Bytes Str(const std::string& text);
struct FrameEntry;
std::vector<FrameEntry> Scan(const Bytes& file);  // MP3ScanFrames over the whole file

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);
void MakeFolder(const std::string& path);  // an ANSI path on Windows

// A fresh, empty folder, removed with everything in it at the end of its life.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// Read-only (on Linux also immutable, which stops root); false when that does
// not stop this process from writing it (root under Wine).
bool MakeReadOnly(const std::string& path);
void MakeWritable(const std::string& path);

// Holds a file open as another program would: exclusive, or as a player that
// lets others read it. Not Held() where there are no such locks (Linux).
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

// What the engine would have shown (caption "(default)": the system's) and
// posted; questions get nAnswer.
struct RecordingUi : EngineUi {
    struct Message {
        std::string text, caption;
        UINT flags;
    };
    int ShowMessage(const char* text, const char* caption, UINT flags) override;
    void ShowAudioError(const char* text) override;
    void PostOpenFileCommand() override { ++nPostedOpenFile; }
    int nAnswer = IDNO, nPostedOpenFile = 0;
    std::vector<Message> messages;
};

// A clean engine for each test: a fresh state record, a log.txt of its own,
// the recorder for the message boxes, a scratch folder.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::vector<std::string> LogLines(size_t first = 0) const;  // of log.txt
    // Copies a file into the scratch folder (its folder made before).
    std::string CopyIn(const std::string& from, const std::string& name) const;
    // The load step without the audio library: the whole file selected, a
    // duration of frames x 1152 / 44100.
    void Load(const std::string& path);
    std::string Output(const std::string& name);  // made and set; returned with a separator
    void ExpectDone(size_t messages = 1);         // the question after a cut that succeeded

    TempDir dir;
    RecordingUi ui;
};

#ifndef _WIN32
// What tests/judge.py says of cuts, as JSON texts ("problems": [] when good).
struct JudgeJob {
    std::string source, cut;
    int i = -1, j = -1;  // the frames the selection took, -1 for unknown
    int level = 1;       // 0 the bytes and mutagen only, 1 and mpg123, 2 and ffprobe
};
std::vector<std::string> JudgeCuts(const std::vector<JudgeJob>& jobs);
#endif
