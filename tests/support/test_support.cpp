#include "test_support.h"

#include "app_state.h"
#include "diag_log.h"
#include "frame_index.h"
#include "frame_scan.h"
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
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <fcntl.h>
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
    std::vector<FixtureInfo> rows;
    std::string line;
    for (std::getline(in, line); std::getline(in, line);) {  // after the header
        std::istringstream s(line);
        FixtureInfo f;
        s >> f.name >> f.version >> f.rate >> f.bitrate >> f.channels >> f.crc >> f.vbr >> f.id3v1 >> f.id3v2 >>
            f.audioStart >> f.audioEnd >> f.infoFrame >> f.ffprobePackets >> f.mpg123Frames;
        rows.push_back(f);
    }
    return rows;
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Str(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

std::vector<FrameEntry> Scan(const Bytes& file)
{
    const int64_t size = static_cast<int64_t>(file.size());
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(file.data(), size, nullptr)));
    MP3ScanFrames(file.data(), size, frames.data());
    return frames;
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
    if (!out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    return f && !std::fclose(f);
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ =
        (fs::temp_directory_path() / ("zdv-test-" + std::to_string(stamp) + "-" + std::to_string(counter++))).string();
    fs::create_directories(path_);
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
void MakeFolder(const std::string& path)
{
    CreateDirectoryA(path.c_str(), nullptr);
}

bool MakeReadOnly(const std::string& path)
{
    HANDLE h = SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)
                   ? CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                   : nullptr;
    return h == INVALID_HANDLE_VALUE || (h && !CloseHandle(h));
}

void MakeWritable(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

ExclusiveLock::ExclusiveLock(const std::string& path, bool shareRead)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | (shareRead ? 0 : GENERIC_WRITE),
                           shareRead ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING, 0, nullptr);
    handle_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
}

ExclusiveLock::~ExclusiveLock()
{
    if (handle_) CloseHandle(handle_);
}
#else
void MakeFolder(const std::string& path)
{
    mkdir(path.c_str(), 0755);
}

namespace {

bool CanWrite(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    return f && !std::fclose(f);
}

bool SetImmutable(const std::string& path, bool immutable)  // stops root too
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
    return chmod(path.c_str(), 0444) == 0 && (!CanWrite(path) || (SetImmutable(path, true) && !CanWrite(path)));
}

void MakeWritable(const std::string& path)
{
    SetImmutable(path, false);
    chmod(path.c_str(), 0644);
}

ExclusiveLock::ExclusiveLock(const std::string&, bool) {}
ExclusiveLock::~ExclusiveLock() {}

std::vector<std::string> JudgeCuts(const std::vector<JudgeJob>& jobs)
{
    TempDir dir;
    std::ofstream list(dir.File("cuts.tsv"));
    for (const JudgeJob& job : jobs)
        list << job.source << '\t' << job.cut << '\t' << job.i << '\t' << job.j << '\t' << job.level << '\n';
    list.close();
    FILE* pipe = popen(("/usr/bin/python3 " ZDV_JUDGE " cut --list " + dir.File("cuts.tsv") + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    if (pipe) pclose(pipe);
    std::vector<std::string> judged;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) judged.push_back(line);
    EXPECT_EQ(judged.size(), jobs.size()) << out;
    judged.resize(jobs.size());
    return judged;
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
    FormatAudioError(box, text, 5);  // the audio library's code of a failed file operation
    messages.push_back({box, "(default)", MB_OK});
}

void EngineTest::SetUp()
{
    if (!g_state.szScratch) AllocTextBuffers();
    for (char* text : {g_state.szAppFolder, g_state.szSourcePath, g_state.szFileTitle, g_state.szOutputFolder,
                       g_state.szIniPath, g_state.szScratch})
        memset(text, 0, kTextBufferBytes);
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
    for (size_t at = 0, end = 0; !text.empty() && end != std::string::npos; at = end + 2) {
        end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end == std::string::npos ? end : end - at));
    }
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(std::min(first, lines.size())));
    return lines;
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
    g_state.fDuration = g_state.fEnd = static_cast<float>(g_state.nFrames * 1152.0 / 44100.0);
    g_state.fStart = 0;
}

std::string EngineTest::Output(const std::string& name)
{
    MakeFolder(dir.File(name));
    strcpy(g_state.szOutputFolder, dir.File(name).c_str());
    g_state.bFolder = 0;
    return dir.File(name) + kSep;
}

void EngineTest::ExpectDone(size_t messages)
{
    ASSERT_EQ(ui.messages.size(), messages);
    EXPECT_EQ(ui.messages.back().text, "完成!\n文件已经分割.\n\n打开新文件进行分割吗?");
    EXPECT_EQ(ui.messages.back().caption, "Zor DU3 Vodizaro");
    EXPECT_EQ(ui.messages.back().flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
}
