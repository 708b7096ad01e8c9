#include "browser/dde_reply.h"

#include "store/bookmark_item.h"
#include "store/encoding.h"

namespace perchlet {

namespace {

constexpr char kEscape = 0x1B;

class ReplyReader {
public:
    explicit ReplyReader(std::string_view reply) : text_(reply.substr(0, reply.find('\0'))) {}

    void skipOpeningQuote() {
        if (pos_ < text_.size() && text_[pos_] == '"') ++pos_;
    }

    void skipSeparators() {
        while (pos_ < text_.size() && (text_[pos_] == '"' || text_[pos_] == ',')) ++pos_;
    }

    // Up to the next double quote. A two-byte character is taken whole, a backslash takes the
    // next character as it is; either cut off by the end of the text ends the field.
    std::string field() {
        std::string out;
        bool jisDoubleByte = false;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == kEscape) {
                jisDoubleByte = switchesToJisDoubleByte(jisDoubleByte);
                out += c;
                ++pos_;
            } else if (jisDoubleByte) {
                // ISO-2022-JP pairs are 7-bit: their bytes may be '"' or '\' and are not ours.
                out += c;
                ++pos_;
            } else if (c == '"') {
                break;
            } else if (c == '\\') {
                ++pos_;  // dropped: the character after it is taken as it is, a quote included
                if (!takeCharacter(out)) break;
            } else if (!takeCharacter(out)) {
                break;
            }
        }
        return out;
    }

private:
    // One character: a two-byte one whole. False at the end of the text, or at a lead byte
    // that the text ends after, which ends the field.
    bool takeCharacter(std::string& out) {
        if (pos_ >= text_.size()) return false;
        std::size_t length = isShiftJisLeadByte(static_cast<unsigned char>(text_[pos_])) ? 2 : 1;
        if (pos_ + length > text_.size()) {
            pos_ = text_.size();
            return false;
        }
        out.append(text_.substr(pos_, length));
        pos_ += length;
        return true;
    }

    // ESC $ @ and ESC $ B start two-byte text; ESC ( x returns to one byte.
    bool switchesToJisDoubleByte(bool current) const {
        std::string_view rest = text_.substr(pos_ + 1, 2);
        if (rest == "$@" || rest == "$B") return true;
        if (!rest.empty() && rest[0] == '(') return false;
        return current;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

std::string toShiftJis(std::string title) {
    switch (guessEncoding(title)) {
    case EncodingGuess::EucJp: eucJpToShiftJis(title); break;
    case EncodingGuess::Iso2022Jp: iso2022JpToShiftJis(title); break;
    default: break;
    }
    return title;
}

}  // namespace

BrowserPage parseWindowInfoReply(std::string_view reply) {
    ReplyReader reader(reply);
    BrowserPage page;
    reader.skipOpeningQuote();
    page.address = fitAddress(reader.field());
    reader.skipSeparators();
    page.title = fitText(toShiftJis(reader.field()));
    reader.skipSeparators();
    page.third = fitText(reader.field());
    return page;
}

}  // namespace perchlet
