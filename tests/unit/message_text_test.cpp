#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/message_text.h"

using namespace perchlet;

namespace {

std::vector<std::u16string> linesOf(const std::u16string& text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::size_t columnsOf(const std::u16string& line) {
    std::size_t columns = 0;
    for (char16_t c : line) columns += c < 0x1100 ? 1 : (c >= 0xDC00 && c <= 0xDFFF) ? 0 : 2;
    return columns;
}

std::u16string repeated(const std::u16string& part, std::size_t times) {
    std::u16string text;
    while (times--) text += part;
    return text;
}

}  // namespace

// Every message fits: no line over 80 columns, no more than 30 lines; a text that needs
// no change keeps it; a path broken onto lines loses nothing and breaks after a separator.
TEST(MessageText, LongTextsFitTheScreen) {
    const std::u16string path256 = u"C:\\" + repeated(u"folder-name\\", 20) + u"ListFile.dat" + repeated(u"x", 1);
    struct Case {
        std::u16string text;
        bool unchanged;      // comes out as it went in
        bool keepsEverything;  // only broken: joining its lines gives the text back
    };
    const Case cases[] = {
        {u"ファイルを開けませんでした。\r\nC:\\data\\ListFile.dat", true, true},
        {u"一行目\n\n三行目", false, true},
        {u"データファイル:\r\n" + path256, false, true},
        {u"「" + repeated(u"名", 10000) + u"」のブックマークを読めません。", false, false},
        {repeated(u"a", 10000), false, false},
        {repeated(u"😀", 300), false, false},
        {repeated(u"行\r\n", 200) + u"続けますか？", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::u16string fitted = fitMessageText(c.text);
        std::vector<std::u16string> lines = linesOf(fitted);
        EXPECT_LE(lines.size(), kMessageLinesMax);
        std::u16string joined;
        for (const std::u16string& line : lines) {
            EXPECT_LE(columnsOf(line), kMessageLineColumns);
            EXPECT_FALSE(!line.empty() && line.back() >= 0xD800 && line.back() <= 0xDBFF);  // no pair split
            joined += line;
        }
        if (c.unchanged) {
            EXPECT_TRUE(fitted == c.text);
        }
        if (c.keepsEverything) {
            std::u16string expected;
            for (char16_t ch : c.text)
                if (ch != u'\r' && ch != u'\n') expected += ch;
            EXPECT_TRUE(joined == expected);
        } else {
            EXPECT_NE(fitted.find(u'\u2026'), std::u16string::npos);
            EXPECT_EQ(fitted.front(), c.text.front());  // the beginning and the end stay
            EXPECT_EQ(fitted.back(), c.text.back());
        }
    }
    // The path breaks after a folder separator, not inside a folder's name.
    std::vector<std::u16string> pathLines = linesOf(fitMessageText(path256));
    ASSERT_GE(pathLines.size(), 4u);
    EXPECT_EQ(pathLines[0].back(), u'\\');
    EXPECT_TRUE(fitCaption(repeated(u"題", 500)).size() < 60);
    EXPECT_TRUE(fitCaption(u"表示中のURLを登録") == u"表示中のURLを登録");
}
