// KivControls.dll in a real dialog under Wine: skinned buttons and a check
// box still work as buttons, keep their state, carry the record's tooltip,
// and are drawn by the library (checked on the screen's pixels; the
// screenshots are kept as artifacts).
#include "kiv_controls.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

enum ControlId {
    kLargeButton = 101,   // icon above caption, like the top-row buttons
    kCaptionButton = 102, // caption only, like "设置起点"
    kIconButton = 103,    // icon only, flat, like the play button
    kCheckBox = 104,      // like "播放所选"
    kDisabledButton = 105,
    kHiddenButton = 106,
    kDisabledAfter = 107,
    kCutCaptionBox = 108, // the check box with its caption already cut
};

// The colours of the test icons: nothing else on the dialog has them.
const COLORREF kIconRed = RGB(230, 0, 0);
const COLORREF kIconBlue = RGB(0, 0, 230);

HICON SolidIcon(COLORREF colour)
{
    const int size = 32;
    std::vector<DWORD> pixels(size * size, 0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) |
                                               GetBValue(colour));
    HBITMAP colourBits = CreateBitmap(size, size, 1, 32, pixels.data());
    std::vector<BYTE> maskBits(size * size / 8, 0);  // all opaque
    HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
    ICONINFO ii = {TRUE, 0, 0, mask, colourBits};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(colourBits);
    DeleteObject(mask);
    return icon;
}

std::wstring Wide(const char* ansi)
{
    wchar_t buf[256];
    int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, buf, 256);
    return std::wstring(buf, n > 0 ? n - 1 : 0);
}

// An in-memory dialog template (classic DLGTEMPLATE) of buttons.
class DialogTemplate {
public:
    DialogTemplate(const char* title, short cx, short cy)
    {
        Dword(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
        Dword(0);
        countAt_ = words_.size();
        Word(0);
        Word(40), Word(40), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
        Word(0), Word(0);  // no menu, standard class
        Text(Wide(title));
        Word(9);
        Text(Wide("宋体"));
    }
    void Button(WORD id, const char* text, DWORD style, short x, short y, short cx, short cy)
    {
        while (words_.size() % 2) words_.push_back(0);
        Dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | style);
        Dword(0);
        Word(static_cast<WORD>(x)), Word(static_cast<WORD>(y)), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF), Word(0x0080);  // BUTTON
        Text(Wide(text));
        Word(0);
        ++words_[countAt_];
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) { Word(LOWORD(d)), Word(HIWORD(d)); }
    void Text(const std::wstring& s)
    {
        for (wchar_t c : s) Word(static_cast<WORD>(c));
        Word(0);
    }
    std::vector<WORD> words_;
    size_t countAt_ = 0;
};

struct Clicked {
    int id;
    int code;
};

// What the dialog procedure saw, and what it drew with.
struct DialogState {
    std::vector<Clicked> clicks;
    HBITMAP hbmFill = nullptr;
    HBITMAP hbmFill2 = nullptr;
    HICON red = nullptr;
    HICON blue = nullptr;
    char tipBuffer[64] = {};  // reused for every record, as the program does
};
DialogState* g_dialog = nullptr;

void Skin(HWND dlg, int id, HICON first, HICON second, const char* tip, DWORD style)
{
    SkinButtonDesc desc = {};
    desc.hIcon = first;
    desc.hIcon2 = second;
    if (tip) {
        strcpy(g_dialog->tipBuffer, tip);
        desc.szTip = g_dialog->tipBuffer;
    }
    desc.dwStyle = style;
    RedrawButton(GetDlgItem(dlg, id), &desc);
    std::memset(g_dialog->tipBuffer, 'x', sizeof g_dialog->tipBuffer - 1);  // the record is reused
}

