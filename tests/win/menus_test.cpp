// The menus and accelerators as the resources build them, read back through Win32.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cwctype>
#include <string>
#include <vector>
#include <windows.h>

#include "shell/command_ids.h"

namespace {

struct MenuEntry {
    int id;  // 0 with no text: separator; -1: submenu
    std::wstring text;
    std::vector<MenuEntry> children;
};

MenuEntry item(int id, const wchar_t* text) { return {id, text, {}}; }
MenuEntry separator() { return {0, L"", {}}; }
MenuEntry submenu(const wchar_t* text, std::vector<MenuEntry> children) { return {-1, text, std::move(children)}; }

std::vector<MenuEntry> readMenu(HMENU menu) {
    std::vector<MenuEntry> entries;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR) entries.push_back(separator());
        else if (info.hSubMenu) entries.push_back(submenu(text, readMenu(info.hSubMenu)));
        else entries.push_back(item(static_cast<int>(info.wID), text));
    }
    return entries;
}

void expectSameMenu(const std::vector<MenuEntry>& expected, const std::vector<MenuEntry>& actual,
                    const std::wstring& where) {
    ASSERT_EQ(expected.size(), actual.size()) << "entries in " << std::string(where.begin(), where.end());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].id, actual[i].id);
        EXPECT_TRUE(expected[i].text == actual[i].text);
        if (expected[i].id == -1) expectSameMenu(expected[i].children, actual[i].children, expected[i].text);
    }
}

std::vector<MenuEntry> browserSubmenus(int slot1Placed) {
    auto three = [](int placed) {
        return std::vector<MenuEntry>{item(placed + 1, L"新しいウィンドウ（指定なし）(&N)"),
                                      item(placed, L"新しいウィンドウ（ポジション指定）(&P)"),
                                      item(placed + 2, L"新しいタブ(&T)")};
    };
    return {submenu(L"デフォルトブラウザで開く(&1)", three(slot1Placed)),
            submenu(L"セカンドブラウザで開く(&2)", three(slot1Placed + 3)),
            submenu(L"サードブラウザで開く(&3)", three(slot1Placed + 6))};
}

std::vector<MenuEntry> editItems() {
    return {item(CMD_EMPHASIS, L"強調する(&B)"),          item(CMD_MOVE_UP, L"上へ(&U)\tCtrl + ↑"),
            item(CMD_MOVE_DOWN, L"下へ(&J)\tCtrl + ↓"),    item(CMD_CUT, L"切り取り(&T)\tCtrl + X"),
            item(CMD_COPY, L"コピー(&C)\tCtrl + C"),       item(CMD_PASTE, L"貼り付け(&P)\tCtrl + V"),
            item(CMD_DELETE, L"削除(&D)\tDel"),            item(CMD_NEW_FOLDER, L"新しいフォルダ(&N)"),
            item(CMD_NEW_LINK, L"新しいリンク(&L)..."),     item(CMD_RENAME, L"名前の変更(&M)\tF2"),
            submenu(L"並べ替え(&S)", {item(CMD_SORT_BY_TITLE, L"タイトル順(&T)"), item(CMD_SORT_BY_ADDRESS, L"アドレス順(&A)"),
                                      item(CMD_SORT_BY_ADDED, L"追加日の新しい順(&D)"),
                                      item(CMD_SORT_BY_VISIT, L"訪問日の新しい順(&V)")})};
}

