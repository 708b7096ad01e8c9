// The title fetch and update check against real HTTP servers on 127.0.0.1.
#include <functional>
#include <thread>

#include "loopback_http_server.h"
#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/tree_population.h"
#include "web/title_fetch_win.h"
#include "web/update_check_win.h"

#include <tlhelp32.h>

namespace perchlet::testing {
namespace {

using Then = HttpRoute::Then;

// 日本語 in each encoding.
const std::string kSjis = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kEuc = "\xC6\xFC\xCB\xDC\xB8\xEC";
const std::string kJis = "\x1B$BF|K\\8l\x1B(B";
const std::string kUtf8 = u8"日本語";

// "<html><head><title>Packed page</title></head></html>", gzip-compressed.
const std::string kGzippedPage(
    "\x1F\x8B\x08\x00\x00\x00\x00\x00\x02\x03\xB3\xC9\x28\xC9\xCD\xB1\xB3\xC9\x48\x4D\x4C\xB1\xB3\x29\xC9\x2C"
    "\xC9\x49\xB5\x0B\x48\x4C\xCE\x4E\x4D\x51\x28\x48\x4C\x4F\xB5\xD1\x87\x08\xD9\xE8\x43\x14\xE8\x83\x55\x03"
    "\x00\xCC\xDD\xA6\xDE\x34\x00\x00\x00",
    61);

// A host name the resolver refuses without asking the network (a label over 63 bytes).
const std::string kUnresolvable = "http://" + std::string(70, 'n') + ".invalid/";

HttpRoute page(const std::string& body, const std::string& headers = "Content-Type: text/html\r\n") {
    return {httpResponse("HTTP/1.1 200 OK", headers, body)};
}

// Presses a dialog's button from another thread once the dialog is up and ready() says so,
// while the test's thread sits in the dialog's modal loop.
class ButtonPresser {
public:
    ButtonPresser(const std::string& caption, int button, std::function<bool()> ready)
        : ButtonPresser(caption, button, [ready](HWND) { return ready(); }) {}
    ButtonPresser(const std::string& caption, int button, std::function<bool(HWND)> ready)
        : thread_([=] {
              std::wstring title = widen(caption);
              for (int tries = 0; tries < 6000; ++tries) {  // a safety net, not a time limit
                  HWND dialog = FindWindowW(L"#32770", title.c_str());
                  if (dialog && ready(dialog)) {
                      PostMessageW(dialog, WM_COMMAND, button, 0);
                      return;
                  }
                  Sleep(5);
              }
          }) {}
    ~ButtonPresser() { thread_.join(); }

private:
    std::thread thread_;
};

class WebTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        startMainWindow();
    }

    FetchedTitle fetch(const std::string& url) {
        return fetchTitleWithDialog(app().instance, mainWindow(), url);
    }

    LoopbackHttpServer server;
};

