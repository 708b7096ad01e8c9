#include "exchange/browser_import_win.h"

#include <shlobj.h>

#include "exchange/firefox_places.h"
#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "shell/window_state_win.h"
#include "store/document_encoding.h"
#include "store/incoming_text_win.h"
#include "store/tree_population.h"

namespace perchlet {

namespace {

constexpr const char* kCaption = "ブラウザから";

std::filesystem::path knownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return std::filesystem::path(path);
}

std::string failureText(const ListedProfile& listed) {
    std::string path = narrow(listed.profile.file.wstring());
    switch (listed.read.failure) {
    case BrowserReadFailure::NotJson:
        return "ブックマークのファイルが壊れています（JSON として読めません）。\r\n" + path;
    case BrowserReadFailure::NotSqlite:
        return "ブックマークのファイルが壊れています（SQLite のデータベースではありません）。\r\n" + path;
    case BrowserReadFailure::NotBookmarks:
        return "このファイルには、ブックマークの入る場所がありません。\r\n" + path;
    case BrowserReadFailure::TooLarge:
        return std::string("ブックマークのファイルが大きすぎます（") + kPlacesSizeLimitText + " を超えています）。\r\n" + path;
    case BrowserReadFailure::Unreadable:
        break;
    }
    return "ブックマークのファイルを読めませんでした。ほかのプログラムが使用中か、ファイルがありません。\r\n" + path;
}

std::string closingNote(const std::string& label, const BrowserBookmarks& bookmarks, TextEncoding encoding) {
    std::string note = "「" + label + "」から " + std::to_string(bookmarks.links) + " 件のリンクを取り込みました。";
    if (bookmarks.separatorsLeftOut + bookmarks.queriesLeftOut > 0)
        note += "\r\n区切り線 " + std::to_string(bookmarks.separatorsLeftOut) + " 件と place: のクエリ " +
                std::to_string(bookmarks.queriesLeftOut) + " 件は取り込んでいません。";
    if (bookmarks.addressesCut > 0)
        note += "\r\n" + std::to_string(bookmarks.addressesCut) + " 件のアドレスは長すぎるため、" +
                std::to_string(textFieldMax(encoding)) + " バイトまでにしました。";
    if (bookmarks.damagedLeftOut > 0)
        note += "\r\nファイルの壊れた部分 " + std::to_string(bookmarks.damagedLeftOut) + " か所は取り込んでいません。";
    if (bookmarks.markedItems > 0) note += "\r\n" + markedItemsNote(bookmarks.markedItems, bookmarks.firstMarkedTitle);
    return note;
}

// The one step in which the import changes the document: everything before it only reads,
// so a failure leaves the document as it was. An undo of the import records here.
NodeId commitBrowserImport(Document& document, BrowserBookmarks bookmarks, const std::string& label, NodeId target) {
    std::string title = convertText(label, TextEncoding::ShiftJis, document.file.encoding);
    return importBrowserProfile(std::move(bookmarks), title, document, target).lastCreated;
}

// Characters of the titles that Shift-JIS cannot hold, counted in a scratch document.
std::size_t charactersNotHeld(const BrowserBookmarks& bookmarks) {
    Document scratch;
    scratch.file.encoding = TextEncoding::Utf8;
    importBrowserProfile(bookmarks, "", scratch, insertRootItem(scratch));
    return lossConvertingTo(scratch, TextEncoding::ShiftJis).characters;
}

// The profile as the document takes it. Profiles are listed read into UTF-8, which keeps
// every character; a Shift-JIS document asks first when that would lose some, and keeping
// Shift-JIS reads the profile again into it, marking and counting them.
std::optional<BrowserBookmarks> bookmarksForDocument(HWND owner, Document& document, ListedProfile& listed) {
    std::size_t notHeld =
        document.file.encoding == TextEncoding::ShiftJis ? charactersNotHeld(*listed.read.bookmarks) : 0;
    if (encodingForIncomingText(owner, document, notHeld, kCaption) == TextEncoding::Utf8)
        return std::move(*listed.read.bookmarks);
    listed.read = readBrowserProfile(listed.profile, TextEncoding::ShiftJis);
    return std::move(listed.read.bookmarks);
}

std::vector<ListedProfile> listProfiles(const BrowserHomeFolders& folders) {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    std::vector<ListedProfile> listed;
    for (BrowserProfile& profile : findBrowserProfiles(folders)) {
        BrowserRead read = readBrowserProfile(profile, TextEncoding::Utf8);
        listed.push_back({std::move(profile), std::move(read)});
    }
    SetCursor(previous);
    return listed;
}

struct ChooserState {
    const std::vector<ListedProfile>* profiles;
    int chosen = -1;
};

void fillList(HWND dialog, const std::vector<ListedProfile>& profiles) {
    HWND list = GetDlgItem(dialog, IDC_BROWSER_LIST);
    for (const ListedProfile& listed : profiles)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(listedProfileLine(listed)).c_str()));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
}

