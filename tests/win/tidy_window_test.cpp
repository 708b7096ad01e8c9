// The tidy window on the real main window against servers on 127.0.0.1: one link of every
// class, the list and the counts, moving dead links and updating moved ones then undoing
// both, 中止 in mid-check, and closing the window or the program while requests wait.
#include <cstdlib>
#include <thread>

#include "loopback_http_server.h"
#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/tree_population.h"
#include "web/update_check.h"

namespace perchlet::testing {
namespace {

using Then = HttpRoute::Then;

HttpRoute answer(const std::string& statusLine, const std::string& headers = "") {
    return {httpResponse(statusLine, headers, "")};
}

// Answers every connection at once with plain HTTP, so that a TLS handshake fails.
class PlainTextServer {
public:
    PlainTextServer() {
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int size = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        listen(listener_, 8);
        thread_ = std::thread([this] {
            for (SOCKET client; (client = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET;) {
                const char reply[] = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
                send(client, reply, sizeof reply - 1, 0);
                closesocket(client);
            }
        });
    }
    ~PlainTextServer() {
        closesocket(listener_);
        thread_.join();
    }
    int port() const { return port_; }

private:
    SOCKET listener_;
    int port_ = 0;
    std::thread thread_;
};

class TidyWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        startMainWindow();
        app().tidy.settings.timeoutMilliseconds = 1000;
        root = insertRootItem(app().document);
        folder = add(root, "リンク集");
    }

    HWND openTidy(NodeId scope) {
        app().treeView.select(scope);
        SendMessageW(mainWindow(), WM_COMMAND, CMD_TIDY_LINKS, 0);
        return app().tidy.tidyWindow;
    }

    // Until the check has ended (its 中止 greyed); the count is a safety net, not a limit.
    void waitForEnd(HWND tidy) {
        for (int i = 0; i < 1200 && IsWindowEnabled(GetDlgItem(tidy, IDC_TIDY_STOP)); ++i) pumpMessages(50);
        ASSERT_FALSE(IsWindowEnabled(GetDlgItem(tidy, IDC_TIDY_STOP)));
    }

    static std::string cell(HWND list, int row, int column) {
        wchar_t text[512] = {};
        ListView_GetItemText(list, row, column, text, 512);
        return narrow(text);
    }

    static std::vector<std::string> rows(HWND tidy) {
        HWND list = GetDlgItem(tidy, IDC_TIDY_LIST);
        std::vector<std::string> shown;
        for (int i = 0; i < ListView_GetItemCount(list); ++i)
            shown.push_back(cell(list, i, 0) + "|" + cell(list, i, 1) + "|" + cell(list, i, 2) +
                            (ListView_GetCheckState(list, i) ? "|x" : "|"));
        return shown;
    }

    void press(HWND tidy, int button) {
        SendMessageW(tidy, WM_COMMAND, button, 0);
        pumpMessages();
    }

