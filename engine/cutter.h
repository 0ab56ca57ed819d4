// The segment cutter: the selection mapped to frames of the index, the size
// of those frames, and the cut that copies them byte for byte into a new
// file that carries the source's tag texts.
#pragma once

#include "cut_layout.h"
#include "frame_index.h"
#include "output_name.h"
#include "tag_carry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// What a selection takes: index entries i to j - 1 (none when i >= j), and
// of their decoded samples those from nFirstSample to nEndSample - 1, the
// source's samples of the selection on its timeline (SourceTimeline).
struct FrameSpan {
    int32_t i;
    int32_t j;
    int64_t nFirstSample = 0;
    int64_t nEndSample = 0;
};

// Maps a selection to samples and frames: the source's samples from
// round(fStart x rate) to round(fEnd x rate), counted from the first sample
// the source plays and held within those it plays (a start at or before 0
// is the first, an end at or after fDuration the last; times that are not
// numbers count as 0), and the frames that hold them, the one of the end
// included. No frame when that leaves no sample (or the index has none).
FrameSpan MP3MapSelection(const FrameIndex& index, float fStart, float fEnd, float fDuration);
// The same for the source's samples nFirst to nEnd - 1 counted from the
// first sample it plays, held within those it plays.
FrameSpan MP3MapSamples(const FrameIndex& index, int64_t nFirst, int64_t nEnd);

// The size in kilobytes (bytes / 1024) of what a cut of the current selection
// of g_state writes: the frames it takes, and an estimate of the frames put
// before them (the Xing/Info frame and the priming frames, counted as the
// first selected frame and the one or two before it). 0 with no source or no
// frame.
double MP3SelectionSize();

// What a cut takes: the source (rule.source and its original), its
// selection in seconds, or exactly in samples when nEndSample is above 0
// (MP3MapSamples), where the new file goes and the texts of its tag. The
// source's tags come from pSourceTags where one of many cuts of it read them
// once, else from the source as it is now. With bTakeWritten, a file at one
// of the names the cut would try before the first free one that holds
// exactly what it would write (its tags byte for byte, its frames as the
// read-back check finds them) is taken for the cut's, and nothing is written;
// but never one of pMadeBefore, the files (paths and originals) that cuts
// before it in the same run made or took, which may hold the same bytes (two
// parts of silence).
struct CutJob {
    OutputRule rule;
    float fStart = 0;
    float fEnd = 0;
    float fDuration = 0;
    int64_t nFirstSample = 0;
    int64_t nEndSample = 0;
    TagTexts texts;
    const CutSourceTags* pSourceTags = nullptr;
    bool bTakeWritten = false;
    const std::vector<std::pair<std::string, std::u16string>>* pMadeBefore = nullptr;
};

// What a cut did.
enum class CutStatus {
    Done,          // the new file is written and reads back as written
    Unreadable,    // the source could not be read: nothing written
    NoAudio,       // the selection takes no frame: nothing written
    NotMp3,        // the first name is taken and does not end in ".mp3"
    CannotCreate,  // no new file could be created
    CannotWrite,   // writing the new file failed: it is gone
    CheckFailed,   // the new file did not read back as written: it is gone
};

struct CutResult {
    CutStatus status = CutStatus::Unreadable;
    uint32_t nReason = 0;       // the system's code of a failed file operation; 0 for none
    NewFile made;               // the new file's name (closed) once one was created
    FrameSpan span = {0, 0};    // the frames of the selection
    bool bFound = false;        // Done by a file that was there already (CutJob::bTakeWritten)
};

// Takes each line a cut reports, in the log's words.
using CutLog = std::function<void(const std::string& line)>;

// Cuts the selection of job out of the source into a new file (below).
// index is the source's frame index as loaded; it is built anew when the
// file has changed since. The lines, in order: "大小: %d" once the source
// opens, "(?) 文件: %s" for each numbered name tried, "新文件: %s" and
// "i=%d, j=%d" once the new file exists (under its temporary name; it takes
// its name once it reads back as written, the next free one where a file
// took that name meanwhile, each tried told as before). progress hears how far the reading
// of the frames and the writing of the new file are.
CutResult MP3CutSource(const CutJob& job, FrameIndex& index, const CutLog& log, const WorkProgress& progress = nullptr);

// MP3CutSource in two halves, so that a caller cutting many files can write
// the next while the last is checked and named. MP3WriteCut does all up to
// the new file written and closed under its temporary name: true then, with
// MP3FinishCut to call; false when the cut ended there (written.result says
// how: a failure, or Done with bFound). MP3FinishCut checks the file and
// gives it its name, and returns what the cut did. Each takes its own log
// lines and progress, as MP3CutSource would tell them.
struct WrittenCut {
    CutResult result;
    CutLayout layout;  // what the file was written from, made final
};
bool MP3WriteCut(const CutJob& job, FrameIndex& index, const CutLog& log, const WorkProgress& progress,
                 WrittenCut& written);
CutResult MP3FinishCut(WrittenCut& written, const CutLog& log, const WorkProgress& progress);

// Cuts the selection of g_state out of szSourcePath into a new file, with
// its log lines, its questions and error boxes (through the installed
// EngineUi) and the tag texts. The new file holds a Xing/Info frame of its
// own, priming frames and the selected frames byte for byte (cut_layout.h).
// Never overwrites a file; reads the source again, so a source changed since
// it was loaded is cut as it is now. A write error, or a file that does not
// read back as written (cut_check.h), removes the new file and is reported
// (file operations with the system's reason); a selection of no frame writes
// nothing and is reported;
// success ends with the question whether to open another file.
void MP3Split();

// Called, when set, with the new file's path after the cut has written and
// tagged it and before it checks it: lets tests damage the file on its way to
// the disk. Null (the default) for none.
using CutWrittenHook = void (*)(const char* path);
void SetCutWrittenHook(CutWrittenHook hook);