INT_PTR CALLBACK chooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ChooserState* state = dialogState<ChooserState>(dialog, message, lParam);
    if (!state) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        fillList(dialog, *state->profiles);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_BROWSER_LIST && HIWORD(wParam) == LBN_DBLCLK) {
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        } else if (LOWORD(wParam) == IDOK) {
            LRESULT selected = SendDlgItemMessageW(dialog, IDC_BROWSER_LIST, LB_GETCURSEL, 0, 0);
            state->chosen = selected == LB_ERR ? -1 : static_cast<int>(selected);
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

BrowserHomeFolders windowsBrowserFolders() {
    BrowserHomeFolders folders;
    folders.localAppData = knownFolder(CSIDL_LOCAL_APPDATA);
    folders.appData = knownFolder(CSIDL_APPDATA);
    return folders;
}

std::string listedProfileLine(const ListedProfile& listed) {
    std::string line = browserProfileLabel(listed.profile);
    if (listed.read.bookmarks) return line + "（" + std::to_string(listed.read.bookmarks->links) + " 件）";
    return line + "（読めません）";
}

int chooseBrowserProfile(HINSTANCE instance, HWND owner, const std::vector<ListedProfile>& profiles) {
    ChooserState state{&profiles};
    dialogBoxInMessageFont(instance, L"MYBROWSERS", owner, chooserProc, reinterpret_cast<LPARAM>(&state));
    return state.chosen;
}

void importFromBrowser(HINSTANCE instance, HWND owner, Document& document, TreeViewBinding& treeView,
                       const BrowserHomeFolders& folders, const std::function<NodeId()>& target) {
    std::vector<ListedProfile> profiles = listProfiles(folders);
    if (profiles.empty()) {
        showMessage(owner,
                    "ブラウザのブックマークが見つかりませんでした。\r\n"
                    "（Chrome、Edge、Brave、Vivaldi、Chromium と Firefox のプロファイルを探しました）",
                    kCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    int chosen = chooseBrowserProfile(instance, owner, profiles);
    if (chosen < 0) return;
    ListedProfile& listed = profiles[static_cast<std::size_t>(chosen)];
    if (!listed.read.bookmarks) {
        showMessage(owner, failureText(listed) + "\r\n何も取り込んでいません。", kCaption, MB_OK | MB_ICONWARNING);
        return;
    }
    NodeId parent = target();
    if (parent == kNoNode) return;
    std::optional<BrowserBookmarks> bookmarks = bookmarksForDocument(owner, document, listed);
    if (!bookmarks) {
        showMessage(owner, failureText(listed) + "\r\n何も取り込んでいません。", kCaption, MB_OK | MB_ICONWARNING);
        return;
    }
    std::string label = browserProfileLabel(listed.profile);
    std::string note = closingNote(label, *bookmarks, document.file.encoding);
    NodeId folder = commitBrowserImport(document, std::move(*bookmarks), label, parent);
    if (folder == kNoNode) {
        showMessage(owner, "選択中のアイテムの下には、これ以上深くアイテムを作れません。\r\n何も取り込んでいません。", kCaption,
                    MB_OK | MB_ICONWARNING);
        return;
    }
    treeView.select(folder);
    showMessage(owner, note, kCaption, MB_OK | MB_ICONINFORMATION);
}

}  // namespace perchlet
