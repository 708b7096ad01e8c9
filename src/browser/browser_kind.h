// Browser kinds and what the program knows about each: its DDE service, the name shown in
// the menus, the text its window titles carry, and how each open mode reaches it.
#pragma once
#include <string>
#include <string_view>

namespace perchlet {

enum BrowserKind : int {
    kBrowserNone = 0,       // empty path
    kBrowserIe = 1,         // iexplore
    kBrowserNetscape6 = 2,  // netscp
    kBrowserNetscape = 3,   // netscape
    kBrowserOpera = 4,
    kBrowserFirefox = 5,
    kBrowserMozilla = 6,
    kBrowserSleipnir = 7,
    kBrowserNotFound = 8,   // never derived from a path; a title text no browser shows
    kBrowserOther = 9,      // any other executable
    // Browsers without DDE, told by the program file's full name (name and ".exe").
    kBrowserChrome = 10,
    kBrowserEdge = 11,
    kBrowserBrave = 12,
    kBrowserVivaldi = 13,
    kBrowserChromium = 14,
};
constexpr int kFirstChromiumKind = kBrowserChrome;
constexpr int kLastChromiumKind = kBrowserChromium;
inline bool isChromiumKind(int kind) { return kind >= kFirstChromiumKind && kind <= kLastChromiumKind; }

// The file name without folder and extension, lower-cased byte by byte, decides. The kinds
// without DDE also need the ".exe", and Opera's "launcher.exe" counts as Opera inside an
// Opera folder.
int browserKindOf(std::string_view path);
const char* ddeServiceName(int kind);
// " " for kinds 0, 8 and 9.
const char* browserDisplayName(int kind);
// What the window titles of kinds 1-8 contain; nullptr for the others, which are told by
// their window class and title ending (browser_windows.h).
const char* windowTitleText(int kind);
// The first kind 1-8 whose title text occurs in the title (case-sensitive); 0 for none.
int browserKindOfTitle(std::string_view title);

// A slot path shorter than this counts as not configured.
constexpr std::size_t kMinBrowserPath = 3;
inline bool isBrowserConfigured(std::string_view path) { return path.size() >= kMinBrowserPath; }

enum class LaunchStyle : int { Reuse = 0, NewWindow = 1, PlacedWindow = 2, NewTab = 3 };

struct OpenModeTarget {
    int slot;  // 1-3; 0 = the double-click slot of the settings
    LaunchStyle style;
};
// Open modes 0-9; anything else is treated as 0.
OpenModeTarget openModeTarget(int openMode);
// The slot an open mode uses, given the setting "DefBrows" (0-2); 0 when it names none.
int slotOfOpenMode(int openMode, int doubleClickSetting);
// The open mode of commands 126 and 146-154; -1 for any other.
int openModeOfCommand(int command);
// "デフォルトブラウザ(%s)", "セカンドブラウザ(%s)", "サードブラウザ(%s)" with the display name.
std::string slotLabel(int slot, std::string_view browserPath);

// What the wait dialog does with a browser that is already running (reachable by DDE).
enum class RunningMethod {
    Nothing,            // kinds 0, 8, 9; kinds 1 and 3 asked for a tab
    StartWithAddress,   // "%s %s"
    KeysThenDde,        // type the shortcut into its window, then send the address
    StartSleipnir,      // "%s /m %s" for a window, "%s %s" for a tab
};
struct RunningPlan {
    RunningMethod method = RunningMethod::Nothing;
    bool alt = false;      // Ctrl+Alt+letter
    char letter = 0;       // 'N' or 'T'
    int finishDelayMs = 0; // the wait before the dialog closes (launch state 2 or 3)
};
RunningPlan runningPlan(int kind, LaunchStyle style);

// The launch worker's progress: it steps the bar when the integer square root of its pass
// number grows (passes 1, 4, 9, ... 484: 22 steps over its 500 passes), fast at first.
bool progressStepsAtPass(int pass);

// An address as it is handed to a browser: a double quote inside it would end the quoted
// field of the DDE item or split the command line, so it travels as %22. Every other byte,
// '%' included, is passed on as it is.
std::string addressForBrowser(std::string_view address);

// The item text of "WWW_OpenURL": "\"%s\",,0xFFFFFFFF,0x0,,," with the address.
std::string openUrlItem(std::string_view address);
// A DDE string handle holds at most 255 characters; a longer item cannot be sent.
constexpr std::size_t kDdeItemMax = 255;
inline bool fitsDdeItem(std::string_view item) { return item.size() <= kDdeItemMax; }

// "%s %s" (or "%s /m %s") with the browser path and the address; a path with blanks is
// quoted (quotes already in it are dropped first), an address with blanks is quoted.
std::string browserCommandLine(std::string_view browserPath, std::string_view address, bool newWindowFlag);
// The two parts of such a command line: the program and the address.
std::string programArgument(std::string_view browserPath);
std::string addressArgument(std::string_view address);

}  // namespace perchlet
