// perchlet-tool: converts and inspects bookmark files from scripts, through the same core
// as the program.
//   perchlet-tool show FILE [--from FORMAT]
//   perchlet-tool convert IN OUT [--from FORMAT] [--to FORMAT]
// Formats: datafile, netscape, csv, tree-html (written only), favorites (a folder).
// Exit codes: 0 done, 1 input unreadable or not in the format, output not written, 2 usage.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "exchange/csv.h"
#include "exchange/favorites.h"
#include "exchange/favorites_fs.h"
#include "exchange/netscape.h"
#include "exchange/tree_html.h"
#include "find_commands.h"
#include "store/data_file.h"
#include "store/encoding.h"
#include "tree/tree_population.h"

using namespace perchlet;
namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "perchlet-tool";

enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// Without a window there is no image list to add icons to.
struct FallbackIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string&) override { return imagesForKind(kKindLocalFile); }
};

// A failure already worded for the user; empty when all went well.
using Failure = std::optional<std::string>;

Failure readWholeFile(const std::string& path, std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "cannot read " + path + ": " + std::strerror(errno);
    bytes.clear();
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    bool failed = std::ferror(file) != 0;
    int error = errno;
    std::fclose(file);
    if (failed) return "cannot read " + path + ": " + std::strerror(error);
    return std::nullopt;
}

Failure writeWholeFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return "cannot write " + path + ": " + std::strerror(errno);
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) return "cannot write " + path + ": " + std::strerror(error);
    return std::nullopt;
}

// ---- paths: the core's texts are Shift-JIS; the command line is UTF-8 here, but already
// Shift-JIS (the ANSI code page) on Windows ----

std::string shiftJisOf(const std::string& argument) {
#ifdef _WIN32
    return argument;
#else
    return utf8ToShiftJis(argument);
#endif
}

std::string displayed(const std::string& shiftJis) {
#ifdef _WIN32
    return shiftJis;
#else
    return shiftJisToUtf8(shiftJis);
#endif
}

fs::path onDisk(const std::string& argument) {
#ifdef _WIN32
    return fs::u8path(shiftJisToUtf8(argument));
#else
    return fs::u8path(argument);
#endif
}

bool isDirectory(const std::string& argument) {
    std::error_code error;
    return fs::is_directory(onDisk(argument), error);
}

void warn(const std::string& message) { std::fprintf(stderr, "%s: warning: %s\n", kProgram, message.c_str()); }

// ---- formats: a reader fills an empty document from a path, a writer writes one out ----

Failure readDataFile(const std::string& path, Document& document) {
    std::string text;
    if (Failure failure = readWholeFile(path, text)) return failure;
    FallbackIcons icons;
    DataFileReadResult result = loadDataFile(text, document, icons);
    if (result.rejected) return path + " is not a data file";
    document.serials.value = result.nextCounter;
    return std::nullopt;
}

Failure writeDataFileTo(const Document& document, const std::string& path) {
    // The whole document, every top-level item, numbered from 0 as a saved file is.
    return writeWholeFile(path, writeDataFile(document, kTopLevel, 0));
}

// UTF-8 text that says so (charset=UTF-8 or a byte order mark) is converted to Shift-JIS,
// as the program does when the user agrees to it.
Failure readTextAsShiftJis(const std::string& path, std::string& text) {
    if (Failure failure = readWholeFile(path, text)) return failure;
    if (shouldOfferUtf8Conversion(text)) text = utf8ToShiftJis(text);
    return std::nullopt;
}

// The importers put what they read under the root folder of a new document.
Failure readNetscape(const std::string& path, Document& document) {
    std::string text;
    if (Failure failure = readTextAsShiftJis(path, text)) return failure;
    importNetscape(text, document, insertRootItem(document));
    return std::nullopt;
}

Failure readCsv(const std::string& path, Document& document) {
    std::string text;
    if (Failure failure = readTextAsShiftJis(path, text)) return failure;
    importCsv(text, document, insertRootItem(document));
    return std::nullopt;
}

Failure readFavorites(const std::string& path, Document& document) {
    DiskFavoritesFileSystem disk;
    FavoritesImportResult result = importFavorites(document, insertRootItem(document), shiftJisOf(path), disk);
    if (!result.topLevelRead) return "cannot list the folder " + path;
    for (const std::string& skipped : result.unlistedDirectories)
        warn("cannot list the folder " + displayed(skipped) + "; left out");
    if (result.limitMessages > 0)
        warn("stopped after " + std::to_string(kFavoritesEntryLimit + 1) + " entries; the rest is left out");
    return std::nullopt;
}

