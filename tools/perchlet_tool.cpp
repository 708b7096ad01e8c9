// perchlet-tool: converts and inspects bookmark files from scripts, through the same core
// as the program.
//   perchlet-tool show FILE [--from FORMAT]
//   perchlet-tool convert IN OUT [--from FORMAT] [--to FORMAT]
//   perchlet-tool browsers
// Formats: datafile, netscape, csv, tree-html (written only), favorites (a folder), and the
// browsers' own files, read only: chromium (a Bookmarks file), firefox (places.sqlite).
// Exit codes: 0 done, 1 input unreadable or not in the format, output not written, 2 usage.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "exchange/favorites_fs_win.h"
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "exchange/browser_profiles.h"
#include "exchange/csv.h"
#include "exchange/favorites.h"
#include "exchange/favorites_fs.h"
#include "exchange/netscape.h"
#include "exchange/tree_html.h"
#include "find_commands.h"
#include "perchlet_version.h"
#include "terminal_text.h"
#include "tool_text.h"
#include "store/data_file.h"
#include "store/encoding.h"
#include "store/tree_population.h"

using namespace perchlet;
namespace fs = std::filesystem;

#ifdef _WIN32
using ToolFavoritesFileSystem = WindowsFavoritesFileSystem;
#else
using ToolFavoritesFileSystem = DiskFavoritesFileSystem;
#endif

namespace {

constexpr const char* kProgram = "perchlet-tool";

enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// Without a window there is no image list to add icons to.
struct FallbackIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string&) override { return imagesForKind(kKindLocalFile); }
};

// A failure already worded for the user; empty when all went well.
using Failure = std::optional<std::string>;

// ---- paths: native from the command line to the file call (UTF-16 on Windows); only
// messages show them, as UTF-8 ----

std::string displayed(const fs::path& path) {
    try {
        return path.u8string();
    } catch (const std::exception&) {
        return path.string();
    }
}

// An argument as the command line gave it: UTF-8 here, and made UTF-8 from the wide command
// line on Windows (see main).
fs::path pathFromArgument(const std::string& argument) {
#ifdef _WIN32
    return fs::u8path(argument);
#else
    return fs::path(argument);
#endif
}

std::FILE* openFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
    std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

// Asks Linux for huge pages under a large buffer about to be filled: reading a 26 MB file then
// takes a dozen page faults instead of six thousand, a fifth of a conversion's time. Elsewhere,
// or where the system declines, the buffer is the same, only slower to fill.
void offerHugePages(char* start, std::size_t size) {
#ifdef __linux__
    constexpr std::uintptr_t kHuge = 2u << 20;
    std::uintptr_t from = (reinterpret_cast<std::uintptr_t>(start) + kHuge - 1) & ~(kHuge - 1);
    std::uintptr_t to = (reinterpret_cast<std::uintptr_t>(start) + size) & ~(kHuge - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)start;
    (void)size;
#endif
}

// A regular file is read in one call into a text of its size; whatever grows or has no size
// (a pipe) is read on in pieces after that.
Failure readWholeFile(const fs::path& path, std::string& bytes, std::size_t limit = SIZE_MAX) {
    std::FILE* file = openFile(path, "rb");
    if (!file) return "cannot read " + displayed(path) + ": " + std::strerror(errno);
    std::error_code sizeError;
    std::uintmax_t size = fs::is_regular_file(path, sizeError) ? fs::file_size(path, sizeError) : 0;
    std::size_t want = static_cast<std::size_t>(std::min<std::uintmax_t>(sizeError ? 0 : size, limit));
    bytes.clear();
    bytes.reserve(want);
    offerHugePages(bytes.data(), want);
    bytes.assign(want, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    char buffer[1 << 16];
    std::size_t got;
    while (bytes.size() < limit &&
           (got = std::fread(buffer, 1, std::min(sizeof buffer, limit - bytes.size()), file)) > 0)
        bytes.append(buffer, got);
    bool failed = std::ferror(file) != 0;
    int error = errno;
    std::fclose(file);
    if (failed) return "cannot read " + displayed(path) + ": " + std::strerror(error);
    return std::nullopt;
}

// Sets the disk writing what the file holds so far, without waiting for it: a large file
// written a piece at a time is then mostly on the disk already when flushToDisk waits for it.
// Elsewhere the flush at the end does all of it.
bool startWritingToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef __linux__
    ::sync_file_range(fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    return true;
}

// On the disk, not only handed to the system, before the rename makes it the file.
bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(fileno(file)) == 0;
#endif
}

