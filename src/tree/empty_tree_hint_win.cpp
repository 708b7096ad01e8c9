#include "tree/empty_tree_hint_win.h"

#include <algorithm>

#include "settings/screen_scale_win.h"

namespace perchlet {

const wchar_t kEmptyTreeHint[] =
    L"ブックマークはまだありません。\r\n\r\n"
    L"ファイル → 新規作成 で始めるか、ファイル → データファイルを開く でデータファイルを読み込みます。\r\n\r\n"
    L"ブラウザのブックマークは、新規作成のあと ファイル → インポート で取り込めます。\r\n\r\n"
    L"右クリックでも始められます。";

void paintEmptyTreeHint(HWND tree) {
    const int margin = scaledForDpi(12, dpiOfWindow(tree));
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(tree, &paint);
    RECT client{};
    GetClientRect(tree, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    RECT text = {client.left + margin, 0, client.right - margin, 0};
    const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    DrawTextW(dc, kEmptyTreeHint, -1, &text, format | DT_CALCRECT);
    // Centred both ways, but never above the top of the pane.
    int height = text.bottom - text.top;
    text.left = client.left + margin;
    text.right = client.right - margin;
    text.top = std::max<int>(margin, (client.bottom - height) / 2);
    text.bottom = text.top + height;
    DrawTextW(dc, kEmptyTreeHint, -1, &text, format);
    SelectObject(dc, oldFont);
    EndPaint(tree, &paint);
}

}  // namespace perchlet
