// The reply of a browser's "WWW_GetWindowInfo": quoted, comma-separated fields.
#pragma once
#include <string>
#include <string_view>

namespace perchlet {

struct BrowserPage {
    std::string address;
    std::string title;  // Shift-JIS
    std::string third;  // each field at most 1023 bytes, cut at a character boundary
};

BrowserPage parseWindowInfoReply(std::string_view reply);

}  // namespace perchlet
