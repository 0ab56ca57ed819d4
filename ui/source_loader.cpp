#include "source_loader.h"

#include "app_state.h"

namespace {

// The load proper, once the file is known to open: frame index, tag texts,
// stream, duration, selection and the editors' ranges.
// TODO: MP3GetFrames, ReadSourceTag, BASS_StreamCreateFile, duration,
// fStart = 0, fEnd = fDuration, "-" for missing tag texts, editor ranges.
void LoadOpenedSource(HWND) {}

void ForgetSource()
{
    g_state.szSourcePath[0] = '\0';
    g_state.szFileTitle[0] = '\0';
    g_state.hChannel = 0;
    g_state.fDuration = 0;
    g_state.fStart = 0;
    g_state.fEnd = 0;
    g_state.szArtist = nullptr;
    g_state.szAlbum = nullptr;
    g_state.szTitle = nullptr;
}

}  // namespace

void LoadSource(HWND hMainDlg)
{
    // The open only proves that the file can be read.
    HANDLE probe = CreateFileA(g_state.szSourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        ForgetSource();
        return;
    }
    CloseHandle(probe);
    LoadOpenedSource(hMainDlg);
}
