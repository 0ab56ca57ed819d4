#include "output_name.h"

#include "app_state.h"
#include "diag_log.h"
#include "path_text.h"

#include <cstring>

namespace {

// Copies a candidate into szScratch; false when it does not fit (a cut name
// would name another file).
bool PutCandidate(const std::string& candidate)
{
    if (candidate.size() >= kTextBufferBytes) return false;
    memcpy(g_state.szScratch, candidate.c_str(), candidate.size() + 1);
    return true;
}

// The first candidate; false when the output folder cannot take its separator.
bool FirstCandidate(std::string& candidate)
{
    if (g_state.bFolder) {
        candidate = g_state.szSourcePath;
        return true;
    }
    if (!AppendSeparator(g_state.szOutputFolder, kTextBufferBytes)) return false;
    candidate = std::string(g_state.szOutputFolder) + g_state.szFileTitle;
    return true;
}

}  // namespace

OutputFile CreateOutputFile(OsFile* file, uint32_t* reason)
{
    *file = nullptr;
    *reason = 0;
    std::string candidate;
    if (!FirstCandidate(candidate) || !PutCandidate(candidate)) return OutputFile::Failed;
    CreateNewResult result = OsCreateNewFileForWriting(g_state.szScratch, file);
    if (result == CreateNewResult::Created) return OutputFile::Created;
    if (result == CreateNewResult::Failed) {
        *reason = OsLastError();
        return OutputFile::Failed;
    }
    if (!HasMp3Extension(candidate)) return OutputFile::NotMp3;

    for (int number = 1; number <= kMaxNumberedNames; ++number) {
        if (!PutCandidate(NumberedName(candidate, number))) return OutputFile::Failed;
        g_log.Print("(?) 文件: %s", g_state.szScratch);
        result = OsCreateNewFileForWriting(g_state.szScratch, file);
        if (result == CreateNewResult::Created) return OutputFile::Created;
        if (result == CreateNewResult::Failed) {
            *reason = OsLastError();
            return OutputFile::Failed;
        }
    }
    return OutputFile::Failed;
}
