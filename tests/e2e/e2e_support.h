// Starting the real perchlet.exe as a separate process and watching its windows.
#pragma once
#include <string>
#include <vector>
#include <windows.h>

namespace perchlet::e2e {

struct Options {
    std::wstring perchletExe;  // Windows path
    std::wstring artifacts;    // Windows path of a folder for screenshots
};
Options& options();

std::wstring windowsPath(const std::string& unixOrWindowsPath);

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
    bool start(const std::wstring& exe, const std::wstring& workingFolder);
    bool waitForExit(DWORD milliseconds, DWORD& exitCode);
    void kill();
};

std::vector<HWND> topWindowsOf(DWORD processId, const wchar_t* className);
HWND waitForWindow(DWORD processId, const wchar_t* className, DWORD milliseconds);
std::wstring textOf(HWND window);
// The static text of a message box.
std::wstring messageBoxText(HWND box);

// Saves the whole screen as a BMP file.
bool saveScreenshot(const std::wstring& path);

}  // namespace perchlet::e2e
