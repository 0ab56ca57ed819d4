// The compiled resources, read back from this test program (which links the
// program's resource objects): both dialog templates field by field, the
// icons with their image sizes and colour depths, the manifest, and the
// languages they carry.
#include "resource.h"
#include "window_layout.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 2052
constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);           // 1033

std::vector<BYTE> ResourceBytes(LPCSTR type, int id, WORD language)
{
    HRSRC found = FindResourceExA(nullptr, type, MAKEINTRESOURCEA(id), language);
    if (!found) return {};
    auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    return std::vector<BYTE>(data, data + SizeofResource(nullptr, found));
}

std::wstring Wide(const char* cp936)
{
    int n = MultiByteToWideChar(936, 0, cp936, -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    MultiByteToWideChar(936, 0, cp936, -1, out.data(), n);
    return out;
}

// Reads a dialog template (classic or extended) as the dialog manager does.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    BYTE Byte() { return Take<BYTE>(); }
    // A zero-terminated UTF-16 text.
    std::wstring Text()
    {
        std::wstring s;
        for (WORD c = Word(); c != 0; c = Word()) s += static_cast<wchar_t>(c);
        return s;
    }
    // An ordinal (0xFFFF, value) or a text: the window class, menu or title.
    std::wstring NameOrOrdinal()
    {
        WORD first = Take<WORD>(false);
        if (first == 0xFFFF) {
            Word();
            switch (Word()) {  // the predefined classes
            case 0x0080: return L"Button";
            case 0x0081: return L"Edit";
            case 0x0082: return L"Static";
            default: return L"#ordinal";
            }
        }
        return Text();
    }
    void AlignDword() { at_ = (at_ + 3) & ~size_t{3}; }
    bool Overrun() const { return overrun_; }

private:
    template <typename T>
    T Take(bool advance = true)
    {
        T value{};
        if (at_ + sizeof(T) > bytes_.size()) {
            overrun_ = true;
            return value;
        }
        memcpy(&value, bytes_.data() + at_, sizeof(T));
        if (advance) at_ += sizeof(T);
        return value;
    }
    const std::vector<BYTE>& bytes_;
    size_t at_ = 0;
    bool overrun_ = false;
};

void ExpectControl(TemplateReader& r, bool extended, const ExpectedControl& want)
{
    SCOPED_TRACE("control " + std::to_string(want.id) + " at " + std::to_string(want.x) + "," + std::to_string(want.y));
    r.AlignDword();
    DWORD style, exStyle;
    if (extended) {
        EXPECT_EQ(r.Dword(), 0u);  // help id
        exStyle = r.Dword();
        style = r.Dword();
    } else {
        style = r.Dword();
        exStyle = r.Dword();
    }
    EXPECT_EQ(style, want.style);
    EXPECT_EQ(exStyle, 0u);
    EXPECT_EQ(r.Short(), want.x);
    EXPECT_EQ(r.Short(), want.y);
    EXPECT_EQ(r.Short(), want.cx);
    EXPECT_EQ(r.Short(), want.cy);
    const int id = extended ? static_cast<int>(r.Dword() & 0xFFFF) : r.Word();
    EXPECT_EQ(id, want.id);
    EXPECT_EQ(_wcsicmp(r.NameOrOrdinal().c_str(), Wide(want.klass).c_str()), 0) << "class " << want.klass;
    EXPECT_EQ(r.NameOrOrdinal(), Wide(want.text));
    EXPECT_EQ(r.Word(), 0) << "no creation data";
}

// The template's header, then every control. A classic template starts with
// its style; an extended one with version 1, the signature 0xFFFF, a help id
// and the extended style, and its font carries weight, italic and charset.
void ExpectDialogTemplate(const std::vector<BYTE>& bytes, bool extended, const ExpectedDialog& want)
{
    TemplateReader r(bytes);
    if (extended) {
        EXPECT_EQ(r.Word(), 1) << "extended template version";
        EXPECT_EQ(r.Word(), 0xFFFF) << "extended template signature";
        EXPECT_EQ(r.Dword(), 0u) << "help id";
        EXPECT_EQ(r.Dword(), 0u) << "no extended style";
        EXPECT_EQ(r.Dword(), want.style);
    } else {
        EXPECT_EQ(r.Dword(), want.style);
        EXPECT_EQ(r.Dword(), 0u) << "no extended style";
    }
    ASSERT_EQ(r.Word(), want.count);
    EXPECT_EQ(r.Short(), want.x);
    EXPECT_EQ(r.Short(), want.y);
    EXPECT_EQ(r.Short(), want.cx);
    EXPECT_EQ(r.Short(), want.cy);
    EXPECT_EQ(r.NameOrOrdinal(), L"") << "no menu";
    EXPECT_EQ(r.NameOrOrdinal(), L"") << "the standard dialog class";
    EXPECT_EQ(r.Text(), Wide(want.caption));
    EXPECT_EQ(r.Word(), want.pointSize);
    if (extended) {
        r.Word();  // weight
        r.Byte();  // italic
        r.Byte();  // character set
    }
    EXPECT_EQ(r.Text(), Wide(want.face));
    for (int i = 0; i < want.count; ++i) ExpectControl(r, extended, want.controls[i]);
    EXPECT_FALSE(r.Overrun());
}

