// Japanese encodings: recognising EUC-JP and ISO-2022-JP, turning them and UTF-8 into
// Shift-JIS (code page 932), and the text filters every stored or exported text passes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace perchlet {

// The encoding a document's texts (and its data file) are in. Shift-JIS is what the program
// has always kept; UTF-8 keeps every character.
enum class TextEncoding { ShiftJis, Utf8 };

enum class EncodingGuess : int { None = 0, EucJp = 1, ShiftJis = 2, Iso2022Jp = 4 };

// Decides from the first telling byte; plain ASCII gives None.
EncodingGuess guessEncoding(std::string_view text);

// JIS X 0208 pairs are mapped arithmetically; anything else high is treated as a pair too.
void eucJpToShiftJis(std::string& text);
void iso2022JpToShiftJis(std::string& text);

// Byte-wise A-Z to a-z, blind to two-byte characters.
void lowerCaseAscii(std::string& text);

enum class TextFilter : int {
    SingleLine = 1,       // CR and LF removed
    QuotedNoCr = 2,       // CR removed, wrapped in double quotes
    CommaFree = 3,        // comma becomes a blank
    QuotedCommaFree = 4,  // CR removed, comma becomes a blank, wrapped in double quotes
    CrRemoving = 5,       // CR removed
    CrLf = 6,             // CR put before every LF
    FileName = 7,         // made safe as a file or directory name
};

constexpr std::size_t kFilteredTextMax = 1023;  // before the quotes of the quoted modes

std::string filterText(std::string_view text, TextFilter mode);
// The same for text in either encoding; UTF-8 characters are never split, and UTF-8 text is
// cut at kUtf8FilteredTextMax instead.
constexpr std::size_t kUtf8FilteredTextMax = 64 * 1024;
std::string filterText(std::string_view text, TextFilter mode, TextEncoding encoding);

// Appends the code page 932 form of cp; false (and nothing appended) when it has none or is 0.
bool appendCodePointAsShiftJis(char32_t cp, std::string& out);
// Appends the code point's UTF-8 bytes.
void appendUtf8(char32_t cp, std::string& out);

// What a conversion to Shift-JIS makes of a character that has no Shift-JIS form.
enum class Unrepresentable {
    Drop,                // titles and plain text: the character goes
    CharacterReference,  // HTML: "&#233;", which the HTML readers then drop or keep as they need
    PercentEncode,       // addresses: its UTF-8 bytes as "%C3%A9", the same address
    Mark,                // imported titles, folder names, comments: one "〓" for each run of them
};

// The customary Japanese mark for a character that could not be kept (U+3013).
constexpr char kReplacementMark[] = "〓";

// Counts the runs of characters a conversion could not keep; ended by every kept character.
struct LostCharacters {
    std::size_t runs = 0;
    bool inRun = false;
};

// Reads the bytes as a text-mode read of a UTF-8 file would give them (CR LF as LF). Each
// well-formed character is converted; an ill-formed or truncated sequence is dropped by
// itself and the byte that broke it is read afresh, so ASCII markup is never swallowed.
std::string utf8ToShiftJis(std::string_view utf8, Unrepresentable unrepresentable = Unrepresentable::Drop,
                           LostCharacters* lost = nullptr);

// Appends cp's Shift-JIS form, or what the policy makes of a character without one. With
// lost, a run of such characters is counted once and, under Mark, marked once.
void appendCodePoint(char32_t cp, Unrepresentable unrepresentable, std::string& out, LostCharacters* lost = nullptr);

// A file that starts with a UTF-8 byte order mark, or declares UTF-8 as its charset in any
// of the ways HTML allows ("charset=UTF-8" anywhere, and in a <meta> tag any case, quoted
// or not, as content or as the charset attribute): the user is offered its conversion.
bool shouldOfferUtf8Conversion(std::string_view text);

