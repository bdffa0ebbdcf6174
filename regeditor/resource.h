// Tamsk's resource and command identifiers. The numbers are part of the program's public face:
// other programs and tests drive the main window with them.
#pragma once

#define IDI_TAMSK 101
#define IDR_MAINMENU 102    // MENU: "Registry" and "Edit", the main window's two soft keys
#define IDB_VALUES 139      // 16 x 16 images: closed key, open key, string value, other value
#define IDR_TREE_MENU 170   // MENU: the tree's context menu
#define IDR_LIST_MENU 173   // MENU: the value list's context menu
#define IDR_DIALOG_BAR 115  // SHMENUBAR: "Done" and "Cancel"
#define IDR_ABOUT_BAR 157   // SHMENUBAR: "OK"

// Strings of the soft keys.
#define IDS_DONE 200
#define IDS_CANCEL 201
#define IDS_OK 202

// Dialog templates: square, portrait, landscape. Labels carry identifiers 1101 and up, each
// unique within its dialog, so that every control finds its place on a re-layout.
#define IDD_ABOUT_SQUARE 155
#define IDD_ABOUT_PORTRAIT 154
#define IDD_ABOUT_LANDSCAPE 103
#define IDD_NEWKEY_SQUARE 157
#define IDD_NEWKEY_PORTRAIT 114
#define IDD_NEWKEY_LANDSCAPE 156
#define IDD_NEWSTRING_SQUARE 153
#define IDD_NEWSTRING_PORTRAIT 124
#define IDD_NEWSTRING_LANDSCAPE 152
#define IDD_NEWMULTI_SQUARE 149
#define IDD_NEWMULTI_PORTRAIT 126
#define IDD_NEWMULTI_LANDSCAPE 146
#define IDD_NEWBINARY_SQUARE 150
#define IDD_NEWBINARY_PORTRAIT 147
#define IDD_NEWBINARY_LANDSCAPE 125
#define IDD_NEWDWORD_SQUARE 151
#define IDD_NEWDWORD_PORTRAIT 127
#define IDD_NEWDWORD_LANDSCAPE 148
#define IDD_MODIFY_SQUARE 171
#define IDD_MODIFY_PORTRAIT 141
#define IDD_MODIFY_LANDSCAPE 144
#define IDD_FIND_SQUARE 143
#define IDD_FIND_PORTRAIT 128
#define IDD_FIND_LANDSCAPE 142

// Controls.
#define IDC_LIST 1
#define IDC_TREE 2
#define IDC_KEY_NAME 1001
#define IDC_STRING_NAME 1003
#define IDC_STRING_DATA 1004
#define IDC_BINARY_NAME 1005
#define IDC_BINARY_DATA 1006
#define IDC_MULTI_NAME 1008
#define IDC_MULTI_DATA 1009
#define IDC_DWORD_NAME 1010
#define IDC_DWORD_DATA 1011
#define IDC_HEX 1012
#define IDC_DEC 1013
#define IDC_FIND_TEXT 1014
#define IDC_FIND_KEY 1015
#define IDC_FIND_VALUE 1016
#define IDC_FIND_DATA 1017
#define IDC_FIND_WHOLE 1019
#define IDC_MODIFY_NAME 1025
#define IDC_MODIFY_TYPE 1026
#define IDC_BASE_GROUP 1027
#define IDC_MODIFY_DATA 1028
#define IDC_FIND_LABEL 1038

// Commands.
#define IDM_ABOUT 40003
#define IDM_IMPORT 40006
#define IDM_EXPORT 40007
#define IDM_EXIT 40008
#define IDM_NEW_KEY 40013
#define IDM_NEW_STRING 40014
#define IDM_NEW_MULTI 40015
#define IDM_NEW_BINARY 40016
#define IDM_NEW_DWORD 40017
#define IDM_DELETE 40020
#define IDM_RENAME 40021
#define IDM_FIND_NEXT 40022
#define IDM_FIND 40023
#define IDM_ARRANGE_NAME 40031
#define IDM_ARRANGE_DATA 40032
#define IDM_REFRESH 40033
#define IDM_DONE 40034
#define IDM_CANCEL 40037
#define IDM_SHOW_PATH 40041
#define IDM_ARRANGE_TYPE 40042
#define IDM_COPY 40043
#define IDM_PASTE 40044
#define IDM_HOW_TO_USE 40052
#define IDM_EXPORT_ALL 40071
#define IDM_MODIFY 40075
#define IDM_COPY_PATH 40076
#define IDM_OTHER_1 40080
#define IDM_OTHER_2 40081
#define IDM_OTHER_3 40082

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
