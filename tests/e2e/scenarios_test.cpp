// The real program under Wine, driven through its windows as users drive it:
// a user's whole session, runs that cannot go on, a selection heard, the
// release package unpacked. Logs and settings are compared whole.
#include "cutter.h"
#include "fault_injection.h"
#include "harness.h"
#include "resource.h"
#include "shortcuts.h"
#include "slider_mapping.h"

#include <cmath>
#include <set>
#include <thread>

namespace e2e {
namespace {

const std::wstring kTestBuild = L"ZorDU3VodizaroTest.exe";
const std::string kCutDone = "完成!\n文件已经分割.\n\n打开新文件进行分割吗?";
const std::wstring kAboutTitle = L"Zor DU3 Vodizaro :: 关于";

std::string Fixture(const char* name) { return ReadBytes(Wide(std::string(ZDV_FIXTURE_DIR "/") + name)); }
int AudioFrames(const char* fixture)  // as mpg123 counts them: the last column of its row in the manifest
{
    const std::string manifest = Fixture("manifest.tsv");
    const size_t end = manifest.find('\n', manifest.find(std::string("\n") + fixture + "\t") + 1);
    return std::stoi(manifest.substr(manifest.rfind('\t', end) + 1));
}

std::wstring Variable(const wchar_t* name) { return _wgetenv(name) ? _wgetenv(name) : L""; }
void Append(std::vector<std::string>& a, const std::vector<std::string>& b) { a.insert(a.end(), b.begin(), b.end()); }

bool IsOpenFileDialog(HWND w) { return GetDlgItem(w, cmb13) != nullptr; }

// A running program's window and the steps a user takes in it.
struct Window {
    const Program& program;
    HWND main;

    HWND Item(int id) const { return GetDlgItem(main, id); }
    bool OutputFolderEnabled() const
    {
        return IsWindowEnabled(Item(IDC_EDIT_OUTPUT_FOLDER)) || IsWindowEnabled(Item(IDC_BUTTON_BROWSE_OUTPUT));
    }
    double Seconds(int id) const { return EditorSeconds(Item(id)); }
    double Position() const { return Seconds(IDC_TIME_POSITION); }
    bool Advances() const { return WaitUntil([&, before = Position()] { return Position() > before + 0.2; }, 3000); }
    bool Rests() const
    {
        const double before = Position();
        Sleep(400);
        return Position() == before;
    }
    bool ClickUntil(int id, const std::function<bool()>& reaction) const
    {
        Click(Item(id));
        return WaitUntil(reaction, 5000);
    }
    void ExpectSelection(double start, double end, float duration) const  // editors and slider
    {
        EXPECT_NEAR(Seconds(IDC_TIME_START), start, 0.0005);
        EXPECT_NEAR(Seconds(IDC_TIME_END), end, 0.0005);
        EXPECT_EQ(Send(Item(IDC_SLIDER), TBM_GETSELSTART), SliderUnitOf(static_cast<float>(start), duration));
        EXPECT_EQ(Send(Item(IDC_SLIDER), TBM_GETSELEND), SliderUnitOf(static_cast<float>(end), duration));
    }
    std::string Caption() const  // the slider's, which is only drawn
    {
        char text[kProbeCaptionBytes] = {};
        Remote buffer(main, sizeof text);
        Send(main, kProbeCaption, 0, buffer.Address());
        buffer.Read(text, sizeof text - 1);
        return text;
    }
    bool ShowsSource(const std::wstring& title, const std::wstring& path) const
    {
        return WaitUntil([&] {
            return WideText(Item(IDC_STATIC_FILE_TITLE)) == title && WideText(Item(IDC_EDIT_SOURCE_PATH)) == path;
        });
    }
    bool ShowsSource(const std::string& title, const std::string& path) const
    {
        return ShowsSource(Wide(title), Wide(path));
    }
    // Clicks button; the box it opens, owned by the window, with caption and text, is answered.
    void Box(int button, const std::string& caption, const std::string& text, int answer) const
    {
        Click(Item(button));
        std::optional<MessageBoxSeen> box = WaitForMessageBox(program.Id(), main);
        ASSERT_TRUE(box) << "no box \"" << text << "\"";
        EXPECT_EQ(box->text + "|" + box->caption, text + "|" + caption);
        EXPECT_EQ(box->owner, main);
        EXPECT_TRUE(answer == IDOK || (box->hasIcon && GetDlgItem(box->box, IDYES) && GetDlgItem(box->box, IDNO)));
        EXPECT_TRUE(Answer(*box, answer));
    }
    HWND OpenFileDialog() const
    {
        HWND dialog = WaitForDialog(program.Id(), IsOpenFileDialog);
        EXPECT_TRUE(dialog && GetWindow(dialog, GW_OWNER) == main) << "no open-file dialog";
        return dialog;
    }
    void Open(const std::wstring& path) const
    {
        Click(Item(IDC_BUTTON_OPEN_FILE));
        if (HWND dialog = OpenFileDialog()) ChooseFile(dialog, path);
    }
    void Open(const std::string& path) const { Open(Wide(path)); }
    // "..." and the folder browser: path chosen, or (path empty) cancelled once it shows
    // shown; opened again where Wine's stays on the desktop. Returns how many opened.
    int BrowseFolder(const std::wstring& path, const std::wstring& shown) const
    {
        const std::wstring want = path.empty() ? shown : path.substr(path.find_last_of(L'\\', path.size() - 2) + 1);
        const auto isBrowser = [](HWND w) { return FindWindowExW(w, nullptr, WC_TREEVIEWW, nullptr) != nullptr; };
        for (int opened = 1; opened <= 4; ++opened) {
            Click(Item(IDC_BUTTON_BROWSE_OUTPUT));
            HWND browser = WaitForDialog(program.Id(), isBrowser);
            if (!browser) break;
            EXPECT_EQ(Text(browser), "选择文件夹");
            EXPECT_EQ(GetWindow(browser, GW_OWNER), main);
            HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
            Remote block(browser, 2048);
            block.Write(path.c_str(), (path.size() + 1) * sizeof(wchar_t), 1024);
            const auto there = [&] {  // the selected folder's text holds want's first part
                wchar_t text[256] = {};
                TVITEMW item = {TVIF_TEXT, reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET))};
                item.pszText = reinterpret_cast<wchar_t*>(block.Address(512));
                item.cchTextMax = 256;
                block.Write(&item, sizeof item);
                block.Write(text, sizeof text, 512);
                Send(tree, TVM_GETITEMW, 0, block.Address());
                block.Read(text, sizeof text, 512);
                return std::wstring(text).find(want.substr(0, want.find(L'\\'))) != std::wstring::npos;
            };
            bool shows = false;
            for (int attempt = 0; attempt < 5 && !shows; ++attempt) {
                if (!path.empty()) Send(browser, BFFM_SETSELECTIONW, TRUE, block.Address(1024));
                shows = WaitUntil(there, 600);
            }
            CloseDialog(browser, shows && !path.empty() ? IDOK : IDCANCEL);
            if (shows) return opened;
        }
        ADD_FAILURE() << "the folder browser never showed " << Cp936(want);
        return 0;
    }
};

DWORD MainWindowAtRun(int id, DWORD s)  // one button hidden for good, one disabled for good
{
    return id == IDC_BUTTON_BULK ? s & ~WS_VISIBLE : id == IDC_BUTTON_EXIT ? s | WS_DISABLED : s;
}
DWORD AsTemplate(int, DWORD style) { return style; }

