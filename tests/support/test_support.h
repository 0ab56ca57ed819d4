// Shared helpers of the unit tests: where the fixtures are, scratch folders,
// whole-file reads and writes. The same code runs natively and under Wine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A file made by tests/fixtures/make_fixtures.py.
std::string FixturePath(const std::string& name);

// A real-world file made by others, or "" when that folder is not present.
std::string TestdataPath(const std::string& name);
// All files of the real-world folder with one of the given extensions
// (".mp3", ".bit"), sorted; empty when the folder is not present.
std::vector<std::string> TestdataFiles(const std::vector<std::string>& extensions);

// One row of the fixture manifest.
struct FixtureInfo {
    std::string name;
    std::string version;  // "1", "2" or "2.5"
    int rate = 0;
    int bitrate = 0;  // kbit/s; 0 for VBR
    int channels = 0;
    bool crc = false;
    bool vbr = false;
    bool id3v1 = false;
    bool id3v2 = false;
    int64_t audioStart = 0;  // first byte after a leading ID3v2 tag
    int64_t audioEnd = 0;    // first byte of a trailing ID3v1 tag, or the size
    bool infoFrame = false;  // the encoder wrote an Info/Xing frame first
    int ffprobePackets = 0;  // audio frames as ffprobe counts them
    int mpg123Frames = 0;    // audio frames as mpg123 counts them
};
std::vector<FixtureInfo> LoadFixtureManifest();

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);

// A fresh, empty folder, removed with everything in it at the end of its life.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder, without a trailing separator.
    const std::string& Path() const { return path_; }
    // Path of a file inside the folder.
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

// Folder separator of the platform the test runs on.
#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// Makes a file read-only (on Linux, where root ignores the permission bits,
// also immutable). Returns false when that does not stop this process from
// writing it (root under Wine). Undo it with MakeWritable before the file
// is removed.
bool MakeReadOnly(const std::string& path);
// Undoes MakeReadOnly.
void MakeWritable(const std::string& path);

// Holds a file open for reading the way a player does: others may read it,
// nobody may write it. Held() is false where the platform has no such locks
// (Linux).
class ReadShareLock {
public:
    explicit ReadShareLock(const std::string& path);
    ~ReadShareLock();
    ReadShareLock(const ReadShareLock&) = delete;
    ReadShareLock& operator=(const ReadShareLock&) = delete;
    bool Held() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

// Holds a file open the way another program would lock it: no sharing.
// Held() is false where the platform has no such locks (Linux).
class ExclusiveLock {
public:
    explicit ExclusiveLock(const std::string& path);
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    bool Held() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};
