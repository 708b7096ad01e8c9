#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/profile_text.h"
#include "settings/settings.h"

using namespace perchlet;

namespace {

// A literal with NUL bytes in it, whole.
template <std::size_t N>
std::string bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

struct ProfileCase {
    const char* name;
    std::string before;
    std::vector<ProfileEntry> entries;
    std::string after;
};

}  // namespace

TEST(ProfileText, SetsValuesAndKeepsEverythingElse) {
    const ProfileCase cases[] = {
        {"empty file gets sections in order", "",
         {{"Option", "FileOpen", "1"}, {"Option", "DataPass", ""}, {"Window", "TopMost", "0"}},
         "[Option]\r\nFileOpen=1\r\nDataPass=\r\n\r\n[Window]\r\nTopMost=0\r\n"},
        {"existing key changes in its own line, names in any case", "[option]\r\nfileopen = 0\r\nX=1\r\n",
         {{"Option", "FileOpen", "1"}},
         "[option]\r\nfileopen=1\r\nX=1\r\n"},
        {"missing key goes after the section's last line, before blank lines",
         "[Option]\r\nA=1\r\n\r\n[Other]\r\nB=2\r\n",
         {{"Option", "FileOpen", "1"}},
         "[Option]\r\nA=1\r\nFileOpen=1\r\n\r\n[Other]\r\nB=2\r\n"},
        {"unknown sections, keys and comments survive", "; mine\r\n[Mine]\r\nKey=\x82\xA0\r\n[Window]\r\nZ=9\r\n",
         {{"Window", "TopMost", "1"}, {"Option", "FileOpen", "1"}},
         "; mine\r\n[Mine]\r\nKey=\x82\xA0\r\n[Window]\r\nZ=9\r\nTopMost=1\r\n\r\n[Option]\r\nFileOpen=1\r\n"},
        {"CR-only and LF-only line ends become CR LF", "[Option]\rFileOpen=0\r[X]\nY=1\n",
         {{"Option", "FileOpen", "1"}},
         "[Option]\r\nFileOpen=1\r\n[X]\r\nY=1\r\n"},
        {"a key line without a value is that key", "[Option]\r\nFileOpen\r\n",
         {{"Option", "FileOpen", "1"}},
         "[Option]\r\nFileOpen=1\r\n"},
        {"only the first of twin sections and keys changes", "[Option]\r\nA=1\r\nA=2\r\n[Option]\r\nA=3\r\n",
         {{"Option", "A", "9"}},
         "[Option]\r\nA=9\r\nA=2\r\n[Option]\r\nA=3\r\n"},
        {"a UTF-8 file keeps its mark and gets UTF-8 values", "\xEF\xBB\xBF[Option]\r\nK=\xE3\x81\x82\r\n",
         {{"Option", "DataPass", "\x82\xA0"}},
         "\xEF\xBB\xBF[Option]\r\nK=\xE3\x81\x82\r\nDataPass=\xE3\x81\x82\r\n"},
        {"a UTF-16 file stays UTF-16 in its byte order",
         bytes("\xFF\xFE[\0O\0]\0\r\0\n\0K\0=\0\x42\x30\x3D\xD8\x00\xDE\r\0\n\0"),
         {{"O", "P", "\x95\x5C"}},
         bytes("\xFF\xFE[\0O\0]\0\r\0\n\0K\0=\0\x42\x30\x3D\xD8\x00\xDE\r\0\n\0P\0=\0\x68\x88\r\0\n\0")},
        {"big-endian UTF-16 too", bytes("\xFE\xFF\0[\0O\0]\0\n"), {{"O", "P", "1"}},
         bytes("\xFE\xFF\0[\0O\0]\0\r\0\n\0P\0=\0\x31\0\r\0\n")},
        {"a line end inside a value cannot start a line", "", {{"Option", "DataPass", "a\r\n[Evil]"}},
         "[Option]\r\nDataPass=a  [Evil]\r\n"},
        {"a file without a last line end", "[Option]\r\nA=1", {{"Option", "B", "2"}},
         "[Option]\r\nA=1\r\nB=2\r\n"},
    };
    for (const ProfileCase& c : cases) EXPECT_EQ(setProfileValues(c.before, c.entries), c.after) << c.name;
}

