// The Today screen's custom-item interface. Field order, types and message numbers match the
// device's own, since a real Today screen hands an item its own TODAYLISTITEM.
#pragma once

#include <windows.h>

#define MAX_ITEMNAME 32

typedef enum _TODAYLISTITEMTYPE {
  tlitOwnerInfo = 0,
  tlitAppointments,
  tlitMail,
  tlitTasks,
  tlitCustom,
  tlitNil
} TODAYLISTITEMTYPE;

typedef struct _TODAYLISTITEM {
  TCHAR szName[MAX_ITEMNAME];
  TODAYLISTITEMTYPE tlit;
  DWORD dwOrder;
  DWORD cyp;
  BOOL fEnabled;
  BOOL fOptions;
  DWORD grfFlags;
  TCHAR szDLLPath[MAX_PATH];
  HINSTANCE hinstDLL;
  HWND hwndCustom;
  BOOL fSizeOnDraw;
  BYTE* prgbCachedData;
  DWORD cbCachedData;
} TODAYLISTITEM, *PTODAYLISTITEM;

typedef struct {
  HDC hdc;
  RECT rc;
  HWND hwnd;
} TODAYDRAWWATERMARKINFO;

// Sent by the Today screen to an item's window.
#define WM_TODAYCUSTOM_CLEARCACHE (WM_USER + 242)
#define WM_TODAYCUSTOM_QUERYREFRESHCACHE (WM_USER + 243)
#define WM_TODAYCUSTOM_RECEIVEDSELECTION (WM_USER + 244)
#define WM_TODAYCUSTOM_LOSTSELECTION (WM_USER + 245)
#define WM_TODAYCUSTOM_USERNAVIGATION (WM_USER + 246)
#define WM_TODAYCUSTOM_ACTION (WM_USER + 247)

// Sent by an item to the Today screen (its parent window).
#define TODAYM_GETCOLOR (WM_USER + 100)
#define TODAYM_DRAWWATERMARK (WM_USER + 101)
#define TODAYM_TOOKSELECTION (WM_USER + 102)

#define TODAYCOLOR_TEXT 0x10000004
#define TODAYCOLOR_HIGHLIGHT 0x10000022
#define TODAYCOLOR_HIGHLIGHTEDTEXT 0x10000023

#define ORDINAL_INITIALIZEITEM 240
#define ORDINAL_OPTIONSDIALOGPROC 241

typedef HWND(APIENTRY* PFNCUSTOMINITIALIZEITEM)(TODAYLISTITEM*, HWND);
typedef BOOL(APIENTRY* PFNCUSTOMOPTIONSDLGPROC)(HWND, UINT, UINT, LONG);
