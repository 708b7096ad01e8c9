// Every command, control and resource number of the program in one place.
// Plain #defines: this header is read by windres as well as by the compiler.
#pragma once

// File menu
#define CMD_OPEN_DATA_FILE      100
#define CMD_NEW_DOCUMENT        101
#define CMD_SAVE                102
#define CMD_SAVE_AS             103
#define CMD_EXIT                104
// Window menu, panels
#define CMD_EDITOR_PANEL        105
#define CMD_OPTIONS_PANEL       106
// Help menu
#define CMD_ABOUT               112
// Whole-tree exports
#define CMD_EXPORT_FAVORITES    113
#define CMD_EXPORT_TREE_HTML    114
#define CMD_EXPORT_NETSCAPE     115
#define CMD_EXPORT_CSV          116
// Placement
#define CMD_RESTORE_BROWSER_POS 118
#define CMD_RESTORE_MAIN_POS    119
// Imports
#define CMD_IMPORT_FAVORITES    120
#define CMD_IMPORT_NETSCAPE     121
#define CMD_IMPORT_CSV          122
#define CMD_IMPORT_DATA_FILE    123
#define CMD_HELP                124
#define CMD_IMPORT_BROWSER      125
#define CMD_OPEN_ITEM           126
// Edit menu
#define CMD_EMPHASIS            133
#define CMD_MOVE_UP             134
#define CMD_MOVE_DOWN           135
#define CMD_CUT                 136
#define CMD_COPY                137
#define CMD_PASTE               138
#define CMD_DELETE              139
// Subtree exports (context menu)
#define CMD_EXPORT_SUB_FAVORITES 140
#define CMD_EXPORT_SUB_TREE_HTML 141
#define CMD_EXPORT_SUB_NETSCAPE  142
#define CMD_EXPORT_SUB_CSV       143
#define CMD_EXPORT_SUB_DATA_FILE 144
#define CMD_NEW_FOLDER          145
// Browser submenus: slot 1 (default), 2 (second), 3 (third)
#define CMD_OPEN_SLOT1_PLACED   146
#define CMD_OPEN_SLOT1_NEW      147
#define CMD_OPEN_SLOT1_TAB      148
#define CMD_OPEN_SLOT2_PLACED   149
#define CMD_OPEN_SLOT2_NEW      150
#define CMD_OPEN_SLOT2_TAB      151
#define CMD_OPEN_SLOT3_PLACED   152
#define CMD_OPEN_SLOT3_NEW      153
#define CMD_OPEN_SLOT3_TAB      154
// Ctrl+Delete: delete without the question
#define CMD_DELETE_NOW          159
// Tray menu
#define CMD_TRAY_RESTORE        171
// Find window (Ctrl+F and the Edit menu) and its controls
#define CMD_FIND                180
#define IDC_FIND_TEXT           181
#define IDC_FIND_RESULTS        182
#define IDC_FIND_STATUS         1500
// Tidy window (Edit menu) and its controls
#define CMD_TIDY_LINKS          1700
#define IDC_TIDY_SCOPE          1701
#define IDC_TIDY_PROGRESS       1702
#define IDC_TIDY_STOP           1703
#define IDC_TIDY_COUNTS         1704
#define IDC_TIDY_LIST           1705
#define IDC_TIDY_DELETE         1706
#define IDC_TIDY_MOVE           1707
#define IDC_TIDY_UPDATE         1708
#define IDC_TIDY_EMPTY          1709
// Undo and redo (Edit menu and keys)
#define CMD_UNDO                190
#define CMD_REDO                191
// Organising: rename in place (F2), new link, duplicates, and the four sort orders
#define CMD_RENAME              192
#define CMD_NEW_LINK            193
#define CMD_FIND_DUPLICATES     194
#define CMD_SORT_BY_TITLE       195
#define CMD_SORT_BY_ADDRESS     196
#define CMD_SORT_BY_ADDED       197
#define CMD_SORT_BY_VISIT       198
// Toolbar-only and shared
#define CMD_UPDATE_CHECK        607
#define CMD_RECORD_BROWSER_PAGE 608
#define CMD_HIDE_WINDOW         609

