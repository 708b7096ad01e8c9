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
#include "store/document_encoding.h"
#include "store/incoming_text_win.h"
#include "tree/new_item_win.h"

namespace perchlet {

namespace {

constexpr char kInfoCaption[] = "ブラウザ情報の取得";
constexpr char kConfirmCaption[] = "表示中のURLを登録";

std::u16string_view utf16(const std::wstring& text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

std::string inShiftJis(const std::string& utf8) {
    return convertText(utf8, TextEncoding::Utf8, TextEncoding::ShiftJis, Unrepresentable::Mark);
}

// Shown for confirmation in the form a DDE reply has, after the question.
std::string confirmationText(const BrowserPage& page) {
    return "次の情報を新しい項目として登録しますか？\r\n\r\n\"" + inShiftJis(page.address) + "\",\"" +
           inShiftJis(page.title) + "\"";
}

// A DDE reply comes in the system's ANSI code page, which for these browsers is Shift-JIS.
BrowserPage inUtf8(BrowserPage page) {
    for (std::string* text : {&page.title, &page.address, &page.third})
        *text = convertText(*text, TextEncoding::ShiftJis, TextEncoding::Utf8);
    return page;
}

std::string inDocument(const std::string& utf8, TextEncoding encoding, Unrepresentable policy) {
    return fitText(convertText(utf8, TextEncoding::Utf8, encoding, policy), encoding);
}

}  // namespace

std::optional<BrowserPage> readPageFromWindow(HWND owner, HWND browser, BrowserKind kind) {
    std::string name = browserDisplayName(kind);
    BrowserPage page;
    page.title = fitText(textFromUtf16(utf16(pageTitleOfWindow(browser)), TextEncoding::Utf8), TextEncoding::Utf8);
    AddressReading reading = readBrowserAddress(owner, browser);
    if (reading.address.empty()) {
        showMessage(owner, name + "の表示中のURLを取得できませんでした。\r\n" + reading.problem, kInfoCaption,
                    MB_OK | MB_ICONWARNING);
        return std::nullopt;
    }
    if (!reading.problem.empty()) showMessage(owner, reading.problem, kInfoCaption, MB_OK | MB_ICONWARNING);
    page.address = fitText(textFromUtf16(utf16(reading.address), TextEncoding::Utf8), TextEncoding::Utf8);
    if (showMessage(owner, confirmationText(page), kConfirmCaption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return std::nullopt;
    return page;
}

std::optional<BrowserPage> requestShownPage(BrowserContext& browser, HWND owner) {
    HWND window = findBrowserWindow(browser, owner, kAnyBrowserKind);
    BrowserKind kind = browser.state.lastKindFound;
    if (window) {
        bool servesDde = !isChromiumKind(kind) && probeBrowser(owner, ddeServiceName(kind));
        if (commandLineDialect(kind, servesDde) != CommandLineDialect::None) return readPageFromWindow(owner, window, kind);
    }
    // Searched again: the windows may have changed while the browser was asked.
    findBrowserWindow(browser, owner, kAnyBrowserKind);
    std::string reply = requestWindowInfo(browser, owner, ddeServiceName(browser.state.lastKindFound));
    if (reply.empty()) return std::nullopt;
    return inUtf8(parseWindowInfoReply(reply));
}

void recordBrowserPage(BrowserContext& browser) {
    std::optional<BrowserPage> page = requestShownPage(browser, browser.workspace.mainWindow);
    if (!page) return;
    Workspace& workspace = browser.workspace;
    std::size_t notHeld = charactersShiftJisCannotHold(page->title) + charactersShiftJisCannotHold(page->third);
    TextEncoding encoding = encodingForIncomingText(workspace.mainWindow, workspace.document, notHeld, kConfirmCaption);
    NewItemFields fields;
    fields.title = inDocument(page->title, encoding, Unrepresentable::Mark);
    // Characters that Shift-JIS lacks stay in the address as percent-encoded UTF-8.
    fields.locator = inDocument(page->address, encoding, Unrepresentable::PercentEncode);
    fields.comment = inDocument(page->third, encoding, Unrepresentable::Mark);
    if (newItemUnderSelection(workspace, fields) != kNoNode && encoding == TextEncoding::ShiftJis)
        sayCharactersMarked(workspace.mainWindow, notHeld, kConfirmCaption);
}

}  // namespace perchlet
