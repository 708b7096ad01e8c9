// The link check's requests through WinHTTP in asynchronous mode: many at once from one
// thread, each cancellable. Wine keeps neither WinHTTP's time-outs nor ends a pending
// request when its handle is closed, so the checker keeps the time itself, and what a late
// callback finds (its request, the mailbox) stays alive until WinHTTP lets go of it.
#pragma once
#include <windows.h>
#include <winhttp.h>

#include <map>
#include <memory>

#include "web/link_check.h"

namespace perchlet {

class WinHttpLinkTransport : public LinkTransport {
public:
    explicit WinHttpLinkTransport(int jobs);
    ~WinHttpLinkTransport() override;
    WinHttpLinkTransport(const WinHttpLinkTransport&) = delete;
    WinHttpLinkTransport& operator=(const WinHttpLinkTransport&) = delete;

    void start(const LinkRequest& request) override;
    std::vector<std::pair<std::size_t, LinkAnswer>> wait(int milliseconds) override;
    void cancel(std::size_t probe) override;

    struct Mailbox;
    struct Request;

private:
    HINTERNET session_ = nullptr;
    std::shared_ptr<Mailbox> mailbox_;
    std::map<std::size_t, std::shared_ptr<Request>> requests_;
};

}  // namespace perchlet
