// perchlet-tool: converts and inspects bookmark files from scripts, through the same core
// as the program.
//   perchlet-tool show FILE [--from FORMAT]
//   perchlet-tool convert IN OUT [--from FORMAT] [--to FORMAT]
// Exit codes: 0 done, 1 input unreadable or not in the format, output not written, 2 usage.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "store/data_file.h"
#include "store/encoding.h"

using namespace perchlet;

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

struct Format {
    const char* name;
    Failure (*read)(const std::string& path, Document& document);            // null: cannot read
    Failure (*write)(const Document& document, const std::string& path);     // null: cannot write
};

const Format kFormats[] = {
    {"datafile", readDataFile, writeDataFileTo},
};

constexpr const char* kDefaultFormat = "datafile";

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
    std::string from = kDefaultFormat;
    std::string to = kDefaultFormat;
};

void printUsage(std::FILE* stream) {
    std::fprintf(stream,
                 "usage: %s show FILE [--from FORMAT]\n"
                 "       %s convert IN OUT [--from FORMAT] [--to FORMAT]\n"
                 "formats read: %s; written: %s\n",
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
    const Format* from = formatNamed(options.from);
    if (!from || !from->read) return "cannot read format " + options.from + " (known: " + formatNames(true) + ")";
    const Format* to = formatNamed(options.to);
    if (!to || !to->write) return "cannot write format " + options.to + " (known: " + formatNames(false) + ")";
    return std::nullopt;
}

int show(const Options& options) {
    Document document;
    if (Failure failure = formatNamed(options.from)->read(options.files[0], document)) return failed(*failure);
    std::string listing = treeListing(document);
    std::fwrite(listing.data(), 1, listing.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : failed("cannot write the listing");
}

int convert(const Options& options) {
    Document document;
    if (Failure failure = formatNamed(options.from)->read(options.files[0], document)) return failed(*failure);
    if (Failure failure = formatNamed(options.to)->write(document, options.files[1])) return failed(*failure);
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage(stdout);
        return kExitOk;
    }
    Options options;
    if (Failure problem = parseOptions(argc, argv, options)) return usageError(*problem);
    return options.command == "show" ? show(options) : convert(options);
}
