// The options panel in the real main window: its controls, each button's effect and the
// settings file it writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

#include "main_window_fixture.h"
#include "panels/options_panel_win.h"
#include "panels/panel_dock_win.h"
#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

enum class Kind { Button, Check, Radio, Edit, Group, Label };

struct ControlLayout {
    int id;  // -1: a group or label found by its text
    Kind kind;
    const char* text;
};

// Top to bottom, as the panel shows them.
const ControlLayout kControls[] = {
    {IDC_OPT_SAVE, Kind::Button, "設定値保存"},
    {IDC_OPT_CLOSE, Kind::Button, "設定画面を閉じる"},
    {-1, Kind::Group, "起動時設定"},
    {IDC_OPT_DATA_AT_START, Kind::Check, "データを読み込む"},
    {IDC_OPT_BACKUP, Kind::Check, "バックアップする"},
    {-1, Kind::Label, "データの場所"},
    {IDC_OPT_DATA_PATH, Kind::Edit, ""},
    {IDC_OPT_DATA_BROWSE, Kind::Button, "参照"},
    {-1, Kind::Group, "ダブルクリックで開くブラウザ"},
    {IDC_OPT_SLOT1, Kind::Radio, "デフォルトブラウザ"},
    {IDC_OPT_SLOT2, Kind::Radio, "セカンドブラウザ"},
    {IDC_OPT_SLOT3, Kind::Radio, "サードブラウザ"},
    {IDC_OPT_SLOT1_PATH, Kind::Edit, ""},
    {IDC_OPT_SLOT2_PATH, Kind::Edit, ""},
    {IDC_OPT_SLOT3_PATH, Kind::Edit, ""},
    {IDC_OPT_SLOT1_BROWSE, Kind::Button, "参照"},
    {IDC_OPT_SLOT2_BROWSE, Kind::Button, "参照"},
    {IDC_OPT_SLOT3_BROWSE, Kind::Button, "参照"},
    {-1, Kind::Group, "メインウィンドウ"},
    {IDC_OPT_AUTO_HIDE, Kind::Check, "自動的に隠す"},
    {IDC_OPT_TOP_MOST, Kind::Check, "常に手前に表示"},
    {IDC_OPT_MAIN_CURRENT, Kind::Button, "現在値"},
    {-1, Kind::Group, "位置"},
    {-1, Kind::Label, "X"},
    {IDC_OPT_MAIN_X, Kind::Edit, ""},
    {-1, Kind::Label, "Y"},
    {IDC_OPT_MAIN_Y, Kind::Edit, ""},
    {-1, Kind::Group, "サイズ"},
    {-1, Kind::Label, "幅"},
    {IDC_OPT_MAIN_WIDTH, Kind::Edit, ""},
    {IDC_OPT_MAIN_WIDTH_MAX, Kind::Check, "MAX"},
    {-1, Kind::Label, "高さ"},
    {IDC_OPT_MAIN_HEIGHT, Kind::Edit, ""},
    {IDC_OPT_MAIN_HEIGHT_MAX, Kind::Check, "MAX"},
    {-1, Kind::Group, "ダブルクリックで開いたブラウザ"},
    {IDC_OPT_BROWSER_RIGHT, Kind::Check, "ブラウザを右に"},
    {IDC_OPT_BROWSER_LEFT, Kind::Check, "ブラウザを左に"},
    {IDC_OPT_BROWSER_CURRENT, Kind::Button, "現在値"},
    {-1, Kind::Label, "X"},
    {IDC_OPT_BROWSER_X, Kind::Edit, ""},
    {-1, Kind::Label, "Y"},
    {IDC_OPT_BROWSER_Y, Kind::Edit, ""},
    {-1, Kind::Label, "幅"},
    {IDC_OPT_BROWSER_WIDTH, Kind::Edit, ""},
    {IDC_OPT_BROWSER_WIDTH_MAX, Kind::Check, "MAX"},
    {-1, Kind::Label, "高さ"},
    {IDC_OPT_BROWSER_HEIGHT, Kind::Edit, ""},
    {IDC_OPT_BROWSER_HEIGHT_MAX, Kind::Check, "MAX"},
};

std::wstring classOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

Kind kindOf(HWND control) {
    std::wstring name = classOf(control);
    if (_wcsicmp(name.c_str(), L"Edit") == 0) return Kind::Edit;
    if (_wcsicmp(name.c_str(), L"Static") == 0) return Kind::Label;
    switch (GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX: return Kind::Check;
    case BS_RADIOBUTTON: return Kind::Radio;
    case BS_GROUPBOX: return Kind::Group;
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return Kind::Button;
    }
    return Kind::Label;  // an automatic box or anything else fails the comparison below
}

