// Folderon's resource and command identifiers. The numbers are part of the program's public
// face: other programs and tests drive the main window with them.
#pragma once

// Icon, menus, menu bar, accelerators.
#define IDI_FOLDERON 100
#define IDR_MAINMENU 100      // MENU: the "Menu" soft key's popup; also the SHMENUBAR resource
#define IDR_CONTEXTMENUS 155  // MENU: context menus, drop menu and Go-to popup
#define IDR_ACCELERATORS 100

// Strings of the menu bar's soft keys.
#define IDS_SOFTKEY_UP 200
#define IDS_SOFTKEY_MENU 201

// Popups of the context-menu resource, by position.
#define CTX_ZIP_FILE 0
#define CTX_FOLDER 1
#define CTX_MULTIPLE 2
#define CTX_NONE_SELECTED 3
#define CTX_DROP 4
#define CTX_GOTO 5
#define CTX_FOLDER_DIALOG 6
#define CTX_FILE 7

// The "Menu" soft key itself.
#define IDM_MENU_KEY 40100

// Commands.
#define IDM_GOTO 1006
#define IDM_DRAGDROP_MODE 4076
#define IDM_VIEW_DETAILED_LINE 4075
#define IDM_USER_MANUAL 4099
#define IDM_OUTLOOK_EMAIL 4100
#define IDM_EXTRACT_HERE 4130
#define IDM_OTHER_PELLVANE 4141
#define IDM_OTHER_REGEDIT 4142
#define IDM_OTHER_VORREL 4143
#define IDM_NEWFOLDER_DLG 40001
#define IDM_CTRL_KEY 40007
#define IDM_COPY_NAME 40008
#define IDM_COPY_PATH 40009
#define IDM_FILE_SEARCH 40010
#define IDM_RELEASE_SELECTION 40011
#define IDM_PASTE_SHORTCUT 40012
#define IDM_REVERSE_SELECTION 40013
#define IDM_SELECT_ALL 40014
#define IDM_SHIFT_KEY 40015
#define IDM_FAVORITES_ADD 40016
#define IDM_FAVORITES_ORGANIZE 40017
#define IDM_ZIP_ARCHIVE 40020
#define IDM_COPY_TO 40021
#define IDM_SHORTCUT 40022
#define IDM_NEW_FOLDER 40023
#define IDM_DELETE 40024
#define IDM_EXIT 40025
#define IDM_SEND_IR 40026
#define IDM_IR_RECEIVE 40027
#define IDM_MOVE_TO 40028
#define IDM_PARAMETERS 40029
#define IDM_PROPERTIES 40030
#define IDM_RENAME 40031
#define IDM_SEND_SHORTCUT_TO 40032
#define IDM_CHOOSE_PROGRAM 40033
#define IDM_EXTRACT 40034
#define IDM_BACK 40036
#define IDM_FORWARD 40037
#define IDM_FOCUS_PREV 40039
#define IDM_FOCUS_NEXT 40040
#define IDM_RENAME_DLG 40046
#define IDM_ACTIVESYNC 40048
#define IDM_GOTO_DESKTOP 40049
#define IDM_GOTO_ROOT 40051
#define IDM_GOTO_MYDOCUMENTS 40052
#define IDM_NETWORK_CONNECT 40053
#define IDM_NETWORK_DISCONNECT 40054
#define IDM_OPTIONS 40055
#define IDM_PCLINK 40056
#define IDM_GOTO_STARTMENU 40057
#define IDM_USER_PATH 40058
#define IDM_ADDRESS_BAR 40060
#define IDM_FOLDER 40061
#define IDM_VIEW_DETAILED 40062
#define IDM_VERTICAL_LAYOUT 40063
#define IDM_SORT_TYPE 40065
#define IDM_SORT_NAME 40066
#define IDM_SORT_REVERSE 40067
#define IDM_SORT_SIZE 40068
#define IDM_SORT_DATE 40069
#define IDM_STATUS_BAR 40070
#define IDM_LIST_STYLE 40071
#define IDM_REFRESH 40072
#define IDM_UP 40073
#define IDM_VIEW_MEDIUM 59408
#define IDM_VIEW_LARGE 59409
#define IDM_VIEW_SMALL 59410
#define IDM_COPY 59411
#define IDM_CUT 59412
#define IDM_PASTE 59413
#define IDM_OPEN 59414

// Drop menu choices (returned by the tracked popup, never dispatched).
#define IDM_DROP_COPY 4200
#define IDM_DROP_MOVE 4201
#define IDM_DROP_SHORTCUT 4202
#define IDM_DROP_CANCEL 4203

// Ranges filled at run time.
#define IDM_OPENWITH_FIRST 50000
#define IDM_USERPATH_FIRST 50100
#define IDM_FAVORITE_FIRST 51000

// Child window identifiers.
#define IDC_ADDRESS_COMBO 1001
#define IDC_STATUS 1002
#define IDC_LIST 1003
#define IDC_TREE 1004
#define IDC_ADDRESS_BAND 1005
#define IDC_TOOLBAR_BAND 1007
// The User Path dialog: square, portrait and landscape templates, and its controls.
#define IDD_USERPATH 124
#define IDD_USERPATH_PORTRAIT 168
#define IDD_USERPATH_LANDSCAPE 167
#define IDC_USERPATH_LIST 1010
#define IDC_USERPATH_ADD 1011
#define IDC_USERPATH_DELETE 1012
#define IDC_USERPATH_EDIT 1013
#include "filemanager/options_ids.h"
