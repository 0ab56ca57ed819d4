#include "settings.h"

#include "app_state.h"
#include "diag_log.h"
#include "os.h"

namespace {
const char kSection[] = "设置";
const char kKeyFolderFlag[] = "bFolder";
const char kKeyFileTitle[] = "文件";
const char kKeySourcePath[] = "文件夹";
const char kKeyOutputFolder[] = "输出";
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
    if (g_state.szOutputFolder[0] == '\0') OsMusicFolder(g_state.szOutputFolder, kTextBufferBytes);
    g_log.Print("输出路径: %s", g_state.szOutputFolder);
}

void SaveSettings()
{
    PutIniInt(kSection, kKeyFolderFlag, g_state.bFolder);
    PutIniString(kSection, kKeyFileTitle, g_state.szFileTitle);
    PutIniString(kSection, kKeySourcePath, g_state.szSourcePath);
    PutIniString(kSection, kKeyOutputFolder, g_state.szOutputFolder);
}
