#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "store/plain_text.h"

using namespace perchlet;

namespace {

struct FakeStartup : StartupEnvironment {
    std::map<std::string, std::string> values;  // "Section/Key" -> value
    std::vector<std::string> calls;
    std::string browserCommand;
    ScreenRect work{0, 0, 1024, 740};
    int defaultWidth = 264;
    struct Placement { int x, y, width, height; bool topMost; };
    std::vector<Placement> placements;

    std::optional<std::string> profileValue(const char* section, const char* key) override {
        calls.push_back(key);
        auto it = values.find(std::string(section) + "/" + key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    ScreenRect workArea() override { return work; }
    int defaultMainWidth() override { return defaultWidth; }
    void loadStartupDataFile(const Settings&) override { calls.push_back("<load>"); }
    std::string defaultBrowserCommand() override {
        calls.push_back("<registry>");
        return browserCommand;
    }
    void placeMainWindow(int x, int y, int width, int height, bool topMost) override {
        calls.push_back("<place>");
        placements.push_back({x, y, width, height, topMost});
    }
};

}  // namespace

TEST(StartupSettings, WithoutFileOpenNothingElseIsRead) {
    FakeStartup startup;
    startup.values = {{"Option/BackFile", "1"}, {"Window/TopMost", "0"}, {"Window/MainWidth", "500"}};
    Settings settings;
    EXPECT_FALSE(readStartupSettings(settings, startup));
    EXPECT_EQ(startup.calls, std::vector<std::string>{"FileOpen"});
    EXPECT_TRUE(settings.topMost);
    EXPECT_EQ(settings.backupFile, 0);
    EXPECT_TRUE(startup.placements.empty());

    startup.values["Option/FileOpen"] = "";  // an empty value counts as absent
    startup.calls.clear();
    EXPECT_FALSE(readStartupSettings(settings, startup));
}

TEST(StartupSettings, KeysAreReadInTheirOrderWithTheLoadAndLookupBetween) {
    FakeStartup startup;
    startup.values = {{"Option/FileOpen", "1"}};
    Settings settings;
    ASSERT_TRUE(readStartupSettings(settings, startup));
    const std::vector<std::string> expected = {
        "FileOpen", "BackFile", "DataPass", "<load>", "DefBrows", "<registry>", "BrowsPass1", "BrowsPass2",
        "BrowsPass3", "AutoHyde", "TopMost", "MainXPos", "MainYPos", "MainWidth", "MainHight", "<place>",
        "BrowsXPos", "BrowsYPos", "BrowsWidth", "BrowsHight", "Alignment"};
    EXPECT_EQ(startup.calls, expected);
    // Defaults of absent keys.
    EXPECT_FALSE(settings.topMost);
    EXPECT_EQ(settings.mainWidth, "264");
    EXPECT_EQ(settings.mainHeight, "800");
    EXPECT_EQ(settings.browserX, "250");
    EXPECT_EQ(settings.browserWidth, "640");
    ASSERT_EQ(startup.placements.size(), 1u);
    EXPECT_EQ(startup.placements[0].width, 264);
    EXPECT_EQ(startup.placements[0].height, 800);
    EXPECT_FALSE(startup.placements[0].topMost);
}

// Only the built-in width follows the scale and the menu bar; a width the file gives is
// pixels, at any scale.
TEST(StartupSettings, TheBuiltInWidthIsTheWindowsOwn) {
    FakeStartup startup;
    startup.defaultWidth = 396;
    startup.values = {{"Option/FileOpen", "0"}};
    Settings settings;
    ASSERT_TRUE(readStartupSettings(settings, startup));
    EXPECT_EQ(settings.mainWidth, "396");
    startup.values["Window/MainWidth"] = "300";
    ASSERT_TRUE(readStartupSettings(settings, startup));
    EXPECT_EQ(settings.mainWidth, "300");
    EXPECT_EQ(startup.placements.back().width, 300);
}

TEST(StartupSettings, FileOpenZeroReadsEverythingButLoadsNothing) {
    FakeStartup startup;
    startup.values = {{"Option/FileOpen", "0"},    {"Option/BackFile", "1"},     {"Option/DefBrows", "2"},
                      {"Option/BrowsPass1", "C:\\b1.exe"}, {"Option/BrowsPass3", "x"},
                      {"Window/AutoHyde", "1"},    {"Window/TopMost", "1 "},     {"Window/MainXPos", "100"},
                      {"Window/MainYPos", ""},     {"Window/MainWidth", "MAX"}, {"Window/MainHight", ""},
                      {"Window/BrowsXPos", ""},    {"Window/BrowsHight", "MAX"}, {"Window/BrowsYPos", "40"},
                      {"Window/Alignment", "2"}};
    Settings settings;
    ASSERT_TRUE(readStartupSettings(settings, startup));
    EXPECT_EQ(std::count(startup.calls.begin(), startup.calls.end(), "<load>"), 0);
    EXPECT_FALSE(settings.dataAtStart);
    EXPECT_EQ(settings.backupFile, 1);
    EXPECT_EQ(settings.doubleClickSlotIndex, 2);
    EXPECT_FALSE(settings.registryBrowser);
    EXPECT_EQ(settings.browserPath[0], "C:\\b1.exe");
    EXPECT_EQ(settings.browserPath[2], "x");
    EXPECT_TRUE(settings.autoHide);
    EXPECT_FALSE(settings.topMost);  // only exactly "1" counts
    EXPECT_EQ(settings.mainY, "");   // present but empty stays empty...
    EXPECT_TRUE(settings.mainWidthMax);
    EXPECT_EQ(settings.mainWidth, "924");  // work area 1024 wide, X at 100
    EXPECT_EQ(settings.mainHeight, "800");  // ...but an empty size counts as missing
    EXPECT_EQ(settings.browserX, "250");
    EXPECT_TRUE(settings.browserHeightMax);
    EXPECT_EQ(settings.browserHeight, "700");
    EXPECT_EQ(settings.alignment, 2);
    ASSERT_EQ(startup.placements.size(), 1u);
    EXPECT_EQ(startup.placements[0].x, 100);
    EXPECT_EQ(startup.placements[0].y, 0);
    EXPECT_EQ(startup.placements[0].width, 924);
}

TEST(StartupSettings, RegistryBrowserReplacesBrowsPass1) {
    FakeStartup startup;
    startup.values = {{"Option/FileOpen", "0"}, {"Option/BrowsPass1", "C:\\mine.exe"}};
    startup.browserCommand = "\"C:\\Program Files\\Web\\web.exe\" -osint -url \"%1\"";
    Settings settings;
    ASSERT_TRUE(readStartupSettings(settings, startup));
    EXPECT_TRUE(settings.registryBrowser);
    EXPECT_EQ(settings.browserPath[0], "C:\\Program Files\\Web\\web.exe");
    EXPECT_EQ(std::count(startup.calls.begin(), startup.calls.end(), "BrowsPass1"), 0);
}

TEST(DefaultBrowser, CommandsBecomeExecutablePaths) {
    EXPECT_EQ(browserPathFromCommand("\"C:\\windows\\system32\\winebrowser.exe\" \"%1\""),
              "C:\\windows\\system32\\winebrowser.exe");
    EXPECT_EQ(browserPathFromCommand("C:\\PROGRA~1\\WEB\\WEB.EXE %1"), "C:\\PROGRA~1\\WEB\\WEB.EXE");
    EXPECT_EQ(browserPathFromCommand("abcd"), "");
    EXPECT_EQ(browserPathFromCommand("C:\\browser -nohome"), "C:\\browser -nohome");
}

TEST(StartupDataFile, DataPassWithAndWithoutDrive) {
    StartupDataFile withDrive = startupDataFile("D:\\bm\\mine.dat", "C:\\app");
    EXPECT_EQ(withDrive.fileName, "mine.dat");
    EXPECT_EQ(withDrive.filePath, "D:\\bm\\mine.dat");
    StartupDataFile relative = startupDataFile("sub\\mine.dat", "C:\\app");
    EXPECT_EQ(relative.fileName, "sub\\mine.dat");
    EXPECT_EQ(relative.filePath, "C:\\app\\sub\\mine.dat");
    StartupDataFile none = startupDataFile("", "C:\\app");
    EXPECT_EQ(none.fileName, "ListFile.dat");
    EXPECT_EQ(none.filePath, "C:\\app\\ListFile.dat");
    // 表 is 95 5C: its second byte is not a folder separator.
    EXPECT_EQ(fileNameOf("C:\\dir\\表.dat"), "表.dat");
    EXPECT_EQ(baseNameOf("C:\\dir\\list.file.dat"), "list.file");
    EXPECT_EQ(sizeFromSetting("MAX", "100", 1280), 1180);
    EXPECT_EQ(sizeFromSetting(" 42px", "100", 1280), 42);
}

// "DataPass" is UTF-8: the last byte of 한 (ED 95 9C) followed by a backslash is no Shift-JIS
// character hiding the separator.
TEST(StartupDataFile, Utf8PathsSplitAtTheirSeparators) {
    StartupDataFile withDrive = startupDataFile(u8"D:\\한\\mine.dat", "C:\\app");
    EXPECT_EQ(withDrive.fileName, "mine.dat");
    const std::string name = u8"😀\\本.dat";
    StartupDataFile relative = startupDataFile(name, u8"C:\\Café");
    EXPECT_EQ(relative.fileName, name);
    const std::string path = u8"C:\\Café\\😀\\本.dat";
    EXPECT_EQ(relative.filePath, path);
}
