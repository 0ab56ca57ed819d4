#include "program_files.h"

#include <gtest/gtest.h>

#include <regex>

namespace e2e {

std::vector<std::string> StartupLogLines(const ProgramCopy& copy, const std::string& outputFolder)
{
    const std::string folder = Cp936(copy.Folder());
    char msgMutex[64];
    snprintf(msgMutex, sizeof msgMutex, "    msgMutex = 0x%x", RegisterWindowMessageW(L"open zordu3vodizaro"));
    return {
        "Start ZorDU3Vodizaro",
        msgMutex,
        "    hMutex = 0x{hex}",
        "    Heap = 0x{hex}",
        "    完整路径名 = " + folder,
        "    当前文件夹 = " + folder,
        "    输出路径: " + outputFolder,
    };
}

std::vector<std::string> IndexingLogLines(const std::string& path, size_t bytes, int frames)
{
    const std::string count = "        帧数: " + std::to_string(frames);
    return {"    MP3GetFrames", "        mp3 文件: " + path, "        大小: " + std::to_string(bytes), count, count};
}

std::vector<std::string> NormalEndLogLines()
{
    return {"    Message: CLOSE", "    Message: DESTROY", "End ZorDU3Vodizaro\n"};
}

void ExpectLog(const std::string& log, const std::vector<std::string>& expected)
{
    EXPECT_EQ(log.find('\0'), std::string::npos) << "no zero byte in log.txt";
    std::vector<std::string> lines;
    for (size_t start = 0;;) {
        size_t end = log.find("\r\n", start);
        lines.push_back(log.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    const std::regex hex("[1-9a-f][0-9a-f]*|0");
    for (size_t i = 0; i < std::max(lines.size(), expected.size()); ++i) {
        const std::string got = i < lines.size() ? lines[i] : "<missing>";
        const std::string want = i < expected.size() ? expected[i] : "<none>";
        size_t at = want.find("{hex}");
        bool same;
        if (at == std::string::npos) {
            same = got == want;
        } else {
            const std::string tail = want.substr(at + 5);
            same = got.size() >= at + tail.size() && got.compare(0, at, want, 0, at) == 0 &&
                   got.compare(got.size() - tail.size(), tail.size(), tail) == 0 &&
                   std::regex_match(got.substr(at, got.size() - at - tail.size()), hex);
        }
        EXPECT_TRUE(same) << "log line " << i + 1 << ": got \"" << got << "\", want \"" << want << "\"";
    }
}

std::string SettingsFile(int bFolder, const std::string& fileTitle, const std::string& sourcePath,
                         const std::string& outputFolder)
{
    return "[设置]\r\nbFolder=" + std::to_string(bFolder) + "\r\n文件=" + fileTitle + "\r\n文件夹=" + sourcePath +
           "\r\n输出=" + outputFolder + "\r\n";
}

}  // namespace e2e
