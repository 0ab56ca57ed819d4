#include "shell_launches.h"

#include <gtest/gtest.h>

namespace e2e {

namespace {

const wchar_t kRecorder[] = L"LaunchRecorder.exe";
const wchar_t kRecord[] = L"launches.txt";

bool KeyExists(const std::wstring& path)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::wstring FromUtf8(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::vector<std::wstring> RecordedLaunches(const ProgramCopy& copy)
{
    std::vector<std::wstring> lines;
    const std::wstring text = FromUtf8(copy.Read(kRecord));
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

std::wstring InstallLaunchRecorder(const ProgramCopy& copy)
{
    const std::wstring path = copy.PathOf(kRecorder);
    EXPECT_TRUE(CopyFileW((BinFolder() + L"\\" + kRecorder).c_str(), path.c_str(), FALSE));
    return path;
}

std::vector<std::wstring> WaitForLaunches(const ProgramCopy& copy, size_t count, DWORD timeoutMs)
{
    WaitUntil([&] { return RecordedLaunches(copy).size() >= count; }, timeoutMs);
    return RecordedLaunches(copy);
}

std::wstring ArgumentsOf(const std::wstring& commandLine)
{
    size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        at = commandLine.find(L'"', 1);
        at = at == std::wstring::npos ? commandLine.size() : at + 1;
    } else {
        at = std::min(commandLine.find(L' '), commandLine.size());
    }
    while (at < commandLine.size() && commandLine[at] == L' ') ++at;
    return commandLine.substr(at);
}

ShellCommandOverride::ShellCommandOverride(const std::wstring& classKey, const std::wstring& command)
    : classKey_(L"Software\\Classes\\" + classKey + L"\\shell\\open\\command")
{
    // The first missing key of the path, which goes again at the end.
    size_t at = classKey_.find(L'\\', classKey_.find(L"\\Classes\\") + 9);
    for (;; at = classKey_.find(L'\\', at + 1)) {
        const std::wstring part = classKey_.substr(0, at);
        if (!KeyExists(part)) {
            createdFrom_ = part;
            break;
        }
        if (at == std::wstring::npos) break;
    }
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, classKey_.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot write the registry key " << Cp936(classKey_);
        return;
    }
    DWORD bytes = 0;
    if (RegQueryValueExW(key, nullptr, nullptr, &oldType_, nullptr, &bytes) == ERROR_SUCCESS) {
        oldValue_.resize(bytes);
        hadValue_ = RegQueryValueExW(key, nullptr, nullptr, &oldType_, oldValue_.data(), &bytes) == ERROR_SUCCESS;
    }
    EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

ShellCommandOverride::~ShellCommandOverride()
{
    if (!createdFrom_.empty()) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, createdFrom_.c_str());
        return;
    }
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, classKey_.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    if (hadValue_) {
        RegSetValueExW(key, nullptr, 0, oldType_, oldValue_.data(), static_cast<DWORD>(oldValue_.size()));
    } else {
        RegDeleteValueW(key, nullptr);
    }
    RegCloseKey(key);
}

}  // namespace e2e
