#include "test_support.h"

#include "app_state.h"
#include "diag_log.h"
#include "frame_index.h"
#include "tag_carry.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

std::string FixturePath(const std::string& name)
{
    return std::string(ZDV_FIXTURE_DIR) + "/" + name;
}

std::string TestdataPath(const std::string& name)
{
    const std::string path = std::string(ZDV_TESTDATA_DIR) + "/" + name;
    return FileExists(path) ? path : std::string();
}

std::vector<std::string> TestdataFiles(const std::vector<std::string>& extensions)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::u8path(ZDV_TESTDATA_DIR), ec))
        if (std::find(extensions.begin(), extensions.end(), entry.path().extension().u8string()) != extensions.end())
            files.push_back(entry.path().filename().u8string());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<FixtureInfo> LoadFixtureManifest()
{
    std::ifstream in(FixturePath("manifest.tsv"));
    if (!in) throw std::runtime_error("fixture manifest missing");
    std::vector<FixtureInfo> rows;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::istringstream s(line);
        FixtureInfo f;
        s >> f.name >> f.version >> f.rate >> f.bitrate >> f.channels >> f.crc >> f.vbr >> f.id3v1 >> f.id3v2 >>
            f.audioStart >> f.audioEnd >> f.infoFrame >> f.ffprobePackets >> f.mpg123Frames;
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

void MakeFolder(const std::string& path)
{
#ifdef _WIN32
    CreateDirectoryA(path.c_str(), nullptr);
#else
    mkdir(path.c_str(), 0755);
#endif
}

bool FileExists(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const fs::path base = fs::temp_directory_path() / ("zdv-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
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
bool MakeReadOnly(const std::string& path)
{
    if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)) return false;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return true;
    CloseHandle(h);
    return false;
}

void MakeWritable(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

ExclusiveLock::ExclusiveLock(const std::string& path, bool shareRead)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | (shareRead ? 0 : GENERIC_WRITE), shareRead ? FILE_SHARE_READ : 0,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    handle_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
}

ExclusiveLock::~ExclusiveLock()
{
    if (handle_) CloseHandle(handle_);
}
#else
namespace {

bool CanWrite(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (f) std::fclose(f);
    return f != nullptr;
}

// The file system's immutable flag stops root too.
bool SetImmutable(const std::string& path, bool immutable)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    int flags = 0;
    bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) close(fd);
    return done;
}

}  // namespace

bool MakeReadOnly(const std::string& path)
{
    if (chmod(path.c_str(), 0444) != 0) return false;
    return !CanWrite(path) || (SetImmutable(path, true) && !CanWrite(path));
}

void MakeWritable(const std::string& path)
{
    SetImmutable(path, false);
    chmod(path.c_str(), 0644);
}

ExclusiveLock::ExclusiveLock(const std::string&, bool) {}
ExclusiveLock::~ExclusiveLock() {}

std::vector<Judged> JudgeCuts(const std::vector<JudgeJob>& jobs)
{
    TempDir dir;
    std::ofstream list(dir.File("cuts.tsv"));
    for (const JudgeJob& job : jobs) list << job.source << '\t' << job.cut << '\t' << job.end << '\t' << job.level << '\n';
    list.close();
    FILE* pipe = popen(("/usr/bin/python3 " ZDV_JUDGE " cut --list " + dir.File("cuts.tsv") + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    if (pipe) pclose(pipe);
    std::vector<Judged> judged;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) judged.push_back({line});
    EXPECT_EQ(judged.size(), jobs.size()) << out;
    judged.resize(jobs.size());
    return judged;
}

std::string Judged::Field(const std::string& key) const
{
    size_t at = json.find("\"" + key + "\": "), k;
    if (at == std::string::npos) return "";
    at += key.size() + 4;
    int depth = 0;
    bool quoted = false;
    for (k = at; k < json.size(); ++k) {
        const char c = json[k];
        if (quoted) {
            k += c == '\\';
            quoted = c != '"';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '[' || c == '{') {
            ++depth;
        } else if ((c == ']' || c == '}') && depth-- == 0) {
            break;
        } else if (c == ',' && depth == 0) {
            break;
        }
        if (depth == 0 && !quoted && k > at && (c == ']' || c == '}' || c == '"')) return json.substr(at, k + 1 - at);
    }
    return json.substr(at, k - at);
}

std::vector<double> Judged::Numbers(const std::string& key) const
{
    std::string text = Field(key);
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '[' || c == ']' || c == ','; }, ' ');
    std::istringstream in(text);
    std::vector<double> numbers;
    for (double v; in >> v;) numbers.push_back(v);
    return numbers;
}
#endif

int RecordingUi::ShowMessage(const char* text, const char* caption, UINT flags)
{
    messages.push_back({text, caption ? caption : "(default)", flags});
    return (flags & MB_YESNO) ? nAnswer : IDOK;
}

void RecordingUi::ShowAudioError(const char* text)
{
    char box[kAudioErrorTextBytes];
    FormatAudioError(box, text, 5);  // the audio library's code for a failed file operation
    messages.push_back({box, "(default)", MB_OK});
}

void EngineTest::SetUp()
{
    if (!g_state.szScratch) AllocTextBuffers();
    for (char* buffer : {g_state.szAppFolder, g_state.szSourcePath, g_state.szFileTitle, g_state.szOutputFolder,
                         g_state.szIniPath, g_state.szScratch})
        memset(buffer, 0, kTextBufferBytes);
    ReplaceFrameIndex(0);
    ClearTagTexts();
    g_state.fDuration = g_state.fPosition = g_state.fStart = g_state.fEnd = 0;
    g_state.bFolder = 0;
    g_log.Open(dir.File("log.txt").c_str());
    InstallEngineUi(&ui);
}

void EngineTest::TearDown()
{
    InstallEngineUi(nullptr);
    EXPECT_EQ(g_log.Level(), 0) << "every operation lowers the indentation it raised";
    ReplaceFrameIndex(0);
    ClearTagTexts();
}

std::vector<std::string> EngineTest::LogLines(size_t first) const
{
    const std::vector<uint8_t> bytes = ReadFileBytes(dir.File("log.txt"));
    const std::string text(bytes.begin(), bytes.end());
    std::vector<std::string> lines;
    for (size_t at = 0, end; !text.empty(); at = end + 2) {
        end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end == std::string::npos ? end : end - at));
        if (end == std::string::npos) break;
    }
    return first < lines.size() ? std::vector<std::string>(lines.begin() + static_cast<long>(first), lines.end())
                                : std::vector<std::string>();
}

std::string EngineTest::CopyIn(const std::string& from, const std::string& name) const
{
    WriteFileBytes(dir.File(name), ReadFileBytes(from));
    return dir.File(name);
}

void EngineTest::Load(const std::string& path)
{
    strcpy(g_state.szSourcePath, path.c_str());
    strcpy(g_state.szFileTitle, path.substr(path.find_last_of("/\\") + 1).c_str());
    {
        SourceTag tag;
        MP3GetFrames();
        ReadSourceTag(tag);
    }
    FillMissingTagTexts();
    g_state.fDuration = static_cast<float>(g_state.nFrames * 1152.0 / 44100.0);
    g_state.fStart = 0;
    g_state.fEnd = g_state.fDuration;
}

std::string EngineTest::Output(const std::string& name)
{
    MakeFolder(dir.File(name));
    strcpy(g_state.szOutputFolder, dir.File(name).c_str());
    g_state.bFolder = 0;
    return dir.File(name) + kSep;
}