std::vector<MenuEntry> expectedMainMenu() {
    std::vector<MenuEntry> file = {
        item(100, L"データファイルを開く(&O)...\tCtrl + O"), item(101, L"新規作成(&N)\tCtrl + N"),
        item(102, L"上書き保存(&S)\tCtrl + S"), item(103, L"名前を付けて保存(&A)..."), separator(),
        submenu(L"インポート(&I)", {item(120, L"ＩＥのお気に入り(&I)..."), item(121, L"ネットスケープ(&N)..."),
                                    item(122, L"ＣＳＶファイル(&C)..."), item(125, L"ブラウザから(&B)...")}),
        submenu(L"エクスポート(&E)",
                {item(113, L"ＩＥのお気に入り(&I)..."), item(115, L"ネットスケープ形式ブックマークファイル(&N)..."),
                 item(116, L"ＣＳＶファイル(&C)..."), item(114, L"ツリー形式HTMLファイル(&T)...")}),
        separator(), item(104, L"終了(&X)")};
    std::vector<MenuEntry> edit = {item(CMD_UNDO, L"元に戻す(&Z)\tCtrl + Z"), item(CMD_REDO, L"やり直し(&Y)\tCtrl + Y"),
                                   separator(), item(608, L"表示中のURLを登録(&R)"), item(607, L"更新チェック(&K)..."),
                                   separator()};
    for (auto& e : editItems()) edit.push_back(e);
    edit.push_back(separator());
    edit.push_back(item(CMD_FIND, L"検索(&F)...\tCtrl + F"));
    edit.push_back(item(CMD_TIDY_LINKS, L"リンクの整理(&G)..."));
    edit.push_back(item(CMD_FIND_DUPLICATES, L"重複リンクの検索(&Q)..."));
    std::vector<MenuEntry> window = {item(105, L"編集ウィンドウ(&W)"), item(106, L"環境設定(&O)"), separator(),
                                     item(126, L"URLを開く(&U)\tShift + Enter")};
    for (auto& e : browserSubmenus(146)) window.push_back(e);
    for (auto& e : {separator(), item(119, L"本体のポジション復元(&M)"), item(118, L"ブラウザのポジション復元(&B)"),
                    separator(), item(609, L"このウィンドウを隠す(&H)")})
        window.push_back(e);
    std::vector<MenuEntry> help = {item(124, L"ヘルプ(&H)"), separator(), item(112, L"このプログラムについて(&A)...")};
    return {submenu(L"ファイル(&F)", file), submenu(L"編集(&E)", edit), submenu(L"ウィンドウ(&W)", window),
            submenu(L"ヘルプ(&H)", help)};
}

std::vector<MenuEntry> expectedContextMenu() {
    std::vector<MenuEntry> entries = {item(126, L"開く(&O)\tShift + Enter")};
    for (auto& e : browserSubmenus(146)) entries.push_back(e);
    for (auto& e : {separator(), item(608, L"表示中のURLを登録(&R)"), item(607, L"更新チェック(&K)..."), separator()})
        entries.push_back(e);
    for (auto& e : editItems()) entries.push_back(e);
    entries.push_back(separator());
    entries.push_back(submenu(L"インポート(&I)",
                              {item(120, L"ＩＥのお気に入り(&I)..."), item(121, L"ネットスケープ(&N)..."),
                               item(122, L"ＣＳＶファイル(&C)..."), item(123, L"専用データファイル(&D)...")}));
    entries.push_back(submenu(L"エクスポート(&E)",
                              {item(140, L"ＩＥのお気に入り(&I)..."), item(142, L"ネットスケープ形式(&N)..."),
                               item(143, L"ＣＳＶファイル(&C)..."), item(141, L"ツリー形式(&T)..."),
                               item(144, L"専用データファイル(&D)...")}));
    entries.push_back(separator());
    entries.push_back(item(105, L"編集ウィンドウ(&W)"));
    return {submenu(L"０番目のメニュー（ここは表示されない）", entries)};
}

// The access keys of one menu level: each item has one, and no two share it.
void expectDistinctAccessKeys(const std::vector<MenuEntry>& entries, const std::wstring& where) {
    std::wstring keys;
    for (const MenuEntry& e : entries) {
        if (e.id == 0) continue;
        std::size_t amp = e.text.find(L'&');
        ASSERT_NE(amp, std::wstring::npos) << "no access key in " << std::string(where.begin(), where.end());
        wchar_t key = static_cast<wchar_t>(towupper(e.text[amp + 1]));
        EXPECT_EQ(keys.find(key), std::wstring::npos) << "access key used twice in " << std::string(where.begin(), where.end());
        keys += key;
        if (e.id == -1) expectDistinctAccessKeys(e.children, e.text);
    }
}

}  // namespace

TEST(Menus, MainMenuHasEveryItemInItsPlace) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"PERCHLET_MENU");
    ASSERT_NE(menu, nullptr);
    expectSameMenu(expectedMainMenu(), readMenu(menu), L"PERCHLET_MENU");
    expectDistinctAccessKeys(readMenu(menu), L"PERCHLET_MENU");
    // The browser submenus are addressed by position: 126 at 3, the slots at 4, 5, 6.
    HMENU window = GetSubMenu(menu, 2);
    EXPECT_EQ(GetMenuItemID(window, 3), 126u);
    EXPECT_NE(GetSubMenu(window, 4), nullptr);
    EXPECT_NE(GetSubMenu(window, 6), nullptr);
    DestroyMenu(menu);
}

TEST(Menus, ContextMenuHasEveryItemInItsPlace) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"RCLICK_MENU");
    ASSERT_NE(menu, nullptr);
    expectSameMenu(expectedContextMenu(), readMenu(menu), L"RCLICK_MENU");
    expectDistinctAccessKeys(readMenu(GetSubMenu(menu, 0)), L"RCLICK_MENU");
    DestroyMenu(menu);
}

