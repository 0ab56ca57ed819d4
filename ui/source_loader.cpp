#include "source_loader.h"

#include "app_state.h"
#include "bass.h"
#include "frame_index.h"
#include "tag_carry.h"
#include "time_editors.h"

namespace {

// The stream of the previous source goes at every load.
void ReleaseStream()
{
    if (g_state.hChannel) BASS_StreamFree(g_state.hChannel);
    g_state.hChannel = 0;
}

// No source: the names, the times and the tag texts go, and the frame index
// no longer describes another file. fPosition, qwLength and the editors'
// ranges stay.
void ForgetSource()
{
    g_state.szSourcePath[0] = '\0';
    g_state.szFileTitle[0] = '\0';
    ReleaseStream();
    g_state.fDuration = 0;
    g_state.fStart = 0;
    g_state.fEnd = 0;
    ClearTagTexts();
    ReplaceFrameIndex(0);
}

// The load proper, once the file is known to open: frame index, tag texts,
// stream, duration, the selection and the editors' ranges.
void LoadOpenedSource(HWND hMainDlg, SourceTag& tag)
{
    MP3GetFrames();
    ReadSourceTag(tag);
    ReleaseStream();
    g_state.hChannel = BASS_StreamCreateFile(FALSE, g_state.szSourcePath, 0, 0, 0);
    g_state.qwLength = BASS_ChannelGetLength(g_state.hChannel);
    g_state.fDuration = BASS_ChannelBytes2Seconds(g_state.hChannel, g_state.qwLength);
    g_state.fStart = 0;
    g_state.fEnd = g_state.fDuration;
    FillMissingTagTexts();
    SetTimeEditorRanges(hMainDlg, g_state.fDuration);
}

}  // namespace

void LoadSource(HWND hMainDlg)
{
    SourceTag tag;
    // The open only proves that the file can be read.
    HANDLE probe = CreateFileA(g_state.szSourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        ForgetSource();
        return;
    }
    CloseHandle(probe);
    LoadOpenedSource(hMainDlg, tag);
}