// The exchange formats hold one tree: the document's single top-level item.
Failure singleTree(const Document& document, NodeId& start) {
    start = document.tree.firstTopLevel();
    if (start == kNoNode) return std::string("the input holds no items; nothing written");
    std::size_t count = 0;
    for (NodeId top = start; top != kNoNode; top = document.tree.nextSibling(top)) ++count;
    if (count > 1)
        return "the input holds " + std::to_string(count) +
               " top-level items, this format holds one tree; nothing written";
    return std::nullopt;
}

Failure writeExport(const Document& document, const std::string& path,
                    std::string (*exporter)(const Document&, NodeId)) {
    NodeId start;
    if (Failure failure = singleTree(document, start)) return failure;
    return writeWholeFile(path, exporter(document, start));
}

Failure writeNetscape(const Document& document, const std::string& path) {
    return writeExport(document, path, exportNetscape);
}

Failure writeTreeHtml(const Document& document, const std::string& path) {
    return writeExport(document, path, exportTreeHtml);
}

// Line 1 of the file names the folder the writer ran in.
std::string currentDirectory() {
    std::error_code error;
    fs::path current = fs::current_path(error);
    return error ? std::string() : utf8ToShiftJis(current.u8string());
}

std::string csvFromCurrentDirectory(const Document& document, NodeId start) {
    return exportCsv(document, start, currentDirectory());
}

Failure writeCsv(const Document& document, const std::string& path) {
    return writeExport(document, path, csvFromCurrentDirectory);
}

// Into the folder path (made when missing), each failed shortcut named on the way.
Failure writeFavorites(const Document& document, const std::string& path) {
    NodeId start;
    if (Failure failure = singleTree(document, start)) return failure;
    DiskFavoritesFileSystem disk;
    std::string folder = shiftJisOf(path);
    if (!disk.makeDirectory(folder)) return "cannot make the folder " + path;
    FavoritesExportResult result = exportFavorites(document, start, folder, disk, AfterFailedWrite::CarryOn);
    if (result.failedWrites.empty()) return std::nullopt;
    for (const std::string& failed : result.failedWrites) warn("cannot write " + displayed(failed));
    return std::to_string(result.failedWrites.size()) + " shortcut file(s) not written in " + path;
}

struct Format {
    const char* name;
    Failure (*read)(const std::string& path, Document& document);            // null: cannot read
    Failure (*write)(const Document& document, const std::string& path);     // null: cannot write
};

const Format kFormats[] = {
    {"datafile", readDataFile, writeDataFileTo},
    {"netscape", readNetscape, writeNetscape},
    {"csv", readCsv, writeCsv},
    {"tree-html", nullptr, writeTreeHtml},
    {"favorites", readFavorites, writeFavorites},
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
std::string extensionOf(const std::string& path) {
    std::size_t dot = path.find_last_of('.');
    std::size_t separator = path.find_last_of("/\\");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return {};
    return lowerCased(path.substr(dot));
}

constexpr std::size_t kDoctypeSearchLength = 4096;

Failure guessInputFormat(const std::string& path, std::string& format) {
    if (isDirectory(path)) {
        format = "favorites";
        return std::nullopt;
    }
    std::string bytes;
    if (Failure failure = readWholeFile(path, bytes)) return failure;
    if (hasDataFileSignature(bytes)) format = "datafile";
    else if (lowerCased(bytes.substr(0, kDoctypeSearchLength)).find("<!doctype netscape") != std::string::npos)
        format = "netscape";
    else if (extensionOf(path) == ".csv") format = "csv";
    else return "cannot tell the format of " + path + " (give --from)";
    return std::nullopt;
}

Failure guessOutputFormat(const std::string& path, std::string& format) {
    std::string extension = extensionOf(path);
    if (path.back() == '/' || path.back() == '\\' || isDirectory(path)) format = "favorites";
    else if (extension == ".dat") format = "datafile";
    else if (extension == ".html" || extension == ".htm") format = "netscape";
    else if (extension == ".csv") format = "csv";
    else return "cannot tell which format to write " + path + " in from its name (give --to)";
    return std::nullopt;
}

// ---- show ----

const char* kindName(unsigned kind) {
    static const char* const kNames[16] = {"web",   "folder", "changed", "failed", nullptr, "mail",
                                           "shell", "file"};
    return kNames[kind & 0xF];
}

std::string showLine(const Document& document, NodeId node, int level) {
    const TreeNode& item = document.tree.node(node);
    unsigned kind = kindOf(item.itemNumber);
    const char* name = kindName(kind);
    char number[16];
    std::snprintf(number, sizeof number, "%08X", static_cast<unsigned>(asBits(item.itemNumber)));
    return std::string(2 * level, ' ') + shiftJisToUtf8(item.text) + '\t' +
           (name ? name : "kind" + std::to_string(kind)) + '\t' + number + '\n';
}

std::string treeListing(const Document& document) {
    const BookmarkTree& tree = document.tree;
    std::string out;
    for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top)) {
        tree.walkSubtree(top, [&](NodeId node) {
            int level = 0;
            for (NodeId p = tree.parent(node); p != kTopLevel; p = tree.parent(p)) ++level;
            out += showLine(document, node, level);
        });
    }
    return out;
}

