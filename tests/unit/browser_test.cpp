// Browser kinds, open modes, the texts handed to browsers, and the window information reply.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/browser_kind.h"
#include "browser/dde_reply.h"

using namespace perchlet;

TEST(BrowserKind, FromThePathsFileName) {
    struct Case { const char* path; BrowserKind kind; const char* service; const char* name; };
    const Case cases[] = {
        {"", BrowserKind::None, "IEXPLORE", " "},
        {"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE", BrowserKind::Ie, "IEXPLORE", "IEXPLORE"},
        {"C:\\n6\\netscp.exe", BrowserKind::Netscape6, "Netscape6", "Netscape6"},
        {"C:\\n4\\Netscape.exe", BrowserKind::Netscape, "NETSCAPE", "NETSCAPE"},
        {"D:/opera/opera.exe", BrowserKind::Opera, "Opera", "Opera"},
        {"C:\\Mozilla Firefox\\FIREFOX.EXE", BrowserKind::Firefox, "Firefox", "Firefox"},
        {"\"C:\\a b\\firefox.exe\"", BrowserKind::Firefox, "Firefox", "Firefox"},  // quotes around a typed path
        {"mozilla", BrowserKind::Mozilla, "Mozilla", "Mozilla"},
        {"C:\\s\\sleipnir.exe", BrowserKind::Sleipnir, "SLEIPNIR", "SLEIPNIR"},
        {"C:\\f\\firefox2.exe", BrowserKind::Other, "IEXPLORE", " "},
        {"C:\\firefox.d\\chrome", BrowserKind::Other, "IEXPLORE", " "},  // a dot in the folder is no extension
        {"C:\\x\\firefox.old.exe", BrowserKind::Other, "IEXPLORE", " "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        BrowserKind kind = browserKindOf(c.path);
        EXPECT_EQ(kind, c.kind);
        EXPECT_STREQ(ddeServiceName(kind), c.service);
        EXPECT_STREQ(browserDisplayName(kind), c.name);
    }
    EXPECT_STREQ(ddeServiceName(BrowserKind::NotFound), "IEXPLORE");
    EXPECT_STREQ(ddeServiceName(static_cast<BrowserKind>(-3)), "IEXPLORE");
}

TEST(BrowserKind, FromAWindowTitleInKindOrder) {
    struct Case { const char* title; BrowserKind kind; };
    const Case cases[] = {
        {"Start - Microsoft Internet Explorer", BrowserKind::Ie},
        {"Netscape", BrowserKind::Netscape6},  // Netscape6 is tried before Netscape
        {"page - Mozilla Firefox", BrowserKind::Firefox},  // Firefox before Mozilla
        {"Mozilla", BrowserKind::Mozilla}, {"x - Opera", BrowserKind::Opera},
        {"Sleipnir - x", BrowserKind::Sleipnir}, {"Not Found", BrowserKind::NotFound},
        {"firefox", BrowserKind::None}, {"", BrowserKind::None},  // case-sensitive
    };
    for (const Case& c : cases) EXPECT_EQ(browserKindOfTitle(c.title), c.kind) << c.title;
}

TEST(OpenModes, CommandsSlotsAndStyles) {
    struct Case { int command; OpenMode mode; BrowserSlot slot; LaunchStyle style; };
    const Case cases[] = {
        {126, OpenMode::DoubleClickSlot, BrowserSlot::None, LaunchStyle::Reuse},
        {147, OpenMode::FirstNewWindow, BrowserSlot::First, LaunchStyle::NewWindow},
        {146, OpenMode::FirstPlacedWindow, BrowserSlot::First, LaunchStyle::PlacedWindow},
        {148, OpenMode::FirstNewTab, BrowserSlot::First, LaunchStyle::NewTab},
        {150, OpenMode::SecondNewWindow, BrowserSlot::Second, LaunchStyle::NewWindow},
        {149, OpenMode::SecondPlacedWindow, BrowserSlot::Second, LaunchStyle::PlacedWindow},
        {151, OpenMode::SecondNewTab, BrowserSlot::Second, LaunchStyle::NewTab},
        {153, OpenMode::ThirdNewWindow, BrowserSlot::Third, LaunchStyle::NewWindow},
        {152, OpenMode::ThirdPlacedWindow, BrowserSlot::Third, LaunchStyle::PlacedWindow},
        {154, OpenMode::ThirdNewTab, BrowserSlot::Third, LaunchStyle::NewTab},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(openModeOfCommand(c.command), c.mode);
        OpenModeTarget target = openModeTarget(c.mode);
        EXPECT_EQ(target.slot, c.slot);
        EXPECT_EQ(target.style, c.style);
    }
    EXPECT_EQ(openModeOfCommand(145), OpenMode::None);
    EXPECT_EQ(openModeOfCommand(155), OpenMode::None);
    // Mode 0 follows "DefBrows"; a value outside 0-2 names no slot.
    EXPECT_EQ(slotOfOpenMode(OpenMode::DoubleClickSlot, 0), BrowserSlot::First);
    EXPECT_EQ(slotOfOpenMode(OpenMode::DoubleClickSlot, 2), BrowserSlot::Third);
    EXPECT_EQ(slotOfOpenMode(OpenMode::DoubleClickSlot, 3), BrowserSlot::None);
    EXPECT_EQ(slotOfOpenMode(OpenMode::DoubleClickSlot, -1), BrowserSlot::None);
    EXPECT_EQ(slotOfOpenMode(OpenMode::SecondPlacedWindow, 2), BrowserSlot::Second);
}

TEST(OpenModes, RunningBrowserPlanPerKindAndStyle) {
    struct Case { BrowserKind kind; LaunchStyle style; RunningMethod method; bool alt; char letter; int delay; };
    const Case cases[] = {
        {BrowserKind::Ie, LaunchStyle::NewWindow, RunningMethod::StartWithAddress, false, 0, 1000},
        {BrowserKind::Ie, LaunchStyle::NewTab, RunningMethod::Nothing, false, 0, 1000},
        {BrowserKind::Netscape, LaunchStyle::PlacedWindow, RunningMethod::StartWithAddress, false, 0, 1000},
        {BrowserKind::Netscape6, LaunchStyle::NewWindow, RunningMethod::KeysThenDde, false, 'N', 500},
        {BrowserKind::Netscape6, LaunchStyle::NewTab, RunningMethod::KeysThenDde, false, 'T', 500},
        {BrowserKind::Opera, LaunchStyle::Reuse, RunningMethod::KeysThenDde, true, 'N', 500},
        {BrowserKind::Opera, LaunchStyle::NewTab, RunningMethod::KeysThenDde, false, 'N', 500},
        {BrowserKind::Firefox, LaunchStyle::PlacedWindow, RunningMethod::KeysThenDde, false, 'N', 500},
        {BrowserKind::Mozilla, LaunchStyle::NewTab, RunningMethod::KeysThenDde, false, 'T', 500},
        {BrowserKind::Sleipnir, LaunchStyle::NewWindow, RunningMethod::StartSleipnir, false, 0, 500},
        {BrowserKind::None, LaunchStyle::NewWindow, RunningMethod::Nothing, false, 0, 0},
        {BrowserKind::NotFound, LaunchStyle::NewWindow, RunningMethod::Nothing, false, 0, 0},
        {BrowserKind::Other, LaunchStyle::Reuse, RunningMethod::Nothing, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind) * 10 + static_cast<int>(c.style));
        RunningPlan plan = runningPlan(c.kind, c.style);
        EXPECT_EQ(plan.method, c.method);
        EXPECT_EQ(plan.alt, c.alt);
        EXPECT_EQ(plan.letter, c.letter);
        EXPECT_EQ(plan.finishDelayMs, c.delay);
    }
}