// The first run of a new copy walks everything a user does, in folders whose
// names end in the byte 0x5C (the second of "乗"); the restart reads what it left.
TEST(UserRun, AFirstRunWalksEveryCommandAndTheRestartReadsWhatItLeft)
{
    ProgramCopy copy(kTestBuild);
    wchar_t musicFolder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_MYMUSIC | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, musicFolder);
    const std::string music = Cp936(musicFolder), aBytes = Fixture("tone_steps.mp3"), bBytes = Fixture("cut_song.mp3");
    const std::wstring a = L"音阶 tone_steps.mp3", b = L"源 文件夹乗\\歌曲 剪切.mp3", out = copy.PathOf(L"输出乗");
    ASSERT_TRUE(CreateDirectoryW(copy.PathOf(L"源 文件夹乗").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
    copy.Write(a, aBytes);
    copy.Write(b, bBytes);
    const std::string aPath = Cp936(copy.PathOf(a)), bPath = Cp936(copy.PathOf(b)), outText = Cp936(out) + "\\";
    const std::string source = Cp936(copy.PathOf(L"源 文件夹乗")) + "\\";
    const float aSeconds = 75, bSeconds = 20;
    ShellRecorder browser(copy, L"http", L"-osint -url \"%1\"", L"Browser.exe"), folders(copy, L"Folder", L"\"%1\"");
    std::vector<std::string> log = StartLog(copy, music);
    {
        Program program = copy.Start();
        const Window w{program, program.WaitForMainWindow()};
        ASSERT_NE(w.main, nullptr);
        HWND main = w.main, slider = w.Item(IDC_SLIDER), box = w.Item(IDC_CHECK_PLAY_SELECTION);

        // The window as its template has it, centred, the focus on the first
        // tab stop; the skinned buttons' tooltips and pictures (the second
        // while pressed).
        ExpectLayout(main, copy.PathOf(kTestBuild), IDD_MAIN, MainWindowAtRun,
                     {IDC_STATIC_FILE_TITLE, IDC_EDIT_OUTPUT_FOLDER, IDC_TIME_POSITION, IDC_TIME_START, IDC_TIME_END});
        RECT window, work;
        GetWindowRect(main, &window);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_LE(abs(window.left + window.right - work.left - work.right), 2);
        EXPECT_LE(abs(window.top + window.bottom - work.top - work.bottom), 2);
        GUITHREADINFO gui = {sizeof gui};
        GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &gui);
        EXPECT_EQ(gui.hwndFocus, w.Item(IDC_BUTTON_OPEN_FILE));
        EXPECT_EQ(Text(w.Item(IDC_STATIC_FILE_TITLE)) + "|" + Text(w.Item(IDC_EDIT_OUTPUT_FOLDER)), "无文件|" + music);
        EXPECT_EQ(Tooltips(main), (std::map<int, std::string>{
            {IDC_BUTTON_EXIT, "退出"}, {IDC_BUTTON_ABOUT, "关于 DU3 Vodizaro"}, {IDC_BUTTON_PLAY, "播放原始 MP3 文件"},
            {IDC_BUTTON_STOP, "停止播放"}, {IDC_BUTTON_SET_START, "设置开始时间"}, {IDC_BUTTON_SET_END, "设置结束时间"},
            {IDC_BUTTON_CLEAR, "清除所选"}, {IDC_BUTTON_PLAY_SELECTION, "播放新的 MP3 文件"},
            {IDC_BUTTON_SET_START_ICON, "设置开始时间"}, {IDC_BUTTON_SET_END_ICON, "设置结束时间"},
            {IDC_BUTTON_OPEN_OUTPUT, "打开输出文件夹"}, {IDC_BUTTON_BROWSE_OUTPUT, "设置输出文件夹"}, {IDC_BUTTON_CUT, "分割文件"},
            {IDC_BUTTON_OPEN_FILE, "打开要分割的文件"}, {IDC_BUTTON_BULK, "分割多于 1 个文件"},
            {IDC_BUTTON_SHOW_TAG, "显示 MP3 标签"}, {IDC_CHECK_PLAY_SELECTION, "播放所选"}, {IDC_SLIDER, kShortcutList}}));
        const COLORREF olive = RGB(0x8c, 0x96, 0x18);
        ASSERT_TRUE(WaitUntil([&] { return ShowsColour(w.Item(IDC_BUTTON_PLAY), olive, 30); }, 5000)) << "painted";
        const struct { int id; COLORREF colour; int tolerance; bool shown; } pictures[] = {
            {IDC_BUTTON_STOP, olive, 30, true}, {IDC_BUTTON_SET_START_ICON, olive, 30, true},
            {IDC_BUTTON_SET_END_ICON, olive, 30, true}, {IDC_BUTTON_PLAY_SELECTION, olive, 30, true},
            {IDC_BUTTON_SHOW_TAG, RGB(0x9b, 0x9b, 0x9b), 20, true}, {IDC_BUTTON_CUT, RGB(0xc8, 0x1e, 0x1e), 60, true},
            {IDC_BUTTON_ABOUT, RGB(0x4a, 0x8f, 0xe6), 30, true},
            {IDC_BUTTON_OPEN_OUTPUT, RGB(0xf6, 0xcf, 0x5a), 30, true},
            {IDC_BUTTON_SHOW_TAG, RGB(0xf0, 0x8c, 0x12), 20, false}, {IDC_BUTTON_CLEAR, olive, 30, false}};
        for (const auto& p : pictures) EXPECT_EQ(ShowsColour(w.Item(p.id), p.colour, p.tolerance), p.shown) << p.id;
        Send(w.Item(IDC_BUTTON_STOP), BM_SETSTATE, TRUE);
        EXPECT_TRUE(WaitUntil([&] { return !ShowsColour(w.Item(IDC_BUTTON_STOP), olive, 30); }, 3000)) << "pressed";
        Send(w.Item(IDC_BUTTON_STOP), BM_SETSTATE, FALSE);
        PostMessageW(gui.hwndFocus, WM_KEYDOWN, VK_ESCAPE, 0);  // does nothing

        // Without a source the playback commands change the box alone; the
        // cut and the tag box ask to open a file; the open-file dialog.
        ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_PLAY_SELECTION, [&] { return Checked(box); }));
        Click(w.Item(IDC_BUTTON_PLAY));
        ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_STOP, [&] { return !Checked(box); }));
        EXPECT_EQ(w.Position(), 0.0);
        w.Box(IDC_BUTTON_CUT, "Zor DU3 Vodizaro", "无文件.\n\n打开文件进行分割吗?", IDYES);
        Append(log, {"    Button: SPLIT", "    MP3Split", "        mp3 文件: ", "    Button: OPEN FILE"});
        HWND dialog = w.OpenFileDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Text(dialog) + "|" + Text(GetDlgItem(dialog, cmb1)), "打开|MP3 文件");
        EXPECT_EQ(Send(GetDlgItem(dialog, cmb1), CB_GETCOUNT), 1);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, chx1)));
        CloseDialog(dialog, IDCANCEL);
        w.Box(IDC_BUTTON_SHOW_TAG, "Zor DU3 Vodizaro", "无文件.\n\n打开要分割的文件吗?", IDNO);
        EXPECT_EQ(WaitForDialog(program.Id(), IsOpenFileDialog, 0), nullptr);

        // The output folder by the folder browser: a drive's root keeps its
        // one backslash, another folder gets one; the browser opens on the
        // folder set; cancelling changes nothing; the folder window shows it.
        const auto browse = [&](const std::wstring& path, const std::wstring& shown, const std::string& result) {
            log.insert(log.end(), w.BrowseFolder(path, shown), "    Message: SET FOLDER");
            if (!result.empty()) log.push_back("        输出路径: " + result);
            const std::string folder = result.empty() ? outText : result;
            EXPECT_TRUE(WaitUntil([&] { return Text(w.Item(IDC_EDIT_OUTPUT_FOLDER)) == folder; }));
        };
        browse(L"C:\\", L"", "C:\\");
        browse(out, L"", outText);
        browse(L"", L"输出乗", "");
        Click(w.Item(IDC_BUTTON_OPEN_OUTPUT));
        EXPECT_EQ(folders.Launches(1), std::vector<std::string>{"\"" + outText + "\""});

        // The tag box's Yes opens the dialog; the file comes with its length,
        // whole selection, caption and tag.
        w.Box(IDC_BUTTON_SHOW_TAG, "Zor DU3 Vodizaro", "无文件.\n\n打开要分割的文件吗?", IDYES);
        log.push_back("    Button: OPEN FILE");
        if ((dialog = w.OpenFileDialog())) ChooseFile(dialog, Wide(aPath));
        ASSERT_TRUE(w.ShowsSource(Cp936(a), aPath));
        Append(log, LoadLog(aPath, aBytes.size(), AudioFrames("tone_steps.mp3")));
        EXPECT_EQ(EditorText(w.Item(IDC_TIME_END)) + EditorText(w.Item(IDC_TIME_POSITION)), "00:01:15.00000:00:00.000");
        EXPECT_EQ(Send(slider, TBM_GETPOS), 0);
        const std::string caption = w.Caption();
        EXPECT_EQ(caption.rfind("持续时间: 00:01:15.0 (100%, ", 0), 0u) << caption;
        EXPECT_NEAR(atoi(caption.c_str() + caption.find(", ") + 2), int(aBytes.size() / 1024) - 2, 2) << caption;
        EXPECT_TRUE(WaitUntil([&] { return ShowsColour(slider, RGB(0, 0, 255), 8); }, 5000));
        EXPECT_TRUE(ShowsColour(slider, RGB(200, 200, 255), 8));
        w.Box(IDC_BUTTON_SHOW_TAG, "MP3 标签", "艺术家:\t测试者 Tone\n专辑:\t-\n标题:\t-", IDOK);

        // The buttons set an end of the selection at the cursor, widening the
        // other end past it; Clear gives the whole file; the cursor stays.
        // Typed times follow the same rules, a time past the end is refused;
        // the position editor moves the cursor and the slider.
        const struct { int at, button; double start, end; } marks[] = {
            {50, IDC_BUTTON_SET_END, 0, 50}, {60, IDC_BUTTON_SET_START, 60, 75}, {5, IDC_BUTTON_SET_END_ICON, 0, 5},
            {3, IDC_BUTTON_SET_START_ICON, 3, 5}, {3, IDC_BUTTON_CLEAR, 0, 75}};
        for (const auto& m : marks) {
            TypeTime(w.Item(IDC_TIME_POSITION), m.at / 60, m.at % 60);
            const auto done = [&] { return w.Seconds(IDC_TIME_START) == m.start && w.Seconds(IDC_TIME_END) == m.end; };
            ASSERT_TRUE(w.ClickUntil(m.button, done)) << m.button;
            w.ExpectSelection(m.start, m.end, aSeconds);
        }
        EXPECT_EQ(w.Position(), 3.0);
        const struct { int id, field; const char* digits; double start, end; } typed[] = {
            {IDC_TIME_START, 1, "01", 60, 75}, {IDC_TIME_START, 2, "05", 65, 75}, {IDC_TIME_END, 1, "00", 0, 15},
            {IDC_TIME_START, 2, "20", 20, 75}, {IDC_TIME_START, 1, "59", 20, 75}};
        for (const auto& t : typed) {
            TypeField(w.Item(t.id), t.field, t.digits);
            w.ExpectSelection(t.start, t.end, aSeconds);
        }
        EXPECT_EQ(w.Caption().rfind("持续时间: 00:00:55.0 (73%, ", 0), 0u) << w.Caption();
        TypeField(w.Item(IDC_TIME_POSITION), 2, "30");
        EXPECT_EQ(w.Position(), 30.0);
        EXPECT_EQ(Send(slider, TBM_GETPOS), 400);

        // A click on the slider seeks to the time of its pixel (the end beyond
        // the channel); a drag follows the pointer while the left button alone
        // is held (0 left of the channel).
        const RECT channel = ChannelRect(slider);
        const int firstTic = static_cast<int>(Send(slider, TBM_GETTICPOS, 0));
        const int margin = ThumbMarginOf(firstTic, static_cast<int>(Send(slider, TBM_GETTICPOS, 1)));
        const int travel = channel.right - channel.left - 2 * margin, origin = channel.left + margin - 2;
        const auto at = [&](int x) { return PositionAtPixel(static_cast<uint16_t>(x), channel, margin, aSeconds); };
        ASSERT_GT(travel, 100);
        const struct { UINT msg; WPARAM keys; int x; float position; } mouse[] = {
            {WM_LBUTTONDOWN, MK_LBUTTON, origin + travel / 3, at(origin + travel / 3)},
            {WM_LBUTTONUP, 0, 0, at(origin + travel / 3)}, {WM_LBUTTONDOWN, MK_LBUTTON, channel.right + 5, aSeconds},
            {WM_MOUSEMOVE, MK_LBUTTON, origin + travel / 2, at(origin + travel / 2)},
            {WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, origin + travel / 4, at(origin + travel / 2)},
            {WM_MOUSEMOVE, MK_LBUTTON, -20, 0}, {WM_LBUTTONUP, 0, -20, 0}, {WM_MOUSEMOVE, 0, origin + travel / 2, 0}};
        for (const auto& m : mouse) {
            SliderMouse(slider, m.msg, m.keys, m.x);
            EXPECT_NEAR(w.Position(), m.position, 0.0015) << "message " << m.msg << " at " << m.x;
        }

        // The tenths field, in the program's own process (Wine's control never
        // sends its notifications): a digit sets the tenth, even past the
        // selection's end; a letter or a function key changes nothing.
        TypeTime(w.Item(IDC_TIME_START), 0, 10);
        TypeTime(w.Item(IDC_TIME_END), 0, 10);
        const auto tenthText = [&](int id) {
            const LRESULT packed = Send(main, kProbeTenthText, id);
            const char* text = reinterpret_cast<const char*>(&packed);
            return std::string(text, strnlen(text, 8));
        };
        EXPECT_EQ(tenthText(IDC_TIME_START), "0");
        const struct { int id; LPARAM key; const char* shown; } tenths[] = {
            {IDC_TIME_START, '7', "00:00:10.701"}, {IDC_TIME_START, VK_NUMPAD5, "00:00:10.501"},
            {IDC_TIME_POSITION, '0', "00:00:00.001"}, {IDC_TIME_END, 'A', "00:00:10.000"},
            {IDC_TIME_START, VK_F5, "00:00:10.501"}, {IDC_TIME_POSITION, VK_SPACE, "00:00:00.001"}};
        for (const auto& t : tenths) {
            EXPECT_EQ(Send(main, kProbeTenthKey, t.id, t.key), 0);
            EXPECT_EQ(EditorText(w.Item(t.id)) + tenthText(t.id), t.shown + std::string(1, t.shown[9]));
        }
        EXPECT_EQ(Send(slider, TBM_GETSELSTART), SliderUnitOf(10.501f, aSeconds));
        const LRESULT size = Send(main, kProbeTenthSize, IDC_TIME_END);  // one digit wide
        EXPECT_TRUE(LOWORD(size) >= 5 && LOWORD(size) <= 12 && HIWORD(size) >= 10) << LOWORD(size) << "x";

        // Play goes on from the cursor, a slider click moves the stream.
        ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_CLEAR, [&] { return w.Seconds(IDC_TIME_START) == 0; }));
        TypeField(w.Item(IDC_TIME_POSITION), 2, "40");
        ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_PLAY, [&] { return w.Position() > 40.2; }));
        EXPECT_LT(w.Position(), 41.5);
        SliderMouse(slider, WM_LBUTTONDOWN, MK_LBUTTON, origin + travel / 2);
        SliderMouse(slider, WM_LBUTTONUP, 0, origin + travel / 2);
        EXPECT_LT(w.Position(), 38.0);
        EXPECT_TRUE(w.Advances());
        ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_STOP, [&] { return w.Rests(); }));

        // Selection playback stops at its end, exactly; Play during it goes
        // on past the end; the box restarts it, or, after Stop, first only
        // clears what Stop left.
        TypeTime(w.Item(IDC_TIME_END), 0, 11);
        TypeTime(w.Item(IDC_TIME_START), 0, 10);
        ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_PLAY_SELECTION, [&] { return w.Position() > 10.0 && Checked(box); }));
        Click(w.Item(IDC_BUTTON_PLAY));
        EXPECT_TRUE(WaitUntil([&] { return w.Position() > 11.3; }, 4000) && Checked(box)) << "nothing stops at the end";
        ASSERT_TRUE(w.ClickUntil(IDC_CHECK_PLAY_SELECTION, [&] { return w.Position() < 11.0 && Checked(box); }));
        EXPECT_TRUE(WaitUntil([&] { return !Checked(box); }, 4000));
        EXPECT_EQ(EditorText(w.Item(IDC_TIME_POSITION)), "00:00:11.000");
        EXPECT_EQ(Send(slider, TBM_GETPOS), 146);
        EXPECT_TRUE(w.Rests());
        ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_PLAY_SELECTION, [&] { return w.Position() < 11.0 && Checked(box); }));
        ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_STOP, [&] { return !Checked(box); }));
        EXPECT_TRUE(w.Rests());
        Click(box);
        EXPECT_TRUE(w.Rests() && !Checked(box)) << "the first click only clears what Stop left";
        TypeTime(w.Item(IDC_TIME_POSITION), 0, 30);
        ASSERT_TRUE(w.ClickUntil(IDC_CHECK_PLAY_SELECTION, [&] { return Checked(box); }));
        EXPECT_TRUE(w.Advances() && w.Position() >= 10.0 && w.Position() < 11.0);
        ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_STOP, [&] { return !Checked(box); }));

        // While the selection plays, the open-file dialog (on the source's
        // folder) changes nothing until a file is chosen; one that cannot be
        // opened empties the source, and playback stops. Without a source, same-as-input shows the output folder.
        TypeTime(w.Item(IDC_TIME_END), 0, 40);
        ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_PLAY_SELECTION, [&] { return Checked(box); }));
        Click(w.Item(IDC_BUTTON_OPEN_FILE));
        if ((dialog = w.OpenFileDialog())) {
            EXPECT_EQ(Text(GetDlgItem(dialog, cmb2)), Cp936(copy.Folder().substr(copy.Folder().rfind(L'\\') + 1)));
            CloseDialog(dialog, IDCANCEL);
        }
        EXPECT_TRUE(w.Advances() && Checked(box));
        w.Open(Cp936(copy.PathOf(L"没有这个文件.mp3")));
        log.insert(log.end(), 2, "    Button: OPEN FILE");
        EXPECT_TRUE(w.ShowsSource("", "") && !Checked(box));
        EXPECT_EQ(w.Caption(), "持续时间: 00:00:00.0 (0%, 0.0 Kb)");
        ASSERT_TRUE(w.ClickUntil(IDC_CHECK_SAME_FOLDER, [&] { return !w.OutputFolderEnabled(); }));
        Click(w.Item(IDC_BUTTON_OPEN_OUTPUT));
        EXPECT_EQ(folders.Launches(2).back(), "\"" + outText + "\"");
        ASSERT_TRUE(w.ClickUntil(IDC_CHECK_SAME_FOLDER, [&] { return w.OutputFolderEnabled(); }));

        // The second file, with a whole tag, held open by a player from here on.
        HANDLE player =
            CreateFileW(copy.PathOf(b).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(player, INVALID_HANDLE_VALUE);
        w.Open(bPath);
        ASSERT_TRUE(w.ShowsSource("歌曲 剪切.mp3", bPath));
        log.push_back("    Button: OPEN FILE");
        Append(log, LoadLog(bPath, bBytes.size(), AudioFrames("cut_song.mp3")));
        w.ExpectSelection(0, 20, bSeconds);
        EXPECT_EQ(w.Position(), 0.0);
        w.Box(IDC_BUTTON_SHOW_TAG, "MP3 标签", "艺术家:\t艺术家 Artist\n专辑:\t专辑 Album\n标题:\t剪切 测试 Title", IDOK);

        // Cuts of 5 s to 10 s: into the output folder, then numbered; with the
        // same-as-input switch beside the source, with the next free number.
        TypeTime(w.Item(IDC_TIME_END), 0, 10);
        TypeTime(w.Item(IDC_TIME_START), 0, 5);
        FrameIndex index;  // the fixture's, as the window indexes its copy
        SourceFile file;
        int32_t counted = 0;
        ASSERT_TRUE(file.Open(OsPath(ZDV_FIXTURE_DIR "/cut_song.mp3")) == SourceRead::Ok);
        ASSERT_TRUE(MP3IndexFile(file, index, &counted));
        const FrameSpan span = MP3MapSelection(index, 5.0f, 10.0f, bSeconds);
        const std::string ij = "        i=" + std::to_string(span.i) + ", j=" + std::to_string(span.j);
        const std::vector<std::string> split = {"    Button: SPLIT", "    MP3Split", "        mp3 文件: " + bPath,
                                                "        大小: " + std::to_string(bBytes.size())};
        w.Box(IDC_BUTTON_CUT, "Zor DU3 Vodizaro", kCutDone, IDNO);
        Append(log, split);
        Append(log, {"        新文件: " + outText + "歌曲 剪切.mp3", ij});
        w.Box(IDC_BUTTON_CUT, "Zor DU3 Vodizaro", kCutDone, IDYES);
        if ((dialog = w.OpenFileDialog())) CloseDialog(dialog, IDCANCEL);
        Append(log, split);
        Append(log, {"        (?) 文件: " + outText + "歌曲 剪切(1).mp3", "        新文件: " + outText + "歌曲 剪切(1).mp3", ij,
                     "    Button: OPEN FILE"});
        ASSERT_TRUE(w.ClickUntil(IDC_CHECK_SAME_FOLDER, [&] { return !w.OutputFolderEnabled(); }));
        Click(w.Item(IDC_BUTTON_OPEN_OUTPUT));
        EXPECT_EQ(folders.Launches(3).back(), "\"" + source.substr(0, source.size() - 1) + "\"") << "no backslash";
        std::vector<std::string> tried;
        for (const char* number : {"1", "2"}) {
            w.Box(IDC_BUTTON_CUT, "Zor DU3 Vodizaro", kCutDone, IDNO);
            tried.push_back("        (?) 文件: " + source + "歌曲 剪切(" + number + ").mp3");
            Append(log, split);
            Append(log, tried);
            Append(log, {"        新文件: " + source + "歌曲 剪切(" + number + ").mp3", ij});
        }
        CloseHandle(player);
        const std::string cut = copy.Read(L"输出乗\\歌曲 剪切.mp3");
        for (const wchar_t* same : {L"输出乗\\歌曲 剪切(1).mp3", L"源 文件夹乗\\歌曲 剪切(1).mp3", L"源 文件夹乗\\歌曲 剪切(2).mp3"})
            EXPECT_TRUE(copy.Read(same) == cut) << Cp936(same);
        EXPECT_TRUE(copy.Read(b) == bBytes) << "the source stays as it was";

        // The About box as its template has it; OK, Escape, its close box and
        // the home-page button close it, the last opening the home page alone.
        for (const int close : {IDC_BUTTON_ABOUT_OK, IDCANCEL, 0, IDC_BUTTON_HOME_PAGE}) {
            Click(w.Item(IDC_BUTTON_ABOUT));
            log.push_back("    Button: ABOUT");
            HWND about = WaitForTitled(program.Id(), kAboutTitle);
            ASSERT_TRUE(about && GetWindow(about, GW_OWNER) == main && !IsWindowEnabled(main)) << "modal";
            if (close == IDC_BUTTON_ABOUT_OK) {
                ExpectLayout(about, copy.PathOf(kTestBuild), IDD_ABOUT, AsTemplate, {});
                EXPECT_EQ(Tooltips(about), (std::map<int, std::string>{{IDC_BUTTON_HOME_PAGE, ZDV_HOME_PAGE_URL}}));
                HWND ok = GetDlgItem(about, IDC_BUTTON_ABOUT_OK);
                EXPECT_TRUE(WaitUntil([&] { return ShowsColour(ok, RGB(0xe0, 0x28, 0x28), 30); }, 5000));
                EXPECT_TRUE(ShowsColour(GetDlgItem(about, IDC_BUTTON_HOME_PAGE), RGB(0x3a, 0x8e, 0xe6), 30)) << "globe";
            }
            EXPECT_TRUE(browser.Launches(0).empty());
            if (close == 0) PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
            if (close == IDCANCEL) PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
            if (close > 0 && close != IDCANCEL) Click(GetDlgItem(about, close));
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about) && IsWindowEnabled(main); }));
        }
        EXPECT_EQ(browser.Launches(1), std::vector<std::string>{ZDV_HOME_PAGE_URL});
        EXPECT_TRUE(program.CloseNormally(main));
    }
    Append(log, EndLog());
    ExpectLog(copy.Read(L"log.txt"), log);
    const std::string settings = Settings(1, "歌曲 剪切.mp3", bPath, outText);
    EXPECT_EQ(copy.Read(L"settings.ini"), settings);

    // The restart: of two starts at once one runs, reading the settings; a
    // later start brings its window to the front and ends without a trace. A
    // browser command the program cannot take apart leaves the page to the shell.
    log = StartLog(copy, outText);
    Append(log, LoadLog(bPath, bBytes.size(), AudioFrames("cut_song.mp3")));
    {
        Program first = copy.Start(), second = copy.Start();
        ASSERT_TRUE(WaitUntil([&] { return !first.Running() || !second.Running(); }));
        const Program& running = first.Running() ? first : second;
        EXPECT_EQ((first.Running() ? second : first).WaitForExit(), std::optional<DWORD>(0));
        const Window w{running, running.WaitForMainWindow()};
        ASSERT_NE(w.main, nullptr);
        EXPECT_TRUE(w.ShowsSource("歌曲 剪切.mp3", bPath));
        EXPECT_TRUE(Checked(w.Item(IDC_CHECK_SAME_FOLDER)) && !w.OutputFolderEnabled());
        EXPECT_EQ(Text(w.Item(IDC_EDIT_OUTPUT_FOLDER)), outText);
        ASSERT_TRUE(WaitUntil([&] {
            PostMessageW(w.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return IsIconic(w.main) != 0;
        }));
        const std::string logBefore = copy.Read(L"log.txt");
        // A window of another program that does not answer does not hold the second start.
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread hung([release] {
            CreateWindowExW(0, L"STATIC", L"hung", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
            WaitForSingleObject(release, INFINITE);
        });
        EXPECT_EQ(copy.Start().WaitForExit(), std::optional<DWORD>(0));
        SetEvent(release);
        hung.join();
        CloseHandle(release);
        EXPECT_TRUE(WaitUntil([&] { return !IsIconic(w.main) && GetForegroundWindow() == w.main; }));
        EXPECT_EQ(copy.Read(L"log.txt"), logBefore);
        EXPECT_EQ(copy.Read(L"settings.ini"), settings);
        ShellRecorder http(copy, L"http", L"\"%1\"", L"浏览器.Exe"), https(copy, L"https", L"\"%1\"", L"浏览器.Exe");
        Click(w.Item(IDC_BUTTON_ABOUT));
        log.push_back("    Button: ABOUT");
        HWND about = WaitForTitled(running.Id(), kAboutTitle);
        ASSERT_NE(about, nullptr);
        Click(GetDlgItem(about, IDC_BUTTON_HOME_PAGE));
        EXPECT_EQ(http.Launches(1), std::vector<std::string>{"\"" ZDV_HOME_PAGE_URL "\""});
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(w.main) != 0; }));
        EXPECT_TRUE(running.CloseNormally(w.main));
    }
    Append(log, EndLog());
    ExpectLog(copy.Read(L"log.txt"), log);
    EXPECT_EQ(copy.Read(L"settings.ini"), settings);

    // A remembered source that has gone comes back empty; the Exit command
    // ends the run like the close box.
    DeleteFileW(copy.PathOf(b).c_str());
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Text(GetDlgItem(main, IDC_STATIC_FILE_TITLE)) + Text(GetDlgItem(main, IDC_EDIT_SOURCE_PATH)), "无文件");
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_EXIT, BN_CLICKED), 0);
    EXPECT_EQ(program.WaitForExit(), std::optional<DWORD>(0));
    log = StartLog(copy, outText);
    log.push_back("    Button: EXIT");
    Append(log, EndLog());
    ExpectLog(copy.Read(L"log.txt"), log);
    EXPECT_EQ(copy.Read(L"settings.ini"), Settings(1, "", "", outText));
}