// ---- command line ----

struct Options {
    std::string command;
    std::vector<std::string> files;
    std::string from;  // empty: told from the input
    std::string to;    // empty: told from the output's name
};

void printUsage(std::FILE* stream) {
    std::fprintf(stream,
                 "usage: %s show FILE [--from FORMAT]\n"
                 "       %s convert IN OUT [--from FORMAT] [--to FORMAT]\n"
                 "formats read: %s; written: %s\n"
                 "  datafile   the program's own data file (.dat)\n"
                 "  netscape   Netscape bookmark file (.html, .htm)\n"
                 "  csv        one row per item (.csv); read back as a flat list of links\n"
                 "  tree-html  foldable tree page (written only: give --to tree-html)\n"
                 "  favorites  a folder of Internet shortcut (.url) files and subfolders\n"
                 "Without --from the format is told from the input: a data file or a Netscape\n"
                 "file by its content, a folder as favorites, a .csv file as csv. Without --to it\n"
                 "is told from OUT's name: .dat, .html or .htm, .csv; an existing folder or a\n"
                 "name ending in / is favorites.\n"
                 "Netscape, csv and favorites input is read under a new root folder. A file\n"
                 "written from a whole data file holds that file's root folder too, so reading it\n"
                 "back nests everything one level deeper, under the new root.\n"
                 "UTF-8 input that says so (charset=UTF-8 or a byte order mark) is converted.\n",
                 kProgram, kProgram, formatNames(true).c_str(), formatNames(false).c_str());
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
        } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            return "unknown option " + arg;
        } else {
            options.files.push_back(arg);
        }
    }
    std::size_t wanted = options.command == "show" ? 1 : options.command == "convert" ? 2 : 0;
    if (wanted == 0) return "unknown command " + options.command;
    if (options.files.size() != wanted)
        return options.command + " takes " + (wanted == 1 ? "one file" : "two files");
    for (const std::string& file : options.files)
        if (file.empty()) return std::string("empty file name");
    const Format* from = formatNamed(options.from);
    if (!options.from.empty() && (!from || !from->read))
        return "cannot read format " + options.from + " (known: " + formatNames(true) + ")";
    const Format* to = formatNamed(options.to);
    if (!options.to.empty() && (!to || !to->write))
        return "cannot write format " + options.to + " (known: " + formatNames(false) + ")";
    if (options.command == "convert" && options.to.empty()) return guessOutputFormat(options.files[1], options.to);
    return std::nullopt;
}

Failure readInput(Options& options, Document& document) {
    if (options.from.empty())
        if (Failure failure = guessInputFormat(options.files[0], options.from)) return failure;
    return formatNamed(options.from)->read(options.files[0], document);
}

}  // namespace

std::optional<std::string> readAnyFormat(const std::string& path, Document& document) {
    std::string format;
    if (Failure failure = guessInputFormat(path, format)) return failure;
    return formatNamed(format)->read(path, document);
}

namespace {

int show(Options& options) {
    Document document;
    if (Failure failure = readInput(options, document)) return failed(*failure);
    std::string listing = treeListing(document);
    std::fwrite(listing.data(), 1, listing.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : failed("cannot write the listing");
}

int convert(Options& options) {
    Document document;
    if (Failure failure = readInput(options, document)) return failed(*failure);
    if (Failure failure = formatNamed(options.to)->write(document, options.files[1])) return failed(*failure);
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage(stdout);
        printFindUsage(stdout);
        return kExitOk;
    }
    if (argc >= 2 && isFindCommand(argv[1])) return runFindCommand(argc, argv);
    Options options;
    if (Failure problem = parseOptions(argc, argv, options)) return usageError(*problem);
    return options.command == "show" ? show(options) : convert(options);
}
