#include "skin_buttons.h"

#include "app_state.h"
#include "kiv_controls.h"
#include "resource.h"

#include <cstring>

namespace {

// Style words, by the kind of button that uses them (their bits are the
// library's business).
constexpr DWORD kStyleSmallCaptioned = 0x80000069;  // set start/end, play selection, clear, open folder
constexpr DWORD kStyleCaptioned = 0x80000029;       // "..." and the cut button
constexpr DWORD kStyleIconOnly = 0x00000008;        // the small picture buttons
constexpr DWORD kStyleLarge = 0x8000012B;           // the large buttons of the top row
constexpr DWORD kStyleAboutBox = 0x8000006B;        // both buttons of the About box

// What happens to a button right after it has been skinned.
enum class Then { Nothing, Hide, Disable };

struct SkinRow {
    int id;
    int icon;   // resource number of the first picture; 0 = none
    int icon2;  // the same picture in its second colour; 0 = none
    const char* tip;
    DWORD style;
    Then then;
};

const SkinRow kMainButtons[] = {
    {IDC_BUTTON_SET_START, 0, 0, "设置开始时间", kStyleSmallCaptioned, Then::Nothing},
    {IDC_BUTTON_SET_END, 0, 0, "设置结束时间", kStyleSmallCaptioned, Then::Nothing},
    {IDC_CHECK_PLAY_SELECTION, 0, 0, "播放所选", kStyleSmallCaptioned, Then::Nothing},
    {IDC_BUTTON_CLEAR, 0, 0, "清除所选", kStyleSmallCaptioned, Then::Nothing},
    {IDC_BUTTON_PLAY, IDI_PLAY_OLIVE, IDI_PLAY_BLUE, "播放原始 MP3 文件", kStyleIconOnly, Then::Nothing},
    {IDC_BUTTON_STOP, IDI_STOP_OLIVE, IDI_STOP_BLUE, "停止播放", kStyleIconOnly, Then::Nothing},
    {IDC_BUTTON_SET_START_ICON, IDI_RANGE_START_OLIVE, IDI_RANGE_START_BLUE, "设置开始时间", kStyleIconOnly, Then::Nothing},
    {IDC_BUTTON_SET_END_ICON, IDI_RANGE_END_OLIVE, IDI_RANGE_END_BLUE, "设置结束时间", kStyleIconOnly, Then::Nothing},
    {IDC_BUTTON_PLAY_SELECTION, IDI_PLAY_RANGE_OLIVE, IDI_PLAY_RANGE_BLUE, "播放新的 MP3 文件", kStyleIconOnly, Then::Nothing},
    {IDC_BUTTON_OPEN_OUTPUT, IDI_OPEN_OUTPUT, 0, "打开输出文件夹", kStyleSmallCaptioned, Then::Nothing},
    {IDC_BUTTON_BROWSE_OUTPUT, 0, 0, "设置输出文件夹", kStyleCaptioned, Then::Nothing},
    {IDC_BUTTON_SHOW_TAG, IDI_TAG_GREY, IDI_TAG_ORANGE, "显示 MP3 标签", kStyleIconOnly, Then::Nothing},
    {IDC_BUTTON_CUT, IDI_CUT, 0, "分割文件", kStyleCaptioned, Then::Nothing},
    {IDC_BUTTON_OPEN_FILE, IDI_OPEN_FILE, 0, "打开要分割的文件", kStyleLarge, Then::Nothing},
    {IDC_BUTTON_BULK, IDI_BULK, 0, "分割多于 1 个文件", kStyleLarge, Then::Hide},
    {IDC_BUTTON_ABOUT, IDI_ABOUT, 0, "关于 DU3 Vodizaro", kStyleLarge, Then::Nothing},
    {IDC_BUTTON_EXIT, IDI_EXIT_DOOR, 0, "退出", kStyleLarge, Then::Disable},
};

const SkinRow kAboutButtons[] = {
    {IDC_BUTTON_HOME_PAGE, IDI_HOME_PAGE, 0, ZDV_HOME_PAGE_URL, kStyleAboutBox, Then::Nothing},
    {IDC_BUTTON_ABOUT_OK, IDI_OK_TICK, 0, nullptr, kStyleAboutBox, Then::Nothing},
};

HICON ProgramIcon(int number)
{
    return number ? LoadIconA(g_state.hInstance, MAKEINTRESOURCEA(number)) : nullptr;
}

// The record is cleared once; each row then sets the fields it owns, so the
// reserved bytes stay zero.
template <size_t N>
void SkinAll(HWND hDlg, const SkinRow (&rows)[N])
{
    SkinButtonDesc desc;
    memset(&desc, 0, sizeof desc);
    for (const SkinRow& row : rows) {
        desc.hIcon = ProgramIcon(row.icon);
        desc.hIcon2 = ProgramIcon(row.icon2);
        desc.szTip = row.tip;
        desc.dwStyle = row.style;
        HWND hButton = GetDlgItem(hDlg, row.id);
        RedrawButton(hButton, &desc);
        if (row.then == Then::Hide) ShowWindow(hButton, SW_HIDE);
        if (row.then == Then::Disable) EnableWindow(hButton, FALSE);
    }
}

}  // namespace

void SkinButtons(HWND hMainDlg)
{
    SkinAll(hMainDlg, kMainButtons);
}

void SkinAboutButtons(HWND hAboutDlg)
{
    SkinAll(hAboutDlg, kAboutButtons);
}

void PaintFillBackground(HWND hwnd, HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH pattern = g_state.hbmFill ? CreatePatternBrush(g_state.hbmFill) : nullptr;
    if (!pattern) {
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_3DFACE));
        return;
    }
    HGDIOBJ previous = SelectObject(hdc, pattern);
    // The client rectangle starts at 0, 0: right and bottom are its size.
    PatBlt(hdc, rc.left, rc.top, rc.right, rc.bottom, PATCOPY);
    SelectObject(hdc, previous);
    DeleteObject(pattern);
}

HBRUSH TransparentStaticBrush(HDC hdc)
{
    SetBkMode(hdc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}