// What a file's text says about being UTF-8, for a reader that must choose without a user
// or ask one only when the bytes leave the choice open.
enum class Utf8Evidence {
    None,       // plain ASCII, bytes that are no UTF-8, or another charset declared
    Declared,   // a byte order mark or a UTF-8 charset declaration
    Valid,      // undeclared, but well-formed UTF-8 with characters of three or four bytes
    Ambiguous,  // undeclared and well-formed, yet only two-byte characters: as Shift-JIS
                // these are half-width katakana pairs, so either reading could be meant
};
Utf8Evidence utf8EvidenceOf(std::string_view text);
// Declared and Valid: convert without a question.
inline bool isSurelyUtf8(Utf8Evidence evidence) {
    return evidence == Utf8Evidence::Declared || evidence == Utf8Evidence::Valid;
}


// UTF-8 text as it can be stored: each ill-formed or truncated sequence becomes U+FFFD.
std::string wellFormedUtf8(std::string_view bytes);
bool isWellFormedUtf8(std::string_view bytes);
// Byte length of the UTF-8 character whose first byte this is (1 for a byte that starts none).
std::size_t utf8SequenceLength(unsigned char lead);

// Appends cp in the encoding: UTF-8 keeps every character (a surrogate or 0 gives U+FFFD or
// nothing); Shift-JIS as appendCodePoint does.
void appendCodePointIn(TextEncoding encoding, char32_t cp, Unrepresentable unrepresentable, std::string& out,
                       LostCharacters* lost = nullptr);

// Text in the encoding from UTF-8 bytes: for UTF-8 made well-formed, for Shift-JIS as
// utf8ToShiftJis makes it.
std::string textFromUtf8(std::string_view utf8, TextEncoding encoding,
                         Unrepresentable unrepresentable = Unrepresentable::Drop, LostCharacters* lost = nullptr);
// Text in the encoding as UTF-8, for printing and for formats that are written in UTF-8.
std::string utf8OfText(std::string_view text, TextEncoding encoding);

// Text in the encoding from UTF-16: a lone surrogate becomes U+FFFD in UTF-8; Shift-JIS as
// utf16ToShiftJis makes it.
std::string textFromUtf16(std::u16string_view text, TextEncoding encoding,
                          Unrepresentable unrepresentable = Unrepresentable::Drop, LostCharacters* lost = nullptr);

// Text in the encoding as UTF-16, as Windows counts and compares names.
std::u16string utf16OfText(std::string_view text, TextEncoding encoding);

// Text from one encoding to the other. Shift-JIS to UTF-8 keeps everything; UTF-8 to
// Shift-JIS is utf8ToShiftJis, the one rule every import follows: the policy (titles and
// comments: Mark; addresses: PercentEncode), each run of characters it could not keep
// counted in lost.
std::string convertText(std::string_view text, TextEncoding from, TextEncoding to,
                        Unrepresentable unrepresentable = Unrepresentable::Mark, LostCharacters* lost = nullptr);

// Bytes that form no character become U+FFFD.
std::string shiftJisToUtf8(std::string_view sjis);
std::u16string shiftJisToUtf16(std::string_view sjis);

// Characters without a Shift-JIS form are dropped, or as the policy says; surrogate pairs
// are read as the characters they make.
std::string utf16ToShiftJis(std::u16string_view text, Unrepresentable unrepresentable = Unrepresentable::Drop,
                            LostCharacters* lost = nullptr);

// The code page 932 tables (generated into cp932_table.cpp).
// Form of a code point: below 0x100 one byte, otherwise lead << 8 | trail; 0 when none.
std::uint16_t cp932FormOf(char32_t codePoint);
// Character of a byte standing alone; 0 for a lead byte.
char16_t cp932SingleByteCharacter(unsigned char byte);
// Character of a two-byte form; 0 when the pair means nothing.
char16_t cp932PairCharacter(unsigned char lead, unsigned char trail);

}  // namespace perchlet
