#include "exchange/favorites.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>

#include "exchange/favorites_case.h"
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

bool isAsciiText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Every byte above ASCII as "%XX": the same address, in bytes any code page reads alike.
std::string percentEncodedHigh(std::string_view utf8) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : utf8) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
            continue;
        }
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
    return out;
}

// UTF-7 as Windows writes [InternetShortcut.W]: printable ASCII as itself, "+" as "+-",
// anything else as "+", the base64 of its UTF-16 units, "-".
std::string utf7Of(std::u16string_view text) {
    static const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    auto direct = [](char16_t c) { return c >= 0x20 && c < 0x7F && c != u'+'; };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (direct(text[i])) {
            out += static_cast<char>(text[i++]);
            continue;
        }
        if (text[i] == u'+') {
            out += "+-";
            ++i;
            continue;
        }
        out += '+';
        std::uint32_t bits = 0;
        int count = 0;
        for (; i < text.size() && !direct(text[i]) && text[i] != u'+'; ++i) {
            bits = bits << 16 | text[i];
            count += 16;
            while (count >= 6) out += kBase64[(bits >> (count -= 6)) & 0x3F];
        }
        if (count > 0) out += kBase64[(bits << (6 - count)) & 0x3F];
        out += '-';
    }
    return out;
}

}  // namespace

