// The program's version as a user meets it in three places, read from the
// built files themselves: the version resource of ZorDU3Vodizaro.exe (what
// the file's properties show), the first line of its About box, and the name
// of the release package. All three must name the same version.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring ProgramPath()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\')) + L"\\ZorDU3Vodizaro.exe";
}

struct VersionResource {
    bool found = false;
    VS_FIXEDFILEINFO fixed{};
    std::vector<BYTE> block;
    // A value of the string table "080403a8" (Chinese PRC, code page 936).
    std::wstring Value(const wchar_t* name) const
    {
        std::wstring key = std::wstring(L"\\StringFileInfo\\080403a8\\") + name;
        void* value = nullptr;
        UINT chars = 0;
        if (!VerQueryValueW(block.data(), key.c_str(), &value, &chars) || !value) return L"<missing>";
        return static_cast<const wchar_t*>(value);
    }
};

VersionResource ReadVersion(const std::wstring& file)
{
    VersionResource version;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return version;
    version.block.resize(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, version.block.data())) return version;
    void* fixed = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(version.block.data(), L"\\", &fixed, &bytes) || bytes < sizeof(VS_FIXEDFILEINFO)) return version;
    memcpy(&version.fixed, fixed, sizeof(VS_FIXEDFILEINFO));
    version.found = true;
    return version;
}

// "1.0.0" from the fixed part (the fourth number must be 0).
std::wstring ThreeNumbers(DWORD ms, DWORD ls)
{
    return std::to_wstring(HIWORD(ms)) + L"." + std::to_wstring(LOWORD(ms)) + L"." + std::to_wstring(HIWORD(ls));
}

// The first line of the About box's text: the first text of dialog template
// 104 that begins with the program's name and a "v".
std::wstring AboutFirstLine(const std::wstring& file)
{
    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return L"<program not loaded>";
    std::wstring line = L"<no version line>";
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(104), MAKEINTRESOURCEW(5) /* RT_DIALOG */)) {
        auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
        std::wstring text(reinterpret_cast<const wchar_t*>(bytes), SizeofResource(module, found) / sizeof(wchar_t));
        size_t at = text.find(L"Zor DU3 Vodizaro v");
        if (at != std::wstring::npos) line = text.substr(at, text.find_first_of(L"\n", at) - at);
    }
    FreeLibrary(module);
    return line;
}

// The names of the release packages in the package folder.
std::vector<std::wstring> PackageZips()
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"" ZDV_PACKAGE_DIR "\\*-win64.zip", &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::string ReadSource(const char* name)
{
    std::ifstream file(std::string(ZDV_SOURCE_DIR "/") + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class Version : public testing::Test {
protected:
    void SetUp() override
    {
        resource_ = ReadVersion(ProgramPath());
        ASSERT_TRUE(resource_.found) << "ZorDU3Vodizaro.exe has no version resource";
        version_ = ThreeNumbers(resource_.fixed.dwFileVersionMS, resource_.fixed.dwFileVersionLS);
    }
    VersionResource resource_;
    std::wstring version_;  // "1.0.0"
};

TEST_F(Version, ResourceGivesOneVersionForFileAndProductWithADescription)
{
    EXPECT_EQ(version_, L"1.0.0");
    EXPECT_EQ(LOWORD(resource_.fixed.dwFileVersionLS), 0);
    EXPECT_EQ(resource_.fixed.dwProductVersionMS, resource_.fixed.dwFileVersionMS);
    EXPECT_EQ(resource_.fixed.dwProductVersionLS, resource_.fixed.dwFileVersionLS);
    EXPECT_EQ(resource_.fixed.dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(resource_.Value(L"FileVersion"), version_);
    EXPECT_EQ(resource_.Value(L"ProductVersion"), version_);
    EXPECT_EQ(resource_.Value(L"ProductName"), L"Zor DU3 Vodizaro");
    EXPECT_EQ(resource_.Value(L"OriginalFilename"), L"ZorDU3Vodizaro.exe");
    // Stored as UTF-16 from the code page 936 script.
    EXPECT_EQ(resource_.Value(L"FileDescription"), L"Zor DU3 Vodizaro - MP3 无损剪切 (逐帧复制，不重新编码)");
}

TEST_F(Version, AboutBoxShowsTheMajorAndMinorVersion)
{
    const std::wstring shortVersion = version_.substr(0, version_.rfind(L'.'));  // "1.0"
    EXPECT_EQ(AboutFirstLine(ProgramPath()), L"Zor DU3 Vodizaro v" + shortVersion);
    EXPECT_EQ(AboutFirstLine(ProgramPath()), L"Zor DU3 Vodizaro v1.0");
}

TEST_F(Version, PackageAndReadmesCarryTheSameVersion)
{
    const std::wstring zip = L"ZorDU3Vodizaro-" + version_ + L"-win64.zip";
    std::vector<std::wstring> zips = PackageZips();
    ASSERT_EQ(zips.size(), 1u) << "one package in " << ZDV_PACKAGE_DIR;
    EXPECT_EQ(zips[0], zip);
    for (const char* readme : {"README.md", "README.zh-CN.md"})
        EXPECT_NE(ReadSource(readme).find(Utf8(zip)), std::string::npos) << readme << " names the package";
}

}  // namespace
