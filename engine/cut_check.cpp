#include "cut_check.h"

#include "frame_header.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "os.h"
#include "source_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Whether a cut's Xing/Info frame says truly that frames frames follow it and
// that with it they take bytes bytes, and its LAME extension holds.
bool Describes(const InfoFrameFacts& facts, int32_t frames, int64_t bytes)
{
    return (facts.kind == InfoFrameKind::Xing || facts.kind == InfoFrameKind::Info) && facts.bLame && facts.nFrames == frames &&
           facts.nBytes == bytes && facts.nMusicLength == bytes && facts.bTagCrcHolds;
}

}  // namespace

bool MP3CheckCutBytes(const uint8_t* data, int64_t size, const CutWritten& written)
{
    const int64_t start = MP3FindAudioRange(data, size).nStart;
    const int64_t end = start + written.nBytes;
    if (written.nFrames < 1 || start + 4 > size || end > size) return false;

    // The Xing/Info frame, unless the frames change format.
    const int32_t firstLength = MP3FrameLength(data + start);
    if (firstLength < 0 || start + firstLength > end) return false;
    // A describing frame copied from the source, first where there is none,
    // does not describe the cut.
    const InfoFrameFacts facts = MP3ReadInfoFrame(data + start, firstLength);
    const bool described = Describes(facts, written.nFrames, written.nBytes);
    if (described && facts.nMusicCrc != written.nMusicCrc) return false;
    const int64_t music = described ? start + firstLength : start;

    // The frames after it, back to back to the end: of its format, or of more
    // than one without it.
    bool oneFormat = true;
    int64_t p = music;
    for (int32_t k = 0; k < written.nFrames; ++k) {
        if (p + 4 > end) return false;
        const int32_t length = MP3FrameLength(data + p);
        if (length < 0 || p + length > end) return false;
        oneFormat = oneFormat && MP3SameFormat(data + start, data + p);
        p += length;
    }
    if (p != end || oneFormat != described) return false;
    return MP3LameCrc(data + music, static_cast<size_t>(end - music)) == written.nMusicCrc;
}

namespace {

constexpr size_t kChunkBytes = size_t(1) << 20;

// The file read in order, chunk by chunk, into a buffer of its own.
class ChunkReader {
public:
    ChunkReader(OsFile file, int64_t size, const WorkProgress& progress)
        : file_(file), size_(size), left_(size), progress_(progress)
    {
    }
    bool Ok() const { return buffer_ != nullptr; }
    // Whether the next bytes of the file are count bytes equal to expected.
    bool Matches(const uint8_t* expected, size_t count)
    {
        while (count > 0) {
            if (at_ == held_ && !Fill()) return false;
            const size_t n = std::min(count, held_ - at_);
            if (memcmp(buffer_.get() + at_, expected, n) != 0) return false;
            at_ += n;
            expected += n;
            count -= n;
        }
        return true;
    }

private:
    bool Fill()
    {
        held_ = static_cast<size_t>(std::min<int64_t>(left_, static_cast<int64_t>(kChunkBytes)));
        at_ = 0;
        left_ -= static_cast<int64_t>(held_);
        if (progress_) progress_("校验", static_cast<int>((size_ - left_) * 100 / std::max<int64_t>(1, size_)));
        return held_ > 0 && OsReadExact(file_, buffer_.get(), held_);
    }

    OsFile file_;
    int64_t size_;
    int64_t left_;
    const WorkProgress& progress_;
    std::unique_ptr<uint8_t[], OsBufferFree> buffer_{static_cast<uint8_t*>(OsAllocBuffer(kChunkBytes))};
    size_t held_ = 0, at_ = 0;
};

// Reads bytes [offset, offset + count) of the file into a new vector; empty
// when they cannot be read.
std::vector<uint8_t> ReadAt(OsFile file, int64_t offset, size_t count)
{
    std::vector<uint8_t> bytes(count);
    if (count > 0 && (OsSeek(file, offset, SEEK_SET) != offset || !OsReadExact(file, bytes.data(), count))) bytes.clear();
    return bytes;
}

bool CheckFile(OsFile file, const CutLayout& layout, const SourceBytes& source, const WorkProgress& progress)
{
    const int64_t size = OsFileSize(file);
    if (size <= 0 || layout.nFrames < 1) return false;
    // The leading tags: the cut writes one small ID3v2 tag.
    const std::vector<uint8_t> head = ReadAt(file, 0, static_cast<size_t>(std::min<int64_t>(size, kChunkBytes)));
    if (head.empty()) return false;
    const int64_t start = MP3FindAudioRange(head.data(), static_cast<int64_t>(head.size())).nStart;
    const int64_t end = start + layout.nBytes;
    if (end > size || OsSeek(file, start, SEEK_SET) != start) return false;

    // The frames, each piece handed over holding whole frames.
    ChunkReader reader(file, end - start, progress);
    int32_t frames = 0;
    int64_t bytes = 0;
    InfoFrameFacts info;
    const bool same = reader.Ok() && MP3EmitCut(layout, source, [&](const uint8_t* piece, size_t count) {
        for (size_t p = 0; p < count;) {
            const int32_t length = count - p >= 4 ? MP3FrameLength(piece + p) : -1;
            if (length < 0 || static_cast<size_t>(length) > count - p) return false;
            if (frames == 0) info = MP3ReadInfoFrame(piece + p, length);
            ++frames;
            p += static_cast<size_t>(length);
        }
        bytes += static_cast<int64_t>(count);
        return reader.Matches(piece, count);
    });
    if (!same) return false;
    const bool described = layout.infoFrame.empty() ? frames == layout.nFrames && bytes == layout.nBytes
                                                    : Describes(info, frames - 1, bytes);
    if (!described) return false;

    // No frame after them: the file ends with tags only.
    const std::vector<uint8_t> tail = ReadAt(file, end, static_cast<size_t>(std::min<int64_t>(size - end, kChunkBytes)));
    if (size - end > static_cast<int64_t>(kChunkBytes) || tail.size() != static_cast<size_t>(size - end)) return false;
    return MP3ScanFrames(tail.data(), static_cast<int64_t>(tail.size()), nullptr) == 0;
}

}  // namespace

bool MP3CheckCutFile(const OsPath& path, const CutLayout& layout, const SourceBytes& source,
                     const WorkProgress& progress)
{
    OsFile file = OsOpenForReading(path);
    if (!file) return false;
    const bool ok = CheckFile(file, layout, source, progress);
    OsCloseFile(file);
    return ok;
}