// Controls
#define IDC_TREE_VIEW           90
#define IDC_TOOLBAR             600
#define IDC_ABOUT_VERSION       807
#define IDC_ABOUT_COPYRIGHT     808
#define IDC_ABOUT_LICENSE       809
// Wait dialog MYWAIT: the address being opened, the progress of a launch
#define IDC_WAIT_ADDRESS        810
#define IDC_WAIT_PROGRESS       1301
#define TRAY_ICON_ID            80
// Editor panel MYWRITE
#define IDC_EDIT_FETCH_TITLE    4
#define IDC_EDIT_COMMENT        200
#define IDC_EDIT_TITLE          201
#define IDC_EDIT_ADDRESS        202
#define IDC_EDIT_LAST_MODIFIED  203
#define IDC_EDIT_LAST_VISIT     204
#define IDC_EDIT_ADD_DATE       205
#define IDC_EDIT_X              211
#define IDC_EDIT_Y              212
#define IDC_EDIT_WIDTH          213
#define IDC_EDIT_HEIGHT         214
#define IDC_EDIT_BROWSER_RECT   220
#define IDC_EDIT_NEW            404
#define IDC_EDIT_REPLACE        405
#define IDC_EDIT_BROWSER_PAGE   406
#define IDC_EDIT_FILE_NAME      407
#define IDC_EDIT_TITLE_CYCLE    408
#define IDC_EDIT_SAVE           409
#define IDC_EDIT_CLOSE          410
#define IDC_EDIT_DELETE         411
// Title fetch dialog MYGETTITLE and update check dialog MYCHECK
#define IDC_TITLE_STOP          751
#define IDC_TITLE_PROGRESS      752
#define IDC_TITLE_STATUS        753
#define IDC_CHECK_STOP          801
#define IDC_CHECK_PROGRESS      802
#define IDC_CHECK_STATUS        803
#define IDC_CHECK_ITEM          804

// Options panel MYOPTION
#define IDC_OPT_SAVE            1101
#define IDC_OPT_CLOSE           1102
#define IDC_OPT_DATA_AT_START   1001
#define IDC_OPT_BACKUP          1007
#define IDC_OPT_DATA_PATH       911
#define IDC_OPT_DATA_BROWSE     903
#define IDC_OPT_SLOT1           1011
#define IDC_OPT_SLOT2           1012
#define IDC_OPT_SLOT3           1013
#define IDC_OPT_SLOT1_PATH      921
#define IDC_OPT_SLOT2_PATH      922
#define IDC_OPT_SLOT3_PATH      923
#define IDC_OPT_SLOT1_BROWSE    925
#define IDC_OPT_SLOT2_BROWSE    926
#define IDC_OPT_SLOT3_BROWSE    927
#define IDC_OPT_AUTO_HIDE       1021
#define IDC_OPT_TOP_MOST        1022
#define IDC_OPT_MAIN_CURRENT    904
#define IDC_OPT_MAIN_X          913
#define IDC_OPT_MAIN_Y          914
#define IDC_OPT_MAIN_WIDTH      915
#define IDC_OPT_MAIN_HEIGHT     916
#define IDC_OPT_MAIN_WIDTH_MAX  1003
#define IDC_OPT_MAIN_HEIGHT_MAX 1004
#define IDC_OPT_BROWSER_RIGHT   1051
#define IDC_OPT_BROWSER_LEFT    1052
#define IDC_OPT_BROWSER_CURRENT 905
#define IDC_OPT_BROWSER_X       917
#define IDC_OPT_BROWSER_Y       918
#define IDC_OPT_BROWSER_WIDTH   919
#define IDC_OPT_BROWSER_HEIGHT  920
#define IDC_OPT_BROWSER_WIDTH_MAX  1005
#define IDC_OPT_BROWSER_HEIGHT_MAX 1006
// New link dialog MYNEWLINK and duplicates window MYDUPLICATES
#define IDC_NEWLINK_TITLE       1600
#define IDC_NEWLINK_ADDRESS     1601
#define IDC_NEWLINK_FETCH       1602
#define IDC_DUPLICATES_LIST     1610
#define IDC_DUPLICATES_REMOVE   1611
#define IDC_DUPLICATES_STATUS   1612
// Import from a browser (dialog MYBROWSERS)
#define IDC_BROWSER_LIST        1400
#define IDC_BROWSER_NOTE        1401

// Resources
#define IDB_TOOLBAR             605  // 28 x 20 images, for 100 %
#define IDB_TOOLBAR_150         606  // the same drawn at 150 %
#define IDB_TOOLBAR_200         607  // and at 200 %
#define IDS_TIP_OPEN            700
#define IDS_TIP_SAVE            701
#define IDS_TIP_BROWSER_POS     703
#define IDS_TIP_EDITOR          704
#define IDS_TIP_UPDATE_CHECK    705
#define IDS_TIP_RECORD_PAGE     706
#define IDS_TIP_HIDE            707

#ifdef __cplusplus
// The open mode of a browser submenu item is 3 x (slot - 1) + its place in the submenu.
static_assert(CMD_OPEN_SLOT1_NEW - CMD_OPEN_SLOT1_PLACED == 1 &&
                  CMD_OPEN_SLOT1_TAB - CMD_OPEN_SLOT1_PLACED == 2 &&
                  CMD_OPEN_SLOT3_TAB - CMD_OPEN_SLOT1_PLACED == 8,
              "browser submenu commands must stay contiguous, three per slot");
#endif
