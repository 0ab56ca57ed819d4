#include "fuzz_file.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

std::string g_path;

void RemoveFuzzFile()
{
    remove(g_path.c_str());
}

}  // namespace

const std::string& WriteFuzzFile(const uint8_t* data, size_t size, const char* suffix)
{
    std::string& path = g_path;
    if (path.empty()) {
        const char* dir = getenv("TMPDIR");
        path = std::string(dir ? dir : "/tmp") + "/zdv-fuzz-" + std::to_string(getpid()) + suffix;
        atexit(RemoveFuzzFile);
    }
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) abort();
    if (size && fwrite(data, 1, size, f) != size) abort();
    fclose(f);
    return path;
}
