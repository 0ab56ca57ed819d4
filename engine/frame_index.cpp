#include "frame_index.h"

#include "app_state.h"
#include "diag_log.h"
#include "frame_scan.h"
#include "info_frame.h"
#include "wide_paths.h"

#include <algorithm>
#include <new>

bool ReplaceFrameIndex(int32_t count)
{
    delete[] g_state.pFrames;
    g_state.pFrames = nullptr;
    g_state.nFrames = 0;
    g_state.nSourceBytes = 0;
    g_state.feInfoFrame = FrameEntry{0, 0};
    if (count <= 0) return count == 0;
    g_state.pFrames = new (std::nothrow) FrameEntry[static_cast<size_t>(count)];
    if (!g_state.pFrames) return false;
    g_state.nFrames = count;
    return true;
}

bool ReadAndIndexSource(SourceFile& file, SourceBytes& bytes, bool log)
{
    ReplaceFrameIndex(0);
    bytes = SourceBytes();
    // The scanner sees the buffer the bytes arrive in; it reads only what
    // has arrived.
    std::unique_ptr<uint8_t[], OsBufferFree> data(static_cast<uint8_t*>(OsAllocBuffer(static_cast<size_t>(file.Size()))));
    if (!data) return false;
    FrameScanner scanner(data.get(), file.Size());
    if (!file.ReadInto(data.get(), 0, file.Size(), [&](int64_t available) { scanner.Advance(available); })) return false;
    int32_t counted = scanner.Finish();
    // An encoder's describing frame at the start is not audio: the index
    // keeps it apart.
    FrameEntry info = {0, 0};
    if (counted > 0 && MP3IsLeadingInfoFrame(data.get(), file.Size(), scanner.Entry(0))) {
        info = scanner.Entry(0);
        --counted;
    }
    if (log) g_log.Print("帧数: %d", counted);
    if (ReplaceFrameIndex(counted)) {
        scanner.CopyTo(g_state.pFrames, info.nLength > 0 ? 1 : 0);
        g_state.nSourceBytes = file.Size();
        g_state.feInfoFrame = info;
    }
    if (log) g_log.Print("帧数: %d", g_state.nFrames);
    bytes.pData = std::move(data);
    bytes.nBase = 0;
    bytes.nSize = file.Size();
    return g_state.nFrames == counted;
}

void MP3GetFrames()
{
    LogScope scope("MP3GetFrames");
    g_log.Print("mp3 文件: %s", g_state.szSourcePath);

    SourceFile file;
    SourceBytes bytes;
    if (file.Open(SourcePath()) != SourceRead::Ok || !ReadAndIndexSource(file, bytes, true)) {
        ReplaceFrameIndex(0);
    }
}
