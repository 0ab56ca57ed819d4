// The keyboard and the slider's mouse: the shortcut keys of the main window's
// commands, the slider's own keys and wheel, its context menu, and the
// tooltip on the slider that lists them. The keys are taken from the main
// dialog's message loop (a message filter of the thread) before the dialog
// manager sees them:
//   Space play or stop (a focused button keeps its own Space), P play the
//   selection, I and O set the start and the end at the position, Esc clear
//   the selection, Ctrl+O open a file, Ctrl+S cut: each as its button, by
//   its command; Shift+I and Shift+O preview the start and the end;
//   Ctrl+Left/Right nudge the start by a frame, with Shift the end, with Alt
//   by a tenth of a second.
//   On the focused slider: Left/Right (Up/Down) 1 s, with Shift 10 s, Page
//   Up/Down 1 min, Home/End the ends of the file; the wheel over the slider
//   5 s a notch. Each seeks, as a click on the slider does.
// None of them while an edit or a time editor has the focus: those keep
// their keys.
#pragma once

#include <windows.h>

// The tooltip of the slider.
inline constexpr char kShortcutList[] =
    "空格  播放 / 停止\n"
    "P  播放所选\n"
    "I / O  在当前位置设置起点 / 终点\n"
    "Shift+I / Shift+O  试听起点后 / 终点前 3 秒\n"
    "Esc  清除所选\n"
    "Ctrl+O  打开文件\n"
    "Ctrl+S  剪切文件\n"
    "Ctrl+← / →  起点移动 1 帧 (加 Shift: 终点; 加 Alt: 0.1 秒)\n"
    "← / →  1 秒 (加 Shift: 10 秒)\n"
    "PgUp / PgDn  1 分钟\n"
    "Home / End  文件的开头 / 结尾\n"
    "滚轮  5 秒\n"
    "右键  试听, 在此设置起点 / 终点";

// At the end of the main window's initialisation (after SetUpSlider).
void InstallShortcuts(HWND hMainDlg);

// When the main window goes.
void RemoveShortcuts();
