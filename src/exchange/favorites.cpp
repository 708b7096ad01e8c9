#include "exchange/favorites.h"

#include <array>
#include <cstdint>
#include <set>

#include "store/encoding.h"

namespace perchlet {

// ---------------------------------------------------------------- shortcut files and names

std::string internetShortcutText(std::string_view locator) {
    std::string text = "[InternetShortcut]\r\nURL=";
    text += locator;
    text += "\r\n";
    return text;
}

namespace {

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
    return true;
}

std::string_view trimmed(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A value in matching quotes loses them, as the profile functions do.
std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Shortcut files are in the ANSI code page, occasionally UTF-16 or UTF-8 with a byte order
// mark; the only value read is an address, so what Shift-JIS cannot hold is percent-encoded.
std::string shortcutBytesAsShiftJis(std::string_view fileText) {
    if (fileText.substr(0, 2) == "\xFF\xFE") {
        std::u16string wide;
        for (std::size_t i = 2; i + 1 < fileText.size(); i += 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(fileText[i]) |
                                          static_cast<unsigned char>(fileText[i + 1]) << 8);
        return utf16ToShiftJis(wide, Unrepresentable::PercentEncode);
    }
    if (fileText.substr(0, 3) == "\xEF\xBB\xBF") return utf8ToShiftJis(fileText.substr(3), Unrepresentable::PercentEncode);
    return std::string(fileText);
}

}  // namespace

namespace {

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// UTF-7, as Windows writes the values of [InternetShortcut.W]: "+" opens base64 of UTF-16,
// which runs to the first other character ("-" is then dropped); "+-" is a plus sign.
std::u16string utf7ToUtf16(std::string_view text) {
    std::u16string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        char c = text[pos++];
        if (c != '+') {
            out += static_cast<char16_t>(static_cast<unsigned char>(c));
            continue;
        }
        if (pos < text.size() && text[pos] == '-') {
            out += u'+';
            ++pos;
            continue;
        }
        std::uint32_t bits = 0;
        int count = 0;
        for (int value; pos < text.size() && (value = base64Value(text[pos])) >= 0; ++pos) {
            bits = (bits << 6 | static_cast<std::uint32_t>(value)) & 0xFFFFFF;
            count += 6;
            if (count >= 16) {
                count -= 16;
                out += static_cast<char16_t>(bits >> count);
            }
        }
        if (pos < text.size() && text[pos] == '-') ++pos;
    }
    return out;
}

}  // namespace

