// The skinned buttons of the live windows: every button's tooltip from the
// table, its picture on the screen, and the standard controls left alone.
#include "harness.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <map>

namespace e2e {
namespace {

std::map<int, std::string> TooltipTexts(HWND dialog)
{
    std::map<int, std::string> texts;
    for (const Tooltip& tip : TooltipsOf(dialog)) {
        if (tip.tool && GetParent(tip.tool) == dialog) texts[GetDlgCtrlID(tip.tool)] = tip.text;
    }
    return texts;
}

TEST(SkinnedButtons, EveryButtonOfTheMainWindowCarriesItsTooltipAndPicture)
{
    ProgramCopy copy;
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);

    const std::map<int, std::string> expected = {
        {IDC_BUTTON_SET_START, "设置开始时间"},      {IDC_BUTTON_SET_END, "设置结束时间"},
        {IDC_CHECK_PLAY_SELECTION, "播放所选"},      {IDC_BUTTON_CLEAR, "清除所选"},
        {IDC_BUTTON_PLAY, "播放原始 MP3 文件"},      {IDC_BUTTON_STOP, "停止播放"},
        {IDC_BUTTON_SET_START_ICON, "设置开始时间"}, {IDC_BUTTON_SET_END_ICON, "设置结束时间"},
        {IDC_BUTTON_PLAY_SELECTION, "播放新的 MP3 文件"}, {IDC_BUTTON_OPEN_OUTPUT, "打开输出文件夹"},
        {IDC_BUTTON_BROWSE_OUTPUT, "设置输出文件夹"}, {IDC_BUTTON_SHOW_TAG, "显示 MP3 标签"},
        {IDC_BUTTON_CUT, "分割文件"},                {IDC_BUTTON_OPEN_FILE, "打开要分割的文件"},
        {IDC_BUTTON_BULK, "分割多于 1 个文件"},      {IDC_BUTTON_ABOUT, "关于 DU3 Vodizaro"},
        {IDC_BUTTON_EXIT, "退出"},
    };
    EXPECT_EQ(TooltipTexts(main), expected) << "the same-folder check box and the other controls have none";

    // The first picture of each button, by a colour of its drawing (once the
    // buttons have been painted).
    const auto shows = [](HWND button, COLORREF colour, int tolerance) {
        return WaitUntil([&] { return ShowsColour(button, colour, tolerance); }, 5000);
    };
    const COLORREF olive = RGB(0x8c, 0x96, 0x18);
    for (int id : {IDC_BUTTON_PLAY, IDC_BUTTON_STOP, IDC_BUTTON_SET_START_ICON, IDC_BUTTON_SET_END_ICON,
                   IDC_BUTTON_PLAY_SELECTION})
        EXPECT_TRUE(shows(Item(main, id), olive, 30)) << "olive picture on " << id;
    EXPECT_TRUE(shows(Item(main, IDC_BUTTON_SHOW_TAG), RGB(0x9b, 0x9b, 0x9b), 20)) << "grey question mark";
    EXPECT_TRUE(shows(Item(main, IDC_BUTTON_CUT), RGB(0xc8, 0x1e, 0x1e), 60)) << "red scissors";
    EXPECT_TRUE(shows(Item(main, IDC_BUTTON_ABOUT), RGB(0x4a, 0x8f, 0xe6), 30)) << "blue question mark";
    EXPECT_TRUE(shows(Item(main, IDC_BUTTON_OPEN_OUTPUT), RGB(0xf6, 0xcf, 0x5a), 30)) << "yellow folder";
    EXPECT_FALSE(ShowsColour(Item(main, IDC_BUTTON_SHOW_TAG), RGB(0xf0, 0x8c, 0x12), 20)) << "not the orange one";
    for (int id : {IDC_BUTTON_SET_START, IDC_BUTTON_CLEAR, IDC_BUTTON_BROWSE_OUTPUT})
        EXPECT_FALSE(ShowsColour(Item(main, id), olive, 30)) << "no picture on " << id;
    Screenshot(main, "skinned_buttons");
    EXPECT_TRUE(program.CloseNormally(main));
}

TEST(SkinnedButtons, TheAboutBoxButtonsCarryTheHomePageTooltipAndTheTick)
{
    ProgramCopy copy;
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    Click(Item(main, IDC_BUTTON_ABOUT));
    HWND about = WaitFor([&] { return FindTopWindow(program.Id(), L"#32770", L"Zor DU3 Vodizaro :: \u5173\u4e8e"); });
    ASSERT_NE(about, nullptr);
    const std::map<int, std::string> expected = {{IDC_BUTTON_HOME_PAGE, ZDV_HOME_PAGE_URL}};
    EXPECT_EQ(TooltipTexts(about), expected) << "OK has no tooltip";
    EXPECT_TRUE(WaitUntil([&] { return ShowsColour(Item(about, IDC_BUTTON_ABOUT_OK), RGB(0xe0, 0x28, 0x28), 30); },
                          5000))
        << "red tick";
    EXPECT_TRUE(WaitUntil([&] { return ShowsColour(Item(about, IDC_BUTTON_HOME_PAGE), RGB(0x3a, 0x8e, 0xe6), 30); },
                          5000))
        << "globe";
    Click(Item(about, IDC_BUTTON_ABOUT_OK));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(program.CloseNormally(main));
}

}  // namespace
}  // namespace e2e
