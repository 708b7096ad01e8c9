#include "browser/browser_kind.h"

#include <cmath>

#include "store/bookmark_item.h"
#include "store/encoding.h"

namespace perchlet {

namespace {

struct KindRow {
    const char* fileName;  // nullptr: never derived from a path
    const char* service;
    const char* displayName;
    const char* titleText;  // nullptr: never searched for
};

// Indexed by kind.
constexpr KindRow kKinds[] = {
    {"", "IEXPLORE", " ", nullptr},
    {"iexplore", "IEXPLORE", "IEXPLORE", "Internet Explorer"},
    {"netscp", "Netscape6", "Netscape6", "Netscape"},
    {"netscape", "NETSCAPE", "NETSCAPE", "Netscape"},
    {"opera", "Opera", "Opera", "Opera"},
    {"firefox", "Firefox", "Firefox", "Firefox"},
    {"mozilla", "Mozilla", "Mozilla", "Mozilla"},
    {"sleipnir", "SLEIPNIR", "SLEIPNIR", "Sleipnir"},
    {nullptr, "IEXPLORE", " ", "Not Found"},
    {nullptr, "IEXPLORE", " ", nullptr},
    {"chrome", "IEXPLORE", "Chrome", nullptr},
    {"msedge", "IEXPLORE", "Edge", nullptr},
    {"brave", "IEXPLORE", "Brave", nullptr},
    {"vivaldi", "IEXPLORE", "Vivaldi", nullptr},
    {"chromium", "IEXPLORE", "Chromium", nullptr},
};
constexpr int kKindCount = static_cast<int>(sizeof kKinds / sizeof kKinds[0]);

int indexOf(BrowserKind kind) { return static_cast<int>(kind); }

const KindRow& rowOf(BrowserKind kind) {
    int index = indexOf(kind);
    return kKinds[index >= 0 && index < kKindCount ? index : indexOf(BrowserKind::Other)];
}

BrowserKind kindAt(int index) { return static_cast<BrowserKind>(index); }

std::string_view fileNameOf(std::string_view path) {
    std::size_t slash = path.find_last_of("\\/:");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    return path;
}

std::string_view baseName(std::string_view path) {
    path = fileNameOf(path);
    std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos) path = path.substr(0, dot);
    return path;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    lowerCaseAscii(result);
    return result;
}

// The program file's name as typed, quotes around the whole path left out.
std::string lowerFileName(std::string_view path) {
    while (!path.empty() && path.back() == '"') path.remove_suffix(1);
    return lowered(fileNameOf(path));
}

// Opera starts through "launcher.exe" in its own folder ("Opera", "Opera GX", ...).
bool isOperaLauncher(std::string_view path) {
    if (lowerFileName(path) != "launcher.exe") return false;
    std::string folders = lowered(path.substr(0, path.size() - fileNameOf(path).size()));
    for (std::size_t at = folders.find("opera"); at != std::string::npos; at = folders.find("opera", at + 1))
        if (at == 0 || folders[at - 1] == '\\' || folders[at - 1] == '/' || folders[at - 1] == '"') return true;
    return false;
}

bool hasBlank(std::string_view text) { return text.find_first_of(" \t") != std::string_view::npos; }

// In quotes, as the C runtime splits a command line: backslashes before the closing quote
// are doubled so that they do not escape it.
std::string quoted(const std::string& text) {
    std::size_t last = text.find_last_not_of('\\');
    std::size_t trailing = last == std::string::npos ? text.size() : text.size() - last - 1;
    return "\"" + text + std::string(trailing, '\\') + "\"";
}

}  // namespace

BrowserKind browserKindOf(std::string_view path) {
    std::string name(baseName(path));
    lowerCaseAscii(name);
    for (int index = 0; index < indexOf(kFirstChromiumKind); ++index)
        if (kKinds[index].fileName && name == kKinds[index].fileName) return kindAt(index);
    std::string fileName = lowerFileName(path);
    for (int index = indexOf(kFirstChromiumKind); index <= indexOf(kLastChromiumKind); ++index)
        if (fileName == std::string(kKinds[index].fileName) + ".exe") return kindAt(index);
    if (isOperaLauncher(path)) return BrowserKind::Opera;
    return BrowserKind::Other;
}

const char* ddeServiceName(BrowserKind kind) { return rowOf(kind).service; }
const char* browserDisplayName(BrowserKind kind) { return rowOf(kind).displayName; }
const char* windowTitleText(BrowserKind kind) { return rowOf(kind).titleText; }

