// Times the real perchlet.exe opening data files at start-up: from process start to the
// caption "ListFile.dat - Perchlet", to the first answer to a sent message, and to the last
// tree item the view adds, with the longest a message waited meanwhile; End pressed at the
// caption (time to the next answer, and whether the last item stays selected); and the
// process's peak memory. A Windows program, run under Wine
// by bench/open_time.sh.
// Run: open_time_bench.exe path\to\perchlet.exe [runs]
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kHeader[] =
    "これは自動生成されたファイルです。編集しないで下さい。\r\n[Version]\r\nDataVersion=1.01\r\n";

// Records as the program writes them: serials count the records, depths as given.
class FileMaker {
public:
    FileMaker() : text_(kHeader) {}

    void add(unsigned kind, unsigned depth, const std::string& title, const std::string& locator) {
        ++count_;
        long number = static_cast<long>((kind << 28) | (depth << 16) | (count_ & 0xFFFF));
        char head[128];
        std::snprintf(head, sizeof head, "[List]\r\nItemNum=%ld\r\nTestNum=%lX\r\nParentNum=0\r\nTitleName=", number,
                      number);
        text_ += head;
        text_ += title;
        text_ += "\r\nLocator=" + locator + "\r\nComment=\r\nLastModified=000000\r\nLastVisit=";
        text_ += count_ % 3 == 0 ? "1700000000" : "";
        text_ += "\r\nAddDate=1690000000\r\nRcRight=0\r\nRcLeft=0\r\nRcTop=0\r\nRcBottom=0\r\nBrowser=0\r\nMark=";
        text_ += count_ % 50 == 0 ? "1" : "0";
        text_ += "\r\n\r\n";
    }
    void link(unsigned depth) {
        std::string n = std::to_string(count_ + 1);
        add(0, depth, "ページ " + n + " の題名", "http://www.example.com/pages/" + n + ".html");
    }
    const std::string& text() const { return text_; }
    unsigned count() const { return count_; }

private:
    std::string text_;
    unsigned count_ = 0;
};

std::string smallFile() {
    FileMaker file;
    file.add(1, 1, "VoZivoVaro", "");
    for (int folder = 1; folder <= 3; ++folder) {
        file.add(1, 2, "フォルダ " + std::to_string(folder), "");
        for (int i = 0; i < 2; ++i) file.link(3);
    }
    file.add(5, 2, "メール", "mailto:someone@example.com");
    file.link(2);
    return file.text();
}

std::string foldersOfLinks(int folders, int links) {
    FileMaker file;
    file.add(1, 1, "VoZivoVaro", "");
    for (int folder = 1; folder <= folders; ++folder) {
        file.add(1, 2, "フォルダ " + std::to_string(folder), "");
        for (int i = 0; i < links; ++i) file.link(3);
    }
    return file.text();
}

std::string linksUnderRoot(int links) {
    FileMaker file;
    file.add(1, 1, "VoZivoVaro", "");
    for (int i = 0; i < links; ++i) file.link(2);
    return file.text();
}

struct Case {
    const char* name;
    std::string text;
    bool pressEnd = false;  // End sent to the tree as soon as the caption shows
};

struct Result {
    double caption = -1;  // seconds from process start
    double answer = -1;   // first answer to WM_NULL
    double settled = -1;  // the tree view's item count stopped growing
    LRESULT items = 0;
    SIZE_T peakBytes = 0;
    double close = -1;    // from WM_CLOSE to the end of the process
    double endAnswer = -1;  // from End to the window's next answer
    double longestWait = 0; // the longest a message waited while the tree was being filled
    bool endIsLast = false; // after the fill, the selection is still the last item
};

