#include "link_check.h"

#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "find_commands.h"
#include "store/encoding.h"
#include "web/link_check.h"
#ifdef _WIN32
#include "web/link_transport_win.h"
using ToolLinkTransport = perchlet::WinHttpLinkTransport;
#else
#include "link_transport_curl.h"
using ToolLinkTransport = CurlLinkTransport;
#endif
#include "search/search_index.h"
#include "terminal_text.h"
#include "tool_text.h"

using namespace perchlet;

namespace {

constexpr const char* kProgram = "perchlet-tool";
enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// The names scripts read; a temporary redirect to a page counts as ok, a TLS failure as a
// connection failure, as they always have.
constexpr int kToolClassCount = 9;
const char* const kToolClassNames[kToolClassCount] = {"ok",           "moved",   "not found",
                                                      "server error", "refused", "DNS failure",
                                                      "connection failure", "time-out", "inconclusive"};

int toolClassOf(LinkClass linkClass) {
    switch (linkClass) {
    case LinkClass::Ok:
    case LinkClass::MovedTemporarily: return 0;
    case LinkClass::MovedPermanently: return 1;
    case LinkClass::Gone: return 2;
    case LinkClass::ServerError: return 3;
    case LinkClass::Blocked: return 4;
    case LinkClass::NameNotFound: return 5;
    case LinkClass::TlsFailure:
    case LinkClass::ConnectionFailure: return 6;
    case LinkClass::TimeOut: return 7;
    default: return 8;
    }
}

// ---- the command ----

enum class OutputFormat { Text, Csv, Json };

struct CheckCommand {
    std::string file;
    LinkCheckSettings settings;
    OutputFormat format = OutputFormat::Text;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
    printFindUsage(stderr);
    return kExitUsage;
}

bool readNumber(const char* text, double lowest, double highest, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= lowest && value <= highest;
}

std::optional<std::string> parseCheck(int argc, char** argv, CheckCommand& command) {
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        bool takesValue = arg == "--jobs" || arg == "--timeout" || arg == "--format";
        if (takesValue && i + 1 >= argc) return arg + " needs a value";
        double number = 0;
        if (arg == "--jobs") {
            if (!readNumber(argv[++i], 1, 64, number) || number != static_cast<int>(number))
                return std::string("--jobs takes a whole number from 1 to 64");
            command.settings.jobs = static_cast<int>(number);
        } else if (arg == "--timeout") {
            if (!readNumber(argv[++i], 0.1, 600, number)) return std::string("--timeout takes seconds from 0.1 to 600");
            command.settings.timeoutMilliseconds = static_cast<long>(number * 1000);
        } else if (arg == "--format") {
            std::string format = argv[++i];
            if (format == "text") command.format = OutputFormat::Text;
            else if (format == "csv") command.format = OutputFormat::Csv;
            else if (format == "json") command.format = OutputFormat::Json;
            else return "unknown format " + format + " (text, csv or json)";
        } else if (arg.compare(0, 2, "--") == 0) {
            return "unknown option " + arg;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 1) return std::string("check takes one file");
    command.file = files[0];
    return std::nullopt;
}

std::string csvField(const std::string& text) {
    // A cell a spreadsheet would run as a formula is kept as text.
    constexpr std::string_view kFormulaStarts = "=+-@\t\r";
    std::string cell = !text.empty() && kFormulaStarts.find(text[0]) != std::string_view::npos ? "'" + text : text;
    if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
    std::string out = "\"";
    for (char c : cell) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// A JSON string; bytes that make no UTF-8 character become U+FFFD, so the output always parses.
std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t pos = 0; pos < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[pos]);
        std::size_t length = utf8CharacterLength(text, pos);
        if (length == 0) {
            out += "\\ufffd";
            ++pos;
            continue;
        }
        if (length > 1) {
            out.append(text, pos, length);
            pos += length;
            continue;
        }
        ++pos;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// The output is UTF-8 on every system, so that the same check prints the same bytes.
void printResults(const ToolDocument& read, const std::vector<PlannedLink>& links,
                  const std::vector<LinkProbe>& probes, OutputFormat format) {
    const Document& document = read.document;
    int counts[kToolClassCount] = {};
    for (const PlannedLink& link : links) ++counts[toolClassOf(probes[link.probe].linkClass)];
    std::string summary = std::to_string(links.size()) + " links:";
    for (int c = 0; c < kToolClassCount; ++c)
        summary += std::string(c ? ", " : " ") + std::to_string(counts[c]) + " " + kToolClassNames[c];

    if (format == OutputFormat::Csv) std::printf("class,status,address,new address,folder,title,note\r\n");
    if (format == OutputFormat::Json) std::printf("{\"links\": [");
    bool first = true;
    for (const PlannedLink& link : links) {
        const LinkProbe& probe = probes[link.probe];
        std::string address = utf8OfText(nodeRecord(document, link.node)->locator, read.encoding);
        std::string folder = utf8OfText(folderPathOf(document.tree, link.node), read.encoding);
        std::string title = utf8OfText(document.tree.node(link.node).text, read.encoding);
        std::string status = probe.status ? std::to_string(probe.status) : "";
        const char* name = kToolClassNames[toolClassOf(probe.linkClass)];
        switch (format) {
        case OutputFormat::Text:
            std::printf("%s\t%s\t%s\t%s\t%s/%s\n", name, status.empty() ? "-" : status.c_str(),
                        terminalText(address).c_str(),
                        terminalText(probe.newAddress.empty() ? probe.note : "-> " + probe.newAddress).c_str(),
                        terminalText(folder).c_str(), terminalText(title).c_str());
            break;
        case OutputFormat::Csv:
            std::printf("%s,%s,%s,%s,%s,%s,%s\r\n", name, status.c_str(), csvField(address).c_str(),
                        csvField(probe.newAddress).c_str(), csvField(folder).c_str(), csvField(title).c_str(),
                        csvField(probe.note).c_str());
            break;
        case OutputFormat::Json:
            std::printf("%s\n  {\"class\": %s, \"status\": %s, \"address\": %s, \"new_address\": %s, \"folder\": %s, "
                        "\"title\": %s, \"note\": %s}",
                        first ? "" : ",", jsonString(name).c_str(), status.empty() ? "null" : status.c_str(),
                        jsonString(address).c_str(), jsonString(probe.newAddress).c_str(), jsonString(folder).c_str(),
                        jsonString(title).c_str(), jsonString(probe.note).c_str());
            break;
        }
        first = false;
    }
    if (format == OutputFormat::Text) {
        std::printf("%s\n", summary.c_str());
    } else if (format == OutputFormat::Csv) {
        std::fprintf(stderr, "%s\n", summary.c_str());
    } else {
        std::printf("\n], \"summary\": {\"links\": %zu", links.size());
        for (int c = 0; c < kToolClassCount; ++c)
            std::printf(", %s: %d", jsonString(kToolClassNames[c]).c_str(), counts[c]);
        std::printf("}}\n");
    }
}

}  // namespace

