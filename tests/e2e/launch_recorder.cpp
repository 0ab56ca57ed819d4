// LaunchRecorder.exe: stands in for a program that the shell starts (the
// web browser, the folder window). Each start adds what follows the
// program's name on its command line, in code page 936, as one line to the
// .txt file of its own name beside it, and ends at once, showing nothing.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    wchar_t self[MAX_PATH];
    std::wstring record(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    record = record.substr(0, record.rfind(L'.')) + L".txt";
    const std::wstring commandLine = GetCommandLineW();
    size_t at = commandLine[0] == L'"' ? commandLine.find(L'"', 1) + 1 : commandLine.find(L' ');
    at = commandLine.find_first_not_of(L' ', std::min(at, commandLine.size()));
    const std::wstring line = (at == std::wstring::npos ? L"" : commandLine.substr(at)) + L"\n";
    char text[4096];
    const int bytes = WideCharToMultiByte(936, 0, line.c_str(), static_cast<int>(line.size()), text, sizeof text,
                                          nullptr, nullptr);
    HANDLE file = CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(bytes), &written, nullptr);
    CloseHandle(file);
    return 0;
}