TEST_F(WebTest, TitleFetchOfEveryKindOfPage) {
    std::string longTitle;
    for (int i = 0; i < 1500; ++i) longTitle += static_cast<char>('a' + i % 26);
    struct Case {
        const char* path;
        HttpRoute route;
        bool found;
        std::string field;
    } cases[] = {
        {"/sjis", page("<html><head><meta charset=Shift_JIS><title>" + kSjis + "</title>"), true, kSjis},
        {"/euc", page("<title>" + kEuc + "</title>"), true, kSjis},
        {"/jis", page("<TITLE>" + kJis + "</TITLE>"), true, kSjis},
        {"/utf8-header", page("<title>" + kUtf8 + "</title>", "Content-Type: text/html; charset=utf-8\r\n"), true, kSjis},
        {"/utf8-bare", page("<title>" + kUtf8 + "</title>"), true, kSjis},
        {"/boundary", page(std::string(995, ' ') + "<title>Across the boundary</title>"), true, "Across the boundary"},
        {"/long", page("<title>" + longTitle + "</title>"), true, longTitle.substr(0, 1022)},
        {"/attributes", page("<title lang=\"ja\">Tom &amp; Jerry&#39;s</title>"), true, "Tom & Jerry's"},
        {"/lines", page("<title>two\r\nlines</title>"), true, "two lines"},
        {"/comment", page("<!-- <title>Old</title> --><script>w('<title>No</title>')</script><title>New</title>"), true, "New"},
        {"/redirect", {httpResponse("HTTP/1.1 302 Found", "Location: /sjis\r\n", "")}, true, kSjis},
        {"/nul", page(std::string("<title>ab\0cd</title>", 20)), true, "abcd"},
        // Compressed though nobody asked for it.
        {"/gzip", page(kGzippedPage, "Content-Type: text/html\r\nContent-Encoding: gzip\r\n"), true, "Packed page"},
        {"/no-title", page("<html><body>no title</body></html>"), false, ""},
        {"/closed", {"", Then::CloseAtOnce}, false, ""},
    };
    for (Case& c : cases) server.route(c.path, c.route);
    for (const Case& c : cases) {
        asked.clear();
        FetchedTitle title = fetch(server.url(c.path));
        EXPECT_EQ(title.found, c.found) << c.path;
        EXPECT_EQ(title.field, c.field) << c.path;
        if (c.found) {
            EXPECT_TRUE(asked.empty()) << c.path;
        } else {
            ASSERT_EQ(asked.size(), 1u) << c.path;
            EXPECT_EQ(narrow(asked[0].text), "取得に失敗しました");
            EXPECT_EQ(narrow(asked[0].caption), "タイトル取得");
            EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
        }
    }
    EXPECT_FALSE(fetch(kUnresolvable).found);
}

TEST_F(WebTest, TitleFetchOfAnErrorPageFailsWithItsStatus) {
    const struct {
        const char* path;
        const char* statusLine;
        const char* message;
    } cases[] = {
        {"/404", "HTTP/1.1 404 Not Found", "取得に失敗しました（HTTP 404）"},
        {"/500", "HTTP/1.1 500 Internal Server Error", "取得に失敗しました（HTTP 500）"},
    };
    for (const auto& c : cases) {
        server.route(c.path, {httpResponse(c.statusLine, "Content-Type: text/html\r\n",
                                           std::string("<title>") + c.statusLine + "</title>")});
        asked.clear();
        FetchedTitle title = fetch(server.url(c.path));
        EXPECT_FALSE(title.found) << c.path;
        EXPECT_EQ(title.field, "") << c.path;
        ASSERT_EQ(asked.size(), 1u) << c.path;
        EXPECT_EQ(narrow(asked[0].text), c.message);
        EXPECT_EQ(narrow(asked[0].caption), "タイトル取得");
    }
}

