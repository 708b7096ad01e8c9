// Browser kinds and what the program knows about each: its DDE service, the name shown in
// the menus, the text its window titles carry, and how each open mode reaches it.
#pragma once
#include <string>
#include <string_view>

namespace perchlet {

enum class BrowserKind : int {
    None = 0,        // empty path
    Ie = 1,          // iexplore
    Netscape6 = 2,   // netscp
    Netscape = 3,    // netscape
    Opera = 4,
    Firefox = 5,
    Mozilla = 6,
    Sleipnir = 7,
    NotFound = 8,    // never derived from a path; a title text no browser shows
    Other = 9,       // any other executable
    // Browsers without DDE, told by the program file's full name (name and ".exe").
    Chrome = 10,
    Edge = 11,
    Brave = 12,
    Vivaldi = 13,
    Chromium = 14,
};
// As the wanted kind of a window search: a window of any kind will do.
constexpr BrowserKind kAnyBrowserKind = BrowserKind::None;
constexpr BrowserKind kFirstChromiumKind = BrowserKind::Chrome;
constexpr BrowserKind kLastChromiumKind = BrowserKind::Chromium;
inline bool isChromiumKind(BrowserKind kind) { return kind >= kFirstChromiumKind && kind <= kLastChromiumKind; }

// The file name without folder and extension, lower-cased byte by byte, decides. The kinds
// without DDE also need the ".exe", and Opera's "launcher.exe" counts as Opera inside an
// Opera folder.
BrowserKind browserKindOf(std::string_view path);
const char* ddeServiceName(BrowserKind kind);
// " " for None, NotFound and Other.
const char* browserDisplayName(BrowserKind kind);
// What the window titles of the kinds Ie to NotFound contain; nullptr for the others, which
// are told by their window class and title ending (browser_windows.h).
const char* windowTitleText(BrowserKind kind);
// The first kind from Ie to NotFound whose title text occurs in the title (case-sensitive);
// None for none.
BrowserKind browserKindOfTitle(std::string_view title);

// A slot path shorter than this counts as not configured.
constexpr std::size_t kMinBrowserPath = 3;
inline bool isBrowserConfigured(std::string_view path) { return path.size() >= kMinBrowserPath; }

enum class LaunchStyle : int { Reuse = 0, NewWindow = 1, PlacedWindow = 2, NewTab = 3 };

// The three browser slots of the settings ("BrowsPass1" to "BrowsPass3").
enum class BrowserSlot : int { None = 0, First = 1, Second = 2, Third = 3 };
constexpr BrowserSlot kBrowserSlots[] = {BrowserSlot::First, BrowserSlot::Second, BrowserSlot::Third};
// 1-3, as the slot is numbered in menus and setting names; 0 for None.
inline int slotNumber(BrowserSlot slot) { return static_cast<int>(slot); }
// 0-2, the slot's place in Settings::browserPath and the value "DefBrows" stores for it.
inline int slotIndex(BrowserSlot slot) { return slotNumber(slot) - 1; }
// The slot the stored "DefBrows" value names; None for a value outside 0-2.
BrowserSlot slotOfIndex(int index);

// How a link is opened: with the double-click slot in the window used last, or with one
// slot's browser in a new window, a new window at the link's rectangle, or a new tab.
enum class OpenMode : int {
    None = -1,  // a command that opens nothing
    DoubleClickSlot = 0,
    FirstNewWindow = 1,
    FirstPlacedWindow = 2,
    FirstNewTab = 3,
    SecondNewWindow = 4,
    SecondPlacedWindow = 5,
    SecondNewTab = 6,
    ThirdNewWindow = 7,
    ThirdPlacedWindow = 8,
    ThirdNewTab = 9,
};

struct OpenModeTarget {
    BrowserSlot slot;  // None: the double-click slot of the settings
    LaunchStyle style;
};
// Any mode without a slot of its own is treated as DoubleClickSlot.
OpenModeTarget openModeTarget(OpenMode openMode);
// The slot an open mode uses, given the setting "DefBrows" (0-2); None when it names none.
BrowserSlot slotOfOpenMode(OpenMode openMode, int doubleClickSlotIndex);
// The open mode of commands 126 and 146-154; None for any other.
OpenMode openModeOfCommand(int command);
// "デフォルトブラウザ(%s)", "セカンドブラウザ(%s)", "サードブラウザ(%s)" with the display name.
std::string slotLabel(BrowserSlot slot, std::string_view browserPath);

// What the wait dialog does with a browser that is already running (reachable by DDE).
enum class RunningMethod {
    Nothing,            // None, NotFound, Other; Ie and Netscape asked for a tab
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
RunningPlan runningPlan(BrowserKind kind, LaunchStyle style);

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
