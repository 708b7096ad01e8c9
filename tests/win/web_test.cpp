// The title fetch and update check against real HTTP servers on 127.0.0.1.
#include <functional>
#include <thread>

#include "app/command_ids.h"
#include "app/text_win.h"
#include "loopback_http_server.h"
#include "main_window_fixture.h"
#include "web/title_fetch_win.h"
#include "web/update_check_win.h"

namespace perchlet::testing {
namespace {

using Then = HttpRoute::Then;

// 日本語 in each encoding.
const std::string kSjis = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kEuc = "\xC6\xFC\xCB\xDC\xB8\xEC";
const std::string kJis = "\x1B$BF|K\\8l\x1B(B";
const std::string kUtf8 = u8"日本語";

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
        : thread_([=] {
              std::wstring title = widen(caption);
              for (int tries = 0; tries < 6000; ++tries) {  // a safety net, not a time limit
                  HWND dialog = FindWindowW(L"#32770", title.c_str());
                  if (dialog && ready()) {
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
        {"/lines", page("<title>two\r\nlines</title>"), true, "twolines"},
        {"/redirect", {httpResponse("HTTP/1.1 302 Found", "Location: /sjis\r\n", "")}, true, kSjis},
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
            EXPECT_EQ(narrow(asked[0].caption), "結果");
        }
    }
    EXPECT_FALSE(fetch(kUnresolvable).found);
}

TEST_F(WebTest, TitleFetchKeepsTheRawTitleForTheConversionCycle) {
    server.route("/euc", page("<title>" + kEuc + "</title>"));
    FetchedTitle title = fetch(server.url("/euc"));
    EXPECT_EQ(title.raw, kEuc);
    EXPECT_EQ(title.field, kSjis);
}

TEST_F(WebTest, StopBreaksOffASilentServerAndGivesNoTitle) {
    server.route("/silent", {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", Then::Hang});
    ButtonPresser stop("タイトル取得", IDC_TITLE_STOP, [&] { return server.requests("/silent") > 0; });
    FetchedTitle title = fetch(server.url("/silent"));
    EXPECT_FALSE(title.found);
}

TEST_F(WebTest, StopDuringAnEndlessTitleKeepsWhatWasRead) {
    server.route("/endless", {"HTTP/1.1 200 OK\r\n\r\n<title>Endless ", Then::EndlessBody});
    ButtonPresser stop("タイトル取得", IDC_TITLE_STOP, [&] { return server.requests("/endless") > 0; });
    FetchedTitle title = fetch(server.url("/endless"));
    EXPECT_TRUE(title.found);
    EXPECT_EQ(title.raw.substr(0, 8), "Endless ");
}

}  // namespace
}  // namespace perchlet::testing