BrowserKind browserKindOfTitle(std::string_view title) {
    for (int index = indexOf(BrowserKind::Ie); index <= indexOf(BrowserKind::NotFound); ++index)
        if (title.find(kKinds[index].titleText) != std::string_view::npos) return kindAt(index);
    return BrowserKind::None;
}

OpenModeTarget openModeTarget(OpenMode openMode) {
    int mode = static_cast<int>(openMode);
    if (mode < 1 || mode > 9) return {BrowserSlot::None, LaunchStyle::Reuse};
    return {static_cast<BrowserSlot>((mode - 1) / 3 + 1), static_cast<LaunchStyle>((mode - 1) % 3 + 1)};
}

BrowserSlot slotOfIndex(int index) {
    return index >= 0 && index <= 2 ? static_cast<BrowserSlot>(index + 1) : BrowserSlot::None;
}

BrowserSlot slotOfOpenMode(OpenMode openMode, int doubleClickSlotIndex) {
    OpenModeTarget target = openModeTarget(openMode);
    if (target.slot != BrowserSlot::None) return target.slot;
    return slotOfIndex(doubleClickSlotIndex);
}

OpenMode openModeOfCommand(int command) {
    if (command == 126) return OpenMode::DoubleClickSlot;
    if (command < 146 || command > 154) return OpenMode::None;
    // Per slot: 146 + 3(s-1) placed (style 2), then new window (1), then tab (3).
    static constexpr int kStyleOfPlace[] = {2, 1, 3};
    int offset = command - 146;
    return static_cast<OpenMode>(3 * (offset / 3) + kStyleOfPlace[offset % 3]);
}

std::string slotLabel(BrowserSlot slot, std::string_view browserPath) {
    static constexpr const char* kLabels[] = {"デフォルトブラウザ(", "セカンドブラウザ(", "サードブラウザ("};
    int number = slotNumber(slot);
    if (number < 1 || number > 3) return {};
    // A slot with no browser says so, and one of no known kind shows its program's name,
    // rather than empty brackets.
    if (!isBrowserConfigured(browserPath)) return std::string(kLabels[number - 1]) + "未設定)";
    std::string name = browserDisplayName(browserKindOf(browserPath));
    if (name.find_first_not_of(' ') == std::string::npos) {
        std::string_view path = browserPath;
        while (!path.empty() && path.back() == '"') path.remove_suffix(1);
        name = baseName(path);
    }
    return std::string(kLabels[number - 1]) + name + ")";
}

RunningPlan runningPlan(BrowserKind kind, LaunchStyle style) {
    bool tab = style == LaunchStyle::NewTab;
    switch (kind) {
    case BrowserKind::Ie:
    case BrowserKind::Netscape:
        return {tab ? RunningMethod::Nothing : RunningMethod::StartWithAddress, false, 0, 1000};
    case BrowserKind::Netscape6:
    case BrowserKind::Firefox:
    case BrowserKind::Mozilla:
        return {RunningMethod::KeysThenDde, false, tab ? 'T' : 'N', 500};
    case BrowserKind::Opera:
        return {RunningMethod::KeysThenDde, !tab, 'N', 500};
    case BrowserKind::Sleipnir:
        return {RunningMethod::StartSleipnir, false, 0, 500};
    default:
        return {RunningMethod::Nothing, false, 0, 0};
    }
}

bool progressStepsAtPass(int pass) {
    auto root = [](int n) { return n <= 0 ? 0 : static_cast<int>(std::sqrt(static_cast<double>(n))); };
    return pass > 0 && root(pass) > root(pass - 1);
}

std::string addressForBrowser(std::string_view address) {
    std::string out;
    out.reserve(address.size());
    for (std::size_t i = 0; i < address.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(address[i]);
        if (isShiftJisLeadByte(byte) && i + 1 < address.size()) {
            out += address.substr(i, 2);  // a trail byte can look like anything
            ++i;
        } else if (byte == '"') {
            out += "%22";
        } else if (byte != 0) {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

std::string openUrlItem(std::string_view address) {
    std::string item = "\"" + addressForBrowser(address) + "\",,0xFFFFFFFF,0x0,,,";
    return fitField(item, kTextFieldMax);
}

std::string programArgument(std::string_view browserPath) {
    std::string path;
    for (char c : browserPath)
        if (c != '"') path += c;
    return hasBlank(path) ? quoted(path) : path;
}

std::string addressArgument(std::string_view address) {
    std::string shown = addressForBrowser(address);
    return hasBlank(shown) ? quoted(shown) : shown;
}

std::string browserCommandLine(std::string_view browserPath, std::string_view address, bool newWindowFlag) {
    return programArgument(browserPath) + (newWindowFlag ? " /m " : " ") + addressArgument(address);
}

}  // namespace perchlet
