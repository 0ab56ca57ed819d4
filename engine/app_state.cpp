#include "app_state.h"

#include "os.h"

AppState g_state;

void AllocTextBuffers()
{
    g_state.hHeap = OsProcessHeap();
    char** buffers[] = {&g_state.szAppFolder,    &g_state.szSourcePath, &g_state.szFileTitle,
                        &g_state.szOutputFolder, &g_state.szIniPath,    &g_state.szScratch};
    for (char** buffer : buffers) *buffer = static_cast<char*>(OsHeapAllocZeroed(kTextBufferBytes));
}