fs::path temporaryFor(const fs::path& path) {
    fs::path name = path.filename();
#ifdef _WIN32
    name += ".tmp" + std::to_string(GetCurrentProcessId());
#else
    name += ".tmp" + std::to_string(::getpid());
#endif
    return path.parent_path() / name;
}

// Through a temporary file beside the target, renamed over it once complete, as the
// program's Save writes: when the disk fills up the old file stays whole. `write` puts the
// bytes into the open file and says whether all of them went.
Failure writeFileThrough(const fs::path& path, const std::function<bool(std::FILE*)>& write) {
    fs::path temporary = temporaryFor(path);
    std::FILE* file = openFile(temporary, "wb");
    if (!file) return "cannot write " + displayed(path) + ": " + std::strerror(errno);
    bool written = write(file) && flushToDisk(file);
    int error = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    std::error_code renameError;
    if (written) fs::rename(temporary, path, renameError);
    if (!written || renameError) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return "cannot write " + displayed(path) + ": " +
               (renameError ? renameError.message() : std::string(std::strerror(error)));
    }
    return std::nullopt;
}

Failure writeWholeFile(const fs::path& path, const std::string& bytes) {
    return writeFileThrough(path, [&](std::FILE* file) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
}

bool isDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

void warn(const std::string& message) { std::fprintf(stderr, "%s: warning: %s\n", kProgram, message.c_str()); }

// ---- formats: a reader fills an empty document from a path, a writer writes one out ----

// What a favorites export does with files already in the target folder; without the
// option none is overwritten.
enum class ExistingChoice { NotGiven, Replace, KeepBoth };

struct WriteOptions {
    ExistingChoice existing = ExistingChoice::NotGiven;
};

// Characters Shift-JIS cannot hold are marked in titles and comments; say how many items,
// and how to keep them.
void reportMarkedItems(std::size_t items, const std::string& firstTitle) {
    if (items == 0) return;
    warn(std::to_string(items) + " item(s) held characters that Shift-JIS cannot hold; each run of them is now " +
         shiftJisForOutput(kReplacementMark) + " (first: " + shiftJisForOutput(firstTitle) +
         "). Give --encoding utf-8 to keep every character");
}

void reportFieldsCut(std::size_t fields, TextEncoding encoding) {
    if (fields == 0) return;
    warn(std::to_string(fields) + " title(s), address(es) or comment(s) longer than " +
         std::to_string(textFieldMax(encoding)) + " bytes cut" +
         (encoding == TextEncoding::ShiftJis ? "; give --encoding utf-8 to keep up to 64 KiB" : ""));
}

Failure readDataFile(const fs::path& path, ToolDocument& into) {
    std::string text;
    if (Failure failure = readWholeFile(path, text)) return failure;
    FallbackIcons icons;
    Document& document = into.document;
    DataFileReadResult result = loadDataFile(text, document, icons, into.encoding);
    reportMarkedItems(result.markedItems, result.firstMarkedTitle);
    reportFieldsCut(result.fieldsCut, into.encoding);
    if (result.rejected) return displayed(path) + " is not a data file";
    if (result.noRecord)
        return displayed(path) + " has [List] blocks but no readable record (each needs ItemNum= and TitleName=)";
    document.serials.value = result.nextCounter;
    return std::nullopt;
}

Failure writeDataFileTo(const ToolDocument& from, const fs::path& path, const WriteOptions&) {
    // The whole document, every top-level item, numbered from 0 as a saved file is; it goes
    // out piece by piece, so that the document and its text are never both in memory.
    return writeFileThrough(path, [&](std::FILE* file) {
        return writeDataFilePieces(from.document, kTopLevel, 0, from.encoding, [file](std::string_view piece) {
            return std::fwrite(piece.data(), 1, piece.size(), file) == piece.size() && startWritingToDisk(file);
        });
    });
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// UTF-8 text that says so (a charset declaration or a byte order mark), or whose bytes can
// only be UTF-8, is converted to Shift-JIS, as the program does. Characters Shift-JIS cannot
// hold become references, which titles mark and addresses keep percent-encoded.
Failure readNetscape(const fs::path& path, ToolDocument& into) {
    std::string text;
    if (Failure failure = readWholeFile(path, text)) return failure;
    bool utf8 = isSurelyUtf8(utf8EvidenceOf(text));
    if (into.encoding == TextEncoding::ShiftJis) {
        if (utf8) text = utf8ToShiftJis(text, Unrepresentable::CharacterReference);
    } else {
        text = utf8 ? wellFormedUtf8(text.compare(0, 3, kUtf8Mark) == 0 ? text.substr(3) : text) : shiftJisToUtf8(text);
    }
    // The importers put what they read under the root folder of a new document.
    Document& document = into.document;
    ImportResult result = importNetscape(text, document, insertRootItem(document), into.encoding);
    reportMarkedItems(result.markedItems, result.firstMarkedTitle);
    return std::nullopt;
}

// A CSV file with a UTF-8 byte order mark is read as UTF-8. A file none of whose rows is in
// this program's layout (another program's CSV) is refused rather than read as nothing.
Failure readCsv(const fs::path& path, ToolDocument& into) {
    std::string text;
    if (Failure failure = readWholeFile(path, text)) return failure;
    CsvText encoding = text.compare(0, 3, kUtf8Mark) == 0 ? CsvText::Utf8 : CsvText::ShiftJis;
    Document& document = into.document;
    ImportResult result = importCsv(text, document, insertRootItem(document), encoding, into.encoding);
    reportMarkedItems(result.markedItems, result.firstMarkedTitle);
    if (result.count == 0)
        return "no row of " + displayed(path) +
               " is in this program's CSV layout (two header lines, then rows of number, title, URL, "
               "comment and three dates); nothing read";
    return std::nullopt;
}

Failure readFavorites(const fs::path& path, ToolDocument& into) {
    ToolFavoritesFileSystem disk;
    Document& document = into.document;
    FavoritesImportResult result = importFavorites(document, insertRootItem(document), path, disk, into.encoding);
    if (!result.topLevelRead) return "cannot list the folder " + displayed(path);
    reportMarkedItems(result.markedItems, result.firstMarkedTitle);
    for (const fs::path& skipped : result.unlistedDirectories)
        warn("cannot list the folder " + displayed(skipped) + "; left out");
    if (result.limitMessages > 0)
        warn("stopped after " + std::to_string(kFavoritesEntryLimit + 1) + " entries; the rest is left out");
    return std::nullopt;
}

// A browser's own file: its roots under the new root folder. What the program leaves out
// (separators, "place:" queries, what a damaged file holds), cuts and marks is told on stderr.
Failure readBrowserBookmarks(const fs::path& path, ToolDocument& into) {
    Document& document = into.document;
    BrowserRead read = readBrowserFile(path, into.encoding);
    if (!read.bookmarks) return "cannot read " + displayed(path) + ": " + read.detail;
    const BrowserBookmarks& bookmarks = *read.bookmarks;
    if (bookmarks.separatorsLeftOut + bookmarks.queriesLeftOut > 0)
        warn(std::to_string(bookmarks.separatorsLeftOut) + " separator(s) and " +
             std::to_string(bookmarks.queriesLeftOut) + " place: query(ies) left out");
    if (bookmarks.addressesCut > 0)
        warn(std::to_string(bookmarks.addressesCut) + " address(es) longer than " +
             std::to_string(textFieldMax(into.encoding)) + " bytes cut");
    if (bookmarks.damagedLeftOut > 0)
        warn(std::to_string(bookmarks.damagedLeftOut) + " damaged root(s), folder content(s) or entry(ies) of " +
             displayed(path) + " left out");
    ImportResult result = addBrowserBookmarks(std::move(*read.bookmarks), document, insertRootItem(document));
    reportMarkedItems(result.markedItems, result.firstMarkedTitle);
    return std::nullopt;
}

// Every top-level item is written, one after another at the top level of the file.
Failure writeExport(const ToolDocument& from, const fs::path& path,
                    std::string (*exporter)(const Document&, NodeId, TextEncoding)) {
    if (from.document.tree.firstTopLevel() == kNoNode) return std::string("the input holds no items; nothing written");
    return writeWholeFile(path, exporter(from.document, kTopLevel, from.encoding));
}

Failure writeNetscape(const ToolDocument& from, const fs::path& path, const WriteOptions&) {
    return writeExport(from, path, exportNetscapeAs);
}

Failure writeTreeHtml(const ToolDocument& from, const fs::path& path, const WriteOptions&) {
    return writeExport(from, path, exportTreeHtmlAs);
}

// Line 1 of the file names the folder the writer ran in.
std::string currentDirectory(TextEncoding encoding) {
    std::error_code error;
    fs::path current = fs::current_path(error);
    return error ? std::string() : titleOfPathName(current, encoding);
}

std::string csvFromCurrentDirectory(const Document& document, NodeId start, TextEncoding encoding) {
    return exportCsv(document, start, currentDirectory(encoding), encoding);
}

Failure writeCsv(const ToolDocument& from, const fs::path& path, const WriteOptions&) {
    return writeExport(from, path, csvFromCurrentDirectory);
}

Failure refuseExisting(const ExistingFavorites& existing, const fs::path& folder) {
    return std::to_string(existing.count) + " file(s) already in " + displayed(folder) + " (first: " +
           displayed(existing.first) + "); nothing written. Give --existing replace to overwrite them or "
           "--existing keep-both to number the new ones";
}

std::string favoritesProblems(const FavoritesExportResult& result, const fs::path& path) {
    std::string problems;
    if (!result.failedWrites.empty())
        problems = std::to_string(result.failedWrites.size()) + " shortcut file(s) or folder(s) not written in " +
                   displayed(path) + " (a folder that cannot be made, or is a link, is not written into: " +
                   std::to_string(result.itemsInFailedFolders) + " item(s) inside)";
    if (result.itemsNotWritten > 0) {
        if (!problems.empty()) problems += "; ";
        problems += std::to_string(result.itemsNotWritten) + " item(s) in " +
                    std::to_string(result.foldersNotEntered) + " folder(s) more than " +
                    std::to_string(kFavoritesExportLevels) + " levels deep left out";
    }
    return problems;
}

// Into the folder path (made when missing), each failed shortcut named on the way. Items
// below the level limit are not written, and the tool says so.
Failure writeFavorites(const ToolDocument& from, const fs::path& path, const WriteOptions& options) {
    const Document& document = from.document;
    if (document.tree.firstTopLevel() == kNoNode) return std::string("the input holds no items; nothing written");
    // The folder named on the command line is the user's, a link to it included.
    std::error_code error;
    fs::create_directories(path, error);
    if (!isDirectory(path)) return "cannot make the folder " + displayed(path);
    ToolFavoritesFileSystem disk;
    if (options.existing == ExistingChoice::NotGiven) {
        ExistingFavorites existing = findExistingFavorites(document, kTopLevel, path, disk, from.encoding);
        if (existing.count > 0) return refuseExisting(existing, path);
    }
    ExistingFiles existing = options.existing == ExistingChoice::KeepBoth ? ExistingFiles::KeepBoth : ExistingFiles::Replace;
    FavoritesExportResult result =
        exportFavorites(document, kTopLevel, path, disk, AfterFailedWrite::CarryOn, existing, from.encoding);
    for (const fs::path& failed : result.failedWrites) warn("cannot write " + displayed(failed));
    if (result.namesShortened > 0)
        warn(std::to_string(result.namesShortened) + " name(s) shortened so that their paths fit in " +
             std::to_string(kMaxFavoritesPath) + " characters");
    std::string problems = favoritesProblems(result, path);
    if (problems.empty()) return std::nullopt;
    return problems;
}

struct Format {
    const char* name;
    Failure (*read)(const fs::path& path, ToolDocument& into);                                  // null: cannot read
    Failure (*write)(const ToolDocument& from, const fs::path& path, const WriteOptions& options);  // null: cannot write
};

const Format kFormats[] = {
    {"datafile", readDataFile, writeDataFileTo},
    {"netscape", readNetscape, writeNetscape},
    {"csv", readCsv, writeCsv},
    {"tree-html", nullptr, writeTreeHtml},
    {"favorites", readFavorites, writeFavorites},
    {"chromium", readBrowserBookmarks, nullptr},
    {"firefox", readBrowserBookmarks, nullptr},
};

const Format* formatNamed(const std::string& name) {
    for (const Format& format : kFormats)
        if (name == format.name) return &format;
    return nullptr;
}

std::string formatNames(bool forReading) {
    std::string names;
    for (const Format& format : kFormats) {
        if (forReading ? !format.read : !format.write) continue;
        if (!names.empty()) names += ", ";
        names += format.name;
    }
    return names;
}

// ---- telling the format from the file ----

std::string lowerCased(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// ".html" for "a/b.HTML"; empty when the name has no extension.
std::string extensionOf(const fs::path& path) { return lowerCased(displayed(path.extension())); }

constexpr std::size_t kDoctypeSearchLength = 4096;

Failure guessInputFormat(const fs::path& path, std::string& format) {
    if (isDirectory(path)) {
        format = "favorites";
        return std::nullopt;
    }
    // The signature and the doctype lie at the start: the rest is read once, by the reader.
    std::string bytes;
    if (Failure failure = readWholeFile(path, bytes, kDoctypeSearchLength)) return failure;
    if (dataFileEncoding(bytes)) format = "datafile";
    else if (lowerCased(bytes).find("<!doctype netscape") != std::string::npos)
        format = "netscape";
    else if (extensionOf(path) == ".csv") format = "csv";
    else if (isBrowserBookmarksFile(path)) format = "chromium";
    else return "cannot tell the format of " + displayed(path) + " (give --from)";
    return std::nullopt;
}

Failure guessOutputFormat(const fs::path& path, std::string& format) {
    std::string extension = extensionOf(path);
    if (!path.has_filename() || isDirectory(path)) format = "favorites";
    else if (extension == ".dat") format = "datafile";
    else if (extension == ".html" || extension == ".htm") format = "netscape";
    else if (extension == ".csv") format = "csv";
    else return "cannot tell which format to write " + displayed(path) + " in from its name (give --to)";
    return std::nullopt;
}

// ---- show ----

const char* kindName(unsigned kind) {
    static const char* const kNames[16] = {"web",   "folder", "changed", "failed", nullptr, "mail",
                                           "shell", "file"};
    return kNames[kind & 0xF];
}

// Indentation only helps a reader; past this many levels a line of a tree thousands of
// levels deep would be mostly blanks.
constexpr unsigned kMaxShownLevels = 64;

std::string showLine(const ToolDocument& read, NodeId node, unsigned level) {
    const TreeNode& item = read.document.tree.node(node);
    unsigned kind = kindOf(item.itemNumber);
    const char* name = kindName(kind);
    char number[16];
    std::snprintf(number, sizeof number, "%08X", static_cast<unsigned>(asBits(item.itemNumber)));
    return std::string(2 * std::min(level, kMaxShownLevels), ' ') + utf8OfText(item.text, read.encoding) + '\t' +
           (name ? name : "kind" + std::to_string(kind)) + '\t' + number + '\n';
}

// One line an item, written as the walk goes: the listing is never held whole.
bool writeTreeListing(const ToolDocument& read, std::FILE* out) {
    const BookmarkTree& tree = read.document.tree;
    bool written = true;
    for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top)) {
        walkWithDepth(tree, top, [](NodeId) { return true; }, [&](NodeId node, unsigned depth) {
            std::string line = showLine(read, node, depth - 1);
            written = written && std::fwrite(line.data(), 1, line.size(), out) == line.size();
        });
    }
    return written;
}

// ---- command line ----

struct Options {
    std::string command;
    std::vector<fs::path> files;
    std::string from;  // empty: told from the input
    std::string to;    // empty: told from the output's name
    WriteOptions write;
    std::optional<TextEncoding> encoding;  // convert: what to write in; Shift-JIS unless given
};

void printUsage(std::FILE* stream) {
    std::fprintf(stream,
                 "usage: %s show FILE [--from FORMAT]\n"
                 "       %s --version\n"
                 "       %s convert IN OUT [--from FORMAT] [--to FORMAT] [--encoding utf-8|shift-jis]\n"
                 "               [--existing replace|keep-both]\n"
                 "formats read: %s; written: %s\n"
                 "  datafile   the program's own data file (.dat)\n"
                 "  netscape   Netscape bookmark file (.html, .htm)\n"
                 "  csv        one row per item (.csv); read back as a flat list of links\n"
                 "  tree-html  foldable tree page (written only: give --to tree-html)\n"
                 "  favorites  a folder of Internet shortcut (.url) files and subfolders\n"
                 "  chromium   a Chromium-family browser's Bookmarks file (read only)\n"
                 "  firefox    Firefox's places.sqlite, read through a copy (read only)\n"
                 "Without --from the format is told from the input: a data file, a Netscape\n"
                 "file, a Bookmarks file or places.sqlite by its content, a folder as favorites,\n"
                 "a .csv file as csv. Without --to it\n"
                 "is told from OUT's name: .dat, .html or .htm, .csv; an existing folder or a\n"
                 "name ending in / is favorites.\n"
                 "Netscape, csv and favorites input is read under a new root folder. A file\n"
                 "written from a whole data file holds that file's root folder too, so reading it\n"
                 "back nests everything one level deeper, under the new root. Several top-level\n"
                 "items are written one after another at the top level.\n"
                 "CSV input must be in this program's layout (two header lines, then rows of\n"
                 "number, title, URL, comment and three dates); other CSV is refused.\n"
                 "UTF-8 input that says so (a charset declaration or a byte order mark) is\n"
                 "converted; addresses keep what Shift-JIS cannot hold, percent-encoded.\n"
                 "convert writes Shift-JIS unless given --encoding utf-8: then a data file is\n"
                 "UTF-8 after a byte order mark, Netscape and tree-html files say charset=UTF-8,\n"
                 "CSV starts with a byte order mark, and every character is kept. Into Shift-JIS\n"
                 "each run of characters it cannot hold becomes a mark, and the tool says how\n"
                 "many items lost some. show, find, duplicates and check print every character\n"
                 "of a UTF-8 data file; show --encoding utf-8 does so for any input.\n"
                 "Files are written through a temporary file renamed over the old one.\n"
                 "A favorites folder that already holds files of the names to be written is left\n"
                 "alone unless --existing says what to do: replace them, or keep both (the new\n"
                 "ones numbered \"name (2).url\"). Names alike in any case count as one, as on\n"
                 "Windows; a name is shortened so that its path fits in 259 characters.\n"
                 "\n"
                 "usage: %s browsers\n"
                 "Lists the browser profiles found under LOCALAPPDATA and APPDATA (the Windows\n"
                 "places) and HOME (~/.config/..., ~/.mozilla/firefox), one a line: browser,\n"
                 "profile, number of links and the bookmarks file, separated by tabs. A profile\n"
                 "whose file cannot be read shows why instead of a number, and the exit code is 1.\n",
                 kProgram, kProgram, kProgram, formatNames(true).c_str(), formatNames(false).c_str(), kProgram);
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
    printUsage(stderr);
    return kExitUsage;
}

int failed(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
    return kExitFailed;
}

// Fills options; returns a usage message when the command line makes no sense.
Failure parseOptions(int argc, char** argv, Options& options) {
    if (argc < 2) return std::string("no command given");
    options.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--from" || arg == "--to") {
            if (i + 1 >= argc) return arg + " needs a format";
            (arg == "--from" ? options.from : options.to) = argv[++i];
        } else if (arg == "--encoding") {
            std::string name = i + 1 < argc ? lowerCased(argv[++i]) : "";
            if (name == "utf-8" || name == "utf8") options.encoding = TextEncoding::Utf8;
            else if (name == "shift-jis" || name == "shift_jis" || name == "sjis") options.encoding = TextEncoding::ShiftJis;
            else return std::string("--encoding takes utf-8 or shift-jis");
        } else if (arg == "--existing") {
            std::string choice = i + 1 < argc ? argv[++i] : "";
            if (choice != "replace" && choice != "keep-both") return std::string("--existing takes replace or keep-both");
            options.write.existing = choice == "replace" ? ExistingChoice::Replace : ExistingChoice::KeepBoth;
        } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            return "unknown option " + arg;
        } else {
            if (arg.empty()) return std::string("empty file name");
            options.files.push_back(pathFromArgument(arg));
        }
    }
    std::size_t wanted = options.command == "show" ? 1 : options.command == "convert" ? 2 : 0;
    if (wanted == 0) return "unknown command " + options.command;
    if (options.files.size() != wanted)
        return options.command + " takes " + (wanted == 1 ? "one file" : "two files");
    const Format* from = formatNamed(options.from);
    if (!options.from.empty() && (!from || !from->read))
        return "cannot read format " + options.from + " (known: " + formatNames(true) + ")";
    const Format* to = formatNamed(options.to);
    if (!options.to.empty() && (!to || !to->write))
        return "cannot write format " + options.to + " (known: " + formatNames(false) + ")";
    if (options.command == "convert" && options.to.empty()) return guessOutputFormat(options.files[1], options.to);
    return std::nullopt;
}