double secondsSince(LARGE_INTEGER start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK findMainWindow(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (owner == search.processId && std::wstring(name) == L"perchlet-MainWndClass") {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// The caption as the window has it, read without sending it a message (a busy window would
// hold the reader up and hide the moment the caption changed).
std::wstring internalCaption(HWND window) {
    wchar_t text[256] = L"";
    InternalGetWindowText(window, text, 256);
    return text;
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Result openOnce(const std::wstring& exe, const std::wstring& folder, bool pressEnd) {
    Result result;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process))
        return result;
    CloseHandle(process.hThread);

    HWND window = nullptr;
    while (secondsSince(start) < 120) {
        if (!window) {
            Search search{process.dwProcessId, nullptr};
            EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&search));
            window = search.found;
        }
        if (window && internalCaption(window) == L"ListFile.dat - Perchlet") {
            result.caption = secondsSince(start);
            break;
        }
        Sleep(2);
    }
    if (window && result.caption >= 0) {
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer))
            result.answer = secondsSince(start);
        HWND tree = GetDlgItem(window, 90);
        if (pressEnd) {
            LARGE_INTEGER pressed;
            QueryPerformanceCounter(&pressed);
            PostMessageW(tree, WM_KEYDOWN, VK_END, 0);
            if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer))
                result.endAnswer = secondsSince(pressed);
        }
        LRESULT previous = -1;
        for (int unchanged = 0; unchanged < 3 && secondsSince(start) < 120;) {
            DWORD_PTR count = 0;
            LARGE_INTEGER asked;
            QueryPerformanceCounter(&asked);
            SendMessageTimeoutW(tree, TVM_GETCOUNT, 0, 0, SMTO_NORMAL, 60000, &count);
            result.longestWait = std::max(result.longestWait, secondsSince(asked));
            if (static_cast<LRESULT>(count) == previous) {
                ++unchanged;
            } else {
                unchanged = 0;
                previous = static_cast<LRESULT>(count);
                result.settled = secondsSince(start);
            }
            Sleep(100);
        }
        result.items = previous;
        DWORD_PTR caret = 0, last = 0;
        SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_NORMAL, 60000, &caret);
        SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_LASTVISIBLE, 0, SMTO_NORMAL, 60000, &last);
        result.endIsLast = caret != 0 && caret == last;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) result.peakBytes = memory.PeakWorkingSetSize;
    LARGE_INTEGER closing;
    QueryPerformanceCounter(&closing);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) result.close = secondsSince(closing);
    else TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: open_time_bench perchlet.exe [runs]\n");
        return 2;
    }
    std::wstring exe = argv[1];
    int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;

    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"perchlet-open-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    writeFile(folder + L"\\inifile.ini", "[Option]\r\nFileOpen=1\r\n");

    std::vector<Case> cases;
    cases.push_back({"12 items", smallFile()});
    cases.push_back({"1,000 folders of 100 links", foldersOfLinks(1000, 100)});
    cases.push_back({"100,000 links under the root", linksUnderRoot(100000)});
    cases.push_back({"the same, End at the caption", cases.back().text, true});

    std::printf("%-30s %9s %10s %9s %9s %9s %10s %8s\n", "file (best of runs)", "bytes", "caption s", "answer s",
                "all shown", "items", "peak MiB", "close s");
    double smallCaption = 0;
    for (const Case& c : cases) {
        writeFile(folder + L"\\ListFile.dat", c.text);
        Result best;
        for (int run = 0; run < runs; ++run) {
            Result r = openOnce(exe, folder, c.pressEnd);
            if (best.caption < 0 || (r.caption >= 0 && r.caption < best.caption)) best = r;
        }
        if (smallCaption == 0) smallCaption = best.caption;
        std::printf("%-30s %9zu %10.2f %9.2f %9.2f %9ld %10.1f %8.2f   (%.1fx the 12-item caption; answer %.2f s after it)\n",
                    c.name, c.text.size(), best.caption, best.answer, best.settled, static_cast<long>(best.items),
                    static_cast<double>(best.peakBytes) / (1024.0 * 1024.0), best.close,
                    smallCaption > 0 ? best.caption / smallCaption : 0.0, best.answer - best.caption);
        std::printf("%-30s longest wait for an answer while filling %.2f s", "", best.longestWait);
        if (c.pressEnd)
            std::printf("; End answered in %.2f s, %s", best.endAnswer,
                        best.endIsLast ? "on the last item" : "NOT on the last item");
        std::printf("\n");
        std::fflush(stdout);
    }
    DeleteFileW((folder + L"\\ListFile.dat").c_str());
    DeleteFileW((folder + L"\\inifile.ini").c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
