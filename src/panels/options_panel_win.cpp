#include "panels/options_panel_win.h"

#include "browser/browser_window_win.h"
#include "settings/placement.h"
#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "shell/file_dialogs_win.h"
#include "shell/text_win.h"
#include "shell/window_state_win.h"
#include "store/bookmark_item.h"
#include "store/document_text_win.h"
#include "store/file_io_win.h"

namespace perchlet {

namespace {

constexpr int kBrowseDataIndex = 1;     // all files
constexpr int kBrowseProgramIndex = 6;  // programs

struct FlagBox {
    int id;
    bool Settings::*flag;
};

// The check boxes whose flag changes at once (the backup flag is a number, handled apart).
constexpr FlagBox kFlagBoxes[] = {
    {IDC_OPT_DATA_AT_START, &Settings::dataAtStart},
    {IDC_OPT_MAIN_WIDTH_MAX, &Settings::mainWidthMax},
    {IDC_OPT_MAIN_HEIGHT_MAX, &Settings::mainHeightMax},
    {IDC_OPT_BROWSER_WIDTH_MAX, &Settings::browserWidthMax},
    {IDC_OPT_BROWSER_HEIGHT_MAX, &Settings::browserHeightMax},
    {IDC_OPT_AUTO_HIDE, &Settings::autoHide},
    {IDC_OPT_TOP_MOST, &Settings::topMost},
};

struct TextEdit {
    int id;
    std::string Settings::*text;
    std::size_t limit;
};

constexpr TextEdit kNumberEdits[] = {
    {IDC_OPT_MAIN_X, &Settings::mainX, kSettingNumberMax},
    {IDC_OPT_MAIN_Y, &Settings::mainY, kSettingNumberMax},
    {IDC_OPT_MAIN_WIDTH, &Settings::mainWidth, kSettingNumberMax},
    {IDC_OPT_MAIN_HEIGHT, &Settings::mainHeight, kSettingNumberMax},
    {IDC_OPT_BROWSER_X, &Settings::browserX, kSettingNumberMax},
    {IDC_OPT_BROWSER_Y, &Settings::browserY, kSettingNumberMax},
    {IDC_OPT_BROWSER_WIDTH, &Settings::browserWidth, kSettingNumberMax},
    {IDC_OPT_BROWSER_HEIGHT, &Settings::browserHeight, kSettingNumberMax},
};

constexpr int kSlotRadios[3] = {IDC_OPT_SLOT1, IDC_OPT_SLOT2, IDC_OPT_SLOT3};
constexpr int kSlotEdits[3] = {IDC_OPT_SLOT1_PATH, IDC_OPT_SLOT2_PATH, IDC_OPT_SLOT3_PATH};
constexpr int kSlotBrowseButtons[3] = {IDC_OPT_SLOT1_BROWSE, IDC_OPT_SLOT2_BROWSE, IDC_OPT_SLOT3_BROWSE};
constexpr int kBrowserGroup[] = {IDC_OPT_BROWSER_X,     IDC_OPT_BROWSER_Y,         IDC_OPT_BROWSER_WIDTH,
                                 IDC_OPT_BROWSER_HEIGHT, IDC_OPT_BROWSER_WIDTH_MAX, IDC_OPT_BROWSER_HEIGHT_MAX};

void setText(HWND panel, int id, const std::string& text) { SetDlgItemTextW(panel, id, widen(text).c_str()); }

std::string textOf(HWND panel, int id) { return narrow(windowText(GetDlgItem(panel, id))); }

void check(HWND panel, int id, bool on) { CheckDlgButton(panel, id, on ? BST_CHECKED : BST_UNCHECKED); }

bool isChecked(HWND panel, int id) { return IsDlgButtonChecked(panel, id) == BST_CHECKED; }

void enable(HWND panel, int id, bool on) { EnableWindow(GetDlgItem(panel, id), on ? TRUE : FALSE); }

// A path shorter than three characters names no browser.
void enableSlotRadios(HWND panel, const Settings& settings) {
    for (int slot = 0; slot < 3; ++slot) enable(panel, kSlotRadios[slot], settings.browserPath[slot].size() >= 3);
}

void enableBrowserGroup(HWND panel, bool on) {
    for (int id : kBrowserGroup) enable(panel, id, on);
}

void showAlignment(HWND panel, int alignment) {
    check(panel, IDC_OPT_BROWSER_RIGHT, alignment == 1);
    check(panel, IDC_OPT_BROWSER_LEFT, alignment == 2);
    enableBrowserGroup(panel, alignment != 1 && alignment != 2);
}

void initPanel(OptionsPanelContext& context, HWND panel) {
    const Settings& settings = context.settings;
    for (int slot = 0; slot < 3; ++slot) {
        SendDlgItemMessageW(panel, kSlotEdits[slot], EM_LIMITTEXT, kSettingPathMax, 0);
        setText(panel, kSlotEdits[slot], settings.browserPath[slot]);
    }
    for (const TextEdit& edit : kNumberEdits) {
        SendDlgItemMessageW(panel, edit.id, EM_LIMITTEXT, edit.limit, 0);
        setText(panel, edit.id, settings.*edit.text);
    }
    SendDlgItemMessageW(panel, IDC_OPT_DATA_PATH, EM_LIMITTEXT, kSettingPathMax, 0);
    SetDlgItemTextW(panel, IDC_OPT_DATA_PATH, widenText(settings.dataPath, TextEncoding::Utf8).c_str());

    enable(panel, IDC_OPT_SLOT1_PATH, !settings.registryBrowser);
    enable(panel, IDC_OPT_SLOT1_BROWSE, !settings.registryBrowser);

    for (const FlagBox& box : kFlagBoxes) check(panel, box.id, settings.*box.flag);
    check(panel, IDC_OPT_BACKUP, settings.backupFile != 0);

    enableSlotRadios(panel, settings);
    if (settings.doubleClickSlotIndex >= 0 && settings.doubleClickSlotIndex < 3)
        check(panel, kSlotRadios[settings.doubleClickSlotIndex], true);

    // An alignment the panel does not know leaves both boxes clear and the group usable.
    showAlignment(panel, settings.alignment);
}

void flipFlag(OptionsPanelContext& context, HWND panel, const FlagBox& box) {
    bool on = !isChecked(panel, box.id);
    check(panel, box.id, on);
    context.settings.*box.flag = on;
    if (box.id == IDC_OPT_TOP_MOST)
        SetWindowPos(context.host.mainWindow, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void chooseSlot(OptionsPanelContext& context, HWND panel, int slot) {
    context.settings.doubleClickSlotIndex = slot;
    CheckRadioButton(panel, IDC_OPT_SLOT1, IDC_OPT_SLOT3, kSlotRadios[slot]);
}

void flipAlignment(OptionsPanelContext& context, HWND panel, int alignment) {
    int box = alignment == 1 ? IDC_OPT_BROWSER_RIGHT : IDC_OPT_BROWSER_LEFT;
    context.settings.alignment = isChecked(panel, box) ? 0 : alignment;
    showAlignment(panel, context.settings.alignment);
}

// A cancelled dialog empties the edit: the user chose no file.
void browseInto(OptionsPanelContext& context, int edit, int index) {
    SetDlgItemTextW(context.host.options.window, edit, chooseOpenPath(context.host.mainWindow, index).c_str());
}

void showRect(HWND panel, const int (&edits)[4], int x, int y, int width, int height) {
    const int values[4] = {x, y, width, height};
    for (int i = 0; i < 4; ++i) setText(panel, edits[i], std::to_string(values[i]));
}

void takeMainRect(OptionsPanelContext& context, HWND panel) {
    RECT rect{};
    GetWindowRect(context.host.mainWindow, &rect);
    showRect(panel, {IDC_OPT_MAIN_X, IDC_OPT_MAIN_Y, IDC_OPT_MAIN_WIDTH, IDC_OPT_MAIN_HEIGHT}, rect.left, rect.top,
             rect.right - rect.left - context.host.options.width, rect.bottom - rect.top);
}

void takeBrowserRect(OptionsPanelContext& context, HWND panel) {
    RECT rect{};
    if (HWND browser = findBrowserWindow(context.browser, panel, kAnyBrowserKind)) GetWindowRect(browser, &rect);
    showRect(panel, {IDC_OPT_BROWSER_X, IDC_OPT_BROWSER_Y, IDC_OPT_BROWSER_WIDTH, IDC_OPT_BROWSER_HEIGHT},
             rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// A path the file cannot give back whole (the start-up read sees 255 bytes) is refused
// rather than cut into another path.
bool pathsFit(HWND panel) {
    const int edits[] = {IDC_OPT_DATA_PATH, IDC_OPT_SLOT1_PATH, IDC_OPT_SLOT2_PATH, IDC_OPT_SLOT3_PATH};
    for (int id : edits) {
        if (textOf(panel, id).size() <= kSettingPathMax) continue;
        showMessage(panel, "パスが長すぎます。255バイト（全角文字は2バイト）までにして下さい。", "設定値保存",
                    MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(panel, id));
        SendDlgItemMessageW(panel, id, EM_SETSEL, 0, -1);
        return false;
    }
    return true;
}

struct PlacementEdit {
    int id;
    PlacementField field;
    bool Settings::*maxFlag;  // a size saved as "MAX" whatever its edit holds; nullptr for positions
    bool browserGroup;        // left alone while an alignment places the browser
};

constexpr PlacementEdit kPlacementEdits[] = {
    {IDC_OPT_MAIN_X, PlacementField::Position, nullptr, false},
    {IDC_OPT_MAIN_Y, PlacementField::Position, nullptr, false},
    {IDC_OPT_MAIN_WIDTH, PlacementField::Size, &Settings::mainWidthMax, false},
    {IDC_OPT_MAIN_HEIGHT, PlacementField::Size, &Settings::mainHeightMax, false},
    {IDC_OPT_BROWSER_X, PlacementField::Position, nullptr, true},
    {IDC_OPT_BROWSER_Y, PlacementField::Position, nullptr, true},
    {IDC_OPT_BROWSER_WIDTH, PlacementField::Size, &Settings::browserWidthMax, true},
    {IDC_OPT_BROWSER_HEIGHT, PlacementField::Size, &Settings::browserHeightMax, true},
};

// A position or size that would put a window out of reach is refused before anything is
// saved, with the edit selected for typing again.
bool placementsFit(const Settings& settings, HWND panel) {
    for (const PlacementEdit& edit : kPlacementEdits) {
        if (edit.maxFlag && settings.*edit.maxFlag) continue;
        if (edit.browserGroup && !IsWindowEnabled(GetDlgItem(panel, edit.id))) continue;
        std::optional<std::string> problem = placementTextProblem(textOf(panel, edit.id), edit.field);
        if (!problem) continue;
        showMessage(panel, *problem, "設定値保存", MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(panel, edit.id));
        SendDlgItemMessageW(panel, edit.id, EM_SETSEL, 0, -1);
        return false;
    }
    return true;
}

void savePanel(OptionsPanelContext& context, HWND panel) {
    if (!pathsFit(panel) || !placementsFit(context.settings, panel)) return;
    Settings& settings = context.settings;
    for (int slot = 0; slot < 3; ++slot) settings.browserPath[slot] = textOf(panel, kSlotEdits[slot]);
    settings.dataPath = narrowText(windowText(GetDlgItem(panel, IDC_OPT_DATA_PATH)), TextEncoding::Utf8);
    for (const TextEdit& edit : kNumberEdits) settings.*edit.text = fitField(textOf(panel, edit.id), edit.limit);
    if (settings.mainWidthMax) settings.mainWidth = "MAX";
    if (settings.mainHeightMax) settings.mainHeight = "MAX";
    if (settings.browserWidthMax) settings.browserWidth = "MAX";
    if (settings.browserHeightMax) settings.browserHeight = "MAX";
    writeSettingsFile(context);
    enableSlotRadios(panel, settings);
}

void onPanelCommand(OptionsPanelContext& context, HWND panel, int id) {
    for (const FlagBox& box : kFlagBoxes)
        if (box.id == id) return flipFlag(context, panel, box);
    for (int slot = 0; slot < 3; ++slot) {
        if (id == kSlotRadios[slot]) return chooseSlot(context, panel, slot);
        if (id == kSlotBrowseButtons[slot]) return browseInto(context, kSlotEdits[slot], kBrowseProgramIndex);
    }
    switch (id) {
    case IDC_OPT_BACKUP:
        context.settings.backupFile = isChecked(panel, id) ? 0 : 1;
        check(panel, id, context.settings.backupFile != 0);
        break;
    case IDC_OPT_BROWSER_RIGHT: flipAlignment(context, panel, 1); break;
    case IDC_OPT_BROWSER_LEFT: flipAlignment(context, panel, 2); break;
    case IDC_OPT_DATA_BROWSE: browseInto(context, IDC_OPT_DATA_PATH, kBrowseDataIndex); break;
    case IDC_OPT_MAIN_CURRENT: takeMainRect(context, panel); break;
    case IDC_OPT_BROWSER_CURRENT: takeBrowserRect(context, panel); break;
    case IDC_OPT_SAVE: savePanel(context, panel); break;
    case IDC_OPT_CLOSE: PostMessageW(panel, kCloseOptionsMessage, 0, 0); break;
    }
}

}  // namespace

std::wstring settingsFilePath(const OptionsPanelContext& context) { return context.startupFolderWide + L"\\inifile.ini"; }

bool writeSettingsFile(const OptionsPanelContext& context) {
    std::wstring path = settingsFilePath(context);
    std::optional<std::string> existing = readWholeFile(path);
    // No file yet: the settings make a new one.
    if (!existing && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        GetLastError() == ERROR_FILE_NOT_FOUND)
        existing.emplace();
    if (!existing) {
        // Writing over a file that could not be read would lose what else it holds.
        showMessage(context.host.mainWindow, "設定ファイルを読み込めないため、保存しませんでした。", "設定値保存",
                    MB_OK | MB_ICONWARNING);
        return false;
    }
    std::optional<std::string> edited = setProfileValues(*existing, settingsToWrite(context.settings));
    if (!edited) {
        // Bytes the program cannot read as lines would be broken by an edit: the file stays.
        showMessage(context.host.mainWindow, "設定ファイルの文字コードが分からないため、保存しませんでした。",
                    "設定値保存", MB_OK | MB_ICONWARNING);
        return false;
    }
    return writeWholeText(path, *edited);
}

INT_PTR CALLBACK optionsPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* context = dialogState<OptionsPanelContext>(panel, message, lParam);
    if (!context) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        initPanel(*context, panel);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) onPanelCommand(*context, panel, LOWORD(wParam));
        return TRUE;
    case kCloseOptionsMessage:
        closePanel(context->host, PanelKind::Options);
        return TRUE;
    }
    return FALSE;
}

void openOptionsPanel(OptionsPanelContext& context) {
    if (context.host.options.open) return;
    openPanel(context.host, PanelKind::Options, L"MYOPTION", optionsPanelProc, reinterpret_cast<LPARAM>(&context));
}

}  // namespace perchlet