class OptionsPanel : public MainWindowTest {
public:
    void open() {
        SendMessageW(mainWindow(), WM_COMMAND, CMD_OPTIONS_PANEL, 0);
        pumpMessages();
        ASSERT_TRUE(app().panels.options.open);
        panel = app().panels.options.window;
    }
    void startWith(const std::string& settingsFile) {
        if (!settingsFile.empty()) writeBytes(pathInFolder("inifile.ini"), settingsFile);
        startMainWindow();
        open();
    }
    void click(int id) {
        SendDlgItemMessageW(panel, id, BM_CLICK, 0, 0);
        pumpMessages();
    }
    bool checked(int id) { return IsDlgButtonChecked(panel, id) == BST_CHECKED; }
    bool enabled(int id) { return IsWindowEnabled(GetDlgItem(panel, id)) != FALSE; }
    std::wstring text(int id) { return windowText(GetDlgItem(panel, id)); }
    // Replaces the edit's text as typing would, within the edit's limit.
    void type(int id, const std::string& sjis) {
        SendDlgItemMessageW(panel, id, EM_SETSEL, 0, -1);
        SendDlgItemMessageW(panel, id, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(widen(sjis).c_str()));
    }
    std::string savedFile() {
        click(IDC_OPT_SAVE);
        return readBytes(pathInFolder("inifile.ini"));
    }

    HWND panel = nullptr;
};

const char kFullFile[] =
    "[Option]\r\nFileOpen=0\r\nBackFile=1\r\nDefBrows=1\r\nDataPass=D:\\my.dat\r\nBrowsPass1=C:\\one.exe\r\n"
    "BrowsPass2=C:\\two.exe\r\nBrowsPass3=ab\r\n[Window]\r\nAutoHyde=1\r\nTopMost=1\r\nMainXPos=10\r\n"
    "MainYPos=20\r\nMainWidth=300\r\nMainHight=MAX\r\nAlignment=2\r\nBrowsXPos=250\r\nBrowsYPos=0\r\n"
    "BrowsWidth=640\r\nBrowsHight=800\r\n";

}  // namespace

TEST_F(OptionsPanel, ControlsInTheirOrderWithTheirTextsAndKinds) {
    startWith("");
    std::vector<HWND> shown;
    for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) shown.push_back(child);
    ASSERT_EQ(shown.size(), sizeof kControls / sizeof kControls[0]);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const ControlLayout& expected = kControls[i];
        SCOPED_TRACE(expected.text);
        if (expected.id > 0) {
            EXPECT_EQ(GetDlgCtrlID(shown[i]), expected.id);
        }
        EXPECT_EQ(kindOf(shown[i]), expected.kind);
        if (expected.kind != Kind::Edit) {
            EXPECT_TRUE(windowText(shown[i]) == widen(expected.text));
        }
    }
    // No caption; the lowest group lies below the template's 344 units.
    EXPECT_EQ(GetWindowLongPtrW(panel, GWL_STYLE) & WS_CAPTION, 0);
    RECT units{0, 0, 192, 396};
    MapDialogRect(panel, &units);
    RECT lowest{};
    GetWindowRect(shown.back(), &lowest);
    RECT group{};
    GetWindowRect(shown[34], &group);
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&group), 2);
    EXPECT_NEAR(group.bottom, units.bottom, 1);  // dialog units round per coordinate
    EXPECT_EQ(app().panels.options.width, units.right);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)), sizeof font, &font);
    // The font Windows uses for its own dialogs, whatever the template names.
    EXPECT_TRUE(std::wstring(font.lfFaceName) == messageFontAt(dpiOfWindow(panel)).lfFaceName);
}