    NodeId root = kNoNode, folder = kNoNode;
    LoopbackHttpServer server;
};

TEST_F(TidyWindowTest, ListsEveryClassAndActsOnCheckedRowsOneUndoStepEach) {
    PlainTextServer plain;
    server.route("/ok", answer("HTTP/1.1 200 OK"));
    server.route("/old", answer("HTTP/1.1 301 Moved Permanently", "Location: /new\r\n"));
    server.route("/new", answer("HTTP/1.1 200 OK"));
    server.route("/temporary", answer("HTTP/1.1 302 Found", "Location: /ok\r\n"));
    server.route("/missing", answer("HTTP/1.1 404 Not Found"));
    server.route("/forbidden", answer("HTTP/1.1 403 Forbidden"));
    server.route("/broken", answer("HTTP/1.1 500 Internal Server Error"));
    server.route("/slow", {"", Then::Hang});
    server.route("/closed", {"", Then::CloseAtOnce});
    server.route("/loop", answer("HTTP/1.1 302 Found", "Location: /loop\r\n"));
    add(folder, "ok", server.url("/ok"));
    NodeId moved = add(folder, "old", server.url("/old"), "memo");
    add(folder, "temporary", server.url("/temporary"));
    add(folder, "missing", server.url("/missing"));
    add(folder, "forbidden", server.url("/forbidden"));
    add(folder, "broken", server.url("/broken"));
    add(folder, "slow", server.url("/slow"));
    add(folder, "nowhere", "http://nowhere.invalid/");
    add(folder, "handshake", "https://127.0.0.1:" + std::to_string(plain.port()) + "/");
    add(folder, "closed", server.url("/closed"));
    add(folder, "loop", server.url("/loop"));
    add(folder, "mail", "mailto:someone@example.com");
    add(folder, "ok again", server.url("/ok"));
    add(folder, "空");
    app().document.history.markSaved();

    HWND tidy = openTidy(folder);
    ASSERT_NE(tidy, nullptr);
    waitForEnd(tidy);
    EXPECT_EQ(narrow(windowText(GetDlgItem(tidy, IDC_TIDY_COUNTS))),
              "確認 11 / 11 件　正常 2　移転 1　一時的な転送 1　リンク切れ 1　アクセス拒否 1　サーバーエラー 1　"
              "時間切れ 1　ホスト名が見つからない 1　暗号化接続の失敗 1　接続できない 1　判定できない 1　対象外 1　");
    std::string old = server.url("/old"), fresh = server.url("/new");
    EXPECT_EQ(rows(tidy), (std::vector<std::string>{
                              "移転|old|" + old + " → " + fresh + "|x",
                              "リンク切れ|missing|リンク切れ|x",
                              "アクセス拒否|forbidden|アクセス拒否|",
                              "リンク切れ|broken|サーバーエラー|x",
                              "リンク切れ|slow|時間切れ|x",
                              "リンク切れ|nowhere|ホスト名が見つからない|x",
                              "リンク切れ|handshake|暗号化接続の失敗|x",
                              "リンク切れ|closed|接続できない|x",
                              "空のフォルダ|空||x",
                              "重複|ok again|" + server.url("/ok") + "|",
                          }));
    EXPECT_FALSE(app().document.modified()) << "checking changes nothing";

    // The dead links go into a new folder at the top; the moved link takes its new address.
    press(tidy, IDC_TIDY_MOVE);
    const BookmarkTree& tree = app().document.tree;
    NodeId dead = tree.lastChild(root);
    ASSERT_EQ(tree.node(dead).text, "リンク切れ");
    int movedCount = 0;
    for (NodeId child = tree.firstChild(dead); child != kNoNode; child = tree.nextSibling(child)) ++movedCount;
    EXPECT_EQ(movedCount, 6);
    EXPECT_TRUE(app().document.modified());
    press(tidy, IDC_TIDY_UPDATE);
    EXPECT_EQ(nodeRecord(app().document, moved)->locator, fresh);
    EXPECT_EQ(nodeRecord(app().document, moved)->comment, "memo\n" + old);
    EXPECT_EQ(tree.node(moved).text, "old");
    EXPECT_EQ(rows(tidy).size(), 3u) << "the rows acted on are gone";

    SendMessageW(mainWindow(), WM_COMMAND, CMD_UNDO, 0);
    EXPECT_EQ(nodeRecord(app().document, moved)->locator, old);
    EXPECT_EQ(nodeRecord(app().document, moved)->comment, "memo");
    SendMessageW(mainWindow(), WM_COMMAND, CMD_UNDO, 0);
    EXPECT_FALSE(tree.isAlive(dead));
    EXPECT_EQ(tree.node(tree.lastChild(root)).text, "リンク集");
    int inFolder = 0;
    for (NodeId child = tree.firstChild(folder); child != kNoNode; child = tree.nextSibling(child)) ++inFolder;
    EXPECT_EQ(inFolder, 14);
}

TEST_F(TidyWindowTest, StopEndsTheCheckWithWhatWasFound) {
    server.route("/missing", answer("HTTP/1.1 404 Not Found"));
    app().tidy.settings.timeoutMilliseconds = 60000;
    add(folder, "missing", server.url("/missing"));
    for (int i = 0; i < 8; ++i) {
        server.route("/slow" + std::to_string(i), {"", Then::Hang});
        add(folder, "slow", server.url("/slow" + std::to_string(i)));
    }
    HWND tidy = openTidy(folder);
    for (int i = 0; i < 1200 && server.requests("/missing") == 0; ++i) pumpMessages(10);
    press(tidy, IDC_TIDY_STOP);
    waitForEnd(tidy);
    std::string counts = narrow(windowText(GetDlgItem(tidy, IDC_TIDY_COUNTS)));
    EXPECT_EQ(counts.substr(0, 5), "確認 ");
    EXPECT_LT(std::atoi(counts.c_str() + 5), 9) << counts;
    EXPECT_NE(counts.find("/ 9 件"), std::string::npos) << counts;
    EXPECT_NE(counts.find("時間切れ 0"), std::string::npos) << counts;
}

TEST_F(TidyWindowTest, ClosingTheWindowOrTheProgramWhileRequestsWait) {
    app().tidy.settings.timeoutMilliseconds = 60000;
    for (int i = 0; i < 4; ++i) {
        server.route("/slow" + std::to_string(i), {"", Then::Hang});
        add(folder, "slow", server.url("/slow" + std::to_string(i)));
    }
    app().document.history.markSaved();
    HWND tidy = openTidy(folder);
    for (int i = 0; i < 1200 && server.requests("/slow0") == 0; ++i) pumpMessages(10);
    SendMessageW(tidy, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(tidy));
    EXPECT_EQ(app().tidy.tidyWindow, nullptr);
    EXPECT_FALSE(app().document.modified());

    tidy = openTidy(folder);
    ASSERT_TRUE(IsWindow(tidy));
    for (int i = 0; i < 1200 && server.requests("/slow0") < 2; ++i) pumpMessages(10);
    destroyMainWindow();
    EXPECT_FALSE(IsWindow(tidy));
    EXPECT_EQ(app().tidy.tidyWindow, nullptr);
}

TEST_F(TidyWindowTest, UpdateCheckFailureTipSaysWhy) {
    UpdateAnswer notFound;
    notFound.outcome = UpdateAnswer::Outcome::Answered;
    notFound.statusCode = 404;
    const struct {
        UpdateAnswer answer;
        std::string tip;
    } cases[] = {
        {notFound, "取得失敗: リンク切れ（404・410）"},
        {UpdateAnswer{}, "取得失敗: 答えがありません（ホスト名が見つからない、接続できない、時間切れのどれか）"},
    };
    for (const auto& c : cases) {
        NodeId link = add(folder, "link", "http://127.0.0.1/");
        applyUpdateDecision(app().document, link, decideUpdate(c.answer, ""));
        app().treeView.ensureVisible(link);
        wchar_t text[256] = L"";
        NMTVGETINFOTIPW tip{};
        tip.hdr.hwndFrom = treeWindow();
        tip.hdr.idFrom = IDC_TREE_VIEW;
        tip.hdr.code = TVN_GETINFOTIPW;
        tip.pszText = text;
        tip.cchTextMax = 256;
        tip.hItem = app().treeView.itemOf(link);
        SendMessageW(mainWindow(), WM_NOTIFY, IDC_TREE_VIEW, reinterpret_cast<LPARAM>(&tip));
        EXPECT_EQ(narrow(text), c.tip);
    }
}

}  // namespace
}  // namespace perchlet::testing
