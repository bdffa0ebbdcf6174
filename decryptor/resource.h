// The decryptor's resource identifiers.
#pragma once

#define IDD_DECRYPT 102
#define IDC_DECRYPT 1000
#define IDC_PASSWORD 1001
#define IDC_PROMPT 1002
#define IDC_DELETE 1003
#define IDC_CANCEL 1004
#define IDC_PATH 1005
