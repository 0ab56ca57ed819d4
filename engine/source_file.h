// The source file read whole into memory, as the frame index and the cut
// both need it.
#pragma once

#include <cstdint>
#include <memory>

// Sources of 2 GiB or more are outside the design: every offset of the frame
// index is a signed 32-bit number.
constexpr int64_t kSourceLimitBytes = int64_t(1) << 31;

struct SourceBytes {
    std::unique_ptr<uint8_t[]> pData;  // the file's bytes; null when nothing was read
    int32_t nSize = 0;                 // number of bytes in pData
};

enum class SourceRead {
    Ok,          // every byte is in memory
    CannotOpen,  // missing, a folder, no rights to read
    TooLarge,    // 2 GiB or more; nothing allocated
    Failed,      // opened, but the bytes could not be read or held in memory
};

// Opens the file for reading only (never for writing, so a read-only source
// reads like any other), logs "大小: %d" with its size once it is open and
// known to fit, and reads it whole into out with one buffer of exactly its
// size. On any result but Ok, out holds nothing.
SourceRead ReadSourceFile(const char* path, SourceBytes& out);
