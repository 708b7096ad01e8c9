// Finding a page's title in its body as the body arrives, chunk by chunk, and turning the
// title's bytes into the Shift-JIS text of a title field.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "store/encoding.h"

namespace perchlet {

// The title buffer holds at most this many bytes of the title as fetched.
constexpr std::size_t kFetchedTitleMax = 1022;

// The opening tag is "<title" in any case, followed by ">" or by attributes and then ">";
// the closing tag is "</title" in any case (the ">" is not needed). Comments and the content
// of script and style elements are passed over. Tags are found wherever the chunks split
// them, so the result depends only on the bytes.
class TitleScanner {
public:
    // Scans one chunk; true once the closing tag has been seen and reading can end.
    bool feed(std::string_view chunk);

    bool openingFound() const { return state_ == State::InTitle || state_ == State::Done; }
    bool finished() const { return state_ == State::Done; }
    // The title's bytes as the page has them, cut to kFetchedTitleMax; what is collected so
    // far when the closing tag has not come.
    const std::string& title() const { return title_; }

private:
    enum class State { BeforeTitle, InComment, AfterName, InOpeningTag, InRawText, InTitle, Done };

    void scanBefore(char c);
    void scanComment(char c);
    void scanAfterName(char c);
    void scanOpeningTag(char c);
    void scanRawText(char c);
    void scanTitle(char c);
    void openElement();
    void collect(std::string_view bytes);

    State state_ = State::BeforeTitle;
    std::string tag_;             // before the title: the start of a tag, from its "<", in lower case
    std::string_view element_;    // the element whose opening tag is being read: title, script or style
    std::size_t matched_ = 0;     // bytes of a closing tag matched so far
    std::size_t dashes_ = 0;      // dashes just seen in a comment
    char quote_ = 0;              // the quote an attribute value is open with
    std::string held_;         // the start of a possible closing tag, not yet title
    std::string title_;
};

// The charset a Content-Type header or a page's meta tag names ("charset=..." in any case,
// quotes allowed), in lower case; "" when none.
std::string declaredCharset(std::string_view text);

// The fetched title as a title field holds it: turned into Shift-JIS (UTF-8 when the header
// or the page says so, or when the bytes are valid UTF-8 with non-ASCII characters and
// nothing names another charset; EUC-JP and ISO-2022-JP by the encoding guess), character
// references decoded, each line break one blank, cut to the field.
// Into a UTF-8 document (`into`) every character stays; the other readings are made in
// Shift-JIS as before and then carried over.
std::string titleFieldText(std::string_view fetched, std::string_view headerCharset,
                           std::string_view pageCharset, TextEncoding into = TextEncoding::ShiftJis);

// True when the bytes are well-formed UTF-8 and at least one is not ASCII.
bool isNonAsciiUtf8(std::string_view bytes);

}  // namespace perchlet
