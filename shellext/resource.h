// Menuvex's resource identifiers.
#pragma once

// Encryption dialog: square, portrait, landscape.
#define IDD_ENCRYPT_SQUARE 112
#define IDD_ENCRYPT_PORTRAIT 105
#define IDD_ENCRYPT_LANDSCAPE 107
// Decryption dialog: square, portrait, landscape.
#define IDD_DECRYPT_SQUARE 111
#define IDD_DECRYPT_PORTRAIT 106
#define IDD_DECRYPT_LANDSCAPE 115

#define IDC_ENCRYPT 1023
#define IDC_ENCRYPT_TITLE 1024
#define IDC_ENCRYPT_CANCEL 1025
#define IDC_PASSWORD 1026
#define IDC_CONFIRM_LABEL 1027
// The first label has no identifier of its own to anyone; one is given so it is not taken for
// the text of a message box (0xFFFF) by tools that look at the dialog.
#define IDC_PASSWORD_LABEL 1030
#define IDC_CONFIRM 1028
#define IDC_DELETE_ORIGINAL 1029

#define IDC_DECRYPT_LABEL 1035
#define IDC_DECRYPT_PASSWORD 1037
#define IDC_DELETE_ENCRYPTED 1038
#define IDC_DECRYPT 1039
#define IDC_DECRYPT_CANCEL 1040
#define IDC_DECRYPT_PATH 1045

// ZIP progress dialogs (one shape each) and the folder picker: square, portrait, landscape.
#define IDD_COMPRESS 102
#define IDD_EXTRACT 103
#define IDD_PICKER_SQUARE 114
#define IDD_PICKER_PORTRAIT 104
#define IDD_PICKER_LANDSCAPE 110

#define IDC_ZIP_PROGRESS 1010
#define IDC_ZIP_CANCEL 1011
#define IDC_ZIP_ENTRY 1013
#define IDC_PICKER_PATH 1014
#define IDC_PICKER_TREE 1015
#define IDC_PICKER_OK 1016
#define IDC_PICKER_LABEL 1017

// Properties: square, portrait, landscape.
#define IDD_PROPS_SQUARE 113
#define IDD_PROPS_PORTRAIT 101
#define IDD_PROPS_LANDSCAPE 109

#define IDC_PROPS_TYPE_LABEL 1002
#define IDC_PROPS_NAME 1003
#define IDC_PROPS_TYPE 1004
#define IDC_PROPS_LOCATION_LABEL 1005
#define IDC_PROPS_LOCATION 1006
#define IDC_PROPS_SIZE_LABEL 1007
#define IDC_PROPS_SIZE 1008
#define IDC_PROPS_READONLY 1009
#define IDC_PROPS_CREATED_LABEL 1011
#define IDC_PROPS_CREATED 1012
#define IDC_PROPS_UPDATED_LABEL 1013
#define IDC_PROPS_UPDATED 1014
#define IDC_PROPS_ATTRIBUTES 1015
#define IDC_PROPS_HIDDEN 1016
#define IDC_PROPS_ARCHIVE 1017
#define IDC_PROPS_SYSTEM 1018
#define IDC_PROPS_ROM 1019
// The title line has no identifier of its own; one is given so re-layout can move it.
#define IDC_PROPS_TITLE 1020
