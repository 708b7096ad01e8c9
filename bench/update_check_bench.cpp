// The update check over 1,000 links behind a loopback server that answers each request
// after 200 ms: one request at a time, against the dialog's several at once.
// Run by hand under Wine: wine build/win/update_check_bench.exe
#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>

#include "loopback_http_server.h"
#include "web/update_check_win.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

constexpr int kLinks = 1000;
constexpr DWORD kAnswerDelayMs = 200;

double secondsToCheck(const std::vector<UpdateCheckItem>& items, unsigned concurrency, int& answered) {
    UpdateCheckPool pool(items, concurrency);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    pool.start([](std::size_t) {}, [done] { SetEvent(done); });
    WaitForSingleObject(done, INFINITE);
    QueryPerformanceCounter(&end);
    pool.join();
    CloseHandle(done);
    answered = 0;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (pool.result(i).answer.outcome == UpdateAnswer::Outcome::Answered) ++answered;
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    LoopbackHttpServer server;
    std::vector<UpdateCheckItem> items;
    for (int i = 0; i < kLinks; ++i) {
        std::string path = "/page" + std::to_string(i);
        server.route(path, {httpResponse("HTTP/1.1 200 OK", "Last-Modified: Sun, 13 Sep 2020 12:26:40 GMT\r\n", ""),
                            HttpRoute::Then::Close, kAnswerDelayMs});
        items.push_back({kNoNode, path, server.url(path), true});
    }
    std::printf("%d links, each answered after %lu ms\n", kLinks, kAnswerDelayMs);
    for (unsigned concurrency : {kConcurrentChecks, 1u}) {
        int answered = 0;
        double seconds = secondsToCheck(items, concurrency, answered);
        std::printf("%u at once: %.1f s (%d answered)\n", concurrency, seconds, answered);
        std::fflush(stdout);
    }
    return 0;
}
