// The live windows against their templates: every control of the main
// window and of the About box where the template puts it (dialog units),
// with its class, style and CP936 text; the window's frame, focus, fixed
// size and keyboard behaviour.
#include "harness.h"
#include "program_files.h"
#include "resource.h"
#include "window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace e2e {
namespace {

std::string Hex(DWORD value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// Compares the dialog's children, in tab order, with the template. The
// runtime state the program gives some controls is passed in adjust.
void ExpectLiveLayout(HWND dialog, const ExpectedDialog& layout, DWORD (*adjust)(int id, DWORD style))
{
    const BaseUnits units = FindBaseUnits(dialog, layout.cx, layout.cy);
    ASSERT_GT(units.x, 0) << "the client area is not the template's size";
    ASSERT_GT(units.y, 0) << "the client area is not the template's size";
    std::vector<HWND> children = Children(dialog);
    ASSERT_EQ(children.size(), static_cast<size_t>(layout.count));
    for (int i = 0; i < layout.count; ++i) {
        const ExpectedControl& want = layout.controls[i];
        HWND child = children[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " (" + std::to_string(want.id) + ")");
        EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, want.id);
        EXPECT_EQ(_wcsicmp(ClassOf(child).c_str(), FromCp936(want.klass).c_str()), 0)
            << Cp936(ClassOf(child)) << " instead of " << want.klass;
        const RECT wantRect = DialogUnitsToPixels(units, want.x, want.y, want.cx, want.cy);
        const RECT got = ClientRectOf(dialog, child);
        EXPECT_TRUE(EqualRect(&got, &wantRect))
            << "at " << got.left << "," << got.top << "-" << got.right << "," << got.bottom << " instead of "
            << wantRect.left << "," << wantRect.top << "-" << wantRect.right << "," << wantRect.bottom;
        // An edit control draws its border as a sunken client edge.
        DWORD style = StyleOf(child);
        if (ClassOf(child) == L"Edit" && (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) style |= WS_BORDER;
        EXPECT_EQ(Hex(style), Hex(adjust(want.id, want.style)));
        // Texts the program or the control sets at run time are checked apart.
        static const int kLiveTexts[] = {IDC_STATIC_FILE_TITLE, IDC_EDIT_SOURCE_PATH, IDC_EDIT_OUTPUT_FOLDER,
                                         IDC_TIME_POSITION,     IDC_TIME_START,       IDC_TIME_END,
                                         IDC_SLIDER};
        if (std::find(std::begin(kLiveTexts), std::end(kLiveTexts), want.id) == std::end(kLiveTexts)) {
            EXPECT_EQ(Text(child), want.text);
        }
    }
}

DWORD MainWindowState(int id, DWORD style)
{
    if (id == IDC_BUTTON_BULK) return style & ~WS_VISIBLE;  // hidden for good
    if (id == IDC_BUTTON_EXIT) return style | WS_DISABLED;  // disabled for good
    return style;
}

DWORD AsTemplate(int, DWORD style)
{
    return style;
}

TEST(MainWindow, EveryControlIsWhereTheTemplatePutsItAndTheWindowKeepsItsSize)
{
    ProgramCopy copy;
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);

    EXPECT_EQ(ClassOf(main), L"#32770");
    EXPECT_EQ(Text(main), kMainDialogLayout.caption);
    const DWORD frame = StyleOf(main);
    EXPECT_EQ(frame & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(frame & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u) << "no sizing border, no maximise box";
    RECT window, work;
    GetWindowRect(main, &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(abs((window.left + window.right) - (work.left + work.right)), 2) << "centred across";
    EXPECT_LE(abs((window.top + window.bottom) - (work.top + work.bottom)), 2) << "centred down";
    ExpectLiveLayout(main, kMainDialogLayout, MainWindowState);
    EXPECT_EQ(FocusIn(main), Item(main, IDC_BUTTON_OPEN_FILE)) << "the first tab stop has the focus";
    RECT exitButton = ClientRectOf(main, Item(main, IDC_BUTTON_EXIT));
    EXPECT_LT(exitButton.right, 0) << "the Exit button lies left of the client area";

    // Neither a double click on the caption nor a border can change the size;
    // minimising works.
    RECT before;
    GetWindowRect(main, &before);
    const POINT caption = {(before.left + before.right) / 2, before.top + GetSystemMetrics(SM_CYCAPTION) / 2};
    EXPECT_EQ(SendMessageW(main, WM_NCHITTEST, 0, MAKELPARAM(caption.x, caption.y)), HTCAPTION);
    PostMessageW(main, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(caption.x, caption.y));
    for (const POINT edge : {POINT{before.right - 1, (before.top + before.bottom) / 2},
                             POINT{(before.left + before.right) / 2, before.bottom - 1},
                             POINT{before.right - 1, before.bottom - 1}}) {
        const LRESULT hit = SendMessageW(main, WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y));
        EXPECT_TRUE(hit < HTSIZEFIRST || hit > HTSIZELAST) << "a sizing border: hit test " << hit;
    }
    Sleep(300);
    RECT after;
    GetWindowRect(main, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_FALSE(IsZoomed(main));
    EXPECT_TRUE(Minimise(main));
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(main); }));

    // Escape does nothing; the close box ends the program.
    PressKey(FocusIn(main), VK_ESCAPE);
    Sleep(500);
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(IsWindowVisible(main));
    Screenshot(main, "main_window_layout");
    EXPECT_TRUE(program.CloseNormally(main));
}

TEST(MainWindow, TheSameFolderBoxSwitchesTheOutputFolderControlsAndIsRemembered)
{
    ProgramCopy copy;
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    HWND box = Item(main, IDC_CHECK_SAME_FOLDER);
    HWND edit = Item(main, IDC_EDIT_OUTPUT_FOLDER);
    HWND browse = Item(main, IDC_BUTTON_BROWSE_OUTPUT);
    Click(box);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(edit) && !IsWindowEnabled(browse); }));
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    Screenshot(main, "main_window_same_folder");
    Click(box);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(edit) && IsWindowEnabled(browse); }));
    Click(box);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(edit); }));
    EXPECT_TRUE(program.CloseNormally(main));
    EXPECT_EQ(copy.Read(L"settings.ini"), SettingsFile(1, "", "", MusicFolderCp936()));
}

TEST(AboutBox, ItsControlsAreWhereTheTemplatePutsThem)
{
    ProgramCopy copy;
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    Click(Item(main, IDC_BUTTON_ABOUT));
    HWND about = WaitFor([&] { return FindTopWindow(program.Id(), L"#32770", L"Zor DU3 Vodizaro :: \u5173\u4e8e"); });
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(Hex(StyleOf(about) & ~(WS_VISIBLE | WS_CLIPSIBLINGS) & 0xFFFF0000), Hex(kAboutDialogLayout.style & 0xFFFF0000));
    ExpectLiveLayout(about, kAboutDialogLayout, AsTemplate);
    Screenshot(about, "about_box");
    Click(Item(about, IDC_BUTTON_ABOUT_OK));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(program.CloseNormally(main));
}

}  // namespace
}  // namespace e2e
