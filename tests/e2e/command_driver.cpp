#include "command_driver.h"

#include "frame_scan.h"
#include "info_frame.h"
#include "program_files.h"
#include "resource.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <dlgs.h>

namespace e2e {

std::string Fixture(const std::string& name)
{
    return ReadWholeFile(FixturePath(name));
}

std::vector<FrameEntry> FramesOf(const std::string& bytes)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const auto size = static_cast<int64_t>(bytes.size());
    std::vector<FrameEntry> frames(static_cast<size_t>(MP3ScanFrames(data, size, nullptr)));
    MP3ScanFrames(data, size, frames.data());
    return frames;
}

std::vector<FrameEntry> AudioFramesOf(const std::string& bytes)
{
    std::vector<FrameEntry> frames = FramesOf(bytes);
    if (!frames.empty() && MP3IsLeadingInfoFrame(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                 static_cast<int64_t>(bytes.size()), frames[0])) {
        frames.erase(frames.begin());
    }
    return frames;
}

std::vector<std::string> LoadLogLines(const std::string& path, const std::string& bytes)
{
    return IndexingLogLines(path, bytes.size(), static_cast<int>(AudioFramesOf(bytes).size()));
}

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more)
{
    lines.insert(lines.end(), more.begin(), more.end());
}

std::string ReadWholeFile(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string CutSongPath()
{
    return ZDV_CUT_FIXTURE;
}

HWND FindOpenFileDialog(const Program& program)
{
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w; w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == program.Id() && IsWindowVisible(w) && GetDlgItem(w, cmb13)) return w;
    }
    return nullptr;
}

HWND WaitForOpenFileDialog(const Program& program, HWND main)
{
    HWND dialog = WaitFor([&] { return FindOpenFileDialog(program); });
    EXPECT_NE(dialog, nullptr) << "no open-file dialog";
    if (dialog) {
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
    }
    return dialog;
}

HWND FileNameBox(HWND dialog)
{
    HWND combo = FindWindowExW(GetDlgItem(dialog, cmb13), nullptr, L"ComboBox", nullptr);
    return combo ? FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
}

void ChooseFile(HWND dialog, const std::string& name)
{
    SetWindowTextW(FileNameBox(dialog), FromCp936(name).c_str());
    Click(GetDlgItem(dialog, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

void CancelDialog(HWND dialog)
{
    Click(GetDlgItem(dialog, IDCANCEL));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

void OpenSource(const Program& program, HWND main, const std::string& path)
{
    Click(Item(main, IDC_BUTTON_OPEN_FILE));
    if (HWND dialog = WaitForOpenFileDialog(program, main)) ChooseFile(dialog, path);
}

bool ShowsSource(HWND main, const std::string& title, const std::string& path)
{
    return WaitUntil([&] {
        return Text(Item(main, IDC_STATIC_FILE_TITLE)) == title && Text(Item(main, IDC_EDIT_SOURCE_PATH)) == path;
    });
}

std::optional<MessageBoxSeen> WaitForQuestion(const Program& program, HWND main, const std::string& text)
{
    std::optional<MessageBoxSeen> box = WaitForMessageBox(program.Id(), main);
    EXPECT_TRUE(box) << "no box with \"" << text << "\"";
    if (box) {
        EXPECT_EQ(box->text, text);
        EXPECT_EQ(box->caption, "Zor DU3 Vodizaro");
        EXPECT_EQ(box->owner, main);
        EXPECT_TRUE(box->hasIcon);
        EXPECT_NE(GetDlgItem(box->box, IDYES), nullptr);
        EXPECT_NE(GetDlgItem(box->box, IDNO), nullptr);
    }
    return box;
}

bool NoAnswersTheQuestion(const Program& program, HWND main, int button, const std::string& text)
{
    Click(Item(main, button));
    const std::optional<MessageBoxSeen> box = WaitForQuestion(program, main, text);
    if (!box) return false;
    Answer(*box, IDNO);
    return WaitUntil([&] { return !IsWindow(box->box); });
}

bool YesOpensTheOpenFileDialog(const Program& program, HWND main, int button, const std::string& text)
{
    Click(Item(main, button));
    const std::optional<MessageBoxSeen> box = WaitForQuestion(program, main, text);
    if (!box) return false;
    Answer(*box, IDYES);
    HWND dialog = WaitForOpenFileDialog(program, main);
    if (!dialog) return false;
    CancelDialog(dialog);
    return true;
}

}  // namespace e2e
