// What the program leaves in its folder, as the end-to-end tests expect it:
// log.txt line by line and settings.ini byte by byte (CP936).
#pragma once

#include "harness.h"

#include <string>
#include <vector>

namespace e2e {

// The lines a run logs before its main window opens: the start line, the
// five start-up values (handles written as "{hex}") for the program in
// copy, and the output folder that the settings gave.
std::vector<std::string> StartupLogLines(const ProgramCopy& copy, const std::string& outputFolder);

// The lines of a source's loading at start-up: "MP3GetFrames" and, one
// level deeper, the path, the size in bytes and the frame count twice.
std::vector<std::string> IndexingLogLines(const std::string& path, size_t bytes, int frames);

// The lines of a normal end after the window was closed: "Message: CLOSE",
// "Message: DESTROY" and the end line with its line feed.
std::vector<std::string> NormalEndLogLines();

// Checks log.txt against the expected lines: CR LF between lines, none
// after the last, no zero byte. In an expected line "{hex}" stands for
// lower-case hexadecimal digits without leading zeros.
void ExpectLog(const std::string& log, const std::vector<std::string>& expected);

// A settings.ini as the program writes it.
std::string SettingsFile(int bFolder, const std::string& fileTitle, const std::string& sourcePath,
                         const std::string& outputFolder);

}  // namespace e2e
