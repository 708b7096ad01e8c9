// The link check, independent of how requests travel: which answer puts a link in which
// class, when to ask again, and the per-host rules that keep the check polite. A transport
// (libcurl in the Linux tool, WinHTTP on Windows) only carries single requests.
#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/document.h"

namespace perchlet {

enum class LinkClass {
    Ok,
    MovedPermanently,   // every redirect from the start was permanent; newAddress is where it ends
    MovedTemporarily,   // the page is there, through a redirect the link should keep
    Gone,               // 404, 410
    Blocked,            // 401, 403: there, but not for us; not counted as dead
    ServerError,
    TimeOut,
    NameNotFound,
    TlsFailure,
    ConnectionFailure,  // refused or reset
    Inconclusive,       // redirect loops, lasting 429/503, answers that say nothing about the page
    NotChecked,         // not an http or https address
};
constexpr int kLinkClassCount = 12;

// The Japanese name shown in the window: "リンク切れ" and the like.
std::string linkClassLabel(LinkClass linkClass);
// True for the classes that say the page is not there for anyone.
bool isDeadLink(LinkClass linkClass);

// Why the update check marked a link 取得失敗, in the classes' words, from what it stored
// ("00": not found, "000": no answer); "" for an item it did not mark so.
std::string updateFailureReason(const Document& document, NodeId node);

// What became of one request, as a transport reports it.
enum class TransportFailure { None, NameNotFound, TimeOut, Tls, Connection, BadAddress };

struct LinkAnswer {
    TransportFailure failure = TransportFailure::None;
    long status = 0;
    std::string location;    // the Location header as sent, relative or not
    std::string retryAfter;  // the Retry-After header as sent
};

inline LinkAnswer failedAnswer(TransportFailure failure) {
    LinkAnswer answer;
    answer.failure = failure;
    return answer;
}

// One address's way through its requests, and its result.
struct LinkProbe {
    std::string address;  // UTF-8, as a request line carries it
    std::string current;  // the address of the next request, after redirects
    bool useGet = false;  // the server refused HEAD
    bool retried = false;
    bool permanentSoFar = true;
    int redirects = 0;
    LinkClass linkClass = LinkClass::Inconclusive;
    long status = 0;
    std::string newAddress;  // where permanent redirects lead
    std::string note;        // English, for the tool's output
    bool done = false;
};

constexpr int kMostRedirects = 10;
constexpr long kLongestRetryAfterSeconds = 10;

enum class LinkStep { Done, AskAgain, AskLater };
struct LinkStepResult {
    LinkStep step = LinkStep::Done;
    long delaySeconds = 0;  // for AskLater
};

// What an answer means for the probe: its class when it is done, or the next request.
LinkStepResult takeLinkAnswer(LinkProbe& probe, const LinkAnswer& answer);

// "http://" or "https://" at the start, in any case.
bool isWebLink(std::string_view address);
// The host of a scheme://host address in small letters, without user or port; "" when none.
std::string hostOfAddress(std::string_view address);
// A Location header read against the address it came from.
std::string resolveLocation(std::string_view base, std::string_view location);
// The Shift-JIS address as UTF-8, with blanks and bytes above ASCII after the host
// percent-encoded.
std::string requestAddressOf(const std::string& shiftJis);

struct LinkRequest {
    std::size_t probe = 0;
    std::string address;
    bool get = false;  // GET, cut at the first body byte; otherwise HEAD
    long timeoutMilliseconds = 10000;
};

// Carries requests; used from the checking thread only, except interrupt().
class LinkTransport {
public:
    virtual ~LinkTransport() = default;
    virtual void start(const LinkRequest& request) = 0;
    // Waits up to the given time for answers and returns those that came, by probe.
    virtual std::vector<std::pair<std::size_t, LinkAnswer>> wait(int milliseconds) = 0;
    // Drops the request of the probe; no answer comes for it.
    virtual void cancel(std::size_t probe) = 0;
};

struct LinkCheckSettings {
    int jobs = 8;
    long timeoutMilliseconds = 10000;
};

constexpr int kConnectionsPerHost = 2;
constexpr std::chrono::milliseconds kHostPause{100};  // between two request starts to one host

// Asks about every probe not yet done through the transport. The stop flag ends the run at
// its next turn (within a tenth of a second); onDone is called from the running thread
// with each probe that gets its class.
void runLinkCheck(std::vector<LinkProbe>& probes, const LinkCheckSettings& settings, LinkTransport& transport,
                  const std::atomic<bool>* stop = nullptr,
                  const std::function<void(std::size_t)>& onDone = {});

// The links of a subtree (start = kNoNode: the whole tree), each address asked once.
struct PlannedLink {
    NodeId node = kNoNode;
    std::size_t probe = 0;  // index into the probes; meaningless for NotChecked links
    bool web = true;        // false for links that are not asked about
};
struct LinkCheckPlan {
    std::vector<LinkProbe> probes;
    std::vector<PlannedLink> links;
};
LinkCheckPlan planLinkCheck(const Document& document, NodeId start = kNoNode);

}  // namespace perchlet