INT_PTR CALLBACK TestDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: {
        HICON red = g_dialog->red;
        HICON blue = g_dialog->blue;
        Skin(dlg, kLargeButton, red, blue, "打开要分割的文件", 0x8000012B);
        Skin(dlg, kCaptionButton, nullptr, nullptr, "设置开始时间", 0x80000069);
        Skin(dlg, kIconButton, red, blue, "播放原始 MP3 文件", 0x00000008);
        Skin(dlg, kCheckBox, nullptr, nullptr, "播放所选", 0x80000069);
        Skin(dlg, kCutCaptionBox, nullptr, nullptr, "播放所选", 0x80000069);
        Skin(dlg, kDisabledButton, red, nullptr, "分割文件", 0x80000029);
        Skin(dlg, kHiddenButton, red, nullptr, nullptr, 0x8000012B);
        ShowWindow(GetDlgItem(dlg, kHiddenButton), SW_HIDE);
        Skin(dlg, kDisabledAfter, red, nullptr, "退出", 0x8000012B);
        EnableWindow(GetDlgItem(dlg, kDisabledAfter), FALSE);
        return TRUE;
    }
    case WM_ERASEBKGND: {  // the program's patterned background
        HDC hdc = reinterpret_cast<HDC>(wParam);
        RECT rc;
        GetClientRect(dlg, &rc);
        HBRUSH brush = CreatePatternBrush(g_dialog->hbmFill);
        HGDIOBJ old = SelectObject(hdc, brush);
        PatBlt(hdc, rc.left, rc.top, rc.right, rc.bottom, PATCOPY);
        SelectObject(hdc, old);
        DeleteObject(brush);
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 1);
        return TRUE;
    }
    case WM_COMMAND:
        g_dialog->clicks.push_back({LOWORD(wParam), HIWORD(wParam)});
        return TRUE;
    default:
        return FALSE;
    }
}

void Pump(DWORD ms, const std::function<bool()>& until = nullptr)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if (until && until()) return;
        Sleep(5);
    }
}

