#include "store/encoding.h"
#include "store/plain_text.h"

#include <gtest/gtest.h>

#include <string>

namespace perchlet {
namespace {

// 日本語 in each encoding.
const std::string kNihongoSjis = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kNihongoEuc = "\xC6\xFC\xCB\xDC\xB8\xEC";
const std::string kNihongoJis = "\x1B$BF|K\\8l\x1B(B";
const std::string kNihongoUtf8 = u8"日本語";

std::string sjisOf(char32_t cp) {
    std::string out;
    appendCodePointAsShiftJis(cp, out);
    return out;
}

TEST(GuessEncoding, DecidesOnFirstTellingByte) {
    EXPECT_EQ(guessEncoding(""), EncodingGuess::None);
    EXPECT_EQ(guessEncoding("abc"), EncodingGuess::None);
    EXPECT_EQ(guessEncoding("a\x1B(Bb"), EncodingGuess::None);
    EXPECT_EQ(guessEncoding("title " + kNihongoJis), EncodingGuess::Iso2022Jp);
    EXPECT_EQ(guessEncoding("x\x82\xA0"), EncodingGuess::ShiftJis);
    EXPECT_EQ(guessEncoding("x\xA4\xA2"), EncodingGuess::EucJp);
    EXPECT_EQ(guessEncoding(kNihongoEuc), EncodingGuess::EucJp);
    // The escape wins only if it comes before the first high byte.
    EXPECT_EQ(guessEncoding("\x82\xA0\x1B$B"), EncodingGuess::ShiftJis);
}

TEST(GuessEncoding, AmbiguousHighBytesLookAtTheNextByte) {
    EXPECT_EQ(guessEncoding("\xE0\x40"), EncodingGuess::ShiftJis);    // 漾 in Shift-JIS
    EXPECT_EQ(guessEncoding("\xE0\xA1"), EncodingGuess::EucJp);       // next byte decides on its own
    EXPECT_EQ(guessEncoding("\xF4\xA6"), EncodingGuess::EucJp);       // 熙 in EUC-JP
    EXPECT_EQ(guessEncoding("\xE0\xE0\x41"), EncodingGuess::ShiftJis);
    EXPECT_EQ(guessEncoding("ab\xFC"), EncodingGuess::ShiftJis);      // the end counts as a low byte
}

TEST(EucJpToShiftJis, ConvertsPairsAndKeepsAscii) {
    std::string text = "\xB0\xA1";
    eucJpToShiftJis(text);
    EXPECT_EQ(text, "\x88\x9F");

    text = "<" + kNihongoEuc + "> \xA1\xE0\xDF\xA1\xF4\xA6";
    eucJpToShiftJis(text);
    EXPECT_EQ(text, "<" + kNihongoSjis + "> \x81\x80\xE0\x40\xEA\xA4");  // ÷ 漾 熙

    // Row 0x5E is the last before the lead-byte gap (沺 滌), row 0x5F the first after it (漾).
    text = "\xDE\xA1\xDE\xFE\xDF\xA1";
    eucJpToShiftJis(text);
    EXPECT_EQ(text, "\x9F\x9F\x9F\xFC\xE0\x40");

    text = "ab\xA4";  // a lone high byte at the end stays as it is
    eucJpToShiftJis(text);
    EXPECT_EQ(text, "ab\xA4");
}

// Bytes that make no pair must not turn into a NUL or a stray lead byte, nor take the
// markup after them along.
TEST(JapaneseConverters, BytesThatMakeNoPairGoAlone) {
    struct Case {
        std::string in, out;
        bool euc;
    } cases[] = {
        {"\xEC\xD3\xD3" "ah", "\xE6\xD1" "ah", true},         // a lead byte before ASCII
        {"t\xA4</A>", "t</A>", true},
        {"\x8E\xB1\x8E\xDF", "\xB1\xDF", true},              // half-width katakana
        {"a\x8F\xB0\xA1" "b", "ab", true},                      // JIS X 0212: no Shift-JIS form
        {"\x1B$B\x30\x21\n\x30\x21", "\x88\x9F\n\x88\x9F", false},  // a line end inside kanji mode
        {"\x1B$B\x82\x30\x21", "\x88\x9F", false},            // the high byte is dropped
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        if (c.euc) eucJpToShiftJis(text);
        else iso2022JpToShiftJis(text);
        EXPECT_EQ(text, c.out);
        EXPECT_EQ(text.find('\0'), std::string::npos);
    }
}

TEST(Iso2022JpToShiftJis, FollowsShiftSequences) {
    std::string text = "\x1B$B\x30\x21\x1B(B";
    iso2022JpToShiftJis(text);
    EXPECT_EQ(text, "\x88\x9F");

    text = "a" + kNihongoJis + "b\x1B$@\x24\x22\x1B(Jc\x1B$B\x25\x22\x1B(Id\x1B$B\x24\x22\x0F" "e";
    iso2022JpToShiftJis(text);
    EXPECT_EQ(text, "a" + kNihongoSjis + "b\x82\xA0" "c\x83\x41" "d\x82\xA0" "e");

    text = "\x1B$B\x5E\x21\x5E\x7E\x5F\x21\x1B(B";  // 沺 滌 漾, either side of the lead-byte gap
    iso2022JpToShiftJis(text);
    EXPECT_EQ(text, "\x9F\x9F\x9F\xFC\xE0\x40");
}

TEST(Iso2022JpToShiftJis, TruncatedInputIsCopied) {
    std::string text = "\x1B$BF|K";  // odd byte in kanji mode at the end
    iso2022JpToShiftJis(text);
    EXPECT_EQ(text, "\x93\xFA" "K");

    text = "ab\x1B$";  // unfinished escape in ASCII mode
    iso2022JpToShiftJis(text);
    EXPECT_EQ(text, "ab\x1B$");
}

// The two converters use different formulas for the same mapping; every JIS X 0208 cell
// must come out the same from both, as a well-formed two-byte character.
TEST(JapaneseConverters, AgreeOnEveryJisX0208Cell) {
    for (int row = 0x21; row <= 0x7E; ++row) {
        for (int cell = 0x21; cell <= 0x7E; ++cell) {
            std::string euc{static_cast<char>(row | 0x80), static_cast<char>(cell | 0x80)};
            std::string jis = std::string("\x1B$B") + static_cast<char>(row) + static_cast<char>(cell) + "\x1B(B";
            eucJpToShiftJis(euc);
            iso2022JpToShiftJis(jis);
            ASSERT_EQ(euc, jis) << row << "," << cell;
            auto lead = static_cast<unsigned char>(euc[0]);
            auto trail = static_cast<unsigned char>(euc[1]);
            ASSERT_TRUE((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF)) << row;
            ASSERT_TRUE(trail >= 0x40 && trail <= 0xFC && trail != 0x7F) << cell;
        }
    }
}

TEST(LowerCaseAscii, ChangesOnlyCapitalLetters) {
    std::string text = "C:\\Program Files\\FIREFOX.EXE @[`{";
    lowerCaseAscii(text);
    EXPECT_EQ(text, "c:\\program files\\firefox.exe @[`{");

    text = "\xC0\xDA\xE0\xFF";
    lowerCaseAscii(text);
    EXPECT_EQ(text, "\xC0\xDA\xE0\xFF");
}

TEST(FilterText, LineBreakModes) {
    EXPECT_EQ(filterText("a\r\nb\nc\rd", TextFilter::SingleLine), "abcd");
    EXPECT_EQ(filterText("a\r\nb,c", TextFilter::CrRemoving), "a\nb,c");
    EXPECT_EQ(filterText("line1\nline2\n", TextFilter::CrLf), "line1\r\nline2\r\n");
    EXPECT_EQ(filterText("", TextFilter::CrLf), "");
}

TEST(FilterText, CsvModes) {
    EXPECT_EQ(filterText("a,b\r\n", TextFilter::CommaFree), "a b\r\n");
    EXPECT_EQ(filterText("a,\r\nb", TextFilter::QuotedCommaFree), "\"a \nb\"");
    EXPECT_EQ(filterText("a,\r\nb", TextFilter::QuotedNoCr), "\"a,\nb\"");
    EXPECT_EQ(filterText("", TextFilter::QuotedNoCr), "\"\"");
}

// Eight bytes are looked at a time: a break at any place, either side of a word, is found,
// and bytes near CR and LF (a Shift-JIS "\x8D", a "\x0E") are not taken for them.
// Every length up to 21 bytes, every place in it, every byte looked for: the searches take
// the text in words of eight and four, overlapping at the end.
TEST(HoldsByte, FindsLineBreaksAndControlBytesAtAnyPlaceOfAnyLength) {
    const std::string lineBreakFree = "ab\x8D\x0E\x0C\x8A\x0B\x7F\x01" + std::string(12, 'x');
    const std::string controlFree = "a \x80\x81\xFF~\x7E\x9F" + std::string(13, '!');
    std::string controls;
    for (int byte = 0; byte < 0x20; ++byte) controls += static_cast<char>(byte);
    controls += '\x7F';
    struct Search {
        const char* name;
        bool (*holds)(std::string_view);
        const std::string& free;
        std::string found;
    };
    const Search searches[] = {{"line break", holdsLineBreak, lineBreakFree, "\r\n"},
                               {"control byte", holdsControlByte, controlFree, controls}};
    for (const Search& search : searches) {
        for (std::size_t length = 0; length <= search.free.size(); ++length) {
            std::string plain = search.free.substr(0, length);
            EXPECT_FALSE(search.holds(plain)) << search.name << ", length " << length;
            for (char byte : search.found) {
                for (std::size_t at = 0; at < length; ++at) {
                    std::string text = plain;
                    text[at] = byte;
                    EXPECT_TRUE(search.holds(text)) << search.name << " " << int(byte) << " at " << at << " of " << length;
                }
            }
        }
    }
}

TEST(PlacesOfByte, BothWaysMarkExactlyTheBytesThatMatch) {
    // Neighbours of CR, and bytes whose low seven bits are CR's, must not count.
    const std::string others("\x0C\x0E\x8D\x00\xFF\x7F\x80" "a", 8);
    for (auto places : {placesOfByte, placesOfByteByWords}) {
        std::string text(64, '\0');
        for (std::size_t i = 0; i < text.size(); ++i) text[i] = others[i % others.size()];
        EXPECT_EQ(places(text.data(), '\r'), 0u);
        std::uint64_t expected = 0;
        for (std::size_t at : {0, 1, 7, 8, 31, 32, 62, 63}) {
            text[at] = '\r';
            expected |= std::uint64_t(1) << at;
            EXPECT_EQ(places(text.data(), '\r'), expected) << "CR at " << at;
        }
        EXPECT_EQ(places(std::string(64, '\r').data(), '\r'), ~std::uint64_t(0));
    }
}

TEST(FilterText, FileNameReplacesAndRemoves) {
    EXPECT_EQ(filterText("a/b:c", TextFilter::FileName), "a-b-c");
    EXPECT_EQ(filterText("/*?<>;:%,\"", TextFilter::FileName), "----------");
    EXPECT_EQ(filterText("\\title", TextFilter::FileName), "title");
    EXPECT_EQ(filterText("a|b\\c\td\x01\x1F e", TextFilter::FileName), "abcd e");
}

TEST(FilterText, FileNameKeepsSecondByteOfTwoByteCharacters) {
    const std::string hyo = "\x95\x5C";  // 表
    const std::string so = "\x83\x5C";   // ソ
    const std::string po = "\x83\x7C";   // ポ
    EXPECT_EQ(filterText(hyo + so + po, TextFilter::FileName), hyo + so + po);
    EXPECT_EQ(filterText(hyo + "\\" + so + "|", TextFilter::FileName), hyo + so);
}

TEST(FilterText, FileNameDropsSeparatorAfterCharacterEndingInHighByte) {
    // あ ends in 0xA0 and ｱ is 0xB1: a | or \ after them is a real separator.
    EXPECT_EQ(filterText("\x82\xA0\\b|c", TextFilter::FileName), "\x82\xA0" "bc");
    EXPECT_EQ(filterText("\xB1\\\xB1|", TextFilter::FileName), "\xB1\xB1");
}

TEST(FilterText, CutsAt1023BytesBeforeQuotes) {
    const std::string longText(2000, 'a');
    EXPECT_EQ(filterText(longText, TextFilter::CrRemoving), std::string(1023, 'a'));
    EXPECT_EQ(filterText(longText, TextFilter::QuotedCommaFree), '"' + std::string(1023, 'a') + '"');

    std::string withBreaks;
    for (int i = 0; i < 1500; ++i) withBreaks += "a\n";
    EXPECT_EQ(filterText(withBreaks, TextFilter::SingleLine), std::string(1023, 'a'));
    EXPECT_EQ(filterText(std::string(1023, 'a'), TextFilter::SingleLine).size(), 1023u);
}

TEST(FilterText, CutNeverSplitsACharacter) {
    std::string text = "ab";
    for (int i = 0; i < 600; ++i) text += "\x93\xFA";
    std::string cut = filterText(text, TextFilter::SingleLine);
    EXPECT_EQ(cut.size(), 1022u);
    EXPECT_EQ(cut.substr(1020), "\x93\xFA");

    std::string crlf = filterText(std::string(1022, 'a') + "\nb", TextFilter::CrLf);
    EXPECT_EQ(crlf, std::string(1022, 'a'));
}

TEST(AppendCodePoint, WritesWhatWindowsWrites) {
    EXPECT_EQ(sjisOf('A'), "A");
    EXPECT_EQ(sjisOf(U'\\'), "\\");
    EXPECT_EQ(sjisOf(U'日'), "\x93\xFA");
    EXPECT_EQ(sjisOf(U'ｱ'), "\xB1");
    EXPECT_EQ(sjisOf(U'①'), "\x87\x40");
    EXPECT_EQ(sjisOf(U'Ⅰ'), "\x87\x54");          // NEC row 13, not FA 4A
    EXPECT_EQ(sjisOf(U'ⅰ'), "\xFA\x40");          // IBM form, not EE EF
    EXPECT_EQ(sjisOf(U'髙'), "\xFB\xFC");
    EXPECT_EQ(sjisOf(U'纊'), "\xFA\x5C");
    EXPECT_EQ(sjisOf(U'≒'), "\x81\xE0");
    EXPECT_EQ(sjisOf(U'∵'), "\x81\xE6");
    EXPECT_EQ(sjisOf(U'￢'), "\x81\xCA");
    EXPECT_EQ(sjisOf(0xFF5E), "\x81\x60");           // fullwidth tilde
    EXPECT_EQ(sjisOf(0x301C), "\x81\x60");           // wave dash
    EXPECT_EQ(sjisOf(0xE000), "\xF0\x40");        // user-defined area
}

TEST(AppendCodePoint, RefusesWhatHasNoForm) {
    std::string out = "x";
    EXPECT_FALSE(appendCodePointAsShiftJis(0, out));
    EXPECT_FALSE(appendCodePointAsShiftJis(0xA5, out));     // ¥
    EXPECT_FALSE(appendCodePointAsShiftJis(0xE9, out));     // é
    EXPECT_FALSE(appendCodePointAsShiftJis(0xD800, out));
    EXPECT_FALSE(appendCodePointAsShiftJis(0x1F600, out));
    EXPECT_FALSE(appendCodePointAsShiftJis(0x110000, out));
    EXPECT_EQ(out, "x");
}

TEST(Utf8ToShiftJis, ConvertsWhatHasAForm) {
    EXPECT_EQ(utf8ToShiftJis(kNihongoUtf8), kNihongoSjis);
    EXPECT_EQ(utf8ToShiftJis(u8"<A HREF=\"x\">漢字 ｱ §</A>"), "<A HREF=\"x\">\x8A\xBF\x8E\x9A \xB1 \x81\x98</A>");
    EXPECT_EQ(utf8ToShiftJis(u8"a\U0001F600b"), "ab");
    EXPECT_EQ(utf8ToShiftJis(u8"caf\u00E9"), "caf");
}

TEST(Utf8ToShiftJis, ReadsLikeATextModeFile) {
    EXPECT_EQ(utf8ToShiftJis("a\r\nb\rc\n\r\n"), "a\nb\rc\n\n");
}

// An ill-formed sequence goes by itself; the byte that broke it is read again, so the
// markup after a truncated character survives.
TEST(Utf8ToShiftJis, MalformedBytes) {
    struct Case {
        const char* utf8;
        std::string sjis;
    };
    const Case cases[] = {
        {"\x80\xBF" "a", "a"},                                       // stray continuation bytes
        {"a\xE6\x97", "a"},                                          // partial character at the end
        {"a\xC3", "a"},
        {"t\xE3\x81</A><A HREF=\"y\">", "t</A><A HREF=\"y\">"},      // truncated before markup
        {"t\xC3<b", "t<b"},
        {"\xF0\x9F\x98<", "<"},                                      // truncated four-byte character
        {"\xC0\xBC\xE0\x80\xBC\xF0\x80\x80\xBC" "a", "a"},          // overlong forms of "<"
        {"\xC0\x80" "a", "a"},
        {"\xED\xA0\x80" "a", "a"},                                   // a surrogate
        {"\xF4\x90\x80\x80" "a", "a"},                               // past U+10FFFF
        {"\xF8\x88\x80\x80\x80x", "x"},                               // five-byte lead
        {"\xE6\x97\xA5\xE6\x9C\xAC", "\x93\xFA\x96\x7B"},             // well-formed stays
    };
    for (const Case& c : cases) EXPECT_EQ(utf8ToShiftJis(c.utf8), c.sjis) << c.utf8;
}

TEST(Utf8ToShiftJis, CharactersWithoutAFormAsThePolicySays) {
    const std::string text = u8"Caf\u00E9/\U0001F600 日本";
    EXPECT_EQ(utf8ToShiftJis(text), "Caf/ 日本");
    EXPECT_EQ(utf8ToShiftJis(text, Unrepresentable::CharacterReference), "Caf&#233;/&#128512; 日本");
    EXPECT_EQ(utf8ToShiftJis(text, Unrepresentable::PercentEncode), "Caf%C3%A9/%F0%9F%98%80 日本");
    EXPECT_EQ(utf16ToShiftJis(u"\u00FC\U0001F600", Unrepresentable::PercentEncode), "%C3%BC%F0%9F%98%80");
}

// One mark for each run of characters without a form, however long; the runs are counted.
TEST(Utf8ToShiftJis, MarkStandsForEachRunOfLostCharacters) {
    struct Case {
        const char* utf8;
        const char* expected;
        std::size_t runs;
    } cases[] = {
        {u8"日本語", "日本語", 0},
        {u8"Caf\u00E9", "Caf〓", 1},
        {u8"\U0001F600\U0001F601\U0001F602", "〓", 1},
        {u8"\U0001F600 \U0001F601", "〓 〓", 2},
        {u8"\u65B0\u95FB", "新〓", 1},  // a simplified Chinese folder name: never emptied
        {u8"a\u00E9\u00FCb\u00E9", "a〓b〓", 2},
        {u8"〓", "〓", 0},  // the mark itself is a character like any other
    };
    for (const Case& c : cases) {
        LostCharacters lost;
        EXPECT_EQ(utf8ToShiftJis(c.utf8, Unrepresentable::Mark, &lost), c.expected) << c.utf8;
        EXPECT_EQ(lost.runs, c.runs) << c.utf8;
    }
    LostCharacters lost;
    EXPECT_EQ(utf16ToShiftJis(u"x\U0001F600\U0001F600y\u00E9", Unrepresentable::Mark, &lost), "x〓y〓");
    EXPECT_EQ(lost.runs, 2u);
}

// UTF-8 is converted without a question when the file says so or its bytes can be nothing
// else; only two-byte characters (which read as half-width katakana too) leave it open.
TEST(Utf8Evidence, DecidesWhenToConvertAndWhenToAsk) {
    struct Case {
        std::string text;
        Utf8Evidence expected;
    } cases[] = {
        {"<!DOCTYPE NETSCAPE-Bookmark-file-1><A HREF=\"http://a/\">a</A>", Utf8Evidence::None},
        {"<META CONTENT=\"text/html; charset=UTF-8\">plain", Utf8Evidence::Declared},
        {"\xEF\xBB\xBF<DL>", Utf8Evidence::Declared},
        {std::string("<DL><A HREF=\"http://a/\">") + u8"ブックマーク" + "</A>", Utf8Evidence::Valid},
        {std::string("<DL>") + u8"\U0001F600", Utf8Evidence::Valid},
        {std::string("<DL>") + u8"Caf\u00E9", Utf8Evidence::Ambiguous},
        {"<DL>\x83\x75\x83\x62\x83\x4E", Utf8Evidence::None},   // Shift-JIS ブック
        {std::string("<meta charset=\"shift_jis\">") + u8"日本", Utf8Evidence::None},
        {"<DL>\xE3\x81", Utf8Evidence::None},  // cut short: not UTF-8
    };
    for (const Case& c : cases) EXPECT_EQ(utf8EvidenceOf(c.text), c.expected) << c.text;
    EXPECT_TRUE(isSurelyUtf8(Utf8Evidence::Valid));
    EXPECT_FALSE(isSurelyUtf8(Utf8Evidence::Ambiguous));
}

TEST(Utf8Offer, CharsetIsRecognisedAsHtmlAllowsIt) {
    const char* const offered[] = {
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">",
        "<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">",
        "<meta charset=\"utf-8\">",
        "<META CHARSET=UTF-8>",
        "<meta charset = 'utf8' />",
        "\xEF\xBB\xBF<!DOCTYPE NETSCAPE-Bookmark-file-1>",
    };
    for (const char* text : offered) EXPECT_TRUE(shouldOfferUtf8Conversion(text)) << text;
    const char* const notOffered[] = {
        "<meta charset=\"shift_jis\">",
        "<meta charset=\"utf-16\">",
        "<A HREF=\"http://x/?charset=utf-8\">t</A>",  // not a declaration
        "<meta charset=\"utf-80\">",
    };
    for (const char* text : notOffered) EXPECT_FALSE(shouldOfferUtf8Conversion(text)) << text;
}

TEST(ShiftJisToUnicode, RoundTrips) {
    EXPECT_EQ(shiftJisToUtf8(kNihongoSjis), kNihongoUtf8);
    EXPECT_EQ(shiftJisToUtf16(kNihongoSjis), u"日本語");
    EXPECT_EQ(shiftJisToUtf8("a\xB1\xB2\xDF"), u8"aｱｲﾟ");
    EXPECT_EQ(utf16ToShiftJis(u"日本語ｱ①髙"), kNihongoSjis + "\xB1\x87\x40\xFB\xFC");
    EXPECT_EQ(utf16ToShiftJis(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(utf16ToShiftJis(u"x\U0001F600\u00E9\u00A5y"), "xy");
}

TEST(ShiftJisToUnicode, NecAndIbmDuplicatesReadAlike) {
    EXPECT_EQ(shiftJisToUtf16("\xED\x40\xFA\x5C"), u"纊纊");
    EXPECT_EQ(shiftJisToUtf16("\x87\x90\x81\xE0"), u"≒≒");
    EXPECT_EQ(utf16ToShiftJis(shiftJisToUtf16("\xEE\xEF\x87\x90")), "\xFA\x40\x81\xE0");
}

TEST(ShiftJisToUnicode, UndecodableBytesBecomeReplacementCharacters) {
    EXPECT_EQ(shiftJisToUtf16("\x85\x40" "a"), u"\uFFFDa");  // unassigned pair
    EXPECT_EQ(shiftJisToUtf16("\x81 a"), u"\uFFFD a");      // lead without a trail byte
    EXPECT_EQ(shiftJisToUtf16("a\x81"), u"a\uFFFD");
    EXPECT_EQ(shiftJisToUtf16("\xA0"), u"\uF8F0");
}

// Writing any character read from code page 932 must give bytes that read back as it.
TEST(Cp932Tables, EveryPairSurvivesARoundTrip) {
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            char16_t character = cp932PairCharacter(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            if (character == 0) continue;
            ++characters;
            std::string written = sjisOf(character);
            ASSERT_FALSE(written.empty()) << std::hex << lead << trail;
            ASSERT_EQ(shiftJisToUtf16(written), std::u16string(1, character)) << std::hex << lead << trail;
        }
    }
    EXPECT_EQ(characters, 7724 + 1880);  // assigned pairs plus the user-defined area
}

}  // namespace

namespace {

// Well-formed UTF-8 as Unicode's table of byte sequences lists it, one row per lead range.
bool wellFormedByTheTable(std::string_view bytes) {
    struct Row {
        unsigned char leadLow, leadHigh, secondLow, secondHigh;
        std::size_t length;
    };
    const Row rows[] = {{0x00, 0x7F, 0, 0, 1},       {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
                        {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3},
                        {0xF0, 0xF0, 0x90, 0xBF, 4}, {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4}};
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    for (std::size_t at = 0; at < bytes.size();) {
        const Row* row = nullptr;
        for (const Row& r : rows)
            if (byte(at) >= r.leadLow && byte(at) <= r.leadHigh) row = &r;
        if (!row || at + row->length > bytes.size()) return false;
        if (row->length > 1 && (byte(at + 1) < row->secondLow || byte(at + 1) > row->secondHigh)) return false;
        for (std::size_t i = 2; i < row->length; ++i)
            if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return false;
        at += row->length;
    }
    return true;
}

}  // namespace

// Every lead and second byte, the later bytes at the edges of their range, after ASCII runs
// that end before, at and past a word of eight, cut after each byte and followed by ASCII.
// Past 64 bytes the text is checked 16 bytes at a time: there the sequence starts at each
// place that puts a part of it in the next 16, and each cut ends the text at another place.
TEST(IsWellFormedUtf8, AgreesWithTheTableOfSequences) {
    const unsigned char edges[] = {0x7F, 0x80, 0xBF, 0xC0};
    for (std::size_t ascii : {0, 7, 8, 9, 77, 78, 79, 80}) {
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            for (int second = 0; second <= 0xFF; ++second) {
                for (unsigned char third : edges) {
                    for (unsigned char fourth : edges) {
                        std::string text(ascii, 'a');
                        text += {static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third),
                                 static_cast<char>(fourth)};
                        text += "bbbbbbbb";
                        for (std::size_t cut : {ascii + 1, ascii + 2, ascii + 3, ascii + 4, text.size()}) {
                            std::string_view bytes(text.data(), cut);
                            // The ASCII before is well-formed: the table reads only what follows.
                            if (isWellFormedUtf8(bytes) != wellFormedByTheTable(bytes.substr(ascii))) {
                                ADD_FAILURE() << "lead " << lead << ", second " << second << ", third "
                                              << int(third) << ", fourth " << int(fourth) << ", "
                                              << cut - ascii << " bytes after " << ascii;
                                return;
                            }
                        }
                    }
                }
            }
        }
    }
}

}  // namespace perchlet