std::string internetShortcutText(std::string_view locator, TextEncoding encoding) {
    if (encoding == TextEncoding::ShiftJis || isAsciiText(locator)) return internetShortcutText(locator);
    // As Windows keeps an address its code page cannot hold: percent-encoded for the
    // programs that read only [InternetShortcut], whole in [InternetShortcut.W].
    return internetShortcutText(percentEncodedHigh(locator)) + "[InternetShortcut.W]\r\nURL=" +
           utf7Of(utf16OfText(locator, TextEncoding::Utf8)) + "\r\n";
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
std::string shortcutBytesAsText(std::string_view fileText, TextEncoding into) {
    if (fileText.substr(0, 2) == "\xFF\xFE") {
        std::u16string wide;
        for (std::size_t i = 2; i + 1 < fileText.size(); i += 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(fileText[i]) |
                                          static_cast<unsigned char>(fileText[i + 1]) << 8);
        return textFromUtf16(wide, into, Unrepresentable::PercentEncode);
    }
    if (fileText.substr(0, 3) == "\xEF\xBB\xBF") return textFromUtf8(fileText.substr(3), into, Unrepresentable::PercentEncode);
    return convertText(fileText, TextEncoding::ShiftJis, into);
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
    return internetShortcutUrl(fileText, TextEncoding::ShiftJis);
}

std::string internetShortcutUrl(std::string_view fileText, TextEncoding into) {
    const std::string text = shortcutBytesAsText(fileText, into);
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
        return fitText(textFromUtf16(utf7ToUtf16(*unicodeUrl), into, Unrepresentable::PercentEncode), into);
    if (url) return fitText(*url, into);
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

std::string favoritesName(std::string_view title) { return favoritesName(title, TextEncoding::ShiftJis); }

std::string favoritesName(std::string_view title, TextEncoding encoding) {
    std::string name = filterText(title, TextFilter::FileName, encoding);
    // Neither byte can be the second byte of a two-byte character.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) return "_";
    if (isDeviceName(name)) name.insert(0, "_");
    return name;
}

// ---------------------------------------------------------------- paths

namespace fs = std::filesystem;

fs::path favoritesPathName(std::string_view shiftJisName) { return fs::u8path(shiftJisToUtf8(shiftJisName)); }

fs::path favoritesPathName(std::string_view name, TextEncoding encoding) {
    // u8path throws on bytes that are no UTF-8; such bytes are U+FFFD in a name as anywhere.
    return fs::u8path(wellFormedUtf8(utf8OfText(name, encoding)));
}

std::string titleOfPathName(const fs::path& name, LostCharacters* lost) {
    return titleOfPathName(name, TextEncoding::ShiftJis, lost);
}

std::string titleOfPathName(const fs::path& name, TextEncoding encoding, LostCharacters* lost) {
    try {
        return textFromUtf8(name.u8string(), encoding, Unrepresentable::Mark, lost);
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

// The first count characters of name, cut between characters.
std::string firstCharacters(const std::string& name, std::size_t count, TextEncoding encoding) {
    std::size_t pos = 0;
    for (std::size_t taken = 0; pos < name.size() && taken < count; ++taken) {
        unsigned char byte = static_cast<unsigned char>(name[pos]);
        std::size_t width = encoding == TextEncoding::Utf8 ? utf8SequenceLength(byte) : isShiftJisLeadByte(byte) ? 2 : 1;
        pos = std::min(name.size(), pos + width);
    }
    return name.substr(0, pos);
}

// name cut to at most units UTF-16 units and made a sound name again (a cut can leave a
// trailing dot or turn "CONSOLE" into the device "CON"); empty when nothing fits. A
// character beyond U+FFFF takes two units, so a UTF-8 name may need fewer characters.
std::string cutToUnits(const std::string& name, std::size_t units, TextEncoding encoding) {
    if (utf16OfText(name, encoding).size() <= units) return name;
    for (std::size_t keep = units; keep > 0; --keep) {
        std::string cut = favoritesName(firstCharacters(name, keep, encoding), encoding);
        if (utf16OfText(cut, encoding).size() <= units) return cut;
    }
    return {};
}

std::u16string nameKey(const std::string& name, TextEncoding encoding) {
    return fileSystemNameKey(utf16OfText(name, encoding));
}

std::optional<std::u16string> pathNameKey(const fs::path& name) {
    try {
        return fileSystemNameKey(name.u16string());
    } catch (const std::exception&) {
        return std::nullopt;  // a name that is not Unicode cannot meet one made from a title
    }
}

// The names given in one directory, told apart as Windows tells them: in any case.
class NamesInDirectory {
public:
    explicit NamesInDirectory(TextEncoding encoding) : encoding_(encoding) {}
    // A file already on the disk: KeepBoth numbers around it, a survey reports it.
    void noteOnDisk(const fs::path& name, bool reserve) {
        std::optional<std::u16string> key = pathNameKey(name);
        if (!key) return;
        onDisk_.insert(*key);
        if (reserve) used_.insert(*key);
    }
    bool isOnDisk(const std::string& name) const { return onDisk_.count(nameKey(name, encoding_)) > 0; }
    // name, or "name (2)", "name (3)", … with the extension after the number, the name cut
    // so that the whole takes at most room UTF-16 units; empty when not one character fits.
    std::string unused(const std::string& name, std::string_view extension, std::size_t room, bool& shortened) {
        for (unsigned copy = 1;; ++copy) {
            std::string tail = (copy == 1 ? std::string() : " (" + std::to_string(copy) + ")") + std::string(extension);
            std::size_t tailUnits = tail.size();  // ASCII
            if (room <= tailUnits) return {};
            std::string base = cutToUnits(name, room - tailUnits, encoding_);
            if (base.empty()) return {};
            std::string candidate = base + tail;
            if (used_.insert(nameKey(candidate, encoding_)).second) {
                shortened = base.size() < name.size();
                return candidate;
            }
        }
    }

private:
    TextEncoding encoding_;
    std::set<std::u16string> used_;
    std::set<std::u16string> onDisk_;
};

// ---------------------------------------------------------------- export

enum class ExportMode { Write, Survey };

struct FavoritesExport {
    const Document& document;
    FavoritesFileSystem& files;
    AfterFailedWrite after;
    ExistingFiles existing;
    ExportMode mode;
    TextEncoding encoding;
    FavoritesExportResult result;
    ExistingFavorites found;
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

// Room for a name in directory when the whole path may take at most limit units.
std::size_t roomIn(const fs::path& directory, std::size_t limit) {
    std::size_t used = pathLength(directory) + 1;  // and the separator
    return used < limit ? limit - used : 0;
}

// A name from title that is free in directory and fits; empty when none fits.
std::string nameFor(FavoritesExport& run, NamesInDirectory& names, std::string_view title,
                    const fs::path& directory, std::string_view extension, std::size_t limit) {
    bool shortened = false;
    std::string name =
        names.unused(favoritesName(title, run.encoding), extension, roomIn(directory, limit), shortened);
    if (shortened && run.mode == ExportMode::Write) ++run.result.namesShortened;
    return name;
}

// The files already in directory, as Windows would match names against them: a survey
// reports them, KeepBoth numbers around them.
NamesInDirectory namesFor(FavoritesExport& run, const fs::path& directory) {
    NamesInDirectory names(run.encoding);
    bool keep = run.mode == ExportMode::Write && run.existing == ExistingFiles::KeepBoth;
    if (run.mode == ExportMode::Write && !keep) return names;
    if (std::optional<std::vector<FavoritesEntry>> entries = run.files.list(directory))
        for (const FavoritesEntry& entry : *entries)
            if (!entry.isDirectory) names.noteOnDisk(entry.name, keep);
    return names;
}

bool writeShortcut(FavoritesExport& run, const NamesInDirectory& names, const fs::path& directory,
                   const std::string& name, std::string_view locator) {
    fs::path path = directory / favoritesPathName(name, run.encoding);
    if (run.mode == ExportMode::Survey) {
        if (names.isOnDisk(name) && run.found.count++ == 0) run.found.first = path;
        return true;
    }
    if (run.files.writeFile(path, internetShortcutText(locator, run.encoding))) {
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

bool makeFolderDirectory(FavoritesExport& run, const fs::path& path) {
    if (run.mode == ExportMode::Survey) return true;
    return run.files.makeDirectory(path);
}

bool exportFolder(FavoritesExport& run, NodeId node, const fs::path& directory, unsigned level,
                  NamesInDirectory& names) {
    const BookmarkTree& tree = run.document.tree;
    std::string_view title = recordOfNode(run.document, node).title;
    std::string name = nameFor(run, names, title, directory, "", kMaxFavoritesDirectoryPath);
    fs::path path = directory / favoritesPathName(name.empty() ? favoritesName(title, run.encoding) : name, run.encoding);
    if (name.empty() || !makeFolderDirectory(run, path)) {
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
    NamesInDirectory inside = namesFor(run, path);
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
    std::string name = nameFor(run, names, record.title, directory, ".url", kMaxFavoritesPath);
    if (name.empty())
        return failed(run, directory / favoritesPathName(favoritesName(record.title, run.encoding) + ".url", run.encoding));
    return writeShortcut(run, names, directory, name, record.locator);
}

void exportEvery(FavoritesExport& run, NodeId start, const fs::path& chosenDirectory) {
    NamesInDirectory names = namesFor(run, chosenDirectory);
    for (NodeId each : exportStarts(run.document.tree, start))
        if (!exportItem(run, each, chosenDirectory, 1, names)) break;
}

}  // namespace

FavoritesExportResult exportFavorites(const Document& document, NodeId start, const fs::path& chosenDirectory,
                                      FavoritesFileSystem& files, AfterFailedWrite after, ExistingFiles existing,
                                      TextEncoding encoding) {
    FavoritesExport run{document, files, after, existing, ExportMode::Write, encoding, {}, {}};
    exportEvery(run, start, chosenDirectory);
    return run.result;
}

ExistingFavorites findExistingFavorites(const Document& document, NodeId start, const fs::path& chosenDirectory,
                                        FavoritesFileSystem& files, TextEncoding encoding) {
    FavoritesExport run{document, files, AfterFailedWrite::CarryOn, ExistingFiles::Replace, ExportMode::Survey,
                        encoding, {}, {}};
    exportEvery(run, start, chosenDirectory);
    return run.found;
}

// ---------------------------------------------------------------- import

namespace {

struct FavoritesImport {
    Document& document;
    FavoritesFileSystem& files;
    TextEncoding into;
    std::size_t entries = 0;
    FavoritesImportResult result;
};

BookmarkItem recordWithTimes(const FavoritesEntry& entry, std::string_view title, TextEncoding into) {
    BookmarkItem record;
    record.title = fitText(filterText(title, TextFilter::SingleLine, into), into);
    record.addDate = dateText(entry.created);
    record.lastModified = dateText(entry.lastWritten);
    record.lastVisit = dateText(entry.lastAccessed);
    return record;
}

// A shortcut's name without its last four characters (".url"), cut between characters.
std::string_view linkTitleOf(std::string_view name, TextEncoding encoding) {
    if (name.size() <= 4) return {};
    std::size_t keep = fitField(name, name.size() - 4, encoding).size();
    return name.substr(0, keep);
}

// The entry's name as the document's text: the file system's listing made it Shift-JIS.
std::string entryTitle(const FavoritesImport& run, const FavoritesEntry& entry) {
    if (run.into == TextEncoding::ShiftJis) return entry.title;
    return titleOfPathName(entry.name, TextEncoding::Utf8);
}

std::string shortcutUrlAt(FavoritesFileSystem& files, const fs::path& path, TextEncoding into) {
    std::optional<std::string> text = files.readFile(path);
    return text ? internetShortcutUrl(*text, into) : std::string(kUrlNotFound);
}

bool readDirectory(FavoritesImport& run, const fs::path& directory, NodeId parent);

// A name that lost characters is counted once, and the first one kept for the message.
void noteLostCharacters(FavoritesImport& run, const FavoritesEntry& entry) {
    if (run.into == TextEncoding::Utf8) return;
    LostCharacters lost;
    titleOfPathName(entry.name, &lost);
    if (lost.runs == 0) return;
    if (run.result.markedItems++ == 0) run.result.firstMarkedTitle = entry.title;
}

void importEntry(FavoritesImport& run, const FavoritesEntry& entry, const fs::path& path, NodeId parent) {
    if (!canHoldChildren(run.document, parent)) return;
    noteLostCharacters(run, entry);
    const std::string title = entryTitle(run, entry);
    if (entry.isDirectory) {
        NodeId folder = addImportedItem(run.document, parent, kKindFolder, recordWithTimes(entry, title, run.into)).node;
        ++run.result.count;
        readDirectory(run, path, folder);
        return;
    }
    BookmarkItem record = recordWithTimes(entry, linkTitleOf(title, run.into), run.into);
    record.locator = fitAddress(shortcutUrlAt(run.files, path, run.into), run.into);
    unsigned kind = kindForImportedAddress(record.locator);
    addImportedItem(run.document, parent, kind, std::move(record));
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
                                      FavoritesFileSystem& files, TextEncoding into) {
    FavoritesImport run{document, files, into, 0, {}};
    run.result.topLevelRead = readDirectory(run, directory, target);
    // A folder read counts as a change even when it held nothing to add, as it always has.
    if (run.result.topLevelRead) document.history.markChanged();
    return run.result;
}

}  // namespace perchlet
