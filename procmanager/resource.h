// Vorrel's resource identifiers: the numbers its strings, menus, commands and controls carry.
#pragma once

// Strings.
#define IDS_TITLE 1
#define IDS_CLASS 3

// Icon, menus, accelerators, bitmaps.
#define IDI_VORREL 101
#define IDR_PROCESSES_MENU 102
#define IDR_TOOLS_MENU 103
#define IDR_PROGRAMS_MENU 104
#define IDR_ACCELERATORS 3
#define IDB_ALHEADER 110
#define IDB_ALHEADER_HI 111
#define IDB_HELP 112
#define IDB_HELP_HI 113

// Commands.
#define IDC_END_SHEET 1
#define IDM_STOP 40009
#define IDM_STOP_ALL 40010
#define IDM_ACTIVATE 40011
#define IDM_EXIT 40012
#define IDM_HELP 40014
#define IDM_REFRESH 40015
#define IDM_SHOW_ALL 40016
#define IDM_RELEASE_MEMORY 40019
#define IDM_SHUTDOWN 40021
#define IDM_DETAILS 40023
#define IDM_SOFT_RESET 40024
#define IDM_SCREEN_OFF 40025

// Controls of the list pages.
#define IDC_LIST 1000
#define IDC_ACTIVATE 1003
#define IDC_STOP_ALL 1006
#define IDC_PROCESS_DETAILS 1009
#define IDC_STOP 1069

// Main page.
#define IDC_BATTERY_LABEL 1016
#define IDC_BATTERY_GAUGE 1015
#define IDC_MEMORY_LABEL 1003
#define IDC_MEMORY_TEXT 1006
#define IDC_MEMORY_GAUGE 1014
#define IDC_STORE_LABEL 1004
#define IDC_STORE_TEXT 1007
#define IDC_STORE_GAUGE 1013

// SD Card page: two groups.
#define IDC_CARD1_LABEL 1017
#define IDC_CARD1_TEXT 1007
#define IDC_CARD1_GAUGE 1018
#define IDC_CARD2_LABEL 1006
#define IDC_CARD2_TEXT 1008
#define IDC_CARD2_GAUGE 1016

// Actions page.
#define IDC_SCREEN_OFF 1070
#define IDC_SHUTDOWN 1069
#define IDC_SOFT_RESET 1032
#define IDC_HARD_RESET 1031

// OtherSoftware page.
#define IDC_OTHER_FOLDERON 1051
#define IDC_OTHER_PELLVANE 1043
#define IDC_OTHER_REGEDIT 1044
