// Driving the main window's commands from the end-to-end tests: the
// open-file dialog, the questions the program asks, and what the log says
// of a load.
#pragma once

#include "frame_entry.h"
#include "harness.h"

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// A file's bytes ("" when it cannot be read); a fixture's bytes, to be
// written beside the program.
std::string ReadWholeFile(const std::string& path);
std::string Fixture(const std::string& name);

// The file of the cuts (make_cut_fixture.py): 20 s, lame CBR 128 kbit/s,
// with a title, an artist and an album.
std::string CutSongPath();

// The frames of a file held in a string, in file order.
std::vector<FrameEntry> FramesOf(const std::string& bytes);
// Its audio frames, as the engine's index holds them: an encoder's
// Xing/Info/VBRI frame first is left out.
std::vector<FrameEntry> AudioFramesOf(const std::string& bytes);

// The lines of loading the file at path (CP936) that holds bytes:
// IndexingLogLines with the audio frames the engine finds in them.
std::vector<std::string> LoadLogLines(const std::string& path, const std::string& bytes);

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more);

// The open-file dialog of the program now (a dialog with the file-name box);
// null when there is none.
HWND FindOpenFileDialog(const Program& program);
// Waits for the open-file dialog of the program (a dialog with the file-name
// box) and checks that the main window owns it; null when none comes.
HWND WaitForOpenFileDialog(const Program& program, HWND main);
// The edit box inside the dialog's file-name combo box (id 1148).
HWND FileNameBox(HWND dialog);
// Types a name (CP936) into the dialog, presses its Open button and waits
// until the dialog has gone.
void ChooseFile(HWND dialog, const std::string& name);
// Presses the dialog's Cancel button and waits until it has gone.
void CancelDialog(HWND dialog);
// Clicks "打开文件" and chooses the file at path (CP936).
void OpenSource(const Program& program, HWND main, const std::string& path);

// Waits until 2038 and 2039 show title and path; false when they never do.
bool ShowsSource(HWND main, const std::string& title, const std::string& path);

// The question at the end of a successful cut.
constexpr char kCutDoneQuestion[] = "完成!\n文件已经分割.\n\n打开新文件进行分割吗?";

// Waits for a Yes/No question of the program with the caption "Zor DU3
// Vodizaro", owned by the main window, with an icon, and checks its text.
std::optional<MessageBoxSeen> WaitForQuestion(const Program& program, HWND main, const std::string& text);
// Clicks button and answers its question (text) with No; false when the
// question does not come or does not go.
bool NoAnswersTheQuestion(const Program& program, HWND main, int button, const std::string& text);
// Clicks button, answers its question (text) with Yes and cancels the
// open-file dialog that Yes opens; false when the question or the dialog
// does not come.
bool YesOpensTheOpenFileDialog(const Program& program, HWND main, int button, const std::string& text);

}  // namespace e2e