std::string internetShortcutUrl(std::string_view fileText) {
    const std::string text = shortcutBytesAsShiftJis(fileText);
    std::string_view rest = text;
    enum class Section { Other, Shortcut, UnicodeShortcut } section = Section::Other;
    std::optional<std::string_view> url, unicodeUrl;
    while (!rest.empty()) {
        std::size_t lineEnd = rest.find('\n');
        std::string_view line = trimmed(rest.substr(0, lineEnd));
        rest.remove_prefix(lineEnd == std::string_view::npos ? rest.size() : lineEnd + 1);
        if (!line.empty() && line.front() == '[') {
            std::size_t close = line.find(']');
            std::string_view name = trimmed(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            section = equalsIgnoringCase(name, "InternetShortcut")     ? Section::Shortcut
                      : equalsIgnoringCase(name, "InternetShortcut.W") ? Section::UnicodeShortcut
                                                                        : Section::Other;
            continue;
        }
        std::size_t equals = line.find('=');
        if (section == Section::Other || equals == std::string_view::npos) continue;
        if (!equalsIgnoringCase(trimmed(line.substr(0, equals)), "URL")) continue;
        std::optional<std::string_view>& found = section == Section::Shortcut ? url : unicodeUrl;
        if (!found) found = unquoted(trimmed(line.substr(equals + 1)));
    }
    // Windows puts an address that its code page cannot hold in [InternetShortcut.W] too,
    // and only there whole.
    if (unicodeUrl && !unicodeUrl->empty())
        return fitText(utf16ToShiftJis(utf7ToUtf16(*unicodeUrl), Unrepresentable::PercentEncode));
    if (url) return fitText(*url);
    return kUrlNotFound;
}

namespace {

bool isDeviceName(std::string_view name) {
    static constexpr std::array<std::string_view, 24> kDevices = {
        "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
        "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
        "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$"};
    // Windows takes "con.txt" and "con .txt" for the device as well.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    for (std::string_view device : kDevices)
        if (equalsIgnoringCase(base, device)) return true;
    return false;
}

}  // namespace

std::string favoritesName(std::string_view title) {
    std::string name = filterText(title, TextFilter::FileName);
    // Neither byte can be the second byte of a two-byte character.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) return "_";
    if (isDeviceName(name)) name.insert(0, "_");
    return name;
}

// ---------------------------------------------------------------- paths

namespace fs = std::filesystem;

fs::path favoritesPathName(std::string_view shiftJisName) { return fs::u8path(shiftJisToUtf8(shiftJisName)); }

std::string titleOfPathName(const fs::path& name) {
    try {
        return utf8ToShiftJis(name.u8string());
    } catch (const std::exception&) {
        return {};  // a name that is not even Unicode (a lone surrogate) has no text
    }
}

namespace {

// Windows counts its path limit in UTF-16 units.
std::size_t pathLength(const fs::path& path) {
    try {
        return path.u16string().size();
    } catch (const std::exception&) {
        return path.native().size();
    }
}

// The names given in one directory, told apart as Windows tells them: ASCII in any case.
class NamesInDirectory {
public:
    // name, or "name (2)", "name (3)", … with the extension after the number.
    std::string unused(const std::string& name, std::string_view extension) {
        std::string candidate = name + std::string(extension);
        for (unsigned copy = 2; !used_.insert(folded(candidate)).second; ++copy)
            candidate = name + " (" + std::to_string(copy) + ")" + std::string(extension);
        return candidate;
    }

private:
    static std::string folded(const std::string& name) {
        std::string key = name;
        for (std::size_t pos = 0; pos < key.size(); ++pos) {
            if (isShiftJisLeadByte(static_cast<unsigned char>(key[pos])) && pos + 1 < key.size()) {
                ++pos;  // the second byte of a two-byte character is no letter
                continue;
            }
            if (key[pos] >= 'a' && key[pos] <= 'z') key[pos] = static_cast<char>(key[pos] - 'a' + 'A');
        }
        return key;
    }
    std::set<std::string> used_;
};

// ---------------------------------------------------------------- export

struct FavoritesExport {
    const Document& document;
    FavoritesFileSystem& files;
    AfterFailedWrite after;
    FavoritesExportResult result;
};

bool exportItem(FavoritesExport& run, NodeId node, const fs::path& directory, unsigned level,
                NamesInDirectory& names);

// False when the export is to stop.
bool failed(FavoritesExport& run, const fs::path& path) {
    run.result.failedWrites.push_back(path);
    if (run.after == AfterFailedWrite::CarryOn) return true;
    run.result.stopped = true;
    return false;
}

bool writeShortcut(FavoritesExport& run, const fs::path& path, std::string_view locator) {
    if (pathLength(path) <= kMaxFavoritesPath && run.files.writeFile(path, internetShortcutText(locator))) {
        ++run.result.filesWritten;
        return true;
    }
    return failed(run, path);
}

std::size_t itemsBelow(const BookmarkTree& tree, NodeId node) {
    std::size_t count = 0;
    tree.walkSubtree(node, [&count](NodeId) { ++count; });
    return count - 1;
}

bool exportFolder(FavoritesExport& run, NodeId node, const fs::path& directory, unsigned level,
                  NamesInDirectory& names) {
    const BookmarkTree& tree = run.document.tree;
    std::string name = names.unused(favoritesName(recordOfNode(run.document, node).title), "");
    fs::path path = directory / favoritesPathName(name);
    if (pathLength(path) > kMaxFavoritesPath || !run.files.makeDirectory(path)) {
        // Nothing goes below a folder that is not there, or is a link to somewhere else.
        run.result.itemsInFailedFolders += itemsBelow(tree, node);
        return failed(run, path);
    }
    ++run.result.directoriesMade;
    if (level > kFavoritesExportLevels) {
        if (tree.firstChild(node) != kNoNode) {
            ++run.result.foldersNotEntered;
            run.result.itemsNotWritten += itemsBelow(tree, node);
        }
        return true;
    }
    NamesInDirectory inside;
    for (NodeId child = tree.firstChild(node); child != kNoNode; child = tree.nextSibling(child))
        if (!exportItem(run, child, path, level + 1, inside)) return false;
    return true;
}

bool exportItem(FavoritesExport& run, NodeId node, const fs::path& directory, unsigned level,
                NamesInDirectory& names) {
    unsigned kind = kindOf(run.document.tree.node(node).itemNumber);
    if (kind == kKindFolder) return exportFolder(run, node, directory, level, names);
    if (kind == kKindShellLink || kind == kKindLocalFile) return true;
    const BookmarkItem& record = recordOfNode(run.document, node);
    std::string name = names.unused(favoritesName(record.title), ".url");
    return writeShortcut(run, directory / favoritesPathName(name), record.locator);
}

}  // namespace

FavoritesExportResult exportFavorites(const Document& document, NodeId start, const fs::path& chosenDirectory,
                                      FavoritesFileSystem& files, AfterFailedWrite after) {
    FavoritesExport run{document, files, after, {}};
    NamesInDirectory names;
    for (NodeId each : exportStarts(document.tree, start))
        if (!exportItem(run, each, chosenDirectory, 1, names)) break;
    return run.result;
}

// ---------------------------------------------------------------- import

namespace {

struct FavoritesImport {
    Document& document;
    FavoritesFileSystem& files;
    std::size_t entries = 0;
    FavoritesImportResult result;
};

BookmarkItem recordWithTimes(const FavoritesEntry& entry, std::string_view title) {
    BookmarkItem record;
    record.title = fitText(filterText(title, TextFilter::SingleLine));
    record.addDate = dateText(entry.created);
    record.lastModified = dateText(entry.lastWritten);
    record.lastVisit = dateText(entry.lastAccessed);
    return record;
}

// A shortcut's name without its last four characters (".url"), cut between characters.
std::string_view linkTitleOf(std::string_view name) {
    if (name.size() <= 4) return {};
    std::size_t keep = fitField(name, name.size() - 4).size();
    return name.substr(0, keep);
}

std::string shortcutUrlAt(FavoritesFileSystem& files, const fs::path& path) {
    std::optional<std::string> text = files.readFile(path);
    return text ? internetShortcutUrl(*text) : std::string(kUrlNotFound);
}

bool readDirectory(FavoritesImport& run, const fs::path& directory, NodeId parent);

void importEntry(FavoritesImport& run, const FavoritesEntry& entry, const fs::path& path, NodeId parent) {
    if (!canHoldChildren(run.document, parent)) return;
    if (entry.isDirectory) {
        NodeId folder = addImportedItem(run.document, parent, kKindFolder, recordWithTimes(entry, entry.title)).node;
        ++run.result.count;
        readDirectory(run, path, folder);
        return;
    }
    BookmarkItem record = recordWithTimes(entry, linkTitleOf(entry.title));
    record.locator = fitAddress(shortcutUrlAt(run.files, path));
    addImportedItem(run.document, parent, kKindWebLink, std::move(record));
    ++run.result.count;
}

// False when the directory could not be listed.
bool readDirectory(FavoritesImport& run, const fs::path& directory, NodeId parent) {
    std::optional<std::vector<FavoritesEntry>> entries = run.files.list(directory);
    if (!entries) {
        run.result.unlistedDirectories.push_back(directory);
        return false;
    }
    for (const FavoritesEntry& entry : *entries) {
        if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
        importEntry(run, entry, directory / entry.name, parent);
        // The entry that passes the limit is kept; every directory level open then stops.
        if (++run.entries > kFavoritesEntryLimit) {
            ++run.result.limitMessages;
            break;
        }
    }
    return true;
}

}  // namespace

FavoritesImportResult importFavorites(Document& document, NodeId target, const fs::path& directory,
                                      FavoritesFileSystem& files) {
    FavoritesImport run{document, files, 0, {}};
    run.result.topLevelRead = readDirectory(run, directory, target);
    if (run.result.topLevelRead) document.modified = true;
    return run.result;
}

}  // namespace perchlet