int runLinkCheck(int argc, char** argv) {
    CheckCommand command;
    if (auto problem = parseCheck(argc, argv, command)) return usageError(*problem);
    ToolDocument read;
    if (auto failure = readAnyFormat(command.file, read)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, failure->c_str());
        return kExitFailed;
    }

    // Each address is asked once, however many items keep it; only web links are listed.
    LinkCheckPlan plan = planLinkCheck(read.document, kNoNode, read.encoding);
    std::vector<PlannedLink> links;
    for (const PlannedLink& link : plan.links)
        if (link.web) links.push_back(link);
    std::vector<LinkProbe>& probes = plan.probes;
#ifndef _WIN32
    if (!CurlLinkTransport::available()) {
        std::fprintf(stderr, "%s: cannot load libcurl.so.4, which the check asks web servers through\n", kProgram);
        return kExitFailed;
    }
#endif
    {
        ToolLinkTransport transport(command.settings.jobs);
        perchlet::runLinkCheck(probes, command.settings, transport);
    }

#ifdef _WIN32
    // The lines end as they do on Linux, and a CSV row's CR LF stays one.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    printResults(read, links, probes, command.format);
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "%s: cannot write the output\n", kProgram);
        return kExitFailed;
    }
    for (const PlannedLink& link : links) {
        int c = toolClassOf(probes[link.probe].linkClass);
        if (c != toolClassOf(LinkClass::Ok) && c != toolClassOf(LinkClass::MovedPermanently)) return kExitFailed;
    }
    return kExitOk;
}