// Runs that end with an error box, exit code 0 and the settings as they were:

// Names code page 936 cannot hold: sources in such a folder open through the
// dialog, show, play and cut into such a folder and beside themselves, with
// their tags; "打开" shows those folders; the restart restores both.
TEST(UserRun, NamesOutsideCodePage936OpenPlayCutAndComeBack)
{
    ProgramCopy copy(kTestBuild);
    const std::wstring folder = copy.PathOf(L"음악 Müsik"), out = copy.PathOf(L"출력 Ausgabe") + L"\\";
    const std::wstring title = L"아이유 - 좋은 날.mp3", song = folder + L"\\" + title, otherTitle = L"Motörhead.mp3";
    const std::wstring other = folder + L"\\" + otherTitle, numbered = L"아이유 - 좋은 날(1).mp3";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) && CreateDirectoryW(out.c_str(), nullptr));
    WriteBytes(song, Fixture("cut_song.mp3"));
    WriteBytes(other, Fixture("tone_steps.mp3"));
    const std::string tags = "艺术家:\t艺术家 Artist\n专辑:\t专辑 Album\n标题:\t剪切 测试 Title";
    ShellRecorder folders(copy, L"Folder", L"\"%1\"");
    for (const bool restart : {false, true}) {
        Program program = copy.Start();
        const Window w{program, program.WaitForMainWindow()};
        ASSERT_NE(w.main, nullptr);
        if (restart) {
            EXPECT_TRUE(w.ShowsSource(title, song));
            EXPECT_EQ(WideText(w.Item(IDC_EDIT_OUTPUT_FOLDER)), out);
            EXPECT_TRUE(program.CloseNormally(w.main));
            break;
        }
        w.Open(other);
        EXPECT_TRUE(w.ShowsSource(otherTitle, other));
        w.Open(song);
        ASSERT_TRUE(w.ShowsSource(title, song));
        Click(w.Item(IDC_BUTTON_PLAY));
        EXPECT_TRUE(w.Advances());
        Click(w.Item(IDC_BUTTON_STOP));
        EXPECT_GT(w.BrowseFolder(out, L""), 0);
        EXPECT_EQ(WideText(w.Item(IDC_EDIT_OUTPUT_FOLDER)), out);
        TypeTime(w.Item(IDC_TIME_END), 0, 0);  // no audio: a warning, no file
        w.Box(IDC_BUTTON_CUT, "Zor DU3 Vodizaro", "所选范围没有音频.\n\n请重新选择开始和结束时间.", IDOK);
        EXPECT_TRUE(std::filesystem::is_empty(out));
        TypeTime(w.Item(IDC_TIME_END), 0, 10);
        TypeTime(w.Item(IDC_TIME_START), 0, 5);
        w.Box(IDC_BUTTON_CUT, "Zor DU3 Vodizaro", kCutDone, IDNO);
        w.Box(IDC_BUTTON_CUT, "Zor DU3 Vodizaro", kCutDone, IDNO);
        Click(w.Item(IDC_BUTTON_OPEN_OUTPUT));
        ASSERT_TRUE(w.ClickUntil(IDC_CHECK_SAME_FOLDER, [&] { return !w.OutputFolderEnabled(); }));
        w.Box(IDC_BUTTON_CUT, "Zor DU3 Vodizaro", kCutDone, IDNO);
        Click(w.Item(IDC_BUTTON_OPEN_OUTPUT));
        const std::vector<std::string> shown = {Cp936(L"\"" + out + L"\""), Cp936(L"\"" + folder + L"\"")};
        EXPECT_EQ(folders.Launches(2), shown);
        const std::string cut = ReadBytes(out + title);
        EXPECT_GT(cut.size(), 10000u);
        EXPECT_EQ(ReadBytes(out + numbered), cut);
        EXPECT_EQ(ReadBytes(folder + L"\\" + numbered), cut);
        // The command line's cut of the same times: the same bytes.
        const std::wstring cli = copy.PathOf(L"命令 행"), run = L"vodizaro-cut \"" + song + L"\" 5 10 -o \"" + cli + L"\"";
        STARTUPINFOW startup = {sizeof startup};
        PROCESS_INFORMATION started = {};
        const std::wstring cutter = BinFolder() + L"\\vodizaro-cut.exe";
        ASSERT_TRUE(CreateDirectoryW(cli.c_str(), nullptr) && CreateProcessW(cutter.c_str(), std::wstring(run).data(),
            nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started));
        DWORD exitCode = WaitForSingleObject(started.hProcess, kWaitMs);
        GetExitCodeProcess(started.hProcess, &exitCode);
        EXPECT_EQ(exitCode, 0u);
        EXPECT_EQ(ReadBytes(cli + L"\\" + title), cut);
        w.Open(out + title);  // the tag came across
        ASSERT_TRUE(w.ShowsSource(title, out + title));
        w.Box(IDC_BUTTON_SHOW_TAG, "MP3 标签", tags, IDOK);
        w.Open(song);
        ASSERT_TRUE(w.ShowsSource(title, song));
        EXPECT_TRUE(program.CloseNormally(w.main));
    }
}

