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

// Tries to create the candidate under its temporary name: Created, Exists
// (the name is taken), or Failed with its reason.
CreateNewResult TryCandidate(NewFile& made, uint32_t* reason)
{
    // A name that does not fit the program's text buffers would name another file.
    if (made.path.size() >= kTextBufferBytes) return CreateNewResult::Failed;
    if (OsPathExists(made.Path())) return CreateNewResult::Exists;
    for (int leftover = 0; leftover <= kMaxNumberedNames; ++leftover) {
        const std::string tail = (leftover ? "." + std::to_string(leftover) : std::string()) + kPartialSuffix;
        made.temp = made.path + tail;
        made.tempOriginal = made.original.empty() ? u"" : made.original + OsAnsiToUtf16(tail.c_str());
        const CreateNewResult result = OsCreateNewFileForWriting(made.TempPath(), &made.file);
        if (result == CreateNewResult::Failed) *reason = OsLastError();
        if (result != CreateNewResult::Exists) return result;
    }
    return CreateNewResult::Failed;
}

// The outcome of a creation that did not find the name taken.
OutputFile Outcome(CreateNewResult result)
{
    return result == CreateNewResult::Created ? OutputFile::Created : OutputFile::Failed;
}

// The first candidate of a rule and its original.
void FirstCandidate(const OutputRule& rule, std::string& first, std::u16string& firstOriginal)
{
    first = rule.bBesideSource ? rule.source : rule.folder + rule.title;
    firstOriginal = rule.bBesideSource ? rule.sourceOriginal : u"";
    if (!rule.bBesideSource && !rule.titleOriginal.empty()) {
        firstOriginal = (rule.folderOriginal.empty() ? OsAnsiToUtf16(rule.folder.c_str()) : rule.folderOriginal) +
                        rule.titleOriginal;
    } else if (!rule.bBesideSource && (!rule.folderOriginal.empty() || !rule.sourceOriginal.empty())) {
        const std::u16string folder =
            rule.folderOriginal.empty() ? OsAnsiToUtf16(rule.folder.c_str()) : rule.folderOriginal;
        firstOriginal = folder + (rule.sourceOriginal.empty() ? OsAnsiToUtf16(rule.title.c_str())
                                                              : FileTitleOf(rule.sourceOriginal));
    }
}

// Names made the numbered name after its own, numbered from the first
// candidate; false when none is left.
bool NextNumberedName(NewFile& made, const std::string& first, const std::u16string& firstOriginal)
{
    if (++made.number > kMaxNumberedNames) return false;
    made.path = NumberedName(first, made.number);
    made.original = firstOriginal.empty() ? u"" : NumberedOriginal(firstOriginal, made.number);
    return made.path.size() < kTextBufferBytes;
}

// Whether the names are to be tried from the numbered name nFromNumber on,
// the first candidate and those below it passed over.
bool SkipNumbers(const OutputRule& rule, const NewFile& made)
{
    return rule.nFromNumber > 0 && HasMp3Extension(made.first);
}

}  // namespace

const char kPartialSuffix[] = ".partial";

OutputFile MP3CreateNewFile(const OutputRule& rule, NewFile& made, uint32_t* reason,
                            const std::function<void(const std::string&)>& tried)
{
    made = NewFile();
    *reason = 0;
    std::string first;
    std::u16string firstOriginal;
    FirstCandidate(rule, first, firstOriginal);
    made.first = first;
    made.firstOriginal = firstOriginal;
    made.path = first;
    made.original = firstOriginal;
    if (!SkipNumbers(rule, made)) {
        const CreateNewResult result = TryCandidate(made, reason);
        if (result != CreateNewResult::Exists) return Outcome(result);
        if (!HasMp3Extension(first)) return OutputFile::NotMp3;
    } else {
        made.number = rule.nFromNumber - 1;
    }
    while (NextNumberedName(made, first, firstOriginal)) {
        tried(made.path);
        const CreateNewResult result = TryCandidate(made, reason);
        if (result != CreateNewResult::Exists) return Outcome(result);
    }
    return OutputFile::Failed;
}

bool MP3FindNamedFile(const OutputRule& rule, NewFile& made, const std::function<bool(const OsPath& path)>& matches)
{
    made = NewFile();
    FirstCandidate(rule, made.first, made.firstOriginal);
    made.path = made.first;
    made.original = made.firstOriginal;
    const std::string first = made.first;
    const std::u16string firstOriginal = made.firstOriginal;
    if (SkipNumbers(rule, made)) {
        made.number = rule.nFromNumber - 1;
        if (!NextNumberedName(made, first, firstOriginal)) return false;
    }
    for (;;) {
        if (made.path.size() >= kTextBufferBytes || !OsPathExists(made.Path())) return false;
        if (matches(made.Path())) return true;
        if (!HasMp3Extension(first) || !NextNumberedName(made, first, firstOriginal)) return false;
    }
}

OutputFile MP3CommitNewFile(NewFile& made, uint32_t* reason, const std::function<void(const std::string&)>& tried)
{
    *reason = 0;
    if (!OsFlushToDisk(made.TempPath())) {
        *reason = OsLastError();
        return OutputFile::Failed;
    }
    const std::string first = made.first;
    const std::u16string firstOriginal = made.firstOriginal;
    for (;;) {
        const CreateNewResult result = OsRenameNoReplace(made.TempPath(), made.Path());
        if (result == CreateNewResult::Created) return OutputFile::Created;
        if (result == CreateNewResult::Failed) {
            *reason = OsLastError();
            return OutputFile::Failed;
        }
        if (!HasMp3Extension(first)) return OutputFile::NotMp3;
        if (!NextNumberedName(made, first, firstOriginal)) return OutputFile::Failed;
        tried(made.path);
    }
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
