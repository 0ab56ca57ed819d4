#include "test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

std::string FixturePath(const std::string& name) { return std::string(ZDV_FIXTURE_DIR) + "/" + name; }

std::vector<std::string> TestdataFiles()
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::u8path(ZDV_TESTDATA_DIR), ec))
        if (entry.path().extension() == ".mp3" || entry.path().extension() == ".bit")
            files.push_back(std::string(ZDV_TESTDATA_DIR) + "/" + entry.path().filename().u8string());
    std::sort(files.begin(), files.end());
    return files;
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

TempDir::TempDir()
{
    static int counter = 0;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = (fs::temp_directory_path() / ("zdv-" + std::to_string(stamp) + "-" + std::to_string(counter++))).string();
    fs::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(fs::path(path_), ec);
}

#ifndef _WIN32
std::vector<std::string> JudgeCuts(const std::vector<JudgeJob>& jobs)
{
    TempDir dir;
    std::ofstream list(dir.File("cuts.tsv"));
    for (const JudgeJob& job : jobs)
        list << job.source << '\t' << job.cut << '\t' << job.i << '\t' << job.j << '\t' << job.level << '\t'
             << job.first << '\t' << job.end << '\n';
    list.close();
    std::system(("/usr/bin/python3 " ZDV_JUDGE " cut --list " + dir.File("cuts.tsv") + " >" + dir.File("out")).c_str());
    std::ifstream out(dir.File("out"));
    std::vector<std::string> judged;
    for (std::string line; std::getline(out, line);) judged.push_back(line);
    EXPECT_EQ(judged.size(), jobs.size());
    judged.resize(jobs.size());
    return judged;
}

std::vector<LevelsJudged> JudgeLevels(const std::vector<std::pair<std::string, std::vector<double>>>& files)
{
    TempDir dir;
    std::ofstream list(dir.File("levels.tsv"));
    for (const auto& [path, levels] : files) {
        list << path;
        for (double level : levels) list << '\t' << level;
        list << '\n';
    }
    list.close();
    std::system(("/usr/bin/python3 " ZDV_JUDGE " levels --list " + dir.File("levels.tsv") + " >" + dir.File("out")).c_str());
    std::ifstream out(dir.File("out"));
    std::vector<LevelsJudged> judged;
    for (std::string line; std::getline(out, line);) {
        std::istringstream words(line);
        LevelsJudged one;
        words >> one.rho;
        for (int64_t frame = 0; words >> frame;) one.off.push_back(frame);
        judged.push_back(one);
    }
    return judged;
}
#endif