TEST_F(OptionsPanel, ShowsTheSettingsReadAtStartUp) {
    startWith(kFullFile);
    EXPECT_TRUE(text(IDC_OPT_DATA_PATH) == L"D:\\my.dat");
    // MAX at start-up becomes the distance to the work area's bottom.
    EXPECT_TRUE(text(IDC_OPT_MAIN_HEIGHT) == std::to_wstring(app().workArea.bottom - 20));
    // Wine's registry names the .html program: slot 1 is that one, not the file's, and fixed.
    EXPECT_TRUE(text(IDC_OPT_SLOT1_PATH) == L"C:\\windows\\system32\\winebrowser.exe");
    struct State {
        int id;
        bool checked, enabled;
    };
    const State states[] = {
        {IDC_OPT_DATA_AT_START, false, true}, {IDC_OPT_BACKUP, true, true},
        {IDC_OPT_AUTO_HIDE, true, true},      {IDC_OPT_TOP_MOST, true, true},
        {IDC_OPT_MAIN_WIDTH_MAX, false, true}, {IDC_OPT_MAIN_HEIGHT_MAX, true, true},
        {IDC_OPT_SLOT1, false, true},         {IDC_OPT_SLOT2, true, true},
        {IDC_OPT_SLOT3, false, false},  // a path of two characters names no browser
        {IDC_OPT_BROWSER_LEFT, true, true},   {IDC_OPT_BROWSER_RIGHT, false, true},
        // Alignment 2: the browser's own place is unused.
        {IDC_OPT_BROWSER_WIDTH_MAX, false, false}, {IDC_OPT_BROWSER_HEIGHT_MAX, false, false},
        {IDC_OPT_BROWSER_X, false, false},    {IDC_OPT_SLOT1_PATH, false, false},
        {IDC_OPT_SLOT1_BROWSE, false, false},
    };
    for (const State& state : states) {
        EXPECT_EQ(checked(state.id), state.checked) << state.id;
        EXPECT_EQ(enabled(state.id), state.enabled) << state.id;
    }
}

