#include "cut_check.h"

#include "byte_digest.h"

#include "frame_header.h"
#include "frame_scan.h"
#include "id3v2_text.h"
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

// Reads bytes [offset, offset + count) of the file into a new vector; empty
// when they cannot be read.
std::vector<uint8_t> ReadAt(OsFile file, int64_t offset, size_t count)
{
    std::vector<uint8_t> bytes(count);
    if (count > 0 && (OsSeek(file, offset, SEEK_SET) != offset || !OsReadExact(file, bytes.data(), count))) bytes.clear();
    return bytes;
}

// Counts the frames of the file's bytes [from, end) as they arrive in
// pieces, each frame's header read where the one before ends.
class FrameCounter {
public:
    FrameCounter(int64_t from) : next_(from) {}
    // Takes the bytes [at, at + count) of the file, the ones after those
    // taken before. False once a header is not a frame's.
    bool Take(const uint8_t* bytes, int64_t at, size_t count)
    {
        const int64_t end = at + static_cast<int64_t>(count);
        while (next_ < end) {
            const int64_t p = std::max(next_, at);
            const size_t take = static_cast<size_t>(std::min<int64_t>(4 - carried_, end - p));
            memcpy(header_ + carried_, bytes + (p - at), take);
            carried_ += static_cast<int32_t>(take);
            if (carried_ < 4) break;
            const int32_t length = MP3FrameLength(header_);
            if (length < 4) return false;
            next_ += length;
            carried_ = 0;
            ++frames_;
        }
        return true;
    }
    int32_t Frames() const { return frames_; }
    // Where the frame after the last one counted would start.
    int64_t Next() const { return next_; }

private:
    int64_t next_;
    uint8_t header_[4] = {};
    int32_t carried_ = 0;  // bytes of the header at next_ taken so far
    int32_t frames_ = 0;
};

bool CheckFile(OsFile file, const CutLayout& layout, const WorkProgress& progress)
{
    const int64_t size = OsFileSize(file);
    if (size <= 0 || layout.nFrames < 1) return false;
    // The leading tags, by their headers: the cut writes one ID3v2 tag, of any size.
    LeadingId3v2Tags tags(size);
    while (!tags.Done()) {
        const std::vector<uint8_t> header = ReadAt(file, tags.End(), kId3v2HeaderSize);
        if (header.empty() || tags.Take(header.data()) < 0) break;
    }
    const int64_t start = tags.End();
    const int64_t end = start + layout.nBytes;
    if (end > size) return false;
    if (!layout.infoFrame.empty() && ReadAt(file, start, layout.infoFrame.size()) != layout.infoFrame) return false;

    // The frames after it, chunk by chunk.
    const int64_t music = start + static_cast<int64_t>(layout.infoFrame.size());
    const size_t room = kChunkBytes + 2 * kPageBytes;  // a chunk, placed in step with the file's pages
    std::unique_ptr<uint8_t[], OsBufferFree> buffer(static_cast<uint8_t*>(OsAllocBuffer(room)));
    if (!buffer || OsSeek(file, music, SEEK_SET) != music) return false;
    FrameCounter counter(music);
    ByteDigest digest;
    for (int64_t at = music; at < end;) {
        const size_t count = static_cast<size_t>(std::min<int64_t>(end - at, static_cast<int64_t>(kChunkBytes)));
        uint8_t* const placed = PagePlaced(buffer.get(), at);
        if (!OsReadExact(file, placed, count) || !counter.Take(placed, at, count)) return false;
        digest.Add(placed, count);
        at += static_cast<int64_t>(count);
        if (progress) progress("校验", static_cast<int>((at - music) * 100 / std::max<int64_t>(1, end - music)));
    }
    if (counter.Next() != end || counter.Frames() != layout.nFrames) return false;
    if (digest.Value() != layout.nMusicDigest) return false;

    // No frame after them: the file ends with tags only.
    const std::vector<uint8_t> tail = ReadAt(file, end, static_cast<size_t>(std::min<int64_t>(size - end, kChunkBytes)));
    if (size - end > static_cast<int64_t>(kChunkBytes) || tail.size() != static_cast<size_t>(size - end)) return false;
    return MP3ScanFrames(tail.data(), static_cast<int64_t>(tail.size()), nullptr) == 0;
}

}  // namespace

bool MP3CheckCutFile(const OsPath& path, const CutLayout& layout, const WorkProgress& progress)
{
    OsFile file = OsOpenForReading(path);
    if (!file) return false;
    const bool ok = CheckFile(file, layout, progress);
    OsCloseFile(file);
    return ok;
}
