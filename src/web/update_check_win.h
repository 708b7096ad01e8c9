// The update check dialog MYCHECK (command 607): the links of the selected subtree are asked
// for their Last-Modified date, several at once, and marked in the order of the tree.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

#include "tree/workspace_win.h"
#include "web/update_check.h"

namespace perchlet {

// Posted by the workers to the dialog when the check has ended.
constexpr UINT kUpdateCheckDone = 94;
// Posted by a worker when one more answer is ready.
constexpr UINT kUpdateAnswerReady = WM_APP + 94;

constexpr unsigned kConcurrentChecks = 8;
constexpr DWORD kCheckTimeoutMs = 3000;

struct CheckedLink {
    bool asked = false;
    bool cancelled = false;  // the request was broken off by stop: the link stays as it is
    UpdateAnswer answer;
};

// One link's request, blocking: it ends within timeoutMs, and at once when stopEvent is set
// (for https, when the system's time-outs let it). Runs on a worker thread.
CheckedLink checkLink(const UpdateCheckItem& item, DWORD timeoutMs, HANDLE stopEvent);

// Checks the items on up to `concurrency` threads, each taking the next item in order; no
// other thread is started, so a check never leaves more than these behind.
// Calls answerReady(index) from the worker that finished the item, and allDone() once from
// the last worker to end. A request that takes longer than requestTimeoutMs counts as
// unreachable.
class UpdateCheckPool {
public:
    UpdateCheckPool(std::vector<UpdateCheckItem> items, unsigned concurrency);
    void setRequestTimeout(DWORD milliseconds) { requestTimeoutMs_ = milliseconds; }
    ~UpdateCheckPool();

    void start(std::function<void(std::size_t)> answerReady, std::function<void()> allDone);
    // Breaks off the requests under way; no new item is begun.
    void stop();
    bool stopping() const { return stop_ != 0; }
    void join();

    const std::vector<UpdateCheckItem>& items() const { return items_; }
    bool ready(std::size_t index) const { return ready_[index].load(std::memory_order_acquire); }
    const CheckedLink& result(std::size_t index) const { return results_[index]; }

private:
    void work();

    std::vector<UpdateCheckItem> items_;
    std::vector<CheckedLink> results_;
    std::unique_ptr<std::atomic<bool>[]> ready_;
    unsigned threads_;
    HANDLE stopEvent_;
    DWORD requestTimeoutMs_ = kCheckTimeoutMs;
    std::vector<std::thread> workers_;
    std::atomic<std::size_t> next_{0};
    std::atomic<int> stop_{0};
    std::atomic<unsigned> running_{0};
    std::function<void(std::size_t)> answerReady_;
    std::function<void()> allDone_;
};

// Command 607: the dialog over the selected subtree, owned by the main window.
void runUpdateCheck(Workspace& workspace);

}  // namespace perchlet
