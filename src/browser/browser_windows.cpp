#include "browser/browser_windows.h"

#include "browser/browser_kind.h"

namespace perchlet {

namespace {

struct WindowTraits {
    BrowserKind kind;
    std::u16string_view className;
    std::u16string_view titleEnding;
};

constexpr std::u16string_view kChromiumClass = u"Chrome_WidgetWin_1";
constexpr std::u16string_view kFirefoxClass = u"MozillaWindowClass";

constexpr WindowTraits kTraits[] = {
    {BrowserKind::Chrome, kChromiumClass, u" - Google Chrome"},
    {BrowserKind::Edge, kChromiumClass, u" - Microsoft\u200B Edge"},
    {BrowserKind::Edge, kChromiumClass, u" - Microsoft Edge"},
    {BrowserKind::Brave, kChromiumClass, u" - Brave"},
    {BrowserKind::Vivaldi, kChromiumClass, u" - Vivaldi"},
    {BrowserKind::Chromium, kChromiumClass, u" - Chromium"},
    {BrowserKind::Opera, kChromiumClass, u" - Opera"},
    {BrowserKind::Firefox, kFirefoxClass, u" \u2014 Mozilla Firefox"},
    {BrowserKind::Firefox, kFirefoxClass, u" - Mozilla Firefox"},
};

// The kinds told by a text in their window titles, in the order they are tried.
constexpr BrowserKind kTitleTextKinds[] = {
    BrowserKind::Ie,      BrowserKind::Netscape6, BrowserKind::Netscape, BrowserKind::Opera,
    BrowserKind::Firefox, BrowserKind::Mozilla,   BrowserKind::Sleipnir, BrowserKind::NotFound,
};

bool endsWith(std::u16string_view text, std::u16string_view ending) {
    return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

const WindowTraits* traitsOf(std::u16string_view className, std::u16string_view title) {
    for (const WindowTraits& traits : kTraits)
        if (className == traits.className && endsWith(title, traits.titleEnding)) return &traits;
    return nullptr;
}

bool carriesTitleText(std::u16string_view title, BrowserKind kind) {
    const char* text = windowTitleText(kind);
    if (!text) return false;
    std::u16string wide(text, text + std::char_traits<char>::length(text));  // the texts are ASCII
    return title.find(wide) != std::u16string_view::npos;
}

}  // namespace

BrowserKind browserKindOfWindow(std::u16string_view className, std::u16string_view title, BrowserKind wanted) {
    if (className == u"ExploreWClass") return BrowserKind::None;  // Explorer, not the browser
    if (const WindowTraits* traits = traitsOf(className, title))
        return wanted == kAnyBrowserKind || wanted == traits->kind ? traits->kind : BrowserKind::None;
    if (wanted != kAnyBrowserKind) return carriesTitleText(title, wanted) ? wanted : BrowserKind::None;
    for (BrowserKind kind : kTitleTextKinds)
        if (carriesTitleText(title, kind)) return kind;
    return BrowserKind::None;
}

std::u16string pageTitleOfWindow(std::u16string_view className, std::u16string_view title) {
    if (const WindowTraits* traits = traitsOf(className, title)) title.remove_suffix(traits->titleEnding.size());
    return std::u16string(title);
}

bool isWholeAddress(std::u16string_view text) {
    std::size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos || colon == 0) return false;
    if (text.find_first_of(u"/?#") < colon) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        char16_t c = text[i];
        bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        bool other = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
        if (!letter && !(i > 0 && other)) return false;
    }
    // "localhost:8080/x" has a port, not a scheme, after its name.
    std::u16string_view rest = text.substr(colon + 1);
    bool portFollows = !rest.empty() && rest[0] >= u'0' && rest[0] <= u'9';
    return !portFollows;
}

}  // namespace perchlet
