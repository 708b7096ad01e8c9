// The link check's requests through libcurl's multi interface (the Linux tool).
#pragma once
#include <curl/curl.h>

#include <map>
#include <memory>

#include "web/link_check.h"

class CurlLinkTransport : public perchlet::LinkTransport {
public:
    // False when libcurl cannot be loaded; then no transport may be made.
    static bool available();
    explicit CurlLinkTransport(int jobs);
    ~CurlLinkTransport() override;
    CurlLinkTransport(const CurlLinkTransport&) = delete;
    CurlLinkTransport& operator=(const CurlLinkTransport&) = delete;

    void start(const perchlet::LinkRequest& request) override;
    std::vector<std::pair<std::size_t, perchlet::LinkAnswer>> wait(int milliseconds) override;
    void cancel(std::size_t probe) override;

private:
    struct Transfer {
        CURL* easy = nullptr;
        bool bodyCut = false;  // a GET is ended at its first body byte
    };
    void collect(std::vector<std::pair<std::size_t, perchlet::LinkAnswer>>& answers);
    void drop(std::size_t probe);

    CURLM* multi_;
    std::map<std::size_t, std::unique_ptr<Transfer>> transfers_;
};