TEST_F(WebTest, StopBreaksOffASilentServerAndGivesNoTitle) {
    server.route("/silent", {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", Then::Hang});
    ButtonPresser stop("タイトル取得", IDC_TITLE_STOP, [&] { return server.requests("/silent") > 0; });
    FetchedTitle title = fetch(server.url("/silent"));
    EXPECT_FALSE(title.found);
}

TEST_F(WebTest, StopDuringAnEndlessTitleKeepsWhatWasRead) {
    server.route("/endless", {"HTTP/1.1 200 OK\r\n\r\n<title>Endless ", Then::EndlessBody});
    // Stop only once the page is being read: more has gone out than the sockets' buffers hold.
    ButtonPresser stop("タイトル取得", IDC_TITLE_STOP, [&] { return server.endlessBytesSent() > (16 << 20); });
    FetchedTitle title = fetch(server.url("/endless"));
    EXPECT_TRUE(title.found);
    EXPECT_EQ(title.raw.substr(0, 8), "Endless ");
}

std::string controlText(HWND dialog, int control) {
    wchar_t text[256] = L"";
    GetDlgItemTextW(dialog, control, text, 256);
    return narrow(text);
}

// What the update check dialog showed when it had finished.
struct FinishedCheck {
    std::string status, item;
    int progress = 0, range = 0;
    RECT rect{};
};

class UpdateCheckTest : public WebTest {
protected:
    void SetUp() override {
        WebTest::SetUp();
        root = insertRootItem(app().document);
        folder = add(root, "Links", "", "");
    }

    NodeId add(NodeId parent, const char* title, const std::string& locator, const char* lastVisit) {
        NodeId node = MainWindowTest::add(parent, title, locator);
        nodeRecord(app().document, node)->lastVisit = lastVisit;
        return node;
    }

    // Runs command 607 on the selection, closing the dialog once it says it has finished.
    FinishedCheck check(NodeId selected) {
        app().treeView.select(selected);
        FinishedCheck seen;
        ButtonPresser close("更新チェック", IDC_CHECK_STOP, [&](HWND dialog) {
            if (controlText(dialog, IDC_CHECK_STOP) != "閉じる") return false;
            seen.status = controlText(dialog, IDC_CHECK_STATUS);
            seen.item = controlText(dialog, IDC_CHECK_ITEM);
            GetWindowRect(dialog, &seen.rect);
            seen.progress = static_cast<int>(SendDlgItemMessageW(dialog, IDC_CHECK_PROGRESS, PBM_GETPOS, 0, 0));
            seen.range = static_cast<int>(SendDlgItemMessageW(dialog, IDC_CHECK_PROGRESS, PBM_GETRANGE, FALSE, 0));
            return true;
        });
        SendMessageW(mainWindow(), WM_COMMAND, CMD_UPDATE_CHECK, 0);
        return seen;
    }

    const BookmarkItem& record(NodeId node) { return *nodeRecord(app().document, node); }
    unsigned kind(NodeId node) { return kindOf(app().document.tree.node(node).itemNumber); }
    // The image the tree view shows; the item's folders are opened first, so that a view that
    // makes items only for what is shown makes this one from the model.
    int shownImage(NodeId node) {
        for (NodeId up = app().document.tree.parent(node); up != kNoNode && up != kTopLevel;
             up = app().document.tree.parent(up))
            app().treeView.expand(up);
        TVITEMW item{};
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = app().treeView.itemOf(node);
        SendMessageW(treeWindow(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }

    NodeId root = kNoNode, folder = kNoNode;
};

const char kVisit[] = "1500000000";  // 2017
const std::string kDate2020 = "Last-Modified: Sun, 13 Sep 2020 12:26:40 GMT\r\n";
const std::string kDate1999 = "Last-Modified: Tue, 30 Nov 1999 22:13:20 GMT\r\n";

TEST_F(UpdateCheckTest, MarksEveryKindOfAnswerInTreeOrder) {
    struct Case {
        const char* path;
        HttpRoute route;
        unsigned kind;
        int image;
        std::string lastModified;
    } cases[] = {
        {"/newer", {httpResponse("HTTP/1.1 200 OK", kDate2020, "x")}, 2, 4, "1600000000"},
        {"/1999", {httpResponse("HTTP/1.1 200 OK", kDate1999, "x")}, 0, 0, "944000000"},
        {"/no-date", {httpResponse("HTTP/1.1 200 OK", "", "x")}, 1, 1, "000000"},
        // A date nobody can read is no date: the link stays as it was.
        {"/garbage-date", {httpResponse("HTTP/1.1 200 OK", "Last-Modified: garbage\r\n", "x")}, 1, 1, "000000"},
        {"/rfc850", {httpResponse("HTTP/1.1 200 OK", "Last-Modified: Sunday, 13-Sep-20 12:26:40 GMT\r\n", "x")}, 2, 4, "1600000000"},
        {"/asctime", {httpResponse("HTTP/1.1 200 OK", "Last-Modified: Sun Sep 13 12:26:40 2020\r\n", "x")}, 2, 4, "1600000000"},
        {"/404", {httpResponse("HTTP/1.1 404 Not Found", "", "x")}, 3, 6, "00"},
        {"/404-bare", {httpResponse("HTTP/1.1 404", "", "x")}, 3, 6, "00"},
        {"/410", {httpResponse("HTTP/1.1 410 Gone", kDate2020, "x")}, 3, 6, "00"},
        {"/500", {httpResponse("HTTP/1.1 500 Internal Server Error", "", "x")}, 1, 1, "000000"},
        {"/redirect", {httpResponse("HTTP/1.1 301 Moved Permanently", "Location: /newer\r\n", "")}, 2, 4, "1600000000"},
        {"/closed", {"", Then::CloseAtOnce}, 3, 6, "000"},
        // The body is never read: neither one without end nor one that never comes holds the check up.
        {"/endless", {"HTTP/1.1 200 OK\r\n" + kDate2020 + "\r\n", Then::EndlessBody}, 2, 4, "1600000000"},
        {"/silent", {"HTTP/1.1 200 OK\r\n" + kDate1999 + "\r\n", Then::Hang}, 0, 0, "944000000"},
    };
    std::vector<NodeId> links;
    NodeId sub = add(folder, "Sub", "", "");
    for (Case& c : cases) {
        server.route(c.path, c.route);
        links.push_back(add(sub, c.path, server.url(c.path), kVisit));
    }
    NodeId unresolvable = add(folder, "nowhere", kUnresolvable, kVisit);
    NodeId mail = add(folder, "mail", "mailto:someone@example.com", "");
    NodeId last = add(folder, "last", server.url("/no-date"), kVisit);
    app().document.history.markSaved();

    FinishedCheck seen = check(folder);

    for (std::size_t i = 0; i < links.size(); ++i) {
        const Case& c = cases[i];
        unsigned expectedKind = c.kind == 1 ? 0 : c.kind;  // 1: left as it was
        int expectedImage = c.image == 1 ? 0 : c.image;
        EXPECT_EQ(kind(links[i]), expectedKind) << c.path;
        EXPECT_EQ(shownImage(links[i]), expectedImage) << c.path;
        EXPECT_EQ(record(links[i]).lastModified, c.lastModified) << c.path;
    }
    EXPECT_EQ(kind(unresolvable), 3u);
    EXPECT_EQ(record(unresolvable).lastModified, "000");
    EXPECT_EQ(kind(mail), 5u);
    EXPECT_EQ(record(mail).lastModified, "000000");
    EXPECT_EQ(kind(last), 0u);

    EXPECT_EQ(seen.status, "更新チェックが終了しました。");
    // The summary counts the table's answers, with nowhere (failed) and last (no change).
    int updated = 0, failed = 1, unchanged = 1;
    for (const Case& c : cases) (c.kind == 2 ? updated : c.kind == 3 ? failed : unchanged)++;
    EXPECT_EQ(seen.item, "更新 " + std::to_string(updated) + " 件、取得失敗 " + std::to_string(failed) +
                             " 件、変化なし " + std::to_string(unchanged) + " 件");
    int count = static_cast<int>(links.size()) + 5;  // the folder, Sub, nowhere, mail, last
    EXPECT_EQ(seen.range, count);
    EXPECT_EQ(seen.progress, count);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(app().document.modified());
}

// A web link that holds a mail or another non-web address (as older imports made them) is
// not asked about, so it is never marked broken; the summary counts only what was asked.
TEST_F(UpdateCheckTest, OnlyHttpAndHttpsAddressesAreAsked) {
    NodeId oldMail = add(folder, "old mail", server.url("/never"), kVisit);
    NodeId ftp = add(folder, "ftp", server.url("/never"), kVisit);
    nodeRecord(app().document, oldMail)->locator = "mailto:someone@example.com";
    nodeRecord(app().document, ftp)->locator = "ftp://files.example.com/";
    FinishedCheck seen = check(folder);
    for (NodeId node : {oldMail, ftp}) {
        EXPECT_EQ(kind(node), 0u);
        EXPECT_EQ(record(node).lastModified, "000000");
    }
    EXPECT_EQ(server.requests("/never"), 0);
    EXPECT_EQ(seen.item, "更新 0 件、取得失敗 0 件、変化なし 0 件");
    EXPECT_TRUE(asked.empty());
}

// The dialog opens beside the main window, not in the middle of the screen.
TEST_F(UpdateCheckTest, TheDialogOpensBesideTheMainWindow) {
    NodeId link = add(folder, "page", server.url("/page"), kVisit);
    server.route("/page", {httpResponse("HTTP/1.1 200 OK", kDate1999, "")});
    FinishedCheck seen = check(link);
    RECT main{};
    GetWindowRect(mainWindow(), &main);
    EXPECT_EQ(seen.rect.left, main.right);
    EXPECT_EQ(seen.rect.top, main.top);
}

TEST_F(UpdateCheckTest, ALaterCheckWithAnOlderDateTurnsTheLinkBack) {
    server.route("/page", {httpResponse("HTTP/1.1 200 OK", kDate2020, "")});
    NodeId link = add(folder, "page", server.url("/page"), kVisit);
    check(link);
    EXPECT_EQ(kind(link), 2u);
    server.route("/page", {httpResponse("HTTP/1.1 200 OK", kDate1999, "")});
    FinishedCheck seen = check(link);
    EXPECT_EQ(kind(link), 0u);
    EXPECT_EQ(shownImage(link), 0);
    EXPECT_EQ(seen.range, 1);
}

TEST_F(UpdateCheckTest, StopDuringASlowRequestEndsTheRunAndLeavesTheLinkAlone) {
    server.route("/slow", {httpResponse("HTTP/1.1 404 Not Found", "", ""), Then::Close, 60000});
    NodeId slow = add(folder, "slow", server.url("/slow"), kVisit);
    app().treeView.select(folder);
    FinishedCheck seen;
    ButtonPresser stop("更新チェック", IDC_CHECK_STOP, [&] { return server.requests("/slow") > 0; });
    ButtonPresser close("更新チェック", IDC_CHECK_STOP, [&](HWND dialog) {
        if (controlText(dialog, IDC_CHECK_STOP) != "閉じる") return false;
        seen.status = controlText(dialog, IDC_CHECK_STATUS);
        return true;
    });
    SendMessageW(mainWindow(), WM_COMMAND, CMD_UPDATE_CHECK, 0);
    EXPECT_EQ(seen.status, "更新チェックが終了しました。");
    EXPECT_EQ(kind(slow), 0u);
    EXPECT_EQ(record(slow).lastModified, "000000");
}

TEST_F(UpdateCheckTest, WithoutASelectionTheButtonClosesAtOnce) {
    TreeView_SelectItem(treeWindow(), nullptr);
    ButtonPresser close("更新チェック", IDC_CHECK_STOP, [] { return true; });
    SendMessageW(mainWindow(), WM_COMMAND, CMD_UPDATE_CHECK, 0);
    EXPECT_TRUE(asked.empty());
}

// The workers finish in any order; the answers come out in the order of the items.
TEST_F(WebTest, PoolAnswersInOrderAndGivesUpOnASlowServer) {
    server.route("/slow", {httpResponse("HTTP/1.1 200 OK", "", ""), Then::Close, 60000});
    std::vector<UpdateCheckItem> items;
    for (int i = 0; i < 12; ++i) {
        std::string path = "/p" + std::to_string(i);
        // Later items answer sooner, so that workers finish out of order.
        server.route(path, {httpResponse("HTTP/1.1 200 OK", kDate2020, ""), Then::Close, static_cast<DWORD>(5 * (12 - i))});
        items.push_back({kNoNode, path, server.url(path), true});
    }
    items.insert(items.begin() + 3, UpdateCheckItem{kNoNode, "slow", server.url("/slow"), true});
    UpdateCheckPool pool(items, 8);
    pool.setRequestTimeout(300);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    pool.start([](std::size_t) {}, [done] { SetEvent(done); });
    WaitForSingleObject(done, INFINITE);
    pool.join();
    CloseHandle(done);
    for (std::size_t i = 0; i < items.size(); ++i) {
        ASSERT_TRUE(pool.ready(i));
        const CheckedLink& link = pool.result(i);
        if (i == 3) {
            EXPECT_EQ(link.answer.outcome, UpdateAnswer::Outcome::Unreachable);
            EXPECT_FALSE(link.cancelled);
        } else {
            EXPECT_EQ(link.answer.outcome, UpdateAnswer::Outcome::Answered) << i;
            EXPECT_EQ(link.answer.lastModified.value_or(0), 1600000000) << i;
        }
    }
}

// The proxy of the browsing settings, as the system stores it: a header, then the proxy and
// its bypass list, each with its length first.
void setUserProxy(const std::string& proxy) {
    std::string blob(12, '\0');
    blob[0] = 0x46;                  // the settings' version
    blob[8] = proxy.empty() ? 1 : 3;  // direct, and through the proxy when there is one
    for (const std::string& text : {proxy, std::string()}) {
        std::uint32_t length = static_cast<std::uint32_t>(text.size());
        blob.append(reinterpret_cast<const char*>(&length), sizeof length);
        blob += text;
    }
    blob.append(8, '\0');  // no configuration script
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections",
                    0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegSetValueExW(key, L"DefaultConnectionSettings", 0, REG_BINARY, reinterpret_cast<const BYTE*>(blob.data()),
                   static_cast<DWORD>(blob.size()));
    RegCloseKey(key);
}

// Behind a proxy the check goes through it, for a host only the proxy can reach.
TEST_F(WebTest, TheUpdateCheckGoesThroughTheUsersProxy) {
    const std::string address = "http://pages.invalid/proxied";
    server.route("/proxied", {httpResponse("HTTP/1.1 200 OK", kDate2020, "")});
    setUserProxy("127.0.0.1:" + std::to_string(server.port()));
    CheckedLink link = checkLink({kNoNode, "proxied", address, true}, 3000, nullptr);
    setUserProxy("");
    EXPECT_EQ(server.requests("/proxied"), 1);
    EXPECT_EQ(link.answer.outcome, UpdateAnswer::Outcome::Answered);
    EXPECT_EQ(link.answer.lastModified.value_or(0), 1600000000);
}

// https goes through WinHTTP: a server that speaks no TLS leaves the link unreachable, within
// the time-out even when it never answers.
TEST_F(WebTest, AnHttpsLinkToAServerWithoutTlsIsUnreachable) {
    server.route("/plain", {"", Then::Hang});
    std::string address = "https://127.0.0.1:" + std::to_string(server.port()) + "/plain";
    CheckedLink link = checkLink({kNoNode, "plain", address, true}, 500, nullptr);
    EXPECT_EQ(link.answer.outcome, UpdateAnswer::Outcome::Unreachable);
    EXPECT_FALSE(link.cancelled);
}

int threadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

// Waits until done() holds or a generous safety net runs out; the caller asserts.
void settle(const std::function<bool()>& done) {
    for (int tries = 0; tries < 2000 && !done(); ++tries) Sleep(5);
}

// A server that accepts and never answers: every request ends at its time-out and closes its
// connection, and a check leaves nothing running but what the first one started for good
// (the system's own socket thread), however often it runs.
TEST_F(WebTest, ChecksOfAServerThatNeverAnswersLeaveNoThreadsOrConnections) {
    server.route("/mute", {"", Then::Hang});
    std::vector<UpdateCheckItem> items(60, UpdateCheckItem{kNoNode, "mute", server.url("/mute"), true});
    const int workers = static_cast<int>(kConcurrentChecks);
    int threadsBefore = threadsOfThisProcess();
    int threadsAfterFirst = 0;
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        UpdateCheckPool pool(items, kConcurrentChecks);
        pool.setRequestTimeout(200);
        std::atomic<int> mostThreads{0};
        HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        pool.start([&](std::size_t) { mostThreads = std::max(mostThreads.load(), threadsOfThisProcess()); },
                   [done] { SetEvent(done); });
        WaitForSingleObject(done, INFINITE);
        pool.join();
        CloseHandle(done);
        for (std::size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(pool.result(i).answer.outcome, UpdateAnswer::Outcome::Unreachable) << i;
        EXPECT_EQ(server.requests("/mute"), 60 * run);
        // The workers, the server's thread for each open connection, the system's socket thread.
        EXPECT_LE(mostThreads, threadsBefore + 2 * workers + 1);
        settle([&] { return server.openConnections() == 0 && threadsOfThisProcess() <= threadsBefore + 1; });
        EXPECT_EQ(server.openConnections(), 0);
        int threadsAfter = threadsOfThisProcess();
        EXPECT_LE(threadsAfter, threadsBefore + 1);
        if (run == 1) threadsAfterFirst = threadsAfter;
        else EXPECT_LE(threadsAfter, threadsAfterFirst);
    }
}

}  // namespace
}  // namespace perchlet::testing
