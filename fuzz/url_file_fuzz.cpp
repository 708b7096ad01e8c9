// The Internet shortcut (.url) reader: any bytes give an address that fits its field, and
// the file written for that address reads back as the same address.
#include "exchange/favorites.h"
#include "fuzz_support.h"
#include "store/encoding.h"

using namespace perchlet;
using namespace perchlet::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text = textOf(data, size);
    // "URL=" with nothing after it reads as empty, as the profile functions read it.
    std::string url = internetShortcutUrl(text);
    check(url.size() <= kTextFieldMax);

    // A line break would end the value early: only addresses without one come back whole.
    if (!url.empty() && url.find_first_of("\r\n") == std::string::npos && url == std::string(url.data()) &&
        url.front() != ' ' && url.front() != '\t' && url.back() != ' ' && url.back() != '\t' &&
        !(url.size() >= 2 && (url.front() == '"' || url.front() == '\'') && url.back() == url.front()))
        check(internetShortcutUrl(internetShortcutText(url)) == url);

    // Names as a directory listing gives them.
    std::string name = favoritesName(text);
    check(!name.empty());
    check(titleOfPathName(favoritesPathName(name)).size() <= name.size());
    return 0;
}
