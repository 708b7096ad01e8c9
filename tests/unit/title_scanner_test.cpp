#include "web/title_scanner.h"

#include <gtest/gtest.h>

#include <string>

namespace perchlet {
namespace {

struct ScanCase {
    const char* name;
    std::string page;
    bool opening;
    bool finished;
    std::string title;
};

const ScanCase kScanCases[] = {
    {"plain", "<html><head><title>Home</title></head>", true, true, "Home"},
    {"upper case", "<HTML><TITLE>Home</TITLE>", true, true, "Home"},
    {"mixed case", "<TiTle>Mixed</tItLe>", true, true, "Mixed"},
    {"attributes", "<title lang=\"ja\" dir=ltr>With attributes</title>", true, true, "With attributes"},
    {"quoted >", "<title data-x='a>b' id=\"c>d\">Quoted</title>", true, true, "Quoted"},
    {"other tag first", "<titlebar>no</titlebar><title>Second</title>", true, true, "Second"},
    {"closing without >", "<title>Open end</TITLE", true, true, "Open end"},
    {"markup inside", "<title>a < b </b> <t </tit c</title>", true, true, "a < b </b> <t </tit c"},
    {"doubled <", "<<title>x<</title>", true, true, "x<"},
    {"no closing tag", "<title>Cut off here", true, false, "Cut off here"},
    {"no title", "<html><body>nothing</body></html>", false, false, ""},
    {"opening tag unfinished", "<title lang=ja", false, false, ""},
    {"empty title", "<title></title>", true, true, ""},
    {"only the first title", "<title>One</title><title>Two</title>", true, true, "One"},
    {"comment first", "<!-- <title>Old</title> --><title>New</title>", true, true, "New"},
    {"empty comments", "<!--><!---><title>A</title>", true, true, "A"},
    {"dashes inside a comment", "<!-- a -- b --- > <title>x</title> --><title>Real</title>", true, true, "Real"},
    {"comment never closed", "<!-- <title>No</title>", false, false, ""},
    {"doctype", "<!DOCTYPE html><title>A</title>", true, true, "A"},
    {"script first", "<script>var t = '<title>No</title>';</script><title>Yes</title>", true, true, "Yes"},
    {"script tag with attributes", "<SCRIPT type=\"a>b\">w('<title>No</title>')</Script ><title>Yes</title>", true, true, "Yes"},
    {"style first", "<style>/* <title>No</title> */</style><title>Yes</title>", true, true, "Yes"},
    {"script never closed", "<script><title>No</title>", false, false, ""},
    {"other tags like script", "<scripts><styles><title>Yes</title>", true, true, "Yes"},
    {"comment inside the title", "<title>a <!-- b --> c</title>", true, true, "a <!-- b --> c"},
};

class TitleScannerCases : public ::testing::TestWithParam<ScanCase> {};

void expectScan(const TitleScanner& scanner, const ScanCase& c, const std::string& how) {
    EXPECT_EQ(scanner.openingFound(), c.opening) << how;
    EXPECT_EQ(scanner.finished(), c.finished) << how;
    EXPECT_EQ(scanner.title(), c.title) << how;
}

TEST_P(TitleScannerCases, SameResultWhereverTheChunksSplit) {
    const ScanCase& c = GetParam();
    for (std::size_t split = 0; split <= c.page.size(); ++split) {
        TitleScanner scanner;
        scanner.feed(std::string_view(c.page).substr(0, split));
        scanner.feed(std::string_view(c.page).substr(split));
        expectScan(scanner, c, "split at " + std::to_string(split));
    }
    TitleScanner byteByByte;
    for (char b : c.page) byteByByte.feed(std::string_view(&b, 1));
    expectScan(byteByByte, c, "byte by byte");
}

INSTANTIATE_TEST_SUITE_P(Pages, TitleScannerCases, ::testing::ValuesIn(kScanCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name) if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST(TitleScanner, LongTitleKeepsItsFirst1022BytesAcrossChunksOf1000) {
    std::string title;
    for (int i = 0; i < 1500; ++i) title += static_cast<char>('a' + i % 26);
    std::string page = std::string(990, ' ') + "<title>" + title + "</title>";
    TitleScanner scanner;
    for (std::size_t pos = 0; pos < page.size(); pos += 1000)
        scanner.feed(std::string_view(page).substr(pos, 1000));
    EXPECT_TRUE(scanner.finished());
    EXPECT_EQ(scanner.title(), title.substr(0, kFetchedTitleMax));
}

TEST(TitleScanner, FeedSaysWhenReadingCanEndAndIgnoresWhatFollows) {
    TitleScanner scanner;
    EXPECT_FALSE(scanner.feed("<title>Ab"));
    EXPECT_TRUE(scanner.feed("c</title><title>x"));
    EXPECT_TRUE(scanner.feed("more"));
    EXPECT_EQ(scanner.title(), "Abc");
}

TEST(DeclaredCharset, FromHeadersAndMetaTags) {
    EXPECT_EQ(declaredCharset("text/html; charset=UTF-8"), "utf-8");
    EXPECT_EQ(declaredCharset("<meta charset=\"Shift_JIS\">"), "shift_jis");
    EXPECT_EQ(declaredCharset("content=\"text/html; CHARSET=euc-jp\""), "euc-jp");
    EXPECT_EQ(declaredCharset("text/html"), "");
}

// 日本語 in each encoding.
const std::string kSjis = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kEuc = "\xC6\xFC\xCB\xDC\xB8\xEC";
const std::string kJis = "\x1B$BF|K\\8l\x1B(B";
const std::string kUtf8 = u8"日本語";
const std::string kHalfKanaSjis = "\xB1\xB2\xB3";  // ｱｲｳ
const std::string kMark = "\x81\xAC";                // 〓

struct FieldCase {
    const char* name;
    std::string fetched, header, page;
    std::string field;
};

TEST(TitleFieldText, EveryEncodingEndsAsShiftJis) {
    const FieldCase cases[] = {
        {"ascii", "Home", "", "", "Home"},
        {"shift-jis", kSjis, "", "", kSjis},
        {"euc-jp", kEuc, "", "", kSjis},
        {"iso-2022-jp", kJis, "", "", kSjis},
        {"utf-8 by header", kUtf8, "utf-8", "", kSjis},
        {"utf-8 by page", kUtf8, "", "utf-8", kSjis},
        {"utf-8 undeclared", kUtf8, "", "", kSjis},
        {"utf-8 emoji marked", u8"a\U0001F600\U0001F600b", "utf-8", "", "a" + kMark + "b"},
        {"half-width kana declared shift-jis", kHalfKanaSjis, "", "shift_jis", kHalfKanaSjis},
        {"references", "Tom &amp; Jerry&#39;s &lt;b&gt; &#x65E5;", "", "", "Tom & Jerry's <b> " + kSjis.substr(0, 2)},
        {"references without a shift-jis form", "a&#x1F600;b&#xD800;&#56320;c&#0;&#x110000;", "", "",
         "a" + kMark + "b" + kMark + "c" + kMark},
        {"nul bytes", std::string("ab\0c\0\0d", 7), "", "", "abcd"},
        {"line breaks", "\r\n  Two\r\nlines\n", "", "", "Two lines"},
        {"one line break", "Line1\r\nLine2", "", "", "Line1 Line2"},
        {"blanks around a break", "a \t\r\n\t b\rc\n\nd", "", "", "a b c d"},
        {"blanks without a break", "  a  b ", "", "", "  a  b "},
        {"half a character at the end", "ab" + kSjis.substr(0, 3), "", "shift_jis", "ab" + kSjis.substr(0, 2)},
        {"utf-8 cut at the end", kUtf8.substr(0, 7), "", "", kSjis.substr(0, 4)},
    };
    for (const FieldCase& c : cases)
        EXPECT_EQ(titleFieldText(c.fetched, c.header, c.page), c.field) << c.name;
}

TEST(TitleFieldText, NonAsciiUtf8IsToldFromJapaneseEncodings) {
    EXPECT_TRUE(isNonAsciiUtf8(kUtf8));
    EXPECT_FALSE(isNonAsciiUtf8("plain"));
    EXPECT_FALSE(isNonAsciiUtf8(kSjis));
    EXPECT_FALSE(isNonAsciiUtf8(kEuc));
    EXPECT_TRUE(isNonAsciiUtf8(kUtf8.substr(0, 4)));  // cut at the end by the title's limit
    EXPECT_FALSE(isNonAsciiUtf8(kUtf8.substr(0, 4) + "a"));
}

}  // namespace
}  // namespace perchlet