TEST(ProfileText, Utf16WithoutAMarkStaysUtf16AndUnknownBytesAreNotEdited) {
    const ProfileCase recognised[] = {
        {"little-endian without a mark", bytes("[\0O\0]\0\r\0\n\0K\0=\0\x42\x30\r\0\n\0"), {{"O", "P", "\x95\x5C"}},
         bytes("[\0O\0]\0\r\0\n\0K\0=\0\x42\x30\r\0\n\0P\0=\0\x68\x88\r\0\n\0")},
        {"big-endian without a mark", bytes("\0[\0O\0]\0\n"), {{"O", "P", "1"}},
         bytes("\0[\0O\0]\0\r\0\n\0P\0=\0\x31\0\r\0\n")},
        {"a character with a NUL low byte (U+4E00) among ASCII",
         bytes("[\0O\0]\0\r\0\n\0K\0=\0\x00\x4E\r\0\n\0"), {{"O", "K", "1"}},
         bytes("[\0O\0]\0\r\0\n\0K\0=\0\x31\0\r\0\n\0")},
    };
    for (const ProfileCase& c : recognised) EXPECT_EQ(setProfileValues(c.before, c.entries), c.after) << c.name;

    const std::string unrecognised[] = {
        bytes("[\0O\0]\0\r\0\n\0K"),          // odd length
        bytes("[Option]\r\nFileOpen=0\0\r\n"),  // one stray NUL in Shift-JIS text
        bytes("\0\0[\0\0O]\0"),                 // NULs on both sides alike
    };
    for (const std::string& text : unrecognised)
        EXPECT_EQ(setProfileValues(text, {{"Option", "FileOpen", "1"}}), std::nullopt);
}

// A data file's path comes as UTF-8: a Shift-JIS file stays Shift-JIS byte for byte while
// Shift-JIS can hold the path, and becomes UTF-16 (with its mark) when it cannot.
TEST(ProfileText, AUtf8PathKeepsEveryCharacter) {
    const ProfileEntry korean{"Option", "DataPass", u8"D:\\한.dat", TextEncoding::Utf8};
    const ProfileCase cases[] = {
        {"Shift-JIS holds it", "[Mine]\r\nK=\x95\x5C\r\n", {{"Option", "DataPass", u8"D:\\表.dat", TextEncoding::Utf8}},
         "[Mine]\r\nK=\x95\x5C\r\n\r\n[Option]\r\nDataPass=D:\\\x95\x5C.dat\r\n"},
        {"Shift-JIS cannot hold it", "[Mine]\r\nK=\x95\x5C\r\n", {korean},
         bytes("\xFF\xFE[\0M\0i\0n\0e\0]\0\r\0\n\0K\0=\0\x68\x88\r\0\n\0\r\0\n\0[\0O\0p\0t\0i\0o\0n\0]\0\r\0\n\0"
               "D\0a\0t\0a\0P\0a\0s\0s\0=\0D\0:\0\\\0\x5C\xD5.\0d\0a\0t\0\r\0\n\0")},
        {"a UTF-8 file takes it as it is", "\xEF\xBB\xBF[Option]\r\n", {korean},
         "\xEF\xBB\xBF[Option]\r\nDataPass=D:\\\xED\x95\x9C.dat\r\n"},
    };
    for (const ProfileCase& c : cases) EXPECT_EQ(setProfileValues(c.before, c.entries), c.after) << c.name;
    EXPECT_TRUE(isUnicodeProfileText(*setProfileValues("", {korean})));
    EXPECT_FALSE(isUnicodeProfileText("[Option]\r\nDataPass=D:\\\x95\x5C.dat\r\n"));
}

TEST(ProfileText, LongValuesPassWhole) {
    std::string value(10000, 'x');
    EXPECT_EQ(setProfileValues("[Option]\r\nDataPass=" + value + "\r\n", {{"Option", "FileOpen", "1"}}),
              "[Option]\r\nDataPass=" + value + "\r\nFileOpen=1\r\n");
}

TEST(SettingsToWrite, EveryKeyInItsOrderWithFlagsAsDigitsAndMaxWhenTicked) {
    Settings s;
    s.dataAtStart = true;
    s.backupFile = 5;
    s.doubleClickSlotIndex = 2;
    s.dataPath = "D:\\data.dat";
    s.browserPath[0] = "C:\\b1.exe";
    s.autoHide = true;
    s.topMost = false;
    s.mainX = "-10";
    s.mainY = "0";
    s.mainWidth = "300";
    s.mainHeight = "700";
    s.mainHeightMax = true;
    s.alignment = 1;
    s.browserX = "250";
    s.browserY = "0";
    s.browserWidth = "640";
    s.browserWidthMax = true;
    s.browserHeight = "800";
    std::string written;
    for (const ProfileEntry& e : settingsToWrite(s)) written += e.section + "/" + e.key + "=" + e.value + "\n";
    EXPECT_EQ(written,
              "Option/FileOpen=1\nOption/BackFile=1\nOption/DefBrows=2\nOption/DataPass=D:\\data.dat\n"
              "Option/BrowsPass1=C:\\b1.exe\nOption/BrowsPass2=\nOption/BrowsPass3=\n"
              "Window/AutoHyde=1\nWindow/TopMost=0\nWindow/MainXPos=-10\nWindow/MainYPos=0\n"
              "Window/MainWidth=300\nWindow/MainHight=MAX\nWindow/Alignment=1\nWindow/BrowsXPos=250\n"
              "Window/BrowsYPos=0\nWindow/BrowsWidth=MAX\nWindow/BrowsHight=800\n");
}
