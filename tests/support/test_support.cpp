#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

std::string FixturePath(const std::string& name)
{
    return std::string(ZDV_FIXTURE_DIR) + "/" + name;
}

std::string TestdataPath(const std::string& name)
{
    std::string path = std::string(ZDV_TESTDATA_DIR) + "/" + name;
    return FileExists(path) ? path : std::string();
}

std::vector<std::string> TestdataFiles(const std::vector<std::string>& extensions)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::u8path(ZDV_TESTDATA_DIR), ec)) {
        std::string ext = entry.path().extension().u8string();
        if (std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
            files.push_back(entry.path().filename().u8string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<FixtureInfo> LoadFixtureManifest()
{
    std::ifstream in(FixturePath("manifest.tsv"));
    if (!in) throw std::runtime_error("fixture manifest missing: " + FixturePath("manifest.tsv"));
    std::vector<FixtureInfo> rows;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::istringstream s(line);
        FixtureInfo f;
        int crc, vbr, v1, v2, info;
        s >> f.name >> f.version >> f.rate >> f.bitrate >> f.channels >> crc >> vbr >> v1 >> v2 >>
            f.audioStart >> f.audioEnd >> info >> f.ffprobePackets >> f.mpg123Frames;
        f.crc = crc;
        f.vbr = vbr;
        f.id3v1 = v1;
        f.id3v2 = v2;
        f.infoFrame = info;
        rows.push_back(f);
    }
    return rows;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path base = fs::temp_directory_path() /
                    ("zdv-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(base);
    path_ = base.string();
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(fs::path(path_), ec);
}

std::string TempDir::File(const std::string& name) const
{
    return path_ + kSep + name;
}

#ifdef _WIN32
#include <windows.h>

bool MakeReadOnly(const std::string& path)
{
    if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)) return false;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return true;
    CloseHandle(h);
    return false;
}

void MakeWritable(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

ExclusiveLock::ExclusiveLock(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
}

ExclusiveLock::~ExclusiveLock()
{
    if (handle_) CloseHandle(handle_);
}

ReadShareLock::ReadShareLock(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
}

ReadShareLock::~ReadShareLock()
{
    if (handle_) CloseHandle(handle_);
}
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool CanWrite(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (f) std::fclose(f);
    return f != nullptr;
}

// Sets or clears the file system's immutable flag, which stops root too.
// False where the file system or the user's rights do not allow it.
bool SetImmutable(const std::string& path, bool immutable)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

}  // namespace

bool MakeReadOnly(const std::string& path)
{
    if (chmod(path.c_str(), 0444) != 0) return false;
    if (!CanWrite(path)) return true;
    // Root ignores the permission bits; an immutable file stops it.
    return SetImmutable(path, true) && !CanWrite(path);
}

void MakeWritable(const std::string& path)
{
    SetImmutable(path, false);
    chmod(path.c_str(), 0644);
}

ExclusiveLock::ExclusiveLock(const std::string&) {}
ExclusiveLock::~ExclusiveLock() {}
ReadShareLock::ReadShareLock(const std::string&) {}
ReadShareLock::~ReadShareLock() {}
#endif