// The screen's pixels of a window's client area, 0x00RRGGBB, row by row.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<DWORD> px;
    DWORD At(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

Shot TakeShot(HWND wnd)
{
    RECT rc;
    GetClientRect(wnd, &rc);
    POINT origin = {0, 0};
    ClientToScreen(wnd, &origin);
    Shot s;
    s.width = rc.right;
    s.height = rc.bottom;
    s.px.resize(static_cast<size_t>(s.width) * s.height);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = s.width;
    bmi.bmiHeader.biHeight = -s.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, s.width, s.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    std::memcpy(s.px.data(), bits, s.px.size() * 4);
    for (DWORD& p : s.px) p &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return s;
}

void SaveBmp(const Shot& s, const std::string& path)
{
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = s.width;
    ih.biHeight = -s.height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    DWORD bytes = static_cast<DWORD>(s.px.size() * 4);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + bytes;
    std::vector<uint8_t> out(fh.bfSize);
    std::memcpy(out.data(), &fh, sizeof fh);
    std::memcpy(out.data() + sizeof fh, &ih, sizeof ih);
    std::memcpy(out.data() + fh.bfOffBits, s.px.data(), bytes);
    CreateDirectoryA(ZDV_ARTIFACT_DIR, nullptr);
    WriteFileBytes(path, out);
}

// How many pixels of a control's area (in the dialog's client coordinates)
// are close to a colour.
int CountNear(const Shot& s, HWND dlg, int id, COLORREF colour, int tolerance = 24)
{
    RECT r;
    GetWindowRect(GetDlgItem(dlg, id), &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    int count = 0;
    for (int y = std::max<LONG>(0, r.top); y < std::min<LONG>(s.height, r.bottom); ++y)
        for (int x = std::max<LONG>(0, r.left); x < std::min<LONG>(s.width, r.right); ++x) {
            DWORD p = s.At(x, y);
            if (std::abs(int((p >> 16) & 0xFF) - GetRValue(colour)) <= tolerance &&
                std::abs(int((p >> 8) & 0xFF) - GetGValue(colour)) <= tolerance &&
                std::abs(int(p & 0xFF) - GetBValue(colour)) <= tolerance)
                ++count;
        }
    return count;
}

class SkinnedDialog : public testing::Test {
protected:
    void SetUp() override
    {
        g_dialog = &state_;
        state_.red = SolidIcon(kIconRed);
        state_.blue = SolidIcon(kIconBlue);
        RECT tile = {0, 0, 128, 128};
        ASSERT_TRUE(CreateFillBmp(1, &tile, 30, 15, 0, 0, &state_.hbmFill, &state_.hbmFill2));
        DialogTemplate t("皮肤按钮", 200, 110);
        t.Button(kLargeButton, "打开文件", BS_PUSHBUTTON, 8, 8, 48, 40);
        t.Button(kCaptionButton, "设置起点", BS_PUSHBUTTON, 62, 8, 40, 16);
        t.Button(kIconButton, "", BS_PUSHBUTTON, 106, 8, 14, 16);
        // 40 units wide, as in the program's window.
        t.Button(kCheckBox, "播放所选", BS_AUTOCHECKBOX, 62, 30, 40, 16);
        t.Button(kCutCaptionBox, "播放所...", BS_AUTOCHECKBOX, 84, 88, 40, 16);
        t.Button(kDisabledButton, "剪切文件", BS_PUSHBUTTON | WS_DISABLED, 8, 60, 72, 24);
        t.Button(kHiddenButton, "Bulk Splitting", BS_PUSHBUTTON, 130, 8, 48, 40);
        t.Button(kDisabledAfter, "退出", BS_PUSHBUTTON, 130, 60, 48, 40);
        dlg_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, TestDialogProc, 0);
        ASSERT_NE(dlg_, nullptr);
        SetForegroundWindow(dlg_);
        SetCursorPos(1, 1);  // the mouse away from every button
        Pump(400);
    }
    void TearDown() override
    {
        if (dlg_) DestroyWindow(dlg_);
        Pump(50);
        DeleteObject(state_.hbmFill);
        DeleteObject(state_.hbmFill2);
        DestroyIcon(state_.red);
        DestroyIcon(state_.blue);
        g_dialog = nullptr;
    }

    HWND Item(int id) const { return GetDlgItem(dlg_, id); }

    // A real left click at the centre of a control; returns the clicks that
    // reached the dialog meanwhile.
    std::vector<Clicked> ClickWithTheMouse(int id)
    {
        state_.clicks.clear();
        RECT r;
        GetWindowRect(Item(id), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        Pump(50);
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, in, sizeof(INPUT));
        Pump(1000, [&] { return !state_.clicks.empty(); });
        Pump(50);
        SetCursorPos(1, 1);
        Pump(50);
        return state_.clicks;
    }

    std::string TooltipText(int id)
    {
        HWND tip = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM out) -> BOOL {
                char cls[64];
                GetClassNameA(w, cls, sizeof cls);
                if (lstrcmpiA(cls, TOOLTIPS_CLASSA) != 0) return TRUE;
                *reinterpret_cast<HWND*>(out) = w;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&tip));
        if (!tip || GetWindow(tip, GW_OWNER) != dlg_) return "(no tooltip control)";
        char text[256] = {};
        TOOLINFOA ti = {};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.hwnd = dlg_;
        ti.uId = reinterpret_cast<UINT_PTR>(Item(id));
        ti.lpszText = text;
        if (!SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti))) return "(no tool)";
        ti.lpszText = text;
        SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
        return text;
    }

    DialogState state_;
    HWND dlg_ = nullptr;
};

TEST_F(SkinnedDialog, ClicksStillSendBnClickedWithTheirId)
{
    for (int id : {kLargeButton, kCaptionButton, kIconButton}) {
        SCOPED_TRACE(id);
        std::vector<Clicked> got = ClickWithTheMouse(id);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].id, id);
        EXPECT_EQ(got[0].code, BN_CLICKED);
    }
    state_.clicks.clear();
    SendMessageA(Item(kCaptionButton), BM_CLICK, 0, 0);
    Pump(100);
    ASSERT_EQ(state_.clicks.size(), 1u);
    EXPECT_EQ(state_.clicks[0].id, kCaptionButton);
}

