#include "settings.h"

#include "app_state.h"
#include "diag_log.h"
#include "os.h"
#include "wide_paths.h"

#include <string>

namespace {
const char kSection[] = "设置";
const char kKeyFolderFlag[] = "bFolder";
const char kKeyFileTitle[] = "文件";
const char kKeySourcePath[] = "文件夹";
const char kKeyOutputFolder[] = "输出";
// Beside a path that code page 936 cannot hold: its UTF-16 original, four
// hexadecimal digits a unit.
const char kKeySourceOriginal[] = "文件夹 (UTF-16)";
const char kKeyOutputOriginal[] = "输出 (UTF-16)";
constexpr size_t kOriginalValueBytes = 4 * 1024 + 1;

void SaveOriginal(const char* key, const char16_t* original)
{
    if (!original) return;
    std::string hex;
    char unit[8];
    for (const char16_t* c = original; *c; ++c) hex.append(unit, OsFormat(unit, sizeof unit, "%04X", unsigned(*c)));
    PutIniString(kSection, key, hex.c_str());
}

// The original stored beside a path is taken when the path's text is what
// code page 936 makes of it; an older settings.ini has none.
void RestoreOriginal(const char* key, char* text, char16_t** original)
{
    std::string hex(kOriginalValueBytes, '\0');
    OsProfileGetString(kSection, key, &hex[0], hex.size(), g_state.szIniPath);
    hex.resize(hex.find('\0'));
    std::u16string path;
    for (size_t k = 0; k + 4 <= hex.size() && hex.find_first_not_of("0123456789ABCDEF") == std::string::npos; k += 4)
        path += static_cast<char16_t>(std::stoul(hex.substr(k, 4), nullptr, 16));
    if (path.empty() || path.find(u'\0') != std::u16string::npos || OsUtf16ToAnsi(path.c_str(), path.size()) != text)
        return;
    SetStatePath(text, original, path);
}

}  // namespace

int GetIniInt(const char* section, const char* key)
{
    return OsProfileGetInt(section, key, 0, g_state.szIniPath);
}

void GetIniString(const char* section, const char* key, char* buffer)
{
    OsProfileGetString(section, key, buffer, kIniValueBytes, g_state.szIniPath);
}

void PutIniInt(const char* section, const char* key, int value)
{
    char text[16];
    OsFormat(text, sizeof text, "%d", value);
    PutIniString(section, key, text);
}

void PutIniString(const char* section, const char* key, const char* text)
{
    OsProfilePutString(section, key, text, g_state.szIniPath);
}

void LoadSettings()
{
    g_state.bFolder = GetIniInt(kSection, kKeyFolderFlag);
    GetIniString(kSection, kKeyFileTitle, g_state.szFileTitle);
    GetIniString(kSection, kKeySourcePath, g_state.szSourcePath);
    GetIniString(kSection, kKeyOutputFolder, g_state.szOutputFolder);
    RestoreOriginal(kKeySourceOriginal, g_state.szSourcePath, &g_state.wszSourcePath);
    RestoreOriginal(kKeyOutputOriginal, g_state.szOutputFolder, &g_state.wszOutputFolder);
    if (g_state.szOutputFolder[0] == '\0') OsMusicFolder(g_state.szOutputFolder, kTextBufferBytes);
    g_log.Print("输出路径: %s", g_state.szOutputFolder);
}

void SaveSettings()
{
    PutIniInt(kSection, kKeyFolderFlag, g_state.bFolder);
    PutIniString(kSection, kKeyFileTitle, g_state.szFileTitle);
    PutIniString(kSection, kKeySourcePath, g_state.szSourcePath);
    PutIniString(kSection, kKeyOutputFolder, g_state.szOutputFolder);
    SaveOriginal(kKeySourceOriginal, g_state.wszSourcePath);
    SaveOriginal(kKeyOutputOriginal, g_state.wszOutputFolder);
}