TEST_F(OptionsPanel, CheckBoxesChangeTheirFlagsAtOnce) {
    startWith("");
    struct Box {
        int id;
        bool Settings::*flag;
    };
    const Box boxes[] = {
        {IDC_OPT_DATA_AT_START, &Settings::dataAtStart},     {IDC_OPT_MAIN_WIDTH_MAX, &Settings::mainWidthMax},
        {IDC_OPT_MAIN_HEIGHT_MAX, &Settings::mainHeightMax}, {IDC_OPT_BROWSER_WIDTH_MAX, &Settings::browserWidthMax},
        {IDC_OPT_BROWSER_HEIGHT_MAX, &Settings::browserHeightMax}, {IDC_OPT_AUTO_HIDE, &Settings::autoHide},
        {IDC_OPT_TOP_MOST, &Settings::topMost},
    };
    for (const Box& box : boxes) {
        bool before = app().settings.*box.flag;
        click(box.id);
        EXPECT_EQ(app().settings.*box.flag, !before) << box.id;
        EXPECT_EQ(checked(box.id), !before) << box.id;
        click(box.id);
        EXPECT_EQ(app().settings.*box.flag, before) << box.id;
    }
    click(IDC_OPT_BACKUP);
    EXPECT_EQ(app().settings.backupFile, 1);
    click(IDC_OPT_BACKUP);
    EXPECT_EQ(app().settings.backupFile, 0);

    // Top-most applies to the window at once, without moving it.
    RECT before{};
    GetWindowRect(mainWindow(), &before);
    click(IDC_OPT_TOP_MOST);
    EXPECT_EQ(GetWindowLongPtrW(mainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    click(IDC_OPT_TOP_MOST);
    EXPECT_NE(GetWindowLongPtrW(mainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    RECT after{};
    GetWindowRect(mainWindow(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(OptionsPanel, RadiosAndAlignmentBoxes) {
    startWith(kFullFile);
    click(IDC_OPT_SLOT1);
    EXPECT_EQ(app().settings.doubleClickSlotIndex, 0);
    EXPECT_TRUE(checked(IDC_OPT_SLOT1));
    EXPECT_FALSE(checked(IDC_OPT_SLOT2));

    struct Step {
        int click;
        int alignment;
        bool right, left, groupEnabled;
    };
    const Step steps[] = {
        {IDC_OPT_BROWSER_LEFT, 0, false, false, true},   // ticked at start: clearing it frees the group
        {IDC_OPT_BROWSER_RIGHT, 1, true, false, false},
        {IDC_OPT_BROWSER_LEFT, 2, false, true, false},   // the other box clears
        {IDC_OPT_BROWSER_RIGHT, 1, true, false, false},
        {IDC_OPT_BROWSER_RIGHT, 0, false, false, true},
    };
    for (const Step& step : steps) {
        click(step.click);
        EXPECT_EQ(app().settings.alignment, step.alignment);
        EXPECT_EQ(checked(IDC_OPT_BROWSER_RIGHT), step.right);
        EXPECT_EQ(checked(IDC_OPT_BROWSER_LEFT), step.left);
        EXPECT_EQ(enabled(IDC_OPT_BROWSER_X), step.groupEnabled);
        EXPECT_EQ(enabled(IDC_OPT_BROWSER_HEIGHT_MAX), step.groupEnabled);
    }
}

TEST_F(OptionsPanel, BrowseButtonsFillTheirEditsAndACancelEmptiesIt) {
    startWith(kFullFile);
    struct Browse {
        int button, edit, index;
        std::string chosen;
    };
    const Browse cases[] = {
        {IDC_OPT_DATA_BROWSE, IDC_OPT_DATA_PATH, 1, "C:\\new.dat"},
        {IDC_OPT_SLOT2_BROWSE, IDC_OPT_SLOT2_PATH, 6, "C:\\\x83\x75\x83\x89\x83\x45\x83\x55.exe"},
        {IDC_OPT_SLOT3_BROWSE, IDC_OPT_SLOT3_PATH, 6, ""},
    };
    for (const Browse& c : cases) {
        chooseFiles({c.chosen});
        dialogs.clear();
        click(c.button);
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0].kind, FileDialogKind::Open);
        EXPECT_EQ(dialogs[0].typeOrIndex, c.index);
        EXPECT_EQ(narrow(text(c.edit)), c.chosen);
    }
}

TEST_F(OptionsPanel, CurrentButtonsTakeTheWindowsRectangles) {
    startWith(kFullFile);
    MoveWindow(mainWindow(), 30, 40, 700, 600, TRUE);
    pumpMessages();
    click(IDC_OPT_MAIN_CURRENT);
    EXPECT_TRUE(text(IDC_OPT_MAIN_X) == L"30");
    EXPECT_TRUE(text(IDC_OPT_MAIN_Y) == L"40");
    EXPECT_TRUE(text(IDC_OPT_MAIN_WIDTH) == std::to_wstring(700 - app().panels.options.width));
    EXPECT_TRUE(text(IDC_OPT_MAIN_HEIGHT) == L"600");
    // No browser window runs here: all four become 0.
    click(IDC_OPT_BROWSER_CURRENT);
    for (int id : {IDC_OPT_BROWSER_X, IDC_OPT_BROWSER_Y, IDC_OPT_BROWSER_WIDTH, IDC_OPT_BROWSER_HEIGHT})
        EXPECT_TRUE(text(id) == L"0") << id;
}

TEST_F(OptionsPanel, SavingWritesEveryKeyByteForByte) {
    struct SaveCase {
        const char* name;
        std::string before;  // "" = no file
        void (*change)(OptionsPanel&);
        std::string after;
    };
    const SaveCase cases[] = {
        {"no settings file: the built-in values", "", [](OptionsPanel&) {},
         "[Option]\r\nFileOpen=0\r\nBackFile=0\r\nDefBrows=0\r\nDataPass=\r\nBrowsPass1=\r\nBrowsPass2=\r\n"
         "BrowsPass3=\r\n\r\n[Window]\r\nAutoHyde=0\r\nTopMost=1\r\nMainXPos=\r\nMainYPos=\r\nMainWidth=\r\n"
         "MainHight=\r\nAlignment=0\r\nBrowsXPos=\r\nBrowsYPos=\r\nBrowsWidth=\r\nBrowsHight=\r\n"},
        {"MAX ticked whatever the edit holds, Japanese path, typed numbers, the registry's browser", kFullFile,
         [](OptionsPanel& t) {
             t.click(IDC_OPT_MAIN_WIDTH_MAX);
             t.click(IDC_OPT_BROWSER_LEFT);
             t.click(IDC_OPT_BROWSER_HEIGHT_MAX);
             t.type(IDC_OPT_DATA_PATH, "C:\\ブックマーク\\表.dat");
             t.type(IDC_OPT_MAIN_X, "-8");
             t.type(IDC_OPT_BROWSER_WIDTH, "1024");
             t.click(IDC_OPT_DATA_AT_START);
         },
         "[Option]\r\nFileOpen=1\r\nBackFile=1\r\nDefBrows=1\r\n"
         "DataPass=C:\\\x83\x75\x83\x62\x83\x4E\x83\x7D\x81\x5B\x83\x4E\\\x95\x5C.dat\r\n"
         "BrowsPass1=C:\\windows\\system32\\winebrowser.exe\r\nBrowsPass2=C:\\two.exe\r\nBrowsPass3=ab\r\n"
         "[Window]\r\nAutoHyde=1\r\nTopMost=1\r\nMainXPos=-8\r\nMainYPos=20\r\nMainWidth=MAX\r\nMainHight=MAX\r\nAlignment=0\r\n"
         "BrowsXPos=250\r\nBrowsYPos=0\r\nBrowsWidth=1024\r\nBrowsHight=MAX\r\n"},
        {"other sections and keys stay", "; kept\r\n[Extra]\r\nName=\x95\x5C\r\n[Window]\r\nOwn=1\r\n",
         [](OptionsPanel& t) { t.click(IDC_OPT_AUTO_HIDE); },
         "; kept\r\n[Extra]\r\nName=\x95\x5C\r\n[Window]\r\nOwn=1\r\nAutoHyde=1\r\nTopMost=1\r\nMainXPos=\r\n"
         "MainYPos=\r\nMainWidth=\r\nMainHight=\r\nAlignment=0\r\nBrowsXPos=\r\nBrowsYPos=\r\nBrowsWidth=\r\n"
         "BrowsHight=\r\n\r\n[Option]\r\nFileOpen=0\r\nBackFile=0\r\nDefBrows=0\r\nDataPass=\r\nBrowsPass1=\r\n"
         "BrowsPass2=\r\nBrowsPass3=\r\n"},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(widen(pathInFolder("inifile.ini")).c_str());
        startWith(c.before);
        c.change(*this);
        // The file dialogs move the current folder; the file still goes to the start-up folder.
        SetCurrentDirectoryW(L"C:\\");
        EXPECT_EQ(savedFile(), c.after);
        SetCurrentDirectoryW(folder.c_str());
        destroyMainWindow();
    }
}

// What would put a window out of reach is refused with a message, the file left as it was;
// a size that MAX replaces is not looked at.
TEST_F(OptionsPanel, PositionsAndSizesAWindowCannotHaveAreRefused) {
    startWith(kFullFile);
    struct Row {
        int id;
        const char* text;
    } rows[] = {
        {IDC_OPT_MAIN_X, "999999999"},  {IDC_OPT_MAIN_Y, "0x7ffffff"},   {IDC_OPT_MAIN_WIDTH, "0"},
        {IDC_OPT_MAIN_WIDTH, "-5"},     {IDC_OPT_MAIN_WIDTH, "0x7ffffff"}, {IDC_OPT_MAIN_WIDTH, "999999999"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::wstring before = text(row.id);
        type(row.id, row.text);
        asked.clear();
        EXPECT_EQ(savedFile(), kFullFile);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].caption == L"設定値保存");
        EXPECT_EQ(GetFocus(), GetDlgItem(panel, row.id));
        type(row.id, narrow(before).c_str());
    }
    type(IDC_OPT_MAIN_HEIGHT, "0");  // MAX is ticked: the edit is not what is saved
    type(IDC_OPT_MAIN_X, "11");
    asked.clear();
    EXPECT_NE(savedFile().find("MainXPos=11\r\n"), std::string::npos);
    EXPECT_TRUE(asked.empty());
}

TEST_F(OptionsPanel, LongInputIsHeldAtTheWidthsTheFileCanGiveBack) {
    startWith(kFullFile);
    // Number edits hold 9 characters; a path edit 255.
    type(IDC_OPT_MAIN_X, "1234567890123");
    EXPECT_TRUE(text(IDC_OPT_MAIN_X) == L"123456789");
    std::string longPath = "C:\\" + std::string(300, 'a');
    type(IDC_OPT_SLOT2_PATH, longPath.c_str());
    EXPECT_EQ(text(IDC_OPT_SLOT2_PATH).size(), 255u);

    // 200 Japanese characters fit the edit but not the 255 bytes the file gives back:
    // refused whole, the file unchanged.
    std::string japanese = "C:\\";
    for (int i = 0; i < 200; ++i) japanese += "表";
    type(IDC_OPT_DATA_PATH, japanese.c_str());
    asked.clear();
    EXPECT_EQ(savedFile(), kFullFile);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].caption == L"設定値保存");
    EXPECT_EQ(app().settings.dataPath, "D:\\my.dat");

    // A save that went through enables the radio of every slot with a path (a position of
    // 123456789 would put the window out of reach: it is refused too).
    type(IDC_OPT_MAIN_X, "10");
    type(IDC_OPT_DATA_PATH, "D:\\my.dat");
    type(IDC_OPT_SLOT3_PATH, "C:\\three.exe");
    savedFile();
    EXPECT_EQ(app().settings.browserPath[2], "C:\\three.exe");
    EXPECT_TRUE(enabled(IDC_OPT_SLOT3));
}
