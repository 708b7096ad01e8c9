#include "web/link_check.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <deque>
#include <map>
#include <unordered_map>

#include "store/encoding.h"
#include "store/item_number.h"

namespace perchlet {

std::string linkClassLabel(LinkClass linkClass) {
    static const char* const kLabels[kLinkClassCount] = {
        "正常", "移転", "一時的な転送", "リンク切れ", "アクセス拒否", "サーバーエラー", "時間切れ",
        "ホスト名が見つからない", "暗号化接続の失敗", "接続できない", "判定できない", "対象外"};
    return kLabels[static_cast<int>(linkClass)];
}

bool isDeadLink(LinkClass linkClass) {
    switch (linkClass) {
    case LinkClass::Gone:
    case LinkClass::ServerError:
    case LinkClass::TimeOut:
    case LinkClass::NameNotFound:
    case LinkClass::TlsFailure:
    case LinkClass::ConnectionFailure: return true;
    default: return false;
    }
}

std::string updateFailureReason(const Document& document, NodeId node) {
    const BookmarkItem* record = nodeRecord(document, node);
    if (!record || kindOf(document.tree.node(node).itemNumber) != kKindFailedLink) return {};
    if (record->lastModified == "00") return "取得失敗: " + linkClassLabel(LinkClass::Gone) + "（404・410）";
    if (record->lastModified == "000")
        return "取得失敗: 答えがありません（" + linkClassLabel(LinkClass::NameNotFound) + "、" +
               linkClassLabel(LinkClass::ConnectionFailure) + "、" + linkClassLabel(LinkClass::TimeOut) + "のどれか）";
    return "取得失敗";
}

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

LinkClass classOfStatus(long status) {
    if (status >= 200 && status < 300) return LinkClass::Ok;
    if (status == 404 || status == 410) return LinkClass::Gone;
    if (status == 401 || status == 403) return LinkClass::Blocked;
    if (status >= 500 && status != 503) return LinkClass::ServerError;
    // 429 and 503 after their retry, and answers that say nothing about the page.
    return LinkClass::Inconclusive;
}

bool isRedirect(long status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }
bool isPermanentRedirect(long status) { return status == 301 || status == 308; }

// Retry-After in seconds, within the bound; a date or nothing counts as one second.
long retryDelaySeconds(const std::string& retryAfter) {
    char* end = nullptr;
    long seconds = std::strtol(retryAfter.c_str(), &end, 10);
    bool isNumber = !retryAfter.empty() && *end == '\0';
    if (!isNumber || seconds <= 0) return 1;
    return std::min(seconds, kLongestRetryAfterSeconds);
}

bool holdsControlOrBlank(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; });
}

LinkStepResult finish(LinkProbe& probe, LinkClass linkClass, std::string note = {}) {
    probe.linkClass = linkClass;
    probe.done = true;
    if (!note.empty()) probe.note = std::move(note);
    return {LinkStep::Done, 0};
}

LinkStepResult takeFailure(LinkProbe& probe, TransportFailure failure) {
    probe.status = 0;  // no answer to show
    switch (failure) {
    case TransportFailure::TimeOut:
        if (!probe.retried) {
            probe.retried = true;
            return {LinkStep::AskAgain, 0};
        }
        return finish(probe, LinkClass::TimeOut, "no answer in time");
    case TransportFailure::NameNotFound: return finish(probe, LinkClass::NameNotFound, "the name does not resolve");
    case TransportFailure::Tls: return finish(probe, LinkClass::TlsFailure, "the secure connection failed");
    case TransportFailure::BadAddress: return finish(probe, LinkClass::Inconclusive, "not an address that can be asked");
    default: return finish(probe, LinkClass::ConnectionFailure, "the connection failed");
    }
}

LinkStepResult followRedirect(LinkProbe& probe, long status, const std::string& location) {
    if (++probe.redirects > kMostRedirects) {
        // The page lives nowhere the chain leads: no new address to offer.
        probe.newAddress.clear();
        return finish(probe, LinkClass::Inconclusive, "too many redirects");
    }
    // An address with blanks or control codes is no address: it is shown as it came.
    std::string target = holdsControlOrBlank(location) ? location : resolveLocation(probe.current, location);
    // Only a run of permanent redirects from the start tells where the page now lives.
    if (isPermanentRedirect(status) && probe.permanentSoFar) probe.newAddress = target;
    else probe.permanentSoFar = false;
    if (!isWebLink(target)) return finish(probe, LinkClass::Inconclusive, "redirected to " + target);
    probe.current = target;
    return {LinkStep::AskAgain, 0};
}

}  // namespace