// WM_DROPFILES as the shell posts it: a block of DROPFILES and wide names in the window's process, where its
// fixed address is its handle (after room the heap looks at as the program frees it).
void DropFiles(HWND window, const std::vector<std::wstring>& paths)
{
    std::wstring names;
    for (const std::wstring& path : paths) names += path + L'\0';
    const DROPFILES header = {sizeof header, {20, 20}, FALSE, TRUE};
    std::string block(64, '\0');
    block.append(reinterpret_cast<const char*>(&header), sizeof header);
    block.append(reinterpret_cast<const char*>(names.c_str()), (names.size() + 1) * sizeof(wchar_t));
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, id);
    char* at = static_cast<char*>(VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT, PAGE_READWRITE));
    WriteProcessMemory(process, at, block.data(), block.size(), nullptr);
    CloseHandle(process);
    EXPECT_TRUE(PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(at + 64), 0));
}

// Files handed over from outside, named in Hangul with spaces: a relative path at start in place of the
// remembered source; a second start's path to the minimised window, which comes back; drops of several files
// (the first MP3 opens, playback stops) and of a text file alone (refused). Wine's editors show no "x".
TEST(UserRun, FilesHandedOverFromOutsideOpenAsIfChosen)
{
    ProgramCopy copy(kTestBuild);
    const std::wstring folder = copy.PathOf(L"노래 폴더"), songTitle = L"아이유 좋은 날.mp3", toneTitle = L"음계 tone.mp3";
    const std::wstring song = folder + L"\\" + songTitle, tones = folder + L"\\" + toneTitle;
    const std::wstring note = folder + L"\\메모 note.txt";
    const std::string songBytes = Fixture("cut_song.mp3"), toneBytes = Fixture("tone_steps.mp3");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    WriteBytes(song, songBytes);
    WriteBytes(tones, toneBytes);
    WriteBytes(note, "note");
    copy.Write(L"音阶.mp3", toneBytes);
    copy.Write(L"settings.ini", Settings(0, "音阶.mp3", Cp936(copy.PathOf(L"音阶.mp3")), "C:\\"));
    Program program = copy.Start({}, L"\"" + song.substr(Parent(copy.Folder()).size() + 1) + L"\"");
    const Window w{program, program.WaitForMainWindow()};
    ASSERT_NE(w.main, nullptr);
    EXPECT_TRUE(w.ShowsSource(songTitle, song));
    EXPECT_EQ(Text(w.Item(IDC_TIME_POSITION)) + "|" + Text(w.Item(IDC_TIME_END)), "00:00:00|00:00:20");
    ASSERT_TRUE(WaitUntil([&] {
        PostMessageW(w.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return IsIconic(w.main) != 0;
    }));
    EXPECT_EQ(copy.Start({}, L"\"" + tones + L"\"").WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(w.ShowsSource(toneTitle, tones));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(w.main) && GetForegroundWindow() == w.main; }));
    HWND box = w.Item(IDC_CHECK_PLAY_SELECTION);
    ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_PLAY_SELECTION, [&] { return Checked(box) && w.Position() > 0; }));
    DropFiles(w.main, {note, song, tones});
    EXPECT_TRUE(w.ShowsSource(songTitle, song));
    EXPECT_TRUE(!Checked(box) && w.Rests() && w.Position() == 0);
    DropFiles(w.main, {note});
    std::optional<MessageBoxSeen> refusal = WaitForMessageBox(program.Id(), w.main);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text + "|" + refusal->caption, "错误: 8001\n不支持的文件格式.|Zor DU3 Vodizaro");
    EXPECT_TRUE(Answer(*refusal, IDOK) && w.ShowsSource(songTitle, song));
    EXPECT_TRUE(program.CloseNormally(w.main));
    std::vector<std::string> log = StartLog(copy, "C:\\");
    const std::vector<std::string> songLoad = LoadLog(Cp936(song), songBytes.size(), AudioFrames("cut_song.mp3"));
    Append(log, songLoad);
    log.push_back("    Message: COPYDATA");
    Append(log, LoadLog(Cp936(tones), toneBytes.size(), AudioFrames("tone_steps.mp3")));
    log.push_back("    Message: DROP FILES");
    Append(log, songLoad);
    log.push_back("    Message: DROP FILES");
    Append(log, EndLog());
    ExpectLog(copy.Read(L"log.txt"), log);
}

