#include "link_check.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "find_commands.h"
#include "search/search_index.h"
#include "terminal_text.h"
#include "tool_text.h"

using namespace perchlet;

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

constexpr const char* kProgram = "perchlet-tool";
enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

constexpr int kConnectionsPerHost = 2;
constexpr Milliseconds kHostPause{100};       // between two requests to one host
constexpr long kLongestRetryAfterSeconds = 10;
constexpr long kRetryAfterWhenNotSaid = 1;
constexpr int kMostRedirects = 10;

// ---- classes ----

enum class LinkClass { Ok, Moved, NotFound, ServerError, Refused, DnsFailure, ConnectionFailure, TimeOut, Inconclusive };
constexpr int kClassCount = 9;

const char* className(LinkClass c) {
    static const char* const kNames[kClassCount] = {"ok",          "moved",       "not found",
                                                    "server error", "refused",     "DNS failure",
                                                    "connection failure", "time-out", "inconclusive"};
    return kNames[static_cast<int>(c)];
}

LinkClass classOfStatus(long status) {
    if (status >= 200 && status < 300) return LinkClass::Ok;
    if (status == 404 || status == 410) return LinkClass::NotFound;
    if (status == 401 || status == 403) return LinkClass::Refused;
    if (status >= 500 && status != 503) return LinkClass::ServerError;
    // 429 and 503 after their retry, and answers that say nothing about the page.
    return LinkClass::Inconclusive;
}

LinkClass classOfFailure(CURLcode code) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST: return LinkClass::DnsFailure;
    case CURLE_OPERATION_TIMEDOUT: return LinkClass::TimeOut;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_TOO_MANY_REDIRECTS: return LinkClass::Inconclusive;
    default: return LinkClass::ConnectionFailure;
    }
}

bool isRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}
bool isPermanentRedirect(long status) { return status == 301 || status == 308; }

// ---- addresses ----

