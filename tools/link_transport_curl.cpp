#include "link_transport_curl.h"

#include <dlfcn.h>

#include <string>

using namespace perchlet;

namespace {

// libcurl and the thirty libraries it brings cost every command about 8 MiB of memory at
// start; only the check needs them, so they are loaded when it begins.
struct CurlFunctions {
    decltype(&curl_multi_init) multi_init = nullptr;
    decltype(&curl_multi_setopt) multi_setopt = nullptr;
    decltype(&curl_multi_cleanup) multi_cleanup = nullptr;
    decltype(&curl_multi_add_handle) multi_add_handle = nullptr;
    decltype(&curl_multi_remove_handle) multi_remove_handle = nullptr;
    decltype(&curl_multi_perform) multi_perform = nullptr;
    decltype(&curl_multi_poll) multi_poll = nullptr;
    decltype(&curl_multi_info_read) multi_info_read = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_header) easy_header = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
};

template <typename Function>
bool load(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

CurlFunctions loadCurl() {
    CurlFunctions f;
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) return f;
    bool all = load(library, "curl_multi_init", f.multi_init) && load(library, "curl_multi_setopt", f.multi_setopt) &&
               load(library, "curl_multi_cleanup", f.multi_cleanup) &&
               load(library, "curl_multi_add_handle", f.multi_add_handle) &&
               load(library, "curl_multi_remove_handle", f.multi_remove_handle) &&
               load(library, "curl_multi_perform", f.multi_perform) && load(library, "curl_multi_poll", f.multi_poll) &&
               load(library, "curl_multi_info_read", f.multi_info_read) && load(library, "curl_easy_init", f.easy_init) &&
               load(library, "curl_easy_setopt", f.easy_setopt) && load(library, "curl_easy_getinfo", f.easy_getinfo) &&
               load(library, "curl_easy_header", f.easy_header) && load(library, "curl_easy_cleanup", f.easy_cleanup);
    return all ? f : CurlFunctions{};
}

const CurlFunctions& curl() {
    static const CurlFunctions functions = loadCurl();
    return functions;
}

std::size_t discardBody(char*, std::size_t, std::size_t, void* userData) {
    *static_cast<bool*>(userData) = true;
    return 0;  // the status is known; the body is not wanted
}

TransportFailure failureOf(CURLcode code) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST: return TransportFailure::NameNotFound;
    case CURLE_OPERATION_TIMEDOUT: return TransportFailure::TimeOut;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return TransportFailure::BadAddress;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR: return TransportFailure::Tls;
    default: return TransportFailure::Connection;
    }
}

}  // namespace

bool CurlLinkTransport::available() { return curl().multi_init != nullptr; }

CurlLinkTransport::CurlLinkTransport(int jobs) : multi_(curl().multi_init()) {
    curl().multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, static_cast<long>(kConnectionsPerHost));
    curl().multi_setopt(multi_, CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(jobs));
}

CurlLinkTransport::~CurlLinkTransport() {
    while (!transfers_.empty()) drop(transfers_.begin()->first);
    curl().multi_cleanup(multi_);
}

void CurlLinkTransport::start(const LinkRequest& request) {
    auto transfer = std::make_unique<Transfer>();
    CURL* easy = curl().easy_init();
    transfer->easy = easy;
    curl().easy_setopt(easy, CURLOPT_URL, request.address.c_str());
    curl().easy_setopt(easy, CURLOPT_PRIVATE, reinterpret_cast<char*>(request.probe));
    curl().easy_setopt(easy, CURLOPT_USERAGENT, "Perchlet");
    curl().easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl().easy_setopt(easy, CURLOPT_TIMEOUT_MS, request.timeoutMilliseconds);
    curl().easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, request.timeoutMilliseconds);
    curl().easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);  // the checker follows, one hop at a time
    curl().easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    if (request.get) {
        curl().easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        curl().easy_setopt(easy, CURLOPT_WRITEFUNCTION, discardBody);
        curl().easy_setopt(easy, CURLOPT_WRITEDATA, &transfer->bodyCut);
    } else {
        curl().easy_setopt(easy, CURLOPT_NOBODY, 1L);
    }
    curl().multi_add_handle(multi_, easy);
    transfers_[request.probe] = std::move(transfer);
}

std::vector<std::pair<std::size_t, LinkAnswer>> CurlLinkTransport::wait(int milliseconds) {
    std::vector<std::pair<std::size_t, LinkAnswer>> answers;
    int running = 0;
    curl().multi_perform(multi_, &running);
    collect(answers);
    if (!answers.empty()) return answers;
    curl().multi_poll(multi_, nullptr, 0, milliseconds, nullptr);
    curl().multi_perform(multi_, &running);
    collect(answers);
    return answers;
}

void CurlLinkTransport::collect(std::vector<std::pair<std::size_t, LinkAnswer>>& answers) {
    int left = 0;
    while (CURLMsg* message = curl().multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        CURL* easy = message->easy_handle;
        char* data = nullptr;
        curl().easy_getinfo(easy, CURLINFO_PRIVATE, &data);
        std::size_t probe = reinterpret_cast<std::size_t>(data);
        LinkAnswer answer;
        CURLcode code = message->data.result;
        bool answered = code == CURLE_OK || (code == CURLE_WRITE_ERROR && transfers_[probe]->bodyCut);
        if (answered) {
            curl().easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &answer.status);
            curl_header* header = nullptr;
            if (curl().easy_header(easy, "Location", 0, CURLH_HEADER, -1, &header) == CURLHE_OK)
                answer.location = header->value;
            if (curl().easy_header(easy, "Retry-After", 0, CURLH_HEADER, -1, &header) == CURLHE_OK)
                answer.retryAfter = header->value;
        } else {
            answer.failure = failureOf(code);
        }
        answers.emplace_back(probe, std::move(answer));
        drop(probe);
    }
}

void CurlLinkTransport::cancel(std::size_t probe) { drop(probe); }

void CurlLinkTransport::drop(std::size_t probe) {
    auto it = transfers_.find(probe);
    if (it == transfers_.end()) return;
    curl().multi_remove_handle(multi_, it->second->easy);
    curl().easy_cleanup(it->second->easy);
    transfers_.erase(it);
}