// The levels the slider's channel shows (in the selection): a letter a share of the file, L where they are shown
// near it, S where not. The picture is saved as a BMP file.
std::string LevelsShown(HWND slider, const std::vector<double>& shares)
{
    const RECT channel = ChannelRect(slider);
    const int margin = ThumbMarginOf(int(Send(slider, TBM_GETTICPOS, 0)), int(Send(slider, TBM_GETTICPOS, 1)));
    int width = 0, height = 0;
    const std::vector<DWORD> pixels = Pixels(slider, width, height, Wide(ZDV_ARTIFACT_DIR "\\level_overview.bmp"));
    std::string seen;
    for (double share : shares) {
        const int x = channel.left + margin + int((channel.right - channel.left - 2 * margin) * share);
        bool levels = false;
        for (int y = channel.top; y < channel.bottom; ++y)  // beside the caption's glyphs too
            for (int dx = -4; dx <= 4; ++dx)
                levels = levels || Near(pixels[size_t((height - 1 - y) * width + x + dx)], RGB(90, 140, 255), 8);
        seen += levels ? 'L' : 'S';
    }
    return seen;
}

// A load that takes a while (100 MB dropped on the window, each step slowed): it answers all along (WM_NULL within
// 250 ms), shows its progress in the slider's caption, and ends with the file loaded; a file too large is refused.
TEST(UserRun, ALongLoadKeepsAnsweringAndShowsItsProgress)
{
    ProgramCopy copy(kTestBuild);
    const std::string tone = Fixture("tone_steps.mp3");
    std::string big;
    while (big.size() < (100u << 20)) big += tone;
    copy.Write(L"长 long.mp3", big);
    Program program = copy.Start({{Wide(kTestSlowWorkVariable), L"1"}});
    const Window w{program, program.WaitForMainWindow()};
    ASSERT_NE(w.main, nullptr);
    DropFiles(w.main, {copy.PathOf(L"长 long.mp3")});
    std::set<std::string> shown;
    DWORD slowest = 0;
    EXPECT_TRUE(WaitUntil([&] {
        const ULONGLONG sent = GetTickCount64();
        EXPECT_TRUE(SendMessageTimeoutW(w.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 250, nullptr));
        slowest = std::max(slowest, DWORD(GetTickCount64() - sent));
        shown.insert(w.Caption().substr(0, w.Caption().find(' ')));
        return Text(w.Item(IDC_STATIC_FILE_TITLE)) == "长 long.mp3" && IsWindowEnabled(w.main);
    }, 60000)) << slowest;
    EXPECT_TRUE(shown.count("正在读取...")) << ::testing::PrintToString(shown);
    // The slider's channel shows the levels (in the selection), decoded behind the load.
    HWND slider = w.Item(IDC_SLIDER);
    const auto levelsShown = [&](const std::vector<double>& shares) { return LevelsShown(slider, shares); };
    // The hour and more of tones: at its start, not yet at its end, once the load has ended; then all along it.
    const ULONGLONG loaded = GetTickCount64();
    std::string first;
    EXPECT_TRUE(WaitUntil([&] { return (first = levelsShown({0.03, 0.97})) != "SS"; }, 60000));
    EXPECT_EQ(first, "LS") << "the load waited for the decode";
    EXPECT_TRUE(WaitUntil([&] { return levelsShown({0.03, 0.5, 0.97}) == "LLL"; }, 120000));
    printf("the overview of %zu MB complete %.1f s after the load\n", big.size() >> 20,
           (GetTickCount64() - loaded) / 1e3);
    // Loud, quiet and silent minutes (silence_parts.mp3): nothing where it is silent (the seconds in the middle of
    // each part, of 300).
    copy.Write(L"levels.mp3", Fixture("silence_parts.mp3"));
    DropFiles(w.main, {copy.PathOf(L"levels.mp3")});
    EXPECT_TRUE(WaitUntil([&] { return Text(w.Item(IDC_STATIC_FILE_TITLE)) == "levels.mp3" && IsWindowEnabled(w.main); }, 60000));
    std::string seen;
    EXPECT_TRUE(WaitUntil([&] {
        seen = levelsShown({30 / 300.0, 90 / 300.0, 142 / 300.0, 180 / 300.0, 215 / 300.0, 245 / 300.0, 278 / 300.0});
        return seen == "LSLSLSL";
    })) << seen;
    // Beyond what the program takes (a sparse file of 64 GiB): a box, and no source.
    HANDLE huge = CreateFileW(copy.PathOf(L"huge.mp3").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    LARGE_INTEGER end = {};
    end.QuadPart = int64_t(1) << 36;
    ASSERT_TRUE(SetFilePointerEx(huge, end, nullptr, FILE_BEGIN) && SetEndOfFile(huge) && CloseHandle(huge));
    DropFiles(w.main, {copy.PathOf(L"huge.mp3")});
    std::optional<MessageBoxSeen> box = WaitForMessageBox(program.Id(), w.main);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "文件太大.\n本程序能打开的 MP3 文件最大为 64 GB.");
    EXPECT_TRUE(Answer(*box, IDOK) && w.ShowsSource("", ""));
    EXPECT_TRUE(program.CloseNormally(w.main));
}

