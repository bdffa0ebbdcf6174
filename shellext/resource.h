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