TEST_F(SkinnedDialog, TheCheckBoxKeepsItsCheckState)
{
    HWND box = Item(kCheckBox);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    std::vector<Clicked> got = ClickWithTheMouse(kCheckBox);  // an automatic check box toggles
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].id, kCheckBox);
    EXPECT_EQ(got[0].code, BN_CLICKED);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ClickWithTheMouse(kCheckBox);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(SkinnedDialog, DisabledAndHiddenButtonsStaySo)
{
    EXPECT_FALSE(IsWindowEnabled(Item(kDisabledButton)));
    EXPECT_FALSE(IsWindowVisible(Item(kHiddenButton)));
    EXPECT_FALSE(IsWindowEnabled(Item(kDisabledAfter)));
    EXPECT_TRUE(ClickWithTheMouse(kDisabledButton).empty());
    // Skinning again (a new record) changes neither.
    SkinButtonDesc desc = {};
    desc.dwStyle = 0x80000029;
    EXPECT_TRUE(RedrawButton(Item(kDisabledButton), &desc));
    EXPECT_TRUE(RedrawButton(Item(kHiddenButton), &desc));
    Pump(100);
    EXPECT_FALSE(IsWindowEnabled(Item(kDisabledButton)));
    EXPECT_FALSE(IsWindowVisible(Item(kHiddenButton)));
    EXPECT_FALSE(RedrawButton(nullptr, &desc));
    EXPECT_FALSE(RedrawButton(Item(kCaptionButton), nullptr));
}

TEST_F(SkinnedDialog, TheTooltipIsTheRecordsText)
{
    // The record's text buffer was overwritten after each call: the library
    // kept its own copy.
    EXPECT_EQ(TooltipText(kLargeButton), "打开要分割的文件");
    EXPECT_EQ(TooltipText(kCaptionButton), "设置开始时间");
    EXPECT_EQ(TooltipText(kIconButton), "播放原始 MP3 文件");
    EXPECT_EQ(TooltipText(kCheckBox), "播放所选");
    EXPECT_EQ(TooltipText(kHiddenButton), "(no tool)");  // a record without text
    // The caption is the button's own window text, untouched.
    char caption[64];
    GetWindowTextA(Item(kCaptionButton), caption, sizeof caption);
    EXPECT_STREQ(caption, "设置起点");
}