LinkStepResult takeLinkAnswer(LinkProbe& probe, const LinkAnswer& answer) {
    if (answer.failure != TransportFailure::None) return takeFailure(probe, answer.failure);
    long status = answer.status;
    probe.status = status;
    if (!probe.useGet && (status == 405 || status == 501 || status == 403)) {
        probe.useGet = true;  // some servers refuse HEAD but answer GET
        return {LinkStep::AskAgain, 0};
    }
    if (isRedirect(status) && !answer.location.empty()) return followRedirect(probe, status, answer.location);
    if ((status == 429 || status == 503) && !probe.retried) {
        probe.retried = true;
        return {LinkStep::AskLater, retryDelaySeconds(answer.retryAfter)};
    }
    LinkClass linkClass = classOfStatus(status);
    if (linkClass == LinkClass::Ok && probe.redirects > 0)
        linkClass = probe.newAddress.empty() ? LinkClass::MovedTemporarily : LinkClass::MovedPermanently;
    return finish(probe, linkClass);
}

bool isWebLink(std::string_view address) {
    return startsWithNoCase(address, "http://") || startsWithNoCase(address, "https://");
}

std::string hostOfAddress(std::string_view address) {
    std::size_t schemeEnd = address.find("://");
    if (schemeEnd == std::string_view::npos) return {};
    std::size_t start = schemeEnd + 3;
    std::size_t end = address.find_first_of("/?#", start);
    std::string_view authority = address.substr(start, end == std::string_view::npos ? end : end - start);
    std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    std::string_view host = authority;
    if (!host.empty() && host.front() == '[') {
        std::size_t close = host.find(']');
        host = close == std::string_view::npos ? std::string_view{} : host.substr(0, close + 1);
    } else {
        host = host.substr(0, host.find(':'));
    }
    std::string out(host);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string resolveLocation(std::string_view base, std::string_view location) {
    if (location.find("://") != std::string_view::npos &&
        location.find("://") < location.find_first_of("/?#"))
        return std::string(location);
    std::size_t schemeEnd = base.find("://");
    if (schemeEnd == std::string_view::npos) return std::string(location);
    if (location.substr(0, 2) == "//") return std::string(base.substr(0, schemeEnd + 1)) + std::string(location);
    std::size_t pathStart = base.find_first_of("/?#", schemeEnd + 3);
    std::string_view origin = base.substr(0, pathStart);
    if (!location.empty() && location.front() == '/') return std::string(origin) + std::string(location);
    std::string_view path = pathStart == std::string_view::npos ? "/" : base.substr(pathStart);
    path = path.substr(0, path.find_first_of("?#"));
    if (!location.empty() && location.front() == '?') return std::string(origin) + std::string(path) + std::string(location);
    if (!location.empty() && location.front() == '#') return std::string(base.substr(0, base.find('#'))) + std::string(location);
    std::string_view folder = path.substr(0, path.rfind('/') + 1);
    return std::string(origin) + std::string(folder.empty() ? "/" : folder) + std::string(location);
}

std::string requestAddressOf(const std::string& address, TextEncoding encoding) {
    std::string utf8 = utf8OfText(address, encoding);
    std::size_t hostStart = utf8.find("://");
    if (hostStart == std::string::npos) return utf8;
    std::size_t pathStart = utf8.find_first_of("/?#", hostStart + 3);
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

namespace {

using Clock = std::chrono::steady_clock;

// Names under .invalid never resolve (RFC 6761): they are answered here, without asking
// a name server.
bool neverResolves(const std::string& host) {
    const std::string suffix = ".invalid";
    return host == "invalid" ||
           (host.size() > suffix.size() && host.compare(host.size() - suffix.size(), suffix.size(), suffix) == 0);
}

struct HostQueue {
    std::deque<std::size_t> waiting;
    int active = 0;
    Clock::time_point nextStart{};
};

class LinkCheckRun {
public:
    LinkCheckRun(std::vector<LinkProbe>& probes, const LinkCheckSettings& settings, LinkTransport& transport,
                 const std::function<void(std::size_t)>& onDone)
        : probes_(probes), settings_(settings), transport_(transport), onDone_(onDone) {}

    void run(const std::atomic<bool>* stop) {
        for (std::size_t i = 0; i < probes_.size(); ++i) {
            if (probes_[i].done) continue;
            if (probes_[i].current.empty()) probes_[i].current = probes_[i].address;
            enqueue(i);
        }
        while (unfinished_ > 0) {
            if (stop && stop->load()) return cancelAll();
            Clock::time_point now = Clock::now();
            releaseDelayed(now);
            endOverdue(now);
            startRequests(now);
            if (unfinished_ == 0) break;
            for (auto& [probe, answer] : transport_.wait(waitMilliseconds())) take(probe, answer);
        }
    }

private:
    void enqueue(std::size_t index) {
        LinkProbe& probe = probes_[index];
        std::string host = hostOfAddress(probe.current);
        if (host.empty()) return done(index, takeLinkAnswer(probe, failedAnswer(TransportFailure::BadAddress)));
        if (neverResolves(host)) return done(index, takeLinkAnswer(probe, failedAnswer(TransportFailure::NameNotFound)));
        hostOf_[index] = host;
        hosts_[host].waiting.push_back(index);
        ++unfinished_;
    }

    void done(std::size_t index, LinkStepResult result) {
        if (result.step == LinkStep::AskAgain) return enqueue(index);
        if (result.step == LinkStep::AskLater) {
            delayed_.emplace_back(Clock::now() + std::chrono::seconds(result.delaySeconds), index);
            ++unfinished_;
            return;
        }
        if (onDone_) onDone_(index);
    }

    void take(std::size_t index, const LinkAnswer& answer) {
        auto asking = deadlines_.find(index);
        if (asking == deadlines_.end()) return;  // cancelled as overdue
        deadlines_.erase(asking);
        --hosts_[hostOf_[index]].active;
        --active_;
        --unfinished_;
        done(index, takeLinkAnswer(probes_[index], answer));
    }

    // A transport that does not keep its time-out is not waited for.
    void endOverdue(Clock::time_point now) {
        std::vector<std::size_t> overdue;
        for (const auto& [index, deadline] : deadlines_)
            if (deadline <= now) overdue.push_back(index);
        for (std::size_t index : overdue) {
            transport_.cancel(index);
            take(index, failedAnswer(TransportFailure::TimeOut));
        }
    }

    void cancelAll() {
        for (const auto& asking : deadlines_) transport_.cancel(asking.first);
        deadlines_.clear();
    }

    void releaseDelayed(Clock::time_point now) {
        for (auto it = delayed_.begin(); it != delayed_.end();) {
            if (it->first > now) {
                ++it;
                continue;
            }
            hosts_[hostOf_[it->second]].waiting.push_front(it->second);
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
        for (HostQueue* queue : ready) {
            if (active_ >= settings_.jobs) return;
            std::size_t index = queue->waiting.front();
            queue->waiting.pop_front();
            ++queue->active;
            ++active_;
            queue->nextStart = now + kHostPause;
            start(index, now);
        }
    }

    void start(std::size_t index, Clock::time_point now) {
        const LinkProbe& probe = probes_[index];
        // A little beyond the transport's own time-out, which decides when it keeps it.
        deadlines_[index] = now + std::chrono::milliseconds(settings_.timeoutMilliseconds + 250);
        transport_.start({index, probe.current, probe.useGet, settings_.timeoutMilliseconds});
    }

    int waitMilliseconds() const {
        Clock::time_point now = Clock::now();
        Clock::time_point until = now + std::chrono::milliseconds(100);
        for (const auto& delayed : delayed_) until = std::min(until, delayed.first);
        for (const auto& asking : deadlines_) until = std::min(until, asking.second);
        if (active_ < settings_.jobs)
            for (const auto& [host, queue] : hosts_)
                if (!queue.waiting.empty() && queue.active < kConnectionsPerHost) until = std::min(until, queue.nextStart);
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
        return static_cast<int>(std::max<long long>(0, wait));
    }

    std::vector<LinkProbe>& probes_;
    LinkCheckSettings settings_;
    LinkTransport& transport_;
    const std::function<void(std::size_t)>& onDone_;
    std::map<std::string, HostQueue> hosts_;
    std::unordered_map<std::size_t, std::string> hostOf_;
    std::unordered_map<std::size_t, Clock::time_point> deadlines_;  // the probes being asked
    std::vector<std::pair<Clock::time_point, std::size_t>> delayed_;
    int active_ = 0;
    std::size_t unfinished_ = 0;  // waiting, delayed or asking
};

}  // namespace

void runLinkCheck(std::vector<LinkProbe>& probes, const LinkCheckSettings& settings, LinkTransport& transport,
                  const std::atomic<bool>* stop, const std::function<void(std::size_t)>& onDone) {
    LinkCheckRun(probes, settings, transport, onDone).run(stop);
}

LinkCheckPlan planLinkCheck(const Document& document, NodeId start, TextEncoding encoding) {
    LinkCheckPlan plan;
    std::unordered_map<std::string, std::size_t> probeOf;
    auto visit = [&](NodeId node) {
        const BookmarkItem* record = nodeRecord(document, node);
        if (!record || kindOf(document.tree.node(node).itemNumber) == kKindFolder) return;
        if (!isWebLink(record->locator)) {
            plan.links.push_back({node, 0, false});
            return;
        }
        auto [it, added] = probeOf.emplace(record->locator, plan.probes.size());
        if (added) {
            plan.probes.emplace_back();
            plan.probes.back().address = requestAddressOf(record->locator.str(), encoding);
        }
        plan.links.push_back({node, it->second, true});
    };
    const BookmarkTree& tree = document.tree;
    if (start != kNoNode) {
        tree.walkSubtree(start, visit);
        return plan;
    }
    for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top)) tree.walkSubtree(top, visit);
    return plan;
}

}  // namespace perchlet
