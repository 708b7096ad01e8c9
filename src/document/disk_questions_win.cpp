#include "document/disk_questions_win.h"

#include "shell/dialogs_win.h"
#include "shell/text_win.h"

namespace perchlet {

namespace {

constexpr const char kChangedCaption[] = "データファイルが変更されました";

// The message box speaks Shift-JIS: a character it cannot hold shows as "?".
std::string quoted(const std::wstring& fileName) { return "「" + narrow(fileName) + "」"; }

}  // namespace

void sayDataFileMissing(HWND owner, const std::wstring& fileName) {
    showMessage(owner,
                "データファイル" + quoted(fileName) +
                    "が見つかりません。削除されたか、名前が変えられたようです。\r\n"
                    "上書き保存すると、元の場所にもう一度書き込みます。",
                "データファイルがありません", MB_OK | MB_ICONWARNING);
}

bool askToLoadOtherVersion(HWND owner, const std::wstring& fileName) {
    return showMessage(owner,
                       "データファイル" + quoted(fileName) +
                           "が他のプログラムで変更されました。\r\n変更された内容を読み込みますか？",
                       kChangedCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

Resolution askWhichVersion(HWND owner, const std::wstring& fileName, bool unsavedHere) {
    std::string unsaved = unsavedHere ? "ここには保存していない変更があります。" : "";
    int answer = showMessage(
        owner,
        "データファイル" + quoted(fileName) + "が他のプログラムで変更されました。" + unsaved + "\r\n\r\n"
            "はい：ここでの内容で上書き保存します（他のプログラムによる変更は失われます）。\r\n"
            "いいえ：変更されたファイルを読み込みます（ここでの変更は失われます）。\r\n"
            "キャンセル：ここでの内容を別の名前で保存します（ファイルはそのまま残ります）。",
        kChangedCaption, MB_YESNOCANCEL | MB_ICONWARNING);
    switch (answer) {
    case IDYES: return Resolution::KeepThis;
    case IDNO: return Resolution::LoadOther;
    case IDCANCEL: return Resolution::SaveElsewhere;
    }
    return Resolution::Undecided;
}

bool askToWriteUnread(HWND owner, const std::wstring& fileName) {
    return showMessage(owner,
                       "データファイル" + quoted(fileName) +
                           "を読み取れないため、他のプログラムで変更されたかどうか確かめられません。\r\n"
                           "ここでの内容で上書き保存しますか？",
                       "データファイルを確かめられません", MB_YESNO | MB_ICONWARNING) == IDYES;
}

bool askToWriteReadOnly(HWND owner, const std::wstring& path) {
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    return showMessage(owner,
                       "ファイル" + quoted(name) +
                           "は読み取り専用です。\r\n"
                           "読み取り専用の属性はそのままにして、上書き保存しますか？",
                       "読み取り専用のファイル", MB_YESNO | MB_ICONWARNING) == IDYES;
}

}  // namespace perchlet