TEST(OpenModes, SlotLabelsCarryTheDisplayName) {
    EXPECT_EQ(slotLabel(BrowserSlot::First, "C:\\x\\iexplore.exe"), "デフォルトブラウザ(IEXPLORE)");
    EXPECT_EQ(slotLabel(BrowserSlot::Second, "C:\\x\\firefox.exe"), "セカンドブラウザ(Firefox)");
    EXPECT_EQ(slotLabel(BrowserSlot::Third, ""), "サードブラウザ(未設定)");
    EXPECT_EQ(slotLabel(BrowserSlot::First, "C:\\windows\\system32\\winebrowser.EXE"), "デフォルトブラウザ(winebrowser)");
    EXPECT_FALSE(isBrowserConfigured("ab"));
    EXPECT_TRUE(isBrowserConfigured("a.e"));
}

TEST(BrowserTexts, AddressesInItemsAndCommandLines) {
    struct Case { const char* path; const char* address; bool slash_m; const char* item; const char* line; };
    const Case cases[] = {
        {"C:\\f\\firefox.exe", "http://a/", false, "\"http://a/\",,0xFFFFFFFF,0x0,,,", "C:\\f\\firefox.exe http://a/"},
        // A quote cannot end the field or split the line; '%' is passed on untouched.
        {"C:\\f\\firefox.exe", "http://a/?q=\"x\"&p=%22%s", false,
         "\"http://a/?q=%22x%22&p=%22%s\",,0xFFFFFFFF,0x0,,,", "C:\\f\\firefox.exe http://a/?q=%22x%22&p=%22%s"},
        {"C:\\Program Files\\s\\sleipnir.exe", "http://a/b c\\", true, "\"http://a/b c\\\",,0xFFFFFFFF,0x0,,,",
         "\"C:\\Program Files\\s\\sleipnir.exe\" /m \"http://a/b c\\\\\""},
        {"\"C:\\a b\\opera.exe\"", "http://a/", false, nullptr, "\"C:\\a b\\opera.exe\" http://a/"},
        // A trail byte is never taken for a quote of its own.
        {"x.exe", "http://a/\x83\x5C\"", false, "\"http://a/\x83\x5C%22\",,0xFFFFFFFF,0x0,,,", "x.exe http://a/\x83\x5C%22"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        if (c.item) {
            EXPECT_EQ(openUrlItem(c.address), c.item);
        }
        EXPECT_EQ(browserCommandLine(c.path, c.address, c.slash_m), c.line);
    }
}

TEST(BrowserTexts, LongAddressesDoNotFitADdeItem) {
    // "\"" + address + "\",,0xFFFFFFFF,0x0,,," is 21 bytes besides the address.
    EXPECT_TRUE(fitsDdeItem(openUrlItem(std::string(234, 'a'))));
    EXPECT_FALSE(fitsDdeItem(openUrlItem(std::string(235, 'a'))));
    EXPECT_FALSE(fitsDdeItem(openUrlItem("http://a/" + std::string(391, 'q'))));
    EXPECT_LE(openUrlItem(std::string(5000, 'a')).size(), 1023u);
}

TEST(OpenModes, ProgressStepsAtTheSquares) {
    std::vector<int> steps;
    for (int pass = 0; pass < 500; ++pass)
        if (progressStepsAtPass(pass)) steps.push_back(pass);
    ASSERT_EQ(steps.size(), 22u);
    EXPECT_EQ(steps.front(), 1);
    EXPECT_EQ(steps[1], 4);
    EXPECT_EQ(steps.back(), 484);
}

TEST(WindowInfoReply, Fields) {
    struct Case { std::string reply; const char* address; const char* title; const char* third; };
    const Case cases[] = {
        {"\"http://a/\",\"Title\"", "http://a/", "Title", ""},
        {"\"http://a/\",\"say \\\"hi\\\" \\\\ ok\",\"3rd\"", "http://a/", "say \"hi\" \\ ok", "3rd"},
        {"http://a/,,,\"t\"", "http://a/,,,", "t", ""},  // no opening quote: up to the first quote
        {"no quotes at all", "no quotes at all", "", ""},
        {"", "", "", ""},
        {"\"a\",\"\x83\x5C\x83\x5C\"", "a", "\x83\x5C\x83\x5C", ""},  // trail 0x5C is no backslash
        {"\"a\",\"t\\", "a", "t", ""},                                 // lone backslash at the end
        {"\"a\",\"t\x83", "a", "t", ""},                               // lone lead byte at the end
        {"\"a\\\x83\"\",\"t\"", "a\x83\"", "t", ""},               // an escaped two-byte character
        {"\"a\\\x83", "a", "", ""},                                  // ... cut off by the end
        {std::string("\"a\",\"t\0\",\"x\"", 12), "a", "t", ""},       // the text ends at a NUL
        {"\"a\",\"\xC6\xFC\xCB\xDC\"", "a", "日本", ""},                // EUC-JP title
        // ISO-2022-JP: "日本" is 46 7C 4B 5C, whose 0x5C is part of the character.
        {"\"a\",\"\x1B$B\x46\x7C\x4B\x5C\x1B(B!\",\"\x1B$B\x46\x7C\x1B(B\"", "a", "日本!", "\x1B$B\x46\x7C\x1B(B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        BrowserPage page = parseWindowInfoReply(c.reply);
        EXPECT_EQ(page.address, c.address);
        EXPECT_EQ(page.title, c.title);
        EXPECT_EQ(page.third, c.third);
    }
}

TEST(WindowInfoReply, HugeFieldsAreCutAtACharacterBoundary) {
    std::string title;
    title += 'x';
    for (int i = 0; i < 600; ++i) title += "\x93\xFA";  // 1201 bytes, pairs start at odd offsets
    std::string reply = "\"" + std::string(1 << 20, 'u') + "\",\"" + title + "\",\"" + std::string(2000, 'c');
    BrowserPage page = parseWindowInfoReply(reply);
    EXPECT_EQ(page.address.size(), 1023u);
    EXPECT_EQ(page.title.size(), 1023u);  // 'x' and 511 whole pairs
    EXPECT_EQ(page.title.substr(1021), "\x93\xFA");
    EXPECT_EQ(page.third.size(), 1023u);
}

TEST(WindowInfoReply, AddressesHoldNoLineBreaksOrControlCharacters) {
    struct Case { std::string reply; const char* address; };
    const Case cases[] = {
        {"\"http://evil.example/\r\n[List]\r\nItemNum=1\",\"Title\",\"c\"", "http://evil.example/[List]ItemNum=1"},
        {"\"http://a/\tb\x1B[2Jc\x7F\",\"t\"", "http://a/b[2Jc"},
        {"\"http://a/\x83\x5C\r\n\",\"t\"", "http://a/\x83\x5C"},  // a two-byte character stays whole
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(parseWindowInfoReply(c.reply).address, c.address);
    }
}
