#include "cut_check.h"

#include "frame_header.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "os.h"
#include "source_file.h"

#include <memory>

bool MP3CheckCutBytes(const uint8_t* data, int64_t size, const CutWritten& written)
{
    const int64_t start = MP3FindAudioRange(data, size).nStart;
    const int64_t end = start + written.nBytes;
    if (written.nFrames < 1 || start + 4 > size || end > size) return false;

    // The Xing/Info frame.
    const int32_t infoLength = MP3FrameLength(data + start);
    if (infoLength < 0 || start + infoLength > end) return false;
    const uint8_t* info = data + start;
    const InfoFrameFacts facts = MP3ReadInfoFrame(info, infoLength);
    if ((facts.kind != InfoFrameKind::Xing && facts.kind != InfoFrameKind::Info) || !facts.bLame ||
        facts.nFrames != written.nFrames || facts.nBytes != written.nBytes || facts.nMusicLength != written.nBytes ||
        facts.nMusicCrc != written.nMusicCrc || !facts.bTagCrcHolds) {
        return false;
    }

    // The frames after it, back to back to the end.
    int64_t p = start + infoLength;
    for (int32_t k = 0; k < written.nFrames; ++k) {
        if (p + 4 > end) return false;
        const int32_t length = MP3FrameLength(data + p);
        if (length < 0 || p + length > end) return false;
        p += length;
    }
    if (p != end) return false;
    const int64_t music = end - (start + infoLength);
    return MP3LameCrc(data + start + infoLength, static_cast<size_t>(music)) == written.nMusicCrc;
}

bool MP3CheckCutFile(const char* path, const CutWritten& written)
{
    OsFile file = OsOpenForReading(path);
    if (!file) return false;
    const int64_t size = OsFileSize(file);
    bool ok = false;
    if (size > 0 && size < kSourceLimitBytes) {
        std::unique_ptr<uint8_t[], OsBufferFree> data(static_cast<uint8_t*>(OsAllocBuffer(static_cast<size_t>(size))));
        ok = data && OsSeekTo(file, 0) && OsReadExact(file, data.get(), static_cast<size_t>(size)) &&
             MP3CheckCutBytes(data.get(), size, written);
    }
    OsCloseFile(file);
    return ok;
}