TEST_F(SkinnedDialog, IconsCaptionsAndStatesAreDrawnByTheLibrary)
{
    SendMessageA(Item(kCheckBox), BM_SETCHECK, BST_CHECKED, 0);
    Pump(200);
    Shot normal = TakeShot(dlg_);
    SaveBmp(normal, std::string(ZDV_ARTIFACT_DIR) + "/skin_buttons.bmp");

    // The first icons: 32 x 32 on the large button, 16 x 16 (within its
    // small size) on the icon button; a standard button shows neither.
    EXPECT_GE(CountNear(normal, dlg_, kLargeButton, kIconRed), 32 * 32 * 9 / 10);
    int small = CountNear(normal, dlg_, kIconButton, kIconRed);
    EXPECT_GE(small, 12 * 12);
    EXPECT_LE(small, 16 * 16);
    EXPECT_EQ(CountNear(normal, dlg_, kIconButton, kIconBlue), 0);
    // Captions in the library's text colour (smoothed: its darker shades), on
    // its gradient face.
    EXPECT_GE(CountNear(normal, dlg_, kCaptionButton, RGB(60, 70, 90), 45), 10);
    EXPECT_GE(CountNear(normal, dlg_, kLargeButton, RGB(60, 70, 90), 45), 10);
    EXPECT_GE(CountNear(normal, dlg_, kCaptionButton, RGB(252, 253, 255), 3), 20);   // top of the face
    EXPECT_GE(CountNear(normal, dlg_, kCaptionButton, RGB(220, 227, 238), 4), 20);   // bottom of the face
    // The check box shows its tick; the disabled button a grey icon.
    EXPECT_GE(CountNear(normal, dlg_, kCheckBox, RGB(32, 72, 160), 16), 8);
    EXPECT_EQ(CountNear(normal, dlg_, kDisabledButton, kIconRed, 60), 0);
    EXPECT_GE(CountNear(normal, dlg_, kDisabledButton, RGB(190, 190, 190), 40), 16 * 16 / 2);

    // Pressed: the second icon.
    SendMessageA(Item(kIconButton), BM_SETSTATE, TRUE, 0);
    Pump(200);
    Shot pressed = TakeShot(dlg_);
    SaveBmp(pressed, std::string(ZDV_ARTIFACT_DIR) + "/skin_buttons_pressed.bmp");
    EXPECT_GE(CountNear(pressed, dlg_, kIconButton, kIconBlue), 12 * 12);
    EXPECT_EQ(CountNear(pressed, dlg_, kIconButton, kIconRed), 0);
    SendMessageA(Item(kIconButton), BM_SETSTATE, FALSE, 0);

    // The dialog's own background is the library's tile: light, calm.
    DWORD bg = normal.At(normal.width - 4, normal.height - 4);
    EXPECT_GT(int((bg >> 16) & 0xFF), 200);
    EXPECT_GE(int(bg & 0xFF), int((bg >> 16) & 0xFF));  // blue-grey
}

TEST_F(SkinnedDialog, ACheckBoxFortyUnitsWideShowsItsWholeCaption)
{
    Pump(200);
    Shot shot = TakeShot(dlg_);
    SaveBmp(shot, std::string(ZDV_ARTIFACT_DIR) + "/skin_check_box_caption.bmp");
    // The whole caption's last character has far more ink than the three
    // dots of a caption cut short (both boxes have the same face and border).
    const auto inkInRightThird = [&](int id) {
        RECT r;
        GetWindowRect(Item(id), &r);
        MapWindowPoints(nullptr, dlg_, reinterpret_cast<POINT*>(&r), 2);
        int ink = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.right - (r.right - r.left) / 3; x < r.right; ++x) {
                const DWORD p = shot.At(x, y);
                if (((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) / 3 < 150) ++ink;
            }
        return ink;
    };
    const int whole = inkInRightThird(kCheckBox);
    const int cut = inkInRightThird(kCutCaptionBox);
    EXPECT_GE(whole - cut, 15) << whole << " dark pixels against " << cut << " of \"播放所...\"";
}

TEST(FillBitmap, ATileForPatternBrushesAndASecondObject)
{
    RECT tile = {0, 0, 128, 128};
    HBITMAP a = nullptr;
    HBITMAP b = nullptr;
    ASSERT_TRUE(CreateFillBmp(1, &tile, 30, 15, 0, 0, &a, &b));
    BITMAP info = {};
    ASSERT_EQ(GetObjectA(a, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 128);
    EXPECT_EQ(info.bmHeight, 128);
    HBRUSH brush = CreatePatternBrush(a);
    EXPECT_NE(brush, nullptr);
    DeleteObject(brush);
    EXPECT_EQ(GetObjectType(b), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_TRUE(DeleteObject(a));
    EXPECT_TRUE(DeleteObject(b));
    HBITMAP c = reinterpret_cast<HBITMAP>(1);
    HBITMAP d = reinterpret_cast<HBITMAP>(1);
    EXPECT_FALSE(CreateFillBmp(2, &tile, 30, 15, 0, 0, &c, &d));
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(d, nullptr);
    RECT empty = {0, 0, 0, 128};
    EXPECT_FALSE(CreateFillBmp(1, &empty, 30, 15, 0, 0, &c, &d));
}

}  // namespace
