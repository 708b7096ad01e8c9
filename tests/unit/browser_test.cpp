// Browser kinds, open modes, the texts handed to browsers, and the window information reply.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/browser_kind.h"
#include "browser/dde_reply.h"

using namespace perchlet;

TEST(BrowserKind, FromThePathsFileName) {
    struct Case { const char* path; int kind; const char* service; const char* name; };
    const Case cases[] = {
        {"", 0, "IEXPLORE", " "},
        {"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE", 1, "IEXPLORE", "IEXPLORE"},
        {"C:\\n6\\netscp.exe", 2, "Netscape6", "Netscape6"},
        {"C:\\n4\\Netscape.exe", 3, "NETSCAPE", "NETSCAPE"},
        {"D:/opera/opera.exe", 4, "Opera", "Opera"},
        {"C:\\Mozilla Firefox\\FIREFOX.EXE", 5, "Firefox", "Firefox"},
        {"\"C:\\a b\\firefox.exe\"", 5, "Firefox", "Firefox"},  // quotes around a typed path
        {"mozilla", 6, "Mozilla", "Mozilla"},
        {"C:\\s\\sleipnir.exe", 7, "SLEIPNIR", "SLEIPNIR"},
        {"C:\\f\\firefox2.exe", 9, "IEXPLORE", " "},
        {"C:\\firefox.d\\chrome", 9, "IEXPLORE", " "},  // a dot in the folder is no extension
        {"C:\\x\\firefox.old.exe", 9, "IEXPLORE", " "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        int kind = browserKindOf(c.path);
        EXPECT_EQ(kind, c.kind);
        EXPECT_STREQ(ddeServiceName(kind), c.service);
        EXPECT_STREQ(browserDisplayName(kind), c.name);
    }
    EXPECT_STREQ(ddeServiceName(8), "IEXPLORE");
    EXPECT_STREQ(ddeServiceName(-3), "IEXPLORE");
}

TEST(BrowserKind, FromAWindowTitleInKindOrder) {
    struct Case { const char* title; int kind; };
    const Case cases[] = {
        {"Start - Microsoft Internet Explorer", 1}, {"Netscape", 2},  // 2 is tried before 3
        {"page - Mozilla Firefox", 5},  // Firefox (5) before Mozilla (6)
        {"Mozilla", 6}, {"x - Opera", 4}, {"Sleipnir - x", 7}, {"Not Found", 8},
        {"firefox", 0}, {"", 0},  // case-sensitive
    };
    for (const Case& c : cases) EXPECT_EQ(browserKindOfTitle(c.title), c.kind) << c.title;
}

TEST(OpenModes, CommandsSlotsAndStyles) {
    struct Case { int command; int mode; int slot; LaunchStyle style; };
    const Case cases[] = {
        {126, 0, 0, LaunchStyle::Reuse},
        {147, 1, 1, LaunchStyle::NewWindow}, {146, 2, 1, LaunchStyle::PlacedWindow}, {148, 3, 1, LaunchStyle::NewTab},
        {150, 4, 2, LaunchStyle::NewWindow}, {149, 5, 2, LaunchStyle::PlacedWindow}, {151, 6, 2, LaunchStyle::NewTab},
        {153, 7, 3, LaunchStyle::NewWindow}, {152, 8, 3, LaunchStyle::PlacedWindow}, {154, 9, 3, LaunchStyle::NewTab},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(openModeOfCommand(c.command), c.mode);
        OpenModeTarget target = openModeTarget(c.mode);
        EXPECT_EQ(target.slot, c.slot);
        EXPECT_EQ(target.style, c.style);
    }
    EXPECT_EQ(openModeOfCommand(145), -1);
    EXPECT_EQ(openModeOfCommand(155), -1);
    // Mode 0 follows "DefBrows"; a value outside 0-2 names no slot.
    EXPECT_EQ(slotOfOpenMode(0, 0), 1);
    EXPECT_EQ(slotOfOpenMode(0, 2), 3);
    EXPECT_EQ(slotOfOpenMode(0, 3), 0);
    EXPECT_EQ(slotOfOpenMode(0, -1), 0);
    EXPECT_EQ(slotOfOpenMode(5, 2), 2);
}

TEST(OpenModes, RunningBrowserPlanPerKindAndStyle) {
    struct Case { int kind; LaunchStyle style; RunningMethod method; bool alt; char letter; int delay; };
    const Case cases[] = {
        {1, LaunchStyle::NewWindow, RunningMethod::StartWithAddress, false, 0, 1000},
        {1, LaunchStyle::NewTab, RunningMethod::Nothing, false, 0, 1000},
        {3, LaunchStyle::PlacedWindow, RunningMethod::StartWithAddress, false, 0, 1000},
        {2, LaunchStyle::NewWindow, RunningMethod::KeysThenDde, false, 'N', 500},
        {2, LaunchStyle::NewTab, RunningMethod::KeysThenDde, false, 'T', 500},
        {4, LaunchStyle::Reuse, RunningMethod::KeysThenDde, true, 'N', 500},
        {4, LaunchStyle::NewTab, RunningMethod::KeysThenDde, false, 'N', 500},
        {5, LaunchStyle::PlacedWindow, RunningMethod::KeysThenDde, false, 'N', 500},
        {6, LaunchStyle::NewTab, RunningMethod::KeysThenDde, false, 'T', 500},
        {7, LaunchStyle::NewWindow, RunningMethod::StartSleipnir, false, 0, 500},
        {0, LaunchStyle::NewWindow, RunningMethod::Nothing, false, 0, 0},
        {8, LaunchStyle::NewWindow, RunningMethod::Nothing, false, 0, 0},
        {9, LaunchStyle::Reuse, RunningMethod::Nothing, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind * 10 + static_cast<int>(c.style));
        RunningPlan plan = runningPlan(c.kind, c.style);
        EXPECT_EQ(plan.method, c.method);
        EXPECT_EQ(plan.alt, c.alt);
        EXPECT_EQ(plan.letter, c.letter);
        EXPECT_EQ(plan.finishDelayMs, c.delay);
    }
}

TEST(OpenModes, SlotLabelsCarryTheDisplayName) {
    EXPECT_EQ(slotLabel(1, "C:\\x\\iexplore.exe"), "デフォルトブラウザ(IEXPLORE)");
    EXPECT_EQ(slotLabel(2, "C:\\x\\firefox.exe"), "セカンドブラウザ(Firefox)");
    EXPECT_EQ(slotLabel(3, ""), "サードブラウザ( )");
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