bool startsWithNoCase(const std::string& text, const char* prefix) {
    std::size_t n = std::strlen(prefix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

bool isWebAddress(const std::string& address) {
    return startsWithNoCase(address, "http://") || startsWithNoCase(address, "https://");
}

// The address as a request line can carry it: UTF-8, with blanks and bytes above ASCII
// after the host percent-encoded (the host itself is left to libcurl's IDN support).
std::string requestAddress(const std::string& shiftJis) {
    std::string utf8 = shiftJisToUtf8(shiftJis);
    std::size_t hostStart = utf8.find("://") + 3;
    std::size_t pathStart = utf8.find_first_of("/?#", hostStart);
    if (pathStart == std::string::npos) return utf8;
    std::string out = utf8.substr(0, pathStart);
    static const char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = pathStart; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// The host name in small letters; empty when the address has none.
std::string hostOf(const std::string& address) {
    CURLU* url = curl_url();
    std::string host;
    char* part = nullptr;
    if (curl_url_set(url, CURLUPART_URL, address.c_str(), 0) == CURLUE_OK &&
        curl_url_get(url, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
        host = part;
        curl_free(part);
    }
    curl_url_cleanup(url);
    for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return host;
}

// Names under .invalid never resolve (RFC 6761): they are answered here, without asking
// a name server.
bool neverResolves(const std::string& host) {
    const std::string suffix = ".invalid";
    return host == "invalid" ||
           (host.size() > suffix.size() && host.compare(host.size() - suffix.size(), suffix.size(), suffix) == 0);
}

// ---- one link's way through its requests ----

struct Probe {
    std::string address;  // as the file has it, for the request
    std::string current;  // the address of this request, after redirects
    std::string host;
    bool useGet = false;      // the server refused HEAD
    bool retried = false;     // after a 429 or 503
    bool permanentSoFar = true;
    int redirects = 0;
    bool bodyCut = false;     // a GET is ended at its first body byte
    // The result.
    LinkClass linkClass = LinkClass::Inconclusive;
    long status = 0;
    std::string newAddress;  // where permanent redirects lead
    std::string note;
};

struct HostQueue {
    std::deque<std::size_t> waiting;
    int active = 0;
    Clock::time_point nextStart{};
};

struct CheckSettings {
    int jobs = 8;
    long timeoutMilliseconds = 10000;
};

std::size_t discardBody(char*, std::size_t, std::size_t, void* userData) {
    static_cast<Probe*>(userData)->bodyCut = true;
    return 0;  // the status is known; the body is not wanted
}

class LinkChecker {
public:
    LinkChecker(std::vector<Probe>& probes, const CheckSettings& settings)
        : probes_(probes), settings_(settings), multi_(curl_multi_init()) {
        curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, static_cast<long>(kConnectionsPerHost));
        curl_multi_setopt(multi_, CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(settings.jobs));
    }
    ~LinkChecker() { curl_multi_cleanup(multi_); }

    void run() {
        for (std::size_t i = 0; i < probes_.size(); ++i) {
            probes_[i].current = probes_[i].address;
            enqueue(i);
        }
        while (unfinished_ > 0) {
            Clock::time_point now = Clock::now();
            releaseDelayed(now);
            startRequests(now);
            int running = 0;
            curl_multi_perform(multi_, &running);
            collectAnswers();
            if (unfinished_ == 0) break;
            curl_multi_poll(multi_, nullptr, 0, waitMilliseconds(), nullptr);
        }
    }

private:
    void enqueue(std::size_t index) {
        Probe& probe = probes_[index];
        probe.host = hostOf(probe.current);
        if (probe.host.empty()) return finish(index, LinkClass::Inconclusive, "not an address that can be asked");
        if (neverResolves(probe.host)) return finish(index, LinkClass::DnsFailure, "the name does not resolve");
        hosts_[probe.host].waiting.push_back(index);
        ++unfinished_;
    }

    void finish(std::size_t index, LinkClass linkClass, std::string note = {}) {
        probes_[index].linkClass = linkClass;
        if (!note.empty()) probes_[index].note = std::move(note);
    }

    void releaseDelayed(Clock::time_point now) {
        for (auto it = delayed_.begin(); it != delayed_.end();) {
            if (it->first > now) {
                ++it;
                continue;
            }
            hosts_[probes_[it->second].host].waiting.push_front(it->second);
            it = delayed_.erase(it);
        }
    }

    // The hosts with the most links waiting go first, so that no host is left with a long
    // tail that its two connections must work through alone at the end.
    void startRequests(Clock::time_point now) {
        std::vector<HostQueue*> ready;
        for (auto& [host, queue] : hosts_)
            if (!queue.waiting.empty() && queue.active < kConnectionsPerHost && now >= queue.nextStart)
                ready.push_back(&queue);
        std::stable_sort(ready.begin(), ready.end(),
                         [](const HostQueue* a, const HostQueue* b) { return a->waiting.size() > b->waiting.size(); });
        for (HostQueue* host : ready) {
            if (active_ >= settings_.jobs) return;
            HostQueue& queue = *host;
            std::size_t index = queue.waiting.front();
            queue.waiting.pop_front();
            ++queue.active;
            ++active_;
            queue.nextStart = now + kHostPause;
            start(index);
        }
    }

    void start(std::size_t index) {
        Probe& probe = probes_[index];
        probe.bodyCut = false;
        CURL* easy = curl_easy_init();
        curl_easy_setopt(easy, CURLOPT_URL, probe.current.c_str());
        curl_easy_setopt(easy, CURLOPT_PRIVATE, reinterpret_cast<char*>(index));
        curl_easy_setopt(easy, CURLOPT_USERAGENT, "Perchlet");
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, settings_.timeoutMilliseconds);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, settings_.timeoutMilliseconds);
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);  // followed here, one hop at a time
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        if (probe.useGet) {
            curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discardBody);
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, &probe);
        } else {
            curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        }
        curl_multi_add_handle(multi_, easy);
    }

    void collectAnswers() {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg != CURLMSG_DONE) continue;
            CURL* easy = message->easy_handle;
            char* data = nullptr;
            curl_easy_getinfo(easy, CURLINFO_PRIVATE, &data);
            std::size_t index = reinterpret_cast<std::size_t>(data);
            Probe& probe = probes_[index];
            --hosts_[probe.host].active;
            --active_;
            --unfinished_;
            long status = 0;
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
            char* location = nullptr;
            curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location);
            curl_off_t retryAfter = 0;
            curl_easy_getinfo(easy, CURLINFO_RETRY_AFTER, &retryAfter);
            CURLcode code = message->data.result;
            bool answered = code == CURLE_OK || (code == CURLE_WRITE_ERROR && probe.bodyCut);
            std::string redirect = location ? location : "";
            if (answered) takeAnswer(index, status, redirect, static_cast<long>(retryAfter));
            else {
                probe.status = 0;  // no answer to show
                finish(index, classOfFailure(code), curl_easy_strerror(code));
            }
            curl_multi_remove_handle(multi_, easy);
            curl_easy_cleanup(easy);
        }
    }

    void takeAnswer(std::size_t index, long status, const std::string& redirect, long retryAfter) {
        Probe& probe = probes_[index];
        probe.status = status;
        if (!probe.useGet && (status == 405 || status == 501 || status == 403)) {
            probe.useGet = true;  // some servers refuse HEAD but answer GET
            return enqueue(index);
        }
        if (isRedirect(status) && !redirect.empty()) return followRedirect(index, status, redirect);
        if ((status == 429 || status == 503) && !probe.retried) {
            probe.retried = true;
            long seconds = retryAfter > 0 ? std::min(retryAfter, kLongestRetryAfterSeconds) : kRetryAfterWhenNotSaid;
            delayed_.emplace_back(Clock::now() + std::chrono::seconds(seconds), index);
            ++unfinished_;
            return;
        }
        LinkClass linkClass = classOfStatus(status);
        if (linkClass == LinkClass::Ok && !probe.newAddress.empty()) linkClass = LinkClass::Moved;
        finish(index, linkClass);
    }

    void followRedirect(std::size_t index, long status, const std::string& target) {
        Probe& probe = probes_[index];
        if (++probe.redirects > kMostRedirects) {
            // The page lives nowhere the chain leads: no new address to offer.
            probe.newAddress.clear();
            return finish(index, LinkClass::Inconclusive, "too many redirects");
        }
        // Only a run of permanent redirects from the start tells where the page now lives.
        if (isPermanentRedirect(status) && probe.permanentSoFar) probe.newAddress = target;
        else probe.permanentSoFar = false;
        if (!isWebAddress(target)) return finish(index, LinkClass::Inconclusive, "redirected to " + target);
        probe.current = target;
        enqueue(index);
    }

    int waitMilliseconds() const {
        Clock::time_point now = Clock::now();
        Clock::time_point until = now + Milliseconds(1000);
        for (const auto& delayed : delayed_) until = std::min(until, delayed.first);
        if (active_ < settings_.jobs)
            for (const auto& [host, queue] : hosts_)
                if (!queue.waiting.empty() && queue.active < kConnectionsPerHost) until = std::min(until, queue.nextStart);
        auto wait = std::chrono::duration_cast<Milliseconds>(until - now).count();
        return static_cast<int>(std::max<long long>(0, wait));
    }

    std::vector<Probe>& probes_;
    CheckSettings settings_;
    CURLM* multi_;
    std::map<std::string, HostQueue> hosts_;
    std::vector<std::pair<Clock::time_point, std::size_t>> delayed_;
    int active_ = 0;
    std::size_t unfinished_ = 0;  // waiting, delayed or asking
};

