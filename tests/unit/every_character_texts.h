// Texts that hold every kind of character a UTF-8 document must keep, for the tests that
// take them through a format or the clipboard and back.
#pragma once
#include <string>
#include <vector>

namespace perchlet::testing {

inline const std::vector<std::string> kEveryCharacterTexts = {
    u8"👩🏽‍💻 👨‍👩‍👧‍👦 👍🏿",        // skin tones and ZWJ sequences
    u8"🇯🇵 🇰🇷 🏴‍☠️",                   // flags
    u8"한국어 페이지",
    u8"Ελληνικά",
    u8"देवनागरी",
    u8"e\u0301 a\u0308 n\u0303",  // combining marks
    u8"\uFFFD",                   // what a hostile JSON file's lone surrogate becomes
    u8"📚 読書メモ 🇯🇵 Café – naïve",
};

}  // namespace perchlet::testing
