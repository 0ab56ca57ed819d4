#include "window_layout.h"

#include "resource.h"

namespace {

constexpr DWORD kPush = 0x50010000;        // CH VI TS, BS_PUSHBUTTON
constexpr DWORD kCheck = 0x50010003;       // CH VI TS, BS_AUTOCHECKBOX
constexpr DWORD kGroupBox = 0x50000007;    // CH VI, BS_GROUPBOX
constexpr DWORD kLabel = 0x50020000;       // CH VI GR, SS_LEFT
constexpr DWORD kPathEdit = 0x50810880;    // CH VI BO TS, ES_AUTOHSCROLL, ES_READONLY
constexpr DWORD kTimeEditor = 0x50000009;  // CH VI, DTS_TIMEFORMAT

const ExpectedControl kMainControls[] = {
    {2037, "Button", "打开文件", 8, 8, 48, 40, kPush},
    {2043, "Button", "Bulk Splitting", 60, 8, 48, 40, kPush},
    {2001, "Button", "关于", 216, 8, 48, 40, kPush},
    {1, "Button", "退出", -50, 8, 48, 40, kPush},
    {2044, "Button", "", 8, 54, 24, 22, kPush},
    {2038, "Static", "", 32, 58, 232, 20, kLabel},
    {2039, "Edit", "", 8, 78, 256, 12, kPathEdit},
    {1999, "Button", "分割", 6, 100, 260, 76, kGroupBox},
    {65535, "Static", "位置", 12, 114, 30, 12, kLabel},
    {65535, "Static", "开始", 108, 114, 26, 12, kLabel},
    {65535, "Static", "结束", 190, 114, 26, 12, kLabel},
    {2042, "SysDateTimePick32", "", 40, 112, 52, 12, kTimeEditor},
    {2040, "SysDateTimePick32", "", 128, 112, 52, 12, kTimeEditor},
    {2041, "SysDateTimePick32", "", 210, 112, 52, 12, kTimeEditor},
    {2014, "msctls_trackbar32", "Slider2", 8, 124, 256, 26, 0x50010028},
    {2025, "Button", "设置起点", 16, 152, 40, 16, kPush},
    {2026, "Button", "设置终点", 58, 152, 40, 16, kPush},
    {2045, "Button", "播放所选", 100, 152, 40, 16, kCheck},
    {2027, "Button", "清除", 142, 152, 40, 16, kPush},
    {2010, "Button", "", 184, 152, 14, 16, kPush},
    {2012, "Button", "", 198, 152, 14, 16, kPush},
    {2029, "Button", "", 212, 152, 14, 16, kPush},
    {2030, "Button", "", 226, 152, 14, 16, kPush},
    {2028, "Button", "", 240, 152, 16, 16, kPush},
    {1998, "Button", "设置输出文件夹", 6, 180, 260, 44, kGroupBox},
    {2031, "Button", "打开", 10, 194, 46, 22, kPush},
    {2032, "Edit", "", 60, 194, 180, 12, kPathEdit},
    {2033, "Button", "...", 242, 193, 20, 13, kPush},
    {2034, "Button", "与输入文件夹相同", 60, 208, 180, 12, kCheck},
    {2035, "Button", "剪切文件", 96, 228, 72, 24, kPush},
    {65535, "Static", "无损剪切 · 逐帧复制", 136, 247, 128, 12, 0x58020002},
};

const ExpectedControl kAboutControls[] = {
    {65535, "Static",
     "Zor DU3 Vodizaro v1.0\n\n版权所有 (C) Zor DU3 Vodizaro 的作者。保留所有权利。\n\n" ZDV_HOME_PAGE_URL, 5, 7, 205,
     47, 0x50020001},
    {2004, "Button", "访问主页...", 7, 74, 134, 20, kPush},
    {1, "Button", "确定", 147, 74, 64, 20, kPush},
};

}  // namespace

const ExpectedDialog kMainDialogLayout = {
    0x90CA08C8, 0, 0, 272, 256, "Zor DU3 Vodizaro", "宋体", 9, kMainControls, 31,
};

const ExpectedDialog kAboutDialogLayout = {
    0x80C800C0, 27, 60, 217, 98, "Zor DU3 Vodizaro :: 关于", "宋体", 9, kAboutControls, 3,
};