// Cuts into a folder that is gone, one nobody may write to (immutable) and a
// full disk (a small tmpfs): the box gives the system's reason, nothing stays.
TEST(UserRun, CutsThatCannotBeWrittenNameTheSystemsReason)
{
    const std::wstring immutable = Variable(L"ZDV_IMMUTABLE_FOLDER"), full = Variable(L"ZDV_FULL_FOLDER");
    if (immutable.empty() || full.empty()) GTEST_SKIP() << "no immutable folder or small disk (root mounts them)";
    ProgramCopy copy(kTestBuild);
    copy.Write(L"歌曲.mp3", Fixture("cut_song.mp3"));
    const std::pair<std::wstring, const char*> cases[] = {{copy.PathOf(L"没有"), "不能创建文件\n(找不到路径。)"},
                                                          {immutable, "不能创建文件\n(访问被拒绝。)"},
                                                          {full, "不能写入文件\n(磁盘满。)"}};
    for (const auto& [folder, text] : cases) {
        copy.Write(L"settings.ini", Settings(0, "歌曲.mp3", Cp936(copy.PathOf(L"歌曲.mp3")), Cp936(folder) + "\\"));
        Program program = copy.Start();
        const Window w{program, program.WaitForMainWindow()};
        ASSERT_NE(w.main, nullptr);
        w.Box(IDC_BUTTON_CUT, "错误", text, IDOK);
        EXPECT_TRUE(program.CloseNormally(w.main));
        EXPECT_TRUE(!std::filesystem::exists(folder) || std::filesystem::is_empty(folder)) << text;
    }
}
// an audio library of another version; no audio device (where Wine's audio
// drivers are off, and only there); faults of every kind in the window, and
// one while it is made (the exception guard: "失败", no save after a change).
TEST(UserRun, RunsThatCannotGoOnEndWithTheirErrorBoxAndExitCode0)
{
    const struct { const wchar_t* exe; const wchar_t* bass; int fault; const char* text; } runs[] = {
        {L"ZorDU3Vodizaro.exe", L"badversion", -1, "加载了一个错误的 BASS.DLL 版本"},
        {L"ZorDU3Vodizaro.exe", L"", -1, "不能初始化设备\n(错误码: 23)"},
        {kTestBuild.c_str(), L"", 1, "失败"}, {kTestBuild.c_str(), L"", 2, "失败"}, {kTestBuild.c_str(), L"", 3, "失败"},
        {kTestBuild.c_str(), L"", 4, "失败"}, {kTestBuild.c_str(), L"", 0, "失败"}};
    const bool driversOff = Variable(L"WINEDLLOVERRIDES").find(L"winepulse.drv") != std::wstring::npos;
    for (const auto& run : runs) {
        SCOPED_TRACE(run.text + std::to_string(run.fault));
        const bool noDevice = run.fault == -1 && !*run.bass, guarded = run.fault >= 0;
        if (noDevice != driversOff) continue;
        ProgramCopy copy(run.exe, *run.bass ? BinFolder() + L"\\" + run.bass : L"");
        copy.Write(L"歌曲.mp3", Fixture("cut_song.mp3"));  // would load: the box comes first
        const std::string settings = guarded ? Settings(0, "", "", "E:\\out\\")
                                             : Settings(1, "歌曲.mp3", Cp936(copy.PathOf(L"歌曲.mp3")), "E:\\out\\");
        copy.Write(L"settings.ini", settings);
        Program program = run.fault ? copy.Start() : copy.Start({{Wide(kTestFaultAtStartVariable), L"1"}});
        HWND main = run.fault > 0 ? program.WaitForMainWindow() : nullptr;
        if (main) {
            Click(GetDlgItem(main, IDC_CHECK_SAME_FOLDER));  // a change a save would write
            ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(main, IDC_EDIT_OUTPUT_FOLDER)); }));
            PostMessageW(main, kTestFaultMessage, run.fault, 0);
        }
        std::optional<MessageBoxSeen> box = WaitForMessageBox(program.Id(), main);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text + "|" + box->caption, std::string(run.text) + "|错误");
        // Only the audio error box has an owner: the window, made but never shown.
        EXPECT_EQ(box->owner != nullptr, noDevice);
        EXPECT_TRUE(!box->owner || (Text(box->owner) == "Zor DU3 Vodizaro" && !IsWindowVisible(box->owner)));
        EXPECT_FALSE(main && IsWindowVisible(main)) << "the broken window is gone";
        Answer(*box, IDOK);
        EXPECT_EQ(program.WaitForExit(), std::optional<DWORD>(0));
        EXPECT_EQ(copy.Read(L"settings.ini"), settings);
        std::vector<std::string> log = StartLog(copy, "E:\\out\\");
        if (!guarded && !noDevice) log.pop_back();  // the settings were never read
        if (noDevice) log.push_back("    Message: DESTROY");
        if (guarded || noDevice) log.push_back("End ZorDU3Vodizaro\n");
        ExpectLog(copy.Read(L"log.txt"), log);
    }
}

