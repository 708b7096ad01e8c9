// The encoding converters and text filters, and the small readers of outside text built
// on them (shortcut files, file names, settings values).
#include "exchange/favorites.h"
#include "exchange/tree_html.h"
#include "fuzz_support.h"
#include "settings/settings.h"
#include "store/encoding.h"
#include "store/plain_text.h"

using namespace perchlet;
using namespace perchlet::fuzz;

namespace {

// Strict UTF-8: shortest forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[pos]);
        std::size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                                                                      : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (length == 0 || pos + length > text.size()) return false;
        char32_t cp = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) {
            unsigned char next = static_cast<unsigned char>(text[pos + i]);
            if ((next & 0xC0) != 0x80) return false;
            cp = cp << 6 | (next & 0x3F);
        }
        static const char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kShortest[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
        pos += length;
    }
    return true;
}

void checkFilters(std::string_view text) {
    for (TextFilter mode : {TextFilter::SingleLine, TextFilter::QuotedNoCr, TextFilter::CommaFree,
                            TextFilter::QuotedCommaFree, TextFilter::CrRemoving, TextFilter::CrLf,
                            TextFilter::FileName}) {
        std::string filtered = filterText(text, mode);
        bool quoted = mode == TextFilter::QuotedNoCr || mode == TextFilter::QuotedCommaFree;
        check(filtered.size() <= kFilteredTextMax + (quoted ? 2 : 0));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text = textOf(data, size);
    guessEncoding(text);
    std::string euc(text);
    eucJpToShiftJis(euc);
    std::string jis(text);
    iso2022JpToShiftJis(jis);
    check(jis.size() <= text.size());
    std::string fromUtf8 = utf8ToShiftJis(text);
    // References stand only for what has no Shift-JIS form: decoding them drops exactly that.
    if (text.find('&') == std::string_view::npos)
        check(decodeCharacterReferences(utf8ToShiftJis(text, Unrepresentable::CharacterReference)) == fromUtf8);
    // Percent-encoding adds only ASCII.
    std::string encoded = utf8ToShiftJis(text, Unrepresentable::PercentEncode);
    check(encoded.size() >= fromUtf8.size());
    checkFilters(text);
    checkFilters(fromUtf8);

    check(isValidUtf8(shiftJisToUtf8(text)));
    check(isValidUtf8(shiftJisToUtf8(fromUtf8)));
    check(isWellFormedUtf8(text) == isValidUtf8(text));
    std::u16string wide = shiftJisToUtf16(text);
    utf16ToShiftJis(wide);
    shouldOfferUtf8Conversion(text);
    // A declaration decides; undeclared bytes that are no UTF-8 are never taken for it.
    Utf8Evidence evidence = utf8EvidenceOf(text);
    if (shouldOfferUtf8Conversion(text)) check(evidence == Utf8Evidence::Declared);
    // Marking a run of lost characters gives one mark for it and counts it.
    LostCharacters lost;
    std::string marked = utf8ToShiftJis(text, Unrepresentable::Mark, &lost);
    check(lost.runs == 0 ? marked == fromUtf8 : marked.size() > fromUtf8.size());

    internetShortcutUrl(text);
    std::string name = favoritesName(text);
    check(!name.empty() && name.size() <= kFilteredTextMax + 1);
    std::string command(text);
    browserPathFromCommand(command);
    startupDataFile(command, "C:\\start");
    fileNameOf(command);
    baseNameOf(command);
    settingNumber(command);

    // Whatever a title holds, the tree page is written.
    RootedDocument page;
    BookmarkItem record;
    record.title = fitText(text);
    record.locator = fitText(fromUtf8);
    addImportedItem(page.doc, page.root, kKindWebLink, record);
    exportTreeHtml(page.doc, page.root);
    return 0;
}
