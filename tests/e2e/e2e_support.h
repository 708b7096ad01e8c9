// Starting the real perchlet.exe as a separate process and watching its windows.
#pragma once
#include <string>
#include <vector>
#include <windows.h>

#include "store/document.h"

namespace perchlet::e2e {

// Bookmarks made as the program makes them, written out as the data file it would save.
class TestBookmarks {
public:
    TestBookmarks();
    NodeId root() const { return root_; }
    // A link, or a folder when the locator is empty, at the end of parent.
    NodeId add(NodeId parent, const char* title, const char* locator);
    std::string dataFile() const;

private:
    Document document_;
    NodeId root_;
};

struct Options {
    std::wstring perchletExe;  // Windows path
    std::wstring artifacts;    // Windows path of a folder for screenshots
};
Options& options();

std::wstring windowsPath(const std::string& unixOrWindowsPath);

// A started program; one still running when this goes away (a failed check) is ended,
// so that no test leaves it behind.
struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { kill(); }
    bool start(const std::wstring& exe, const std::wstring& workingFolder);
    bool waitForExit(DWORD milliseconds, DWORD& exitCode);
    void kill();
};

std::vector<HWND> topWindowsOf(DWORD processId, const wchar_t* className);
HWND waitForWindow(DWORD processId, const wchar_t* className, DWORD milliseconds);
std::wstring textOf(HWND window);
// The edit field of an open or save dialog's file name box, whichever layout the dialog has.
HWND fileNameEdit(HWND dialog);
// The static text of a message box.
std::wstring messageBoxText(HWND box);

// Saves the whole screen as a BMP file.
bool saveScreenshot(const std::wstring& path);
// Saves one rectangle of the screen as a BMP file.
bool saveScreenRect(const std::wstring& path, RECT rect);

}  // namespace perchlet::e2e