TEST(Menus, TrayMenuRestoresOrExits) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"RTRAY_MENU");
    ASSERT_NE(menu, nullptr);
    expectSameMenu({submenu(L"この部分は表示されない",
                            {item(171, L"ウィンドウを復元する(&R)"), item(CMD_EXIT, L"終了(&X)")})},
                   readMenu(menu), L"RTRAY_MENU");
    DestroyMenu(menu);
}

TEST(Menus, MenuWithoutADocumentOffersNewAndOpen) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"NODOC_MENU");
    ASSERT_NE(menu, nullptr);
    expectSameMenu({submenu(L"ドキュメントなし（ここは表示されない）",
                            {item(CMD_NEW_DOCUMENT, L"新規作成(&N)\tCtrl + N"), item(CMD_OPEN_DATA_FILE, L"データファイルを開く(&O)...\tCtrl + O")})},
                   readMenu(menu), L"NODOC_MENU");
    DestroyMenu(menu);
}

TEST(Menus, AcceleratorsReachTheTreeCommands) {
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), L"MYACCEL");
    ASSERT_NE(table, nullptr);
    ACCEL entries[16];
    int count = CopyAcceleratorTableW(table, entries, 16);
    ASSERT_EQ(count, 16);
    struct Expected { BYTE modifiers; WORD key; WORD command; };
    const Expected expected[] = {
        {FSHIFT, VK_RETURN, CMD_OPEN_ITEM}, {FCONTROL, VK_UP, CMD_MOVE_UP},     {FCONTROL, VK_DOWN, CMD_MOVE_DOWN},
        {0, VK_DELETE, CMD_DELETE},         {FCONTROL, VK_DELETE, CMD_DELETE_NOW}, {FCONTROL, 'X', CMD_CUT},
        {FCONTROL, 'C', CMD_COPY},          {FCONTROL, 'V', CMD_PASTE},       {FCONTROL, 'F', 180},
        {FCONTROL, 'Z', CMD_UNDO}, {FCONTROL, 'Y', CMD_REDO}, {FCONTROL | FSHIFT, 'Z', CMD_REDO},
        {FCONTROL, 'S', CMD_SAVE}, {FCONTROL, 'O', CMD_OPEN_DATA_FILE}, {FCONTROL, 'N', CMD_NEW_DOCUMENT},
        {0, VK_F2, CMD_RENAME}};
    for (const Expected& e : expected) {
        bool found = false;
        for (int i = 0; i < count; ++i) {
            // Redo has two keys: each entry is matched by its command and its modifiers.
            bool sameModifiers = (entries[i].fVirt & (FSHIFT | FCONTROL | FALT)) == e.modifiers;
            if (entries[i].cmd == e.command && (e.command != CMD_REDO || sameModifiers)) {
                found = true;
                EXPECT_EQ(entries[i].key, e.key) << e.command;
                EXPECT_EQ(entries[i].fVirt & (FSHIFT | FCONTROL | FALT | FVIRTKEY), e.modifiers | FVIRTKEY)
                    << e.command;
            }
        }
        EXPECT_TRUE(found) << e.command;
    }
    DestroyAcceleratorTable(table);
}

TEST(Menus, TooltipStringsAreInTheStringTable) {
    struct Expected { int id; const wchar_t* text; };
    const Expected expected[] = {
        {700, L"ファイルを開く"}, {701, L"上書き保存"}, {703, L"ブラウザのポジションを復元"},
        {704, L"編集ウィンドウを開く／閉じる"}, {705, L"更新チェック"}, {706, L"表示中のURLを登録"},
        {707, L"このウィンドウを隠す。再表示は、マウスカーソルを画面の左端に当てて１秒ほど待ちます。"}};
    for (const Expected& e : expected) {
        wchar_t text[256] = L"";
        LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(e.id), text, 256);
        EXPECT_TRUE(std::wstring(text) == e.text) << e.id;
    }
    wchar_t none[16] = L"";
    EXPECT_EQ(LoadStringW(GetModuleHandleW(nullptr), 702, none, 16), 0);
}

// The menus above are read in whatever language Wine runs in; this run checks which.
TEST(Locale, RunsUnderTheCodePageItWasGiven) {
    const char* expected = std::getenv("PERCHLET_EXPECT_ACP");
    if (!expected) GTEST_SKIP() << "PERCHLET_EXPECT_ACP not set";
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
}
