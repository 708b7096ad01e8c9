#include "browser/shown_page_win.h"

#include <string>

#include "browser/address_bar_win.h"
#include "browser/browser_command_lines.h"
#include "browser/browser_kind.h"
#include "browser/browser_window_win.h"
#include "browser/dde_client_win.h"
#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "store/bookmark_item.h"
#include "store/encoding.h"

namespace perchlet {

namespace {

constexpr char kInfoCaption[] = "ブラウザ情報の取得";
constexpr char kConfirmCaption[] = "下記の情報を新規アイテムとして登録します。";

std::u16string_view utf16(const std::wstring& text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

// Shown for confirmation in the form a DDE reply has.
std::string confirmationText(const BrowserPage& page) {
    return "\"" + page.address + "\",\"" + page.title + "\"";
}

}  // namespace

std::optional<BrowserPage> readPageFromWindow(HWND owner, HWND browser, int kind) {
    std::string name = browserDisplayName(kind);
    BrowserPage page;
    page.title = fitText(utf16ToShiftJis(utf16(pageTitleOfWindow(browser))));
    AddressReading reading = readBrowserAddress(owner, browser);
    if (reading.address.empty()) {
        showMessage(owner, name + "の表示中のURLを取得できませんでした。\r\n" + reading.problem, kInfoCaption,
                    MB_OK | MB_ICONWARNING);
        return std::nullopt;
    }
    if (!reading.problem.empty()) showMessage(owner, reading.problem, kInfoCaption, MB_OK | MB_ICONWARNING);
    // Characters that Shift-JIS lacks stay in the address as percent-encoded UTF-8.
    page.address = fitText(utf16ToShiftJis(utf16(reading.address), Unrepresentable::PercentEncode));
    if (showMessage(owner, confirmationText(page), kConfirmCaption, MB_OKCANCEL) != IDOK) return std::nullopt;
    return page;
}

std::optional<BrowserPage> requestShownPage(BrowserContext& browser, HWND owner) {
    HWND window = findBrowserWindow(browser, owner, kBrowserNone);
    int kind = browser.state.lastKindFound;
    if (window) {
        bool servesDde = !isChromiumKind(kind) && probeBrowser(owner, ddeServiceName(kind));
        if (commandLineDialect(kind, servesDde) != CommandLineDialect::None) return readPageFromWindow(owner, window, kind);
    }
    std::string reply = requestWindowInfo(browser, owner);
    if (reply.empty()) return std::nullopt;
    return parseWindowInfoReply(reply);
}

}  // namespace perchlet
