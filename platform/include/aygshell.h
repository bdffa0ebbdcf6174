// The Pocket PC shell library (aygshell.dll) of the emulated device: full-screen dialogs with the
// Done button, the soft-key menu bar, the soft input panel (SIP), tap-and-hold recognition,
// activation and settings-change helpers and the device's special folders.
//
// Names, layouts and values are those of the Windows CE / Pocket PC shell. Two CE functions
// clash with desktop declarations of other signatures; they are exported under their CE names
// ("SHGetSpecialFolderPath", "ExitWindowsEx") and declared here as CeGetSpecialFolderPath and
// CeExitWindowsEx.
#ifndef QUINTAR_PLATFORM_AYGSHELL_H
#define QUINTAR_PLATFORM_AYGSHELL_H

#include <windows.h>
#include <commctrl.h>

#ifdef QUINTAR_AYGSHELL_BUILD
#define AYGSHELLAPI
#else
#define AYGSHELLAPI DECLSPEC_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// ---- Full-screen dialogs (SHInitDialog, ordinal 56) ----

typedef struct tagSHINITDLGINFO {
  DWORD dwMask;
  HWND hDlg;
  DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010
#define SHIDIF_EMPTYMENU 0x0020
#define SHIDIF_WANTSCROLLBAR 0x0040
#define SHIDIF_CANCELBUTTON 0x0080

AYGSHELLAPI BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi);

// The Done button on a dialog's caption (SHIDIF_DONEBUTTON): shown, hidden (greyed).
#define SHDB_SHOW 0x0001
#define SHDB_HIDE 0x0002
#define SHDB_SHOWCANCEL 0x0004

AYGSHELLAPI BOOL WINAPI SHDoneButton(HWND hwndRequester, DWORD dwState);

// ---- Menu bar with soft keys ----

typedef struct tagSHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;
  COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010

// In a "SHMENUBAR" (RCDATA) resource, a button without a popup.
#define NOMENU 0xFFFF
#ifndef SHMENUBAR
#define SHMENUBAR RCDATA
#endif

// Shell strings a SHMENUBAR resource may name for its buttons (string ids below 100).
#define IDS_SHNEW 1
#define IDS_SHEDIT 2
#define IDS_SHTOOLS 3
#define IDS_SHVIEW 4
#define IDS_SHFILE 5
#define IDS_SHGO 6
#define IDS_SHFAVORITES 7
#define IDS_SHOPEN 8
#define IDS_SHMENU 9

#define SHCMBM_SETSUBMENU (WM_USER + 400)  // wParam: button id, lParam: HMENU; returns the old one
#define SHCMBM_GETSUBMENU (WM_USER + 401)  // lParam: button id; returns its popup
#define SHCMBM_GETMENU (WM_USER + 402)     // returns the menu loaded from the resource
#define SHCMBM_OVERRIDEKEY (WM_USER + 403)
#define SHCMBM_SETBKCOLOR (WM_USER + 406)  // lParam: COLORREF

#define SHMBOF_NODEFAULT 0x00000001
#define SHMBOF_NOTIFY 0x00000002

#define SHGetSubMenu(hWndMB, ID_MENU) \
  (HMENU) SendMessage((hWndMB), SHCMBM_GETSUBMENU, (WPARAM)0, (LPARAM)(ID_MENU))
#define SHGetMenu(hWndMB) (HMENU) SendMessage((hWndMB), SHCMBM_GETMENU, (WPARAM)0, (LPARAM)0)
#define SHSetSubMenu(hWndMB, ID_MENU) \
  (HMENU) SendMessage((hWndMB), SHCMBM_SETSUBMENU, (WPARAM)0, (LPARAM)(ID_MENU))

AYGSHELLAPI BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi);
AYGSHELLAPI HWND WINAPI SHFindMenuBar(HWND hwnd);
AYGSHELLAPI HRESULT WINAPI SHEnableSoftkey(HWND hwndMenuBar, UINT uid, BOOL bByIndex, BOOL bEnable);

// ---- Soft input panel ----

#define SIPF_OFF 0x00000000
#define SIPF_ON 0x00000001
#define SIPF_DOCKED 0x00000002
#define SIPF_LOCKED 0x00000004
#define SIPF_DISABLECOMPLETION 0x00000008

typedef struct {
  DWORD cbSize;
  DWORD fdwFlags;
  RECT rcVisibleDesktop;
  RECT rcSipRect;
  DWORD dwImDataSize;
  void* pvImData;
} SIPINFO;

typedef enum tagSIPSTATE {
  SIP_UP = 0,
  SIP_DOWN,
  SIP_FORCEDOWN,
  SIP_UNCHANGED,
  SIP_INPUTDIALOG
} SIPSTATE;

#define SPI_SETCOMPLETIONINFO 223
#define SPI_SETSIPINFO 224
#define SPI_GETSIPINFO 225
#define SPI_SETCURRENTIM 226
#define SPI_GETCURRENTIM 227

