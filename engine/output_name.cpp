#include "output_name.h"

#include "app_state.h"
#include "path_text.h"
#include "wide_paths.h"

namespace {

// The numbered form of an original that ends in ".mp3" (NumberedName).
std::u16string NumberedOriginal(const std::u16string& original, int number)
{
    return original.substr(0, original.size() - 4) + OsAnsiToUtf16(NumberedName(".mp3", number).c_str());
}

// Tries to create the candidate: Created, Exists, or Failed with its reason.
CreateNewResult TryCandidate(NewFile& made, uint32_t* reason)
{
    // A name that does not fit the program's text buffers would name another file.
    if (made.path.size() >= kTextBufferBytes) return CreateNewResult::Failed;
    const CreateNewResult result = OsCreateNewFileForWriting(made.Path(), &made.file);
    if (result == CreateNewResult::Failed) *reason = OsLastError();
    return result;
}

// The outcome of a creation that did not find the name taken.
OutputFile Outcome(CreateNewResult result)
{
    return result == CreateNewResult::Created ? OutputFile::Created : OutputFile::Failed;
}

}  // namespace

OutputFile MP3CreateNewFile(const OutputRule& rule, NewFile& made, uint32_t* reason,
                            const std::function<void(const std::string&)>& tried)
{
    made = NewFile();
    *reason = 0;
    const std::string first = rule.bBesideSource ? rule.source : rule.folder + rule.title;
    std::u16string firstOriginal = rule.bBesideSource ? rule.sourceOriginal : u"";
    if (!rule.bBesideSource && (!rule.folderOriginal.empty() || !rule.sourceOriginal.empty())) {
        const std::u16string folder =
            rule.folderOriginal.empty() ? OsAnsiToUtf16(rule.folder.c_str()) : rule.folderOriginal;
        firstOriginal = folder + (rule.sourceOriginal.empty() ? OsAnsiToUtf16(rule.title.c_str())
                                                              : FileTitleOf(rule.sourceOriginal));
    }
    made.path = first;
    made.original = firstOriginal;
    CreateNewResult result = TryCandidate(made, reason);
    if (result != CreateNewResult::Exists) return Outcome(result);
    if (!HasMp3Extension(first)) return OutputFile::NotMp3;

    for (int number = 1; number <= kMaxNumberedNames; ++number) {
        made.path = NumberedName(first, number);
        if (!firstOriginal.empty()) made.original = NumberedOriginal(firstOriginal, number);
        if (made.path.size() >= kTextBufferBytes) return OutputFile::Failed;
        tried(made.path);
        result = TryCandidate(made, reason);
        if (result != CreateNewResult::Exists) return Outcome(result);
    }
    return OutputFile::Failed;
}

bool StateOutputRule(OutputRule& rule)
{
    rule = OutputRule();
    rule.bBesideSource = g_state.bFolder != 0;
    rule.source = g_state.szSourcePath;
    rule.sourceOriginal = g_state.wszSourcePath ? g_state.wszSourcePath : u"";
    rule.title = g_state.szFileTitle;
    if (rule.bBesideSource) return true;
    if (!AppendSeparator(g_state.szOutputFolder, kTextBufferBytes)) return false;
    if (g_state.wszOutputFolder)
        SetStatePath(g_state.szOutputFolder, &g_state.wszOutputFolder, WithSeparator(g_state.wszOutputFolder));
    rule.folder = g_state.szOutputFolder;
    rule.folderOriginal = g_state.wszOutputFolder ? g_state.wszOutputFolder : u"";
    return true;
}