TEST(Resources, MainWindowTemplateIsClassicWithEveryControlInTabOrder)
{
    const std::vector<BYTE> bytes = ResourceBytes(RT_DIALOG, IDD_MAIN, kChinesePrc);
    ASSERT_FALSE(bytes.empty()) << "template 1000 in language 2052";
    ExpectDialogTemplate(bytes, false, kMainDialogLayout);
}

TEST(Resources, AboutBoxTemplateIsExtendedWithItsThreeControls)
{
    const std::vector<BYTE> bytes = ResourceBytes(RT_DIALOG, IDD_ABOUT, kChinesePrc);
    ASSERT_FALSE(bytes.empty()) << "template 104 in language 2052";
    ExpectDialogTemplate(bytes, true, kAboutDialogLayout);
    // The home page named in the text is the one the button opens.
    EXPECT_NE(Wide(kAboutDialogLayout.controls[0].text).find(L"/du3-vodizaro/"), std::wstring::npos);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

struct IconImage {
    int size;
    int bits;
    bool operator==(const IconImage& o) const { return size == o.size && bits == o.bits; }
};

std::vector<IconImage> IconImages(int id)
{
    std::vector<BYTE> bytes = ResourceBytes(RT_GROUP_ICON, id, kEnglishUs);
    std::vector<IconImage> images;
    if (bytes.size() < 6) return images;
    WORD count;
    memcpy(&count, bytes.data() + 4, 2);
    for (WORD i = 0; i < count && 6 + (i + 1) * sizeof(GroupIconEntry) <= bytes.size(); ++i) {
        GroupIconEntry e;
        memcpy(&e, bytes.data() + 6 + i * sizeof e, sizeof e);
        images.push_back({e.width ? e.width : 256, e.bitCount});
    }
    return images;
}

TEST(Resources, IconsHaveTheirSizesAndColourDepths)
{
    const std::vector<IconImage> fullColour = {{16, 8}, {16, 32}, {24, 8}, {24, 32}, {32, 8}, {32, 32}};
    const std::vector<IconImage> sixteenColours = {{16, 4}, {24, 4}, {32, 4}};
    // The program icon and every picture of the buttons; the small playback
    // and range pictures are 16-colour images.
    const int full[] = {IDI_PROGRAM,  IDI_EXIT_DOOR, IDI_TAG_ORANGE, IDI_HOME_PAGE, IDI_OK_TICK,
                        IDI_OPEN_OUTPUT, IDI_OPEN_FILE, IDI_CUT, IDI_BULK, IDI_ABOUT, IDI_TAG_GREY};
    const int small[] = {IDI_PLAY_OLIVE,       IDI_STOP_OLIVE,      IDI_PLAY_RANGE_OLIVE, IDI_RANGE_START_OLIVE,
                         IDI_RANGE_END_OLIVE,  IDI_PLAY_BLUE,       IDI_STOP_BLUE,        IDI_PLAY_RANGE_BLUE,
                         IDI_RANGE_START_BLUE, IDI_RANGE_END_BLUE};
    for (int id : full) EXPECT_EQ(IconImages(id), fullColour) << "icon " << id;
    for (int id : small) EXPECT_EQ(IconImages(id), sixteenColours) << "icon " << id;

    // What LoadIconA hands the skinned buttons: the 32 x 32 image.
    for (int id : full) {
        HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
        ASSERT_NE(icon, nullptr) << "icon " << id;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm = {};
        GetObjectA(info.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, 32) << "icon " << id;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}

TEST(Resources, ManifestAsksForCommonControls6OnX64)
{
    const std::vector<BYTE> bytes = ResourceBytes(MAKEINTRESOURCEA(24), 1, kEnglishUs);  // RT_MANIFEST
    ASSERT_FALSE(bytes.empty()) << "manifest 1 in language 1033";
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("<description>Zor DU3 Vodizaro</description>"), std::string::npos);
    EXPECT_NE(text.find("version=\"5.1.0.0\" processorArchitecture=\"amd64\""), std::string::npos);
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("processorArchitecture=\"amd64\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\""),
              std::string::npos);
    EXPECT_EQ(text.find("\"x86\""), std::string::npos) << "an x86 dependency does not load in a 64-bit process";
}

}  // namespace
