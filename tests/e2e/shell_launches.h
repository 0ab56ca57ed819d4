// What the program asks the shell to start (the web browser, a folder
// window), seen through a recorder program that the tests register in the
// Wine prefix's registry in place of the real handler.
//
//     const std::wstring recorder = InstallLaunchRecorder(copy);
//     ShellCommandOverride browser(L"http", L"\"" + recorder + L"\" -url \"%1\"");
//     ... the program opens the home page ...
//     EXPECT_EQ(WaitForLaunches(copy, 1), ...);
#pragma once

#include "harness.h"

#include <string>
#include <vector>

namespace e2e {

// Copies the recorder (LaunchRecorder.exe) into the copy's folder and
// returns its path there. It adds the command line of each start to
// launches.txt beside it.
std::wstring InstallLaunchRecorder(const ProgramCopy& copy);

// The command lines the recorder in copy's folder was started with, in
// order, once there are count of them (or as many as came within timeoutMs).
std::vector<std::wstring> WaitForLaunches(const ProgramCopy& copy, size_t count, DWORD timeoutMs = kWaitMs);

// What follows the program's name in a command line (the name quoted or
// not, and the spaces after it).
std::wstring ArgumentsOf(const std::wstring& commandLine);

// For its life, command is the default value of
// HKEY_LOCAL_MACHINE\Software\Classes\<classKey>\shell\open\command (what
// HKEY_CLASSES_ROOT shows under Wine); afterwards the value that was there
// comes back, or the value and the keys it created go.
class ShellCommandOverride {
public:
    ShellCommandOverride(const std::wstring& classKey, const std::wstring& command);
    ~ShellCommandOverride();
    ShellCommandOverride(const ShellCommandOverride&) = delete;
    ShellCommandOverride& operator=(const ShellCommandOverride&) = delete;

private:
    std::wstring classKey_;
    std::wstring createdFrom_;  // the first key it created; empty when none
    bool hadValue_ = false;
    DWORD oldType_ = REG_SZ;
    std::vector<BYTE> oldValue_;
};

}  // namespace e2e