// The selection 10 s to 14 s of the tone file played while judge.py
// records the null sink: it stops by itself at exactly 14 s.
TEST(Listening, TheSelectionFrom10To14PlaysAndStopsAtItsEnd)
{
    ProgramCopy copy;
    copy.Write(L"音阶.mp3", Fixture("tone_steps.mp3"));
    copy.Write(L"settings.ini", Settings(0, "音阶.mp3", Cp936(copy.PathOf(L"音阶.mp3")), "C:\\"));
    Program program = copy.Start();
    const Window w{program, program.WaitForMainWindow()};
    ASSERT_NE(w.main, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return LevelsShown(w.Item(IDC_SLIDER), {0.05, 0.95}) == "LL"; }, 10000))
        << "the file loaded at the start shows its levels";
    TypeTime(w.Item(IDC_TIME_END), 0, 14);
    TypeTime(w.Item(IDC_TIME_START), 0, 10);
    HWND box = w.Item(IDC_CHECK_PLAY_SELECTION);
    ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_PLAY_SELECTION, [&] { return Checked(box); }));
    ASSERT_TRUE(WaitUntil([&] { return !Checked(box); }, 8000)) << "it stops by itself";
    EXPECT_TRUE(w.Rests() && program.CloseNormally(w.main));
}

// A run by keys alone while judge.py records the null sink: open, seek by the slider's keys and the
// wheel, play and stop, mark, nudge each end by a frame and a tenth, hear both ends (the judge times them), nudge
// back and cut: the file the buttons cut for the same times. A time editor with the focus keeps its keys.
TEST(Listening, KeysAloneCutWhatTheButtonsCutAndHearTheEnds)
{
    ProgramCopy copy;
    copy.Write(L"音阶.mp3", Fixture("tone_steps.mp3"));
    copy.Write(L"settings.ini", Settings(1, "", "", "C:\\"));
    Program program = copy.Start();
    const Window w{program, program.WaitForMainWindow()};
    ASSERT_NE(w.main, nullptr);
    HWND slider = w.Item(IDC_SLIDER), start = w.Item(IDC_TIME_START);
    EXPECT_EQ(Tooltips(w.main)[IDC_SLIDER], kShortcutList);
    SetForegroundWindow(w.main);  // keys go to the active window, which a window just shown may not be yet
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == w.main; }));
    Keys({VK_CONTROL}, 'O');
    if (HWND dialog = w.OpenFileDialog()) ChooseFile(dialog, copy.PathOf(L"音阶.mp3"));
    ASSERT_TRUE(WaitUntil([&] { return w.Seconds(IDC_TIME_END) > 70; }));
    SliderMouse(slider, WM_LBUTTONDOWN, MK_LBUTTON, ChannelRect(slider).right - 2);  // the focus
    SliderMouse(slider, WM_LBUTTONUP, 0, ChannelRect(slider).right - 2);
    const auto at = [&](int id, double t) { return WaitUntil([&] { return std::fabs(w.Seconds(id) - t) < 0.0015; }); };
    Keys({}, VK_HOME);
    Keys({}, VK_RIGHT, 10);
    Keys({}, 'I');
    Keys({VK_SHIFT}, VK_RIGHT, 2);
    Keys({}, 'O');
    EXPECT_TRUE(at(IDC_TIME_END, 30) && at(IDC_TIME_START, 10) && at(IDC_TIME_POSITION, 30));
    TypeField(start, 0, "");  // the focus, in the hours: Right, Right and digits type seconds; I, O, Space do nothing
    Keys({}, VK_RIGHT, 2);
    for (int key : {int('1'), int('2'), int('I'), int('O'), VK_SPACE}) Keys({}, static_cast<WORD>(key));
    EXPECT_TRUE(at(IDC_TIME_START, 12) && at(IDC_TIME_END, 30) && w.Rests());
    TypeTime(start, 0, 10);
    SliderMouse(slider, WM_LBUTTONDOWN, MK_LBUTTON, ChannelRect(slider).left + 2);
    SliderMouse(slider, WM_LBUTTONUP, 0, ChannelRect(slider).left + 2);
    Keys({}, VK_HOME);
    Keys({}, VK_SPACE);
    EXPECT_TRUE(w.Advances());
    Keys({}, VK_SPACE);
    EXPECT_TRUE(w.Rests());
    const double stopped = w.Position();
    Wheel(slider, 2);
    EXPECT_TRUE(at(IDC_TIME_POSITION, stopped + 10) && w.Rests());
    EXPECT_EQ(Send(slider, TBM_GETPOS), SliderUnitOf(static_cast<float>(w.Position()), 75));
    Keys({}, VK_SPACE);
    EXPECT_TRUE(w.Advances() && w.Position() > stopped + 10 && w.Position() < stopped + 13);
    Keys({}, VK_SPACE);
    EXPECT_TRUE(w.Rests());
    const double frame = 1152.0 / 44100;
    Keys({VK_CONTROL}, VK_RIGHT);
    Keys({VK_CONTROL, VK_MENU}, VK_RIGHT);
    Keys({VK_CONTROL, VK_SHIFT}, VK_LEFT);
    Keys({VK_CONTROL, VK_SHIFT, VK_MENU}, VK_LEFT);
    EXPECT_TRUE(at(IDC_TIME_START, 10.1 + frame) && at(IDC_TIME_END, 29.9 - frame));
    Keys({VK_SHIFT}, 'I');
    EXPECT_TRUE(at(IDC_TIME_POSITION, 13.1 + frame) && w.Rests());  // where the preview stopped by itself
    Keys({VK_SHIFT}, 'O');
    EXPECT_TRUE(w.Advances() && at(IDC_TIME_POSITION, 29.9 - frame) && w.Rests());
    Keys({VK_CONTROL, VK_MENU}, VK_LEFT);
    Keys({VK_CONTROL}, VK_LEFT);
    Keys({VK_CONTROL, VK_SHIFT, VK_MENU}, VK_RIGHT);
    Keys({VK_CONTROL, VK_SHIFT}, VK_RIGHT);
    EXPECT_TRUE(at(IDC_TIME_START, 10) && at(IDC_TIME_END, 30));
    Keys({VK_CONTROL}, 'S');
    std::optional<MessageBoxSeen> box = WaitForMessageBox(program.Id(), w.main);
    const double before = w.Position();
    Wheel(slider, 2);  // over the box, which keeps its wheel: the source behind it stays
    ASSERT_TRUE(box && box->text == kCutDone && Answer(*box, IDNO));
    EXPECT_EQ(w.Position(), before);
    const RECT channel = ChannelRect(slider);  // the context menu's third item: the start where it was opened
    PostMessageW(slider, WM_RBUTTONUP, 0, MAKELPARAM((channel.left + channel.right) / 2, channel.bottom));
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
    Keys({}, VK_DOWN, 3);
    Keys({}, VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return w.Seconds(IDC_TIME_START) > 30; }) && w.Seconds(IDC_TIME_END) > 70);
    TypeTime(w.Item(IDC_TIME_END), 0, 30);
    TypeTime(start, 0, 10);
    w.Box(IDC_BUTTON_CUT, "Zor DU3 Vodizaro", kCutDone, IDNO);
    const std::string byKeys = copy.Read(L"音阶(1).mp3");
    EXPECT_TRUE(!byKeys.empty() && byKeys == copy.Read(L"音阶(2).mp3"));
    const std::string log = copy.Read(L"log.txt");
    size_t from = 0;
    for (const char* line : {"Button: OPEN FILE", "Key: NUDGE START +1 FRAME", "Key: NUDGE START +0.1 S",
                             "Key: NUDGE END -1 FRAME", "Key: NUDGE END -0.1 S", "Key: PREVIEW START", "Key: PREVIEW END",
                             "Key: NUDGE START -0.1 S", "Key: NUDGE END +1 FRAME", "Button: SPLIT", "Menu: SET START HERE",
                             "Button: SPLIT"})
        EXPECT_NE(from = log.find(std::string("    ") + line + "\r\n", from + 1), std::string::npos) << line;
    // A stream that ends before the selection does (at the change of rate of a file; a damaged file) ends
    // selection playback with it.
    copy.Write(L"switch.mp3", Fixture("switch_v1_44100_48000.mp3"));
    DropFiles(w.main, {copy.PathOf(L"switch.mp3")});
    ASSERT_TRUE(WaitUntil([&] { return Text(w.Item(IDC_STATIC_FILE_TITLE)) == "switch.mp3"; }));
    HWND selection = w.Item(IDC_CHECK_PLAY_SELECTION);
    ASSERT_TRUE(w.ClickUntil(IDC_BUTTON_PLAY_SELECTION, [&] { return Checked(selection); }));
    EXPECT_TRUE(WaitUntil([&] { return !Checked(selection); }, 4000)) << "it ends with the stream";
    EXPECT_TRUE(program.CloseNormally(w.main));
}

// The release package as package_test.py unpacked it: a file loaded through
// the open-file dialog, cut, and the window closed (what it wrote, and where,
// package_test.py judges).
TEST(Package, TheUnpackedProgramLoadsCutsAndCloses)
{
    const std::wstring folder = Variable(L"ZDV_PACKAGE_FOLDER"), source = Variable(L"ZDV_PACKAGE_SOURCE");
    if (folder.empty()) GTEST_SKIP() << "run by package_test.py";
    Program program(folder + L"\\ZorDU3Vodizaro.exe", Parent(folder));
    const Window w{program, program.WaitForMainWindow()};
    ASSERT_NE(w.main, nullptr);
    const std::string path = Cp936(source), title = path.substr(path.rfind('\\') + 1);
    w.Open(path);
    EXPECT_TRUE(w.ShowsSource(title, path));
    w.Box(IDC_BUTTON_CUT, "Zor DU3 Vodizaro", kCutDone, IDNO);
    EXPECT_TRUE(program.CloseNormally(w.main));
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv)
{
    e2e::Watchdog();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
