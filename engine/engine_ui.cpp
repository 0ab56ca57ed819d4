#include "engine_ui.h"

#include "os.h"

namespace {

// Used until the program installs its own: shows nothing, answers No.
class SilentUi : public EngineUi {
public:
    int ShowMessage(const char*, const char*, UINT flags) override { return (flags & MB_YESNO) ? IDNO : IDOK; }
    void ShowAudioError(const char*) override {}
    void PostOpenFileCommand() override {}
};

SilentUi g_silentUi;
EngineUi* g_installedUi = nullptr;

}  // namespace

void InstallEngineUi(EngineUi* ui)
{
    g_installedUi = ui;
}

EngineUi& CurrentEngineUi()
{
    return g_installedUi ? *g_installedUi : static_cast<EngineUi&>(g_silentUi);
}

void FormatAudioError(char (&out)[kAudioErrorTextBytes], const char* text, int code)
{
    OsFormat(out, sizeof out, "%s\n(错误码: %d)", text, code);
}
