// The source file, read in chunks for the frame index and for a cut.
#pragma once

#include "os.h"

#include <cstdint>
#include <functional>
#include <memory>

// The largest source the program takes: 64 GiB, a day at 6 Mbit/s. (Offsets
// are 64-bit; the frame index of a file this size takes some 2.5 GB.)
constexpr int64_t kSourceLimitBytes = int64_t(1) << 36;

// Told, now and then during long work, what it does ("读取", "写入",
// "校验") and the per cent done.
using WorkProgress = std::function<void(const char* what, int percent)>;

// Releases a block of OsAllocBuffer.
struct OsBufferFree {
    void operator()(uint8_t* block) const { OsFreeBuffer(block); }
};

// Bytes of the source held in memory: the file's bytes from nBase on.
struct SourceBytes {
    std::unique_ptr<uint8_t[], OsBufferFree> pData;  // null when nothing was read
    int64_t nBase = 0;                 // file offset of pData[0]
    int64_t nSize = 0;                 // number of bytes in pData

    // The bytes [offset, offset + length) of the file, or null when they are
    // not all held.
    const uint8_t* Bytes(int64_t offset, int64_t length) const
    {
        if (!pData || offset < nBase || length < 0 || offset + length > nBase + nSize) return nullptr;
        return pData.get() + (offset - nBase);
    }
};

enum class SourceRead {
    Ok,          // the file is open (or every byte is in memory)
    CannotOpen,  // missing, a folder, no rights to read
    TooLarge,    // kSourceLimitBytes (64 GiB) or more; nothing allocated
    Failed,      // opened, but the bytes could not be read or held in memory
};

// The source, open for reading only (never for writing, so a read-only
// source reads like any other); closed when the object goes.
class SourceFile {
public:
    SourceFile() = default;
    ~SourceFile() { Close(); }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // Opens the file and takes its size.
    SourceRead Open(const OsPath& path);
    // The size of the open file in bytes.
    int64_t Size() const { return nSize; }
    // Reads the bytes [offset, offset + length) of the open file into out,
    // replacing what out held, with one buffer of exactly that size. False,
    // and out empty, on any error.
    bool Read(int64_t offset, int64_t length, SourceBytes& out);
    // Reads the bytes [offset, offset + length) of the open file into
    // buffer, a chunk at a time; after each chunk, arrived(end) is told that
    // the bytes up to file offset end are in. False on any error.
    template <typename Arrived>
    bool ReadInto(uint8_t* buffer, int64_t offset, int64_t length, Arrived arrived);
    void Close();

private:
    OsFile file = nullptr;
    int64_t nSize = 0;
};

// Memory pages and the pages of a file the system reads are this long. A
// read is copied fastest where each byte lands at the place within a page of
// memory that it has within a page of the file.
constexpr int64_t kPageBytes = 4096;

// Where in block, a buffer with a page to spare, the bytes of the file from
// offset on are to be read to land so.
inline uint8_t* PagePlaced(uint8_t* block, int64_t offset)
{
    const int64_t past = static_cast<int64_t>(reinterpret_cast<uintptr_t>(block) % kPageBytes);
    return block + (kPageBytes - past) % kPageBytes + offset % kPageBytes;
}

// Chunks of this size are read one at a time, so that what looks at them
// finds them in the processor's caches.
constexpr int32_t kReadChunkBytes = 4 << 20;

template <typename Arrived>
bool SourceFile::ReadInto(uint8_t* buffer, int64_t offset, int64_t length, Arrived arrived)
{
    if (!file || offset < 0 || length < 0 || offset + length > nSize) return false;
    if (OsSeek(file, offset, SEEK_SET) != offset) return false;
    for (int64_t done = 0; done < length;) {
        const int64_t chunk = length - done < kReadChunkBytes ? length - done : kReadChunkBytes;
        if (!OsReadExact(file, buffer + done, static_cast<size_t>(chunk))) return false;
        done += chunk;
        arrived(offset + done);
    }
    return true;
}

// Opens the file and reads it whole into out. On any result
// but Ok, out holds nothing.
SourceRead ReadSourceFile(const OsPath& path, SourceBytes& out);
