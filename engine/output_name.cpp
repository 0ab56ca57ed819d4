#include "output_name.h"

#include "app_state.h"
#include "diag_log.h"
#include "path_text.h"
#include "wide_paths.h"

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
    if (g_state.wszOutputFolder) {
        std::u16string folder = g_state.wszOutputFolder;
        if (folder.back() != static_cast<char16_t>(kOsPathSeparator)) folder += static_cast<char16_t>(kOsPathSeparator);
        SetStatePath(g_state.szOutputFolder, &g_state.wszOutputFolder, folder);
    }
    candidate = std::string(g_state.szOutputFolder) + g_state.szFileTitle;
    return true;
}

// The UTF-16 original of the first candidate when a path it is made of has
// one; empty otherwise.
std::u16string FirstOriginal()
{
    if (g_state.bFolder || (!g_state.wszOutputFolder && !g_state.wszSourcePath))
        return g_state.bFolder && g_state.wszSourcePath ? g_state.wszSourcePath : u"";
    const std::u16string title =
        g_state.wszSourcePath ? FileTitleOf(g_state.wszSourcePath) : OsAnsiToUtf16(g_state.szFileTitle);
    return WideOf(g_state.szOutputFolder, g_state.wszOutputFolder) + title;
}

// The numbered form of an original that ends in ".mp3" (NumberedName).
std::u16string NumberedOriginal(const std::u16string& original, int number)
{
    return original.substr(0, original.size() - 4) + OsAnsiToUtf16(NumberedName(".mp3", number).c_str());
}

}  // namespace

OutputFile CreateOutputFile(OsFile* file, uint32_t* reason, std::u16string& original)
{
    *file = nullptr;
    *reason = 0;
    std::string candidate;
    if (!FirstCandidate(candidate) || !PutCandidate(candidate)) return OutputFile::Failed;
    const std::u16string first = FirstOriginal();
    original = first;
    auto path = [&] { return OsPath(g_state.szScratch, original.empty() ? nullptr : original.c_str()); };
    CreateNewResult result = OsCreateNewFileForWriting(path(), file);
    if (result == CreateNewResult::Created) return OutputFile::Created;
    if (result == CreateNewResult::Failed) {
        *reason = OsLastError();
        return OutputFile::Failed;
    }
    if (!HasMp3Extension(candidate)) return OutputFile::NotMp3;

    for (int number = 1; number <= kMaxNumberedNames; ++number) {
        if (!PutCandidate(NumberedName(candidate, number))) return OutputFile::Failed;
        if (!first.empty()) original = NumberedOriginal(first, number);
        g_log.Print("(?) 文件: %s", g_state.szScratch);
        result = OsCreateNewFileForWriting(path(), file);
        if (result == CreateNewResult::Created) return OutputFile::Created;
        if (result == CreateNewResult::Failed) {
            *reason = OsLastError();
            return OutputFile::Failed;
        }
    }
    return OutputFile::Failed;
}