// ---- the command ----

enum class OutputFormat { Text, Csv, Json };

struct CheckCommand {
    std::string file;
    CheckSettings settings;
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

struct CheckedLink {
    NodeId node;
    std::size_t probe;
};

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

void printResults(const Document& document, const std::vector<CheckedLink>& links, const std::vector<Probe>& probes,
                  OutputFormat format) {
    int counts[kClassCount] = {};
    for (const CheckedLink& link : links) ++counts[static_cast<int>(probes[link.probe].linkClass)];
    std::string summary = std::to_string(links.size()) + " links:";
    for (int c = 0; c < kClassCount; ++c)
        summary += std::string(c ? ", " : " ") + std::to_string(counts[c]) + " " + className(static_cast<LinkClass>(c));

    if (format == OutputFormat::Csv) std::printf("class,status,address,new address,folder,title,note\r\n");
    if (format == OutputFormat::Json) std::printf("{\"links\": [");
    bool first = true;
    for (const CheckedLink& link : links) {
        const Probe& probe = probes[link.probe];
        std::string address = shiftJisForOutput(nodeRecord(document, link.node)->locator);
        std::string folder = shiftJisForOutput(folderPathOf(document.tree, link.node));
        std::string title = shiftJisForOutput(document.tree.node(link.node).text);
        std::string status = probe.status ? std::to_string(probe.status) : "";
        const char* name = className(probe.linkClass);
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
        for (int c = 0; c < kClassCount; ++c)
            std::printf(", %s: %d", jsonString(className(static_cast<LinkClass>(c))).c_str(), counts[c]);
        std::printf("}}\n");
    }
}

}  // namespace

int runLinkCheck(int argc, char** argv) {
    CheckCommand command;
    if (auto problem = parseCheck(argc, argv, command)) return usageError(*problem);
    Document document;
    if (auto failure = readAnyFormat(command.file, document)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, failure->c_str());
        return kExitFailed;
    }

    // Each address is asked once, however many items keep it.
    std::vector<Probe> probes;
    std::vector<CheckedLink> links;
    std::unordered_map<std::string, std::size_t> probeOf;
    const BookmarkTree& tree = document.tree;
    for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top)) {
        tree.walkSubtree(top, [&](NodeId node) {
            const BookmarkItem* record = nodeRecord(document, node);
            if (!record || !isWebAddress(record->locator)) return;
            auto [it, added] = probeOf.emplace(record->locator, probes.size());
            if (added) {
                probes.emplace_back();
                probes.back().address = requestAddress(record->locator);
            }
            links.push_back({node, it->second});
        });
    }

    curl_global_init(CURL_GLOBAL_DEFAULT);
    LinkChecker(probes, command.settings).run();
    curl_global_cleanup();

    printResults(document, links, probes, command.format);
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "%s: cannot write the output\n", kProgram);
        return kExitFailed;
    }
    for (const CheckedLink& link : links) {
        LinkClass c = probes[link.probe].linkClass;
        if (c != LinkClass::Ok && c != LinkClass::Moved) return kExitFailed;
    }
    return kExitOk;
}