// A UTF-8 data file is read as UTF-8, so that a listing shows every character of it; other
// input as it always was, unless --encoding says otherwise.
TextEncoding encodingOfInput(const fs::path& path, const std::string& format) {
    std::string bytes;
    // The signature is all it takes: a byte order mark and the header's first characters.
    constexpr std::size_t kSignatureBytes = 64;
    if (format != "datafile" || readWholeFile(path, bytes, kSignatureBytes)) return TextEncoding::ShiftJis;
    return dataFileEncoding(bytes).value_or(TextEncoding::ShiftJis);
}

// Reads the input into a document of the encoding given, or else of the input's own.
Failure readInput(Options& options, ToolDocument& into) {
    if (options.from.empty())
        if (Failure failure = guessInputFormat(options.files[0], options.from)) return failure;
    into.encoding = options.encoding.value_or(encodingOfInput(options.files[0], options.from));
    return formatNamed(options.from)->read(options.files[0], into);
}

}  // namespace

std::optional<std::string> readAnyFormat(const std::string& path, ToolDocument& into) {
    std::string format;
    if (Failure failure = guessInputFormat(path, format)) return failure;
    into.encoding = encodingOfInput(path, format);
    return formatNamed(format)->read(path, into);
}

namespace {

int show(Options& options) {
    ToolDocument read;
    if (Failure failure = readInput(options, read)) return failed(*failure);
    bool written = writeTreeListing(read, stdout);
    return std::fflush(stdout) == 0 && written ? kExitOk : failed("cannot write the listing");
}

int convert(Options& options) {
    // A script's output stays Shift-JIS unless it asks for UTF-8.
    if (!options.encoding) options.encoding = TextEncoding::ShiftJis;
    ToolDocument read;
    const Document& document = read.document;
    if (Failure failure = readInput(options, read)) return failed(*failure);
    if (std::size_t cut = treesCutAtDepthLimit(document.tree))
        warn("the input is deeper than the " + std::to_string(kMaxDepth) + " levels a data file can count; it was cut there into " +
             std::to_string(cut + 1) + " top-level trees, each written at the top level");
    if (Failure failure = formatNamed(options.to)->write(read, options.files[1], options.write))
        return failed(*failure);
    return kExitOk;
}

// ---- browsers ----

fs::path environmentFolder(const char* name) {
#ifdef _WIN32
    std::wstring wideName(name, name + std::strlen(name));
    const wchar_t* value = _wgetenv(wideName.c_str());
#else
    const char* value = std::getenv(name);
#endif
    return value && *value ? fs::path(value) : fs::path();
}

BrowserHomeFolders browserHomeFolders() {
    BrowserHomeFolders folders;
    folders.localAppData = environmentFolder("LOCALAPPDATA");
    folders.appData = environmentFolder("APPDATA");
#ifndef _WIN32
    folders.home = environmentFolder("HOME");
#endif
    return folders;
}

int listBrowsers(int argc) {
    if (argc != 2) return usageError("browsers takes no arguments");
    bool allRead = true;
    std::vector<BrowserProfile> profiles = findBrowserProfiles(browserHomeFolders());
    for (const BrowserProfile& profile : profiles) {
        BrowserRead read = readBrowserProfile(profile);
        allRead = allRead && read.bookmarks.has_value();
        std::string links = read.bookmarks ? std::to_string(read.bookmarks->links) : "unreadable: " + read.detail;
        // A profile's name and folder are the user's (or anyone's) text: no terminal codes.
        std::printf("%s\t%s\t%s\t%s\n", profile.browser.c_str(), terminalText(shiftJisToUtf8(profile.name)).c_str(),
                    terminalText(links).c_str(), terminalText(displayed(profile.file)).c_str());
    }
    if (profiles.empty()) return failed("no browser profiles found");
    return std::fflush(stdout) == 0 && allRead ? kExitOk : kExitFailed;
}

}  // namespace

#ifdef _WIN32
// The arguments as UTF-8, from the wide command line: the ANSI ones have lost every
// character outside the code page before main sees them.
std::vector<std::string> utf8Arguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return arguments;
    for (int i = 0; i < count; ++i) {
        int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(static_cast<std::size_t>(std::max(length, 1)) - 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), length, nullptr, nullptr);
        arguments.push_back(std::move(argument));
    }
    LocalFree(wide);
    return arguments;
}
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    std::vector<std::string> arguments = utf8Arguments();
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    if (!arguments.empty()) {
        argc = static_cast<int>(arguments.size());
        argv = pointers.data();
    }
#endif
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage(stdout);
        printFindUsage(stdout);
        return kExitOk;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", kProgram, PERCHLET_VERSION_TEXT);
        return kExitOk;
    }
    if (argc >= 2 && isFindCommand(argv[1])) return runFindCommand(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "browsers") == 0) return listBrowsers(argc);
    Options options;
    if (Failure problem = parseOptions(argc, argv, options)) return usageError(*problem);
    return options.command == "show" ? show(options) : convert(options);
}