AYGSHELLAPI BOOL WINAPI SipGetInfo(SIPINFO* pSipInfo);
AYGSHELLAPI BOOL WINAPI SipShowIM(DWORD dwFlag);
AYGSHELLAPI BOOL WINAPI SHSipPreference(HWND hwnd, SIPSTATE st);
AYGSHELLAPI BOOL WINAPI SHSipInfo(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);

// ---- Activation and settings change ----

typedef struct {
  DWORD cbSize;
  HWND hwndLastFocus;
  UINT fSipUp : 1;
  UINT fSipOnDeactivation : 1;
  UINT fActive : 1;
  UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

#define SHA_INPUTDIALOG 0x00000001

AYGSHELLAPI BOOL WINAPI SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam,
                                           SHACTIVATEINFO* psai, DWORD dwFlags);
AYGSHELLAPI BOOL WINAPI SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam,
                                                SHACTIVATEINFO* psai);

#define SHFS_SHOWTASKBAR 0x0001
#define SHFS_HIDETASKBAR 0x0002
#define SHFS_SHOWSIPBUTTON 0x0004
#define SHFS_HIDESIPBUTTON 0x0008
#define SHFS_SHOWSTARTICON 0x0010
#define SHFS_HIDESTARTICON 0x0020

AYGSHELLAPI BOOL WINAPI SHFullScreen(HWND hwndRequester, DWORD dwState);

// ---- Tap and hold ----

typedef struct tagSHRGI {
  DWORD cbSize;
  HWND hwndClient;
  POINT ptDown;
  DWORD dwFlags;
} SHRGINFO, *PSHRGINFO;

#define GN_CONTEXTMENU 1000

#define SHRG_RETURNCMD 0x00000001
#define SHRG_NOTIFYPARENT 0x00000002
#define SHRG_LONGDELAY 0x00000008
#define SHRG_NOANIMATION 0x00000010

// Sent with WM_NOTIFY (code GN_CONTEXTMENU) unless SHRG_RETURNCMD; ptAction in screen coordinates.
typedef struct tagNMRGINFO {
  NMHDR hdr;
  POINT ptAction;
  DWORD dwItemSpec;
} NMRGINFO, *PNMRGINFO;

AYGSHELLAPI DWORD WINAPI SHRecognizeGesture(SHRGINFO* shrg);

// ---- Special folders (exported as "SHGetSpecialFolderPath") ----
// Device paths without a drive letter, e.g. CSIDL_PERSONAL gives "\My Documents".

#ifndef CSIDL_DESKTOP
#define CSIDL_DESKTOP 0x0000
#endif
#ifndef CSIDL_PROGRAMS
#define CSIDL_PROGRAMS 0x0002
#endif
#ifndef CSIDL_PERSONAL
#define CSIDL_PERSONAL 0x0005
#endif
#ifndef CSIDL_FAVORITES
#define CSIDL_FAVORITES 0x0006
#endif
#ifndef CSIDL_STARTUP
#define CSIDL_STARTUP 0x0007
#endif
#ifndef CSIDL_RECENT
#define CSIDL_RECENT 0x0008
#endif
#ifndef CSIDL_STARTMENU
#define CSIDL_STARTMENU 0x000b
#endif
#ifndef CSIDL_MYMUSIC
#define CSIDL_MYMUSIC 0x000d
#endif
#ifndef CSIDL_MYVIDEO
#define CSIDL_MYVIDEO 0x000e
#endif
#ifndef CSIDL_DESKTOPDIRECTORY
#define CSIDL_DESKTOPDIRECTORY 0x0010
#endif
#ifndef CSIDL_FONTS
#define CSIDL_FONTS 0x0014
#endif
#ifndef CSIDL_APPDATA
#define CSIDL_APPDATA 0x001a
#endif
#ifndef CSIDL_WINDOWS
#define CSIDL_WINDOWS 0x0024
#endif
#ifndef CSIDL_PROGRAM_FILES
#define CSIDL_PROGRAM_FILES 0x0026
#endif
#ifndef CSIDL_MYPICTURES
#define CSIDL_MYPICTURES 0x0027
#endif

AYGSHELLAPI BOOL WINAPI CeGetSpecialFolderPath(HWND hwndOwner, LPWSTR lpszPath, int nFolder,
                                               BOOL fCreate);

// ---- Reset and power off (exported as "ExitWindowsEx") ----
// EWX_REBOOT (2) and EWX_POWEROFF (8) are recorded in the device's event log as
// "exit-windows 0x<flags>"; the emulator keeps running.

AYGSHELLAPI BOOL WINAPI CeExitWindowsEx(UINT uFlags, DWORD dwReserved);

#ifdef __cplusplus
}
#endif

#endif  // QUINTAR_PLATFORM_AYGSHELL_H
