// The title scanner on page bodies from outside: where the body is split into chunks must
// not matter, the title keeps within its buffer, and the title field text within its field.
#include "fuzz_support.h"
#include "web/title_scanner.h"

using namespace perchlet;
using namespace perchlet::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the chunk size; the rest is the page.
    std::size_t chunk = 1 + data[0] % 64;
    std::string_view page = textOf(data + 1, size - 1);

    TitleScanner whole;
    whole.feed(page);
    TitleScanner chunked;
    for (std::size_t pos = 0; pos < page.size(); pos += chunk) chunked.feed(page.substr(pos, chunk));

    check(whole.title() == chunked.title());
    check(whole.openingFound() == chunked.openingFound());
    check(whole.finished() == chunked.finished());
    check(whole.title().size() <= kFetchedTitleMax);
    check(whole.openingFound() || whole.title().empty());

    std::string charset = declaredCharset(page);
    std::string field = titleFieldText(whole.title(), charset, "");
    check(field.size() <= kTextFieldMax);
    check(field.find_first_of("\r\n") == std::string::npos);
    return 0;
}
