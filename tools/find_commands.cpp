// perchlet-tool find FILE QUERY...       one line per item found: folder path, title, address
// perchlet-tool duplicates FILE [--join-http-https]
// perchlet-tool check FILE [--jobs N] [--timeout S] [--format text|csv|json]
#include "find_commands.h"

#include <cstring>
#include <vector>

#include "search/duplicates.h"
#include "search/search_index.h"
#include "search/search_text.h"
#include "tool_text.h"
#include "link_check.h"

using namespace perchlet;

namespace {

constexpr const char* kProgram = "perchlet-tool";
enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

int usageError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
    printFindUsage(stderr);
    return kExitUsage;
}

int failed(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
    return kExitFailed;
}

int flushed(int code) { return std::fflush(stdout) == 0 ? code : failed("cannot write the output"); }

std::string addressOf(const Document& document, NodeId node) {
    const BookmarkItem* record = nodeRecord(document, node);
    return record ? record->locator.str() : std::string();
}

// "folder path<TAB>title<TAB>address", for the user's terminal.
std::string itemLine(const ToolDocument& read, NodeId node) {
    const Document& document = read.document;
    return textForOutput(folderPathOf(document.tree, node), read.encoding) + '\t' +
           textForOutput(document.tree.node(node).text, read.encoding) + '\t' +
           textForOutput(addressOf(document, node), read.encoding);
}

int find(int argc, char** argv) {
    if (argc < 4) return usageError("find takes a file and at least one word");
    std::string words;
    for (int i = 3; i < argc; ++i) words += std::string(argv[i]) + ' ';
    if (foldedWords(words, TextEncoding::Utf8).empty()) return usageError("find needs a word that is not blank");
    ToolDocument read;
    if (auto failure = readAnyFormat(argv[2], read)) return failed(*failure);
    std::string query;
    for (int i = 3; i < argc; ++i) query += commandLineToText(argv[i], read.encoding) + ' ';
    read.document.file.encoding = read.encoding;  // the index folds in the document's encoding
    SearchIndex index(read.document);
    std::vector<NodeId> hits = index.find(query);
    for (NodeId node : hits) std::printf("%s\n", itemLine(read, node).c_str());
    // As grep does: scripts can tell "found nothing" from "found".
    return flushed(hits.empty() ? kExitFailed : kExitOk);
}

int duplicates(int argc, char** argv) {
    std::vector<std::string> files;
    AddressOptions options;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--join-http-https") == 0) options.joinHttpAndHttps = true;
        else if (std::strncmp(argv[i], "--", 2) == 0) return usageError(std::string("unknown option ") + argv[i]);
        else files.push_back(argv[i]);
    }
    if (files.size() != 1) return usageError("duplicates takes one file");
    ToolDocument read;
    if (auto failure = readAnyFormat(files[0], read)) return failed(*failure);
    bool first = true;
    for (const DuplicateGroup& group : findDuplicates(read.document, options)) {
        std::printf("%s%s\n", first ? "" : "\n", textForOutput(group.address, read.encoding).c_str());
        for (NodeId node : group.nodes) std::printf("  %s\n", itemLine(read, node).c_str());
        first = false;
    }
    return flushed(kExitOk);
}

int check(int argc, char** argv) { return runLinkCheck(argc, argv); }

}  // namespace

bool isFindCommand(const char* name) {
    return std::strcmp(name, "find") == 0 || std::strcmp(name, "duplicates") == 0 || std::strcmp(name, "check") == 0;
}

int runFindCommand(int argc, char** argv) {
    if (std::strcmp(argv[1], "find") == 0) return find(argc, argv);
    if (std::strcmp(argv[1], "duplicates") == 0) return duplicates(argc, argv);
    return check(argc, argv);
}

void printFindUsage(std::FILE* stream) {
    std::fprintf(stream,
                 "       %s find FILE WORD...\n"
                 "       %s duplicates FILE [--join-http-https]\n"
                 "       %s check FILE [--jobs N] [--timeout S] [--format text|csv|json]\n"
                 "find lists the items whose title, address, comment or folder path hold every\n"
                 "word, one line each: folder path, title, address (TAB between). Width, kana,\n"
                 "case and dash forms do not count. Exit 0 when something is found, 1 when not.\n"
                 "duplicates lists groups of items with the same address once scheme and host are\n"
                 "in small letters and default ports, fragments, a trailing slash and tracking\n"
                 "parameters (utm_*, fbclid, gclid) are left out; --join-http-https counts http\n"
                 "and https as one.\n"
                 "check asks the server of every web link (HEAD, GET where HEAD is refused) and\n"
                 "puts each in one class: ok, moved, not found, server error, refused, DNS\n"
                 "failure, connection failure, time-out, inconclusive. At most 2 connections to\n"
                 "a host; N links at once (default 8); S seconds per request (default 10).\n"
                 "Exit 0 when every link is ok or moved, 1 otherwise.\n",
                 kProgram, kProgram, kProgram);
}
