// Today's browsers: their program files, windows, command lines, and the default browser
// as the user chose it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "browser/browser_command_lines.h"
#include "browser/browser_kind.h"
#include "browser/browser_windows.h"
#include "browser/default_browser.h"
#include "settings/settings.h"

using namespace perchlet;

TEST(ModernBrowsers, KindsFromTheProgramFile) {
    struct Case { const char* path; BrowserKind kind; const char* name; };
    const Case cases[] = {
        {"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", BrowserKind::Chrome, "Chrome"},
        {"\"C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\MSEDGE.EXE\"", BrowserKind::Edge, "Edge"},
        {"C:\\b\\brave.exe", BrowserKind::Brave, "Brave"},
        {"C:\\v\\Vivaldi.exe", BrowserKind::Vivaldi, "Vivaldi"},
        {"C:\\c\\chromium.exe", BrowserKind::Chromium, "Chromium"},
        {"C:\\c\\chrome", BrowserKind::Other, " "},          // only the program file itself
        {"C:\\c\\chrome.old.exe", BrowserKind::Other, " "},
        {"C:\\Users\\u\\AppData\\Local\\Programs\\Opera\\launcher.exe", BrowserKind::Opera, "Opera"},
        {"C:\\Opera GX\\Launcher.exe", BrowserKind::Opera, "Opera"},
        {"C:\\Games\\launcher.exe", BrowserKind::Other, " "},
        {"C:\\NotOpera\\launcher.exe", BrowserKind::Other, " "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(browserKindOf(c.path), c.kind);
        EXPECT_STREQ(browserDisplayName(browserKindOf(c.path)), c.name);
    }
    EXPECT_EQ(slotLabel(BrowserSlot::First, "C:\\e\\msedge.exe"), "デフォルトブラウザ(Edge)");
    EXPECT_EQ(runningPlan(BrowserKind::Chrome, LaunchStyle::NewTab).method, RunningMethod::Nothing);
}

TEST(ModernBrowsers, WindowsByClassAndTitleEnding) {
    const std::u16string chromium = u"Chrome_WidgetWin_1", mozilla = u"MozillaWindowClass", plain = u"Plain";
    struct Case { const std::u16string* className; std::u16string title; BrowserKind wanted; BrowserKind kind; std::u16string page; };
    const Case cases[] = {
        {&chromium, u"News - Google Chrome", kAnyBrowserKind, BrowserKind::Chrome, u"News"},
        {&chromium, u"New tab - Personal - Microsoft\u200B Edge", kAnyBrowserKind, BrowserKind::Edge, u"New tab - Personal"},
        {&chromium, u"x - Microsoft Edge", BrowserKind::Edge, BrowserKind::Edge, u"x"},
        {&chromium, u"x - Brave", kAnyBrowserKind, BrowserKind::Brave, u"x"},
        {&chromium, u"x - Vivaldi", BrowserKind::Vivaldi, BrowserKind::Vivaldi, u"x"},
        {&chromium, u"x - Chromium", kAnyBrowserKind, BrowserKind::Chromium, u"x"},
        {&chromium, u"x - Opera", kAnyBrowserKind, BrowserKind::Opera, u"x"},
        // The page title does not decide: a Chrome window about Firefox is Chrome's.
        {&chromium, u"Firefox download - Google Chrome", kAnyBrowserKind, BrowserKind::Chrome, u"Firefox download"},
        {&chromium, u"Firefox download - Google Chrome", BrowserKind::Firefox, BrowserKind::None, u"Firefox download"},
        {&mozilla, u"Opera \u2014 Mozilla Firefox", kAnyBrowserKind, BrowserKind::Firefox, u"Opera"},
        {&mozilla, u"x - Mozilla Firefox", BrowserKind::Firefox, BrowserKind::Firefox, u"x"},
        // Other classes keep the old title rule, and the endings need their class.
        {&plain, u"x - Google Chrome", kAnyBrowserKind, BrowserKind::None, u"x - Google Chrome"},
        {&plain, u"x - Mozilla Firefox", kAnyBrowserKind, BrowserKind::Firefox, u"x - Mozilla Firefox"},
        {&plain, u"Netscape", kAnyBrowserKind, BrowserKind::Netscape6, u"Netscape"},
        {&chromium, u"Google Chrome", kAnyBrowserKind, BrowserKind::None, u"Google Chrome"},
        {&chromium, u"x - Google Chrome", BrowserKind::Edge, BrowserKind::None, u"x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.title.begin(), c.title.end()));
        EXPECT_EQ(browserKindOfWindow(*c.className, c.title, c.wanted), c.kind);
        EXPECT_EQ(pageTitleOfWindow(*c.className, c.title), c.page);
    }
    EXPECT_EQ(browserKindOfWindow(u"ExploreWClass", u"C:\\ - Internet Explorer", kAnyBrowserKind), BrowserKind::None);
}

TEST(ModernBrowsers, WholeAddressesFromTheAddressBar) {
    struct Case { std::u16string text; bool whole; };
    const Case cases[] = {
        {u"https://a.example/p?q=1", true}, {u"about:blank", true}, {u"file:///C:/x.html", true},
        {u"view-source:https://a/", true}, {u"a.example/p", false}, {u"localhost:8080/x", false},
        {u"a.example/x:y", false}, {u"", false}, {u":x", false}, {u"1http://a", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isWholeAddress(c.text), c.whole) << std::string(c.text.begin(), c.text.end());
}

TEST(ModernBrowsers, CommandLinesPerDialectAndStyle) {
    struct Case { BrowserKind kind; bool dde; LaunchStyle style; const char* line; };
    const char* address = "http://a/";
    const Case cases[] = {
        {BrowserKind::Chrome, false, LaunchStyle::Reuse, "C:\\c\\b.exe --single-argument http://a/"},
        {BrowserKind::Edge, false, LaunchStyle::NewTab, "C:\\c\\b.exe --single-argument http://a/"},
        {BrowserKind::Brave, false, LaunchStyle::NewWindow, "C:\\c\\b.exe --new-window --single-argument http://a/"},
        {BrowserKind::Vivaldi, false, LaunchStyle::PlacedWindow, "C:\\c\\b.exe --new-window --single-argument http://a/"},
        {BrowserKind::Opera, false, LaunchStyle::NewWindow, "C:\\c\\b.exe --new-window --single-argument http://a/"},
        {BrowserKind::Firefox, false, LaunchStyle::Reuse, "C:\\c\\b.exe -osint -url http://a/"},
        {BrowserKind::Firefox, false, LaunchStyle::NewTab, "C:\\c\\b.exe -osint -url http://a/"},
        {BrowserKind::Firefox, false, LaunchStyle::NewWindow, "C:\\c\\b.exe -new-window http://a/"},
        {BrowserKind::Firefox, false, LaunchStyle::PlacedWindow, "C:\\c\\b.exe -new-window http://a/"},
        {BrowserKind::Firefox, true, LaunchStyle::NewWindow, nullptr},  // DDE and keys, as ever
        {BrowserKind::Opera, true, LaunchStyle::NewWindow, nullptr},
        {BrowserKind::Ie, false, LaunchStyle::NewWindow, nullptr},
        {BrowserKind::Other, false, LaunchStyle::NewWindow, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind) * 10 + static_cast<int>(c.style));
        CommandLineDialect dialect = commandLineDialect(c.kind, c.dde);
        EXPECT_EQ(dialect == CommandLineDialect::None, c.line == nullptr);
        if (c.line) {
            EXPECT_EQ(dialectCommandLine(dialect, "C:\\c\\b.exe", address, c.style), c.line);
        }
    }
    EXPECT_EQ(dialectCommandLine(CommandLineDialect::Chromium, "C:\\Program Files\\c.exe", "http://a/b c\"",
                                 LaunchStyle::NewWindow),
              "\"C:\\Program Files\\c.exe\" --new-window --single-argument http://a/b c%22");
    EXPECT_EQ(dialectCommandLine(CommandLineDialect::Firefox, "C:\\f.exe", "http://a/b c", LaunchStyle::NewTab),
              "C:\\f.exe -osint -url \"http://a/b c\"");
}

// Browsers trim Unicode white space and C0 controls from an argument before they look for
// a switch; what is left decides.
TEST(ModernBrowsers, AddressesThatBrowsersReadAsSwitches) {
    struct Case { std::u16string address; bool isSwitch; };
    const Case cases[] = {
        {u"--renderer-cmd-prefix=x", true}, {u"-new-instance", true}, {u"/high-dpi-support=1", true},
        {u"\u3000--gpu-launcher=calc.exe", true}, {u"\u00A0--gpu-launcher=calc.exe", true},
        {u"\u2028--gpu-launcher=calc.exe", true}, {u"\v--x", true}, {u"\f--x", true}, {u"\r--x", true},
        {u"\t--x", true}, {u" \u0085\u1680\u2000\u200A\u2029\u202F\u205F\u3000/x", true},
        {std::u16string(u"\0-x", 3), true}, {u"\x1F-x", true},
        {u"%2D--gpu-launcher=calc.exe", false}, {u"http://a/--x", false}, {u"a.example", false}, {u"", false},
        {u"\u3000\t", false}, {u"\u200B--x", false},  // a zero-width space is no white space
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(looksLikeSwitch(c.address), c.isSwitch);
    }
    // The program's own text, as it reaches the command line.
    EXPECT_TRUE(looksLikeSwitch(std::string_view("\x81\x40--gpu-launcher=calc.exe")));
    EXPECT_FALSE(looksLikeSwitch(std::string_view("%2D--gpu-launcher=calc.exe")));
}

// A registered default browser is started with its own arguments around the address.
TEST(DefaultBrowser, RegisteredArgumentsHoldTheAddress) {
    struct Case { const char* command; const char* arguments; const char* address; const char* line; };
    const Case cases[] = {
        {"\"C:\\b\\web.exe\" --single-argument %1", "--single-argument %1", "http://a/b c",
         "C:\\b\\web.exe --single-argument http://a/b c"},
        {"\"C:\\b\\web.exe\" -osint -url \"%1\"", "-osint -url \"%1\"", "http://a/\"q\"",
         "C:\\b\\web.exe -osint -url \"http://a/%22q%22\""},
        {"C:\\B\\WEB.EXE %L", "%L", "http://a/b c", "C:\\B\\WEB.EXE \"http://a/b c\""},
        {"C:\\b\\web.exe -nohome", "-nohome", "http://a/", "C:\\b\\web.exe -nohome http://a/"},
        {"\"C:\\b\\web.exe\"", "", "http://a/", "C:\\b\\web.exe http://a/"},
        {"C:\\browser -nohome", "", "http://a/", "C:\\b\\web.exe http://a/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(registeredArguments(c.command), c.arguments);
        std::string path = browserPathFromCommand(c.command);
        if (path.find(".exe") == std::string::npos && path.find(".EXE") == std::string::npos) path = "C:\\b\\web.exe";
        EXPECT_EQ(withRegisteredArguments(path, c.arguments, c.address), c.line);
    }
}

TEST(DefaultBrowser, UserChoiceFirstThenHtml) {
    using Values = std::map<std::string, std::string>;
    struct Case { Values choices; Values classes; const char* command; };
    const std::string html = ".html";
    const char* edge = "\"C:\\e\\msedge.exe\" --single-argument %1";
    const char* firefox = "\"C:\\f\\firefox.exe\" -osint -url \"%1\"";
    const Case cases[] = {
        {{{"https", "MSEdgeHTM"}}, {{"MSEdgeHTM\\shell\\open\\command", edge}, {html, "FirefoxHTML"},
                                    {"FirefoxHTML\\shell\\open\\command", firefox}}, edge},
        {{{"http", "MSEdgeHTM"}}, {{"MSEdgeHTM\\shell\\open\\command", edge}}, edge},
        // A choice without an open command (or none at all) leaves the ".html" association.
        {{{"https", "AppXq0fevzme2pys62n3e0fbqa7peapykr8v"}}, {{html, "FirefoxHTML"},
                                    {"FirefoxHTML\\shell\\open\\command", firefox}}, firefox},
        {{}, {{html, "FirefoxHTML"}, {"FirefoxHTML\\shell\\open\\command", firefox}}, firefox},
        {{}, {{html, "FirefoxHTML"}}, ""},
        {{}, {}, ""},
        // The ".html" handler keeps its old limit; a chosen ProgId is not held to it.
        {{}, {{html, std::string(45, 'h')}, {std::string(45, 'h') + "\\shell\\open\\command", "x.exe"}}, ""},
        {{{"https", std::string(45, 'p')}}, {{std::string(45, 'p') + "\\shell\\open\\command", "p.exe"}}, "p.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        DefaultBrowserRegistry registry;
        registry.userChoiceProgId = [&](std::string_view scheme) {
            auto it = c.choices.find(std::string(scheme));
            return it == c.choices.end() ? std::string() : it->second;
        };
        registry.classesDefault = [&](const std::string& key) {
            auto it = c.classes.find(key);
            return it == c.classes.end() ? std::string() : it->second;
        };
        EXPECT_EQ(defaultBrowserCommand(registry), c.command);
    }
}
