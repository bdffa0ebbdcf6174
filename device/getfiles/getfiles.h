// Identifiers of the device's file dialog library, shared with its tests.
#pragma once

#define IDD_GETFILES 100
#define IDC_GF_FOLDERS 1001
#define IDC_GF_NAME_LABEL 1002
#define IDC_GF_NAME 1003
#define IDC_GF_TYPE 1004
