// The reply parser on whatever a peer sends for "WWW_GetWindowInfo": no field outgrows what
// its record keeps, none ends in half a two-byte character, and bytes after a NUL never count.
#include "browser/dde_reply.h"
#include "fuzz_support.h"
#include "store/bookmark_item.h"

using namespace perchlet;
using namespace perchlet::fuzz;

namespace {

// True when the text does not end with a lone Shift-JIS lead byte. Fields with ISO-2022-JP
// runs are copied as they came (escapes and all): they are not Shift-JIS to judge.
bool endsOnCharacterBoundary(std::string_view text) {
    if (text.find('\x1B') != std::string_view::npos) return true;
    std::size_t i = 0;
    while (i < text.size()) i += isShiftJisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i == text.size();
}

void checkField(const std::string& field) {
    check(field.size() <= kTextFieldMax);
    check(field.find('\0') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view reply = textOf(data, size);
    BrowserPage page = parseWindowInfoReply(reply);
    checkField(page.address);
    checkField(page.title);
    checkField(page.third);
    check(endsOnCharacterBoundary(page.address));
    check(endsOnCharacterBoundary(page.third));

    // What follows a NUL is not part of the reply.
    std::size_t end = reply.find('\0');
    if (end != std::string_view::npos) {
        BrowserPage cut = parseWindowInfoReply(reply.substr(0, end));
        check(cut.address == page.address && cut.title == page.title && cut.third == page.third);
    }
    return 0;
}
