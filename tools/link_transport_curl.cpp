#include "link_transport_curl.h"

#include <string>

using namespace perchlet;

namespace {

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

CurlLinkTransport::CurlLinkTransport(int jobs) : multi_(curl_multi_init()) {
    curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, static_cast<long>(kConnectionsPerHost));
    curl_multi_setopt(multi_, CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(jobs));
}

CurlLinkTransport::~CurlLinkTransport() {
    while (!transfers_.empty()) drop(transfers_.begin()->first);
    curl_multi_cleanup(multi_);
}

void CurlLinkTransport::start(const LinkRequest& request) {
    auto transfer = std::make_unique<Transfer>();
    CURL* easy = curl_easy_init();
    transfer->easy = easy;
    curl_easy_setopt(easy, CURLOPT_URL, request.address.c_str());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, reinterpret_cast<char*>(request.probe));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Perchlet");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, request.timeoutMilliseconds);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, request.timeoutMilliseconds);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);  // the checker follows, one hop at a time
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    if (request.get) {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discardBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer->bodyCut);
    } else {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    }
    curl_multi_add_handle(multi_, easy);
    transfers_[request.probe] = std::move(transfer);
}

std::vector<std::pair<std::size_t, LinkAnswer>> CurlLinkTransport::wait(int milliseconds) {
    std::vector<std::pair<std::size_t, LinkAnswer>> answers;
    int running = 0;
    curl_multi_perform(multi_, &running);
    collect(answers);
    if (!answers.empty()) return answers;
    curl_multi_poll(multi_, nullptr, 0, milliseconds, nullptr);
    curl_multi_perform(multi_, &running);
    collect(answers);
    return answers;
}

void CurlLinkTransport::collect(std::vector<std::pair<std::size_t, LinkAnswer>>& answers) {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        CURL* easy = message->easy_handle;
        char* data = nullptr;
        curl_easy_getinfo(easy, CURLINFO_PRIVATE, &data);
        std::size_t probe = reinterpret_cast<std::size_t>(data);
        LinkAnswer answer;
        CURLcode code = message->data.result;
        bool answered = code == CURLE_OK || (code == CURLE_WRITE_ERROR && transfers_[probe]->bodyCut);
        if (answered) {
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &answer.status);
            curl_header* header = nullptr;
            if (curl_easy_header(easy, "Location", 0, CURLH_HEADER, -1, &header) == CURLHE_OK)
                answer.location = header->value;
            if (curl_easy_header(easy, "Retry-After", 0, CURLH_HEADER, -1, &header) == CURLHE_OK)
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
    curl_multi_remove_handle(multi_, it->second->easy);
    curl_easy_cleanup(it->second->easy);
    transfers_.erase(it);
}
