#include "app/caption_fit.h"

namespace perchlet {

namespace {

constexpr wchar_t kProgramPart[] = L" - Perchlet";
constexpr wchar_t kEllipsis[] = L"\u2026";

bool isLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The name with only its first and last characters, kept in all, and "…" between them;
// a character outside the BMP is kept or dropped whole.
std::wstring nameKeeping(const std::wstring& name, std::size_t kept) {
    std::size_t head = (kept + 1) / 2;
    std::size_t tailStart = name.size() - kept / 2;
    if (head > 0 && isLowSurrogate(name[head])) --head;
    if (tailStart < name.size() && isLowSurrogate(name[tailStart])) ++tailStart;
    return name.substr(0, head) + kEllipsis + name.substr(tailStart);
}

}  // namespace

std::wstring fittedCaption(const std::wstring& caption, const std::function<bool(const std::wstring&)>& fits) {
    if (fits(caption)) return caption;
    std::size_t nameStart = !caption.empty() && caption[0] == L'*' ? 1 : 0;
    std::size_t nameEnd = caption.rfind(kProgramPart);
    if (nameEnd == std::wstring::npos || nameEnd < nameStart) nameEnd = caption.size();
    std::wstring before = caption.substr(0, nameStart);
    std::wstring name = caption.substr(nameStart, nameEnd - nameStart);
    std::wstring after = caption.substr(nameEnd);
    if (name.size() < 2) return caption;
    // The most characters that still fit, found by halving: fewer characters never widen it.
    std::size_t low = 0, high = name.size() - 1;
    while (low < high) {
        std::size_t middle = (low + high + 1) / 2;
        if (fits(before + nameKeeping(name, middle) + after)) low = middle;
        else high = middle - 1;
    }
    return before + nameKeeping(name, low) + after;
}

}  // namespace perchlet
