// A scratch file for fuzz inputs that must come from a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the input to this process's scratch file (in TMPDIR, else /tmp,
// removed when the process ends) and returns its path.
const std::string& WriteFuzzFile(const uint8_t* data, size_t size, const char* suffix = ".mp3");
