#include "filemanager/optionssheet.h"

#include <commctrl.h>

#include <aygshell.h>

#include <array>
#include <vector>

#include "dialogs/dialogs.h"
#include "filemanager/core/paths.h"
#include "filemanager/resource.h"
#include "filemanager/winutil.h"
#include "fileops/filetypespage.h"
#include "win32/shell.h"
#include "win32/window.h"

namespace quintar::folderon {

namespace qd = quintar::dialogs;

namespace {

enum class PageKind { View, Icons, Font, Controls, Shell, Compression, SystemPath, FileTypes, About };

struct PageSpec {
  PageKind kind;
  int templateId;
  const wchar_t* title;
};

constexpr PageSpec kPages[] = {
    {PageKind::View, IDD_OPT_VIEW, L"View"},
    {PageKind::Icons, IDD_OPT_ICONS, L"Icons"},
    {PageKind::Font, IDD_OPT_FONT, L"Font"},
    {PageKind::Controls, IDD_OPT_CONTROLS, L"Controls"},
    {PageKind::Shell, IDD_OPT_SHELL, L"Shell options"},
    {PageKind::Compression, IDD_OPT_COMPRESSION, L"Compression"},
    {PageKind::SystemPath, IDD_OPT_SYSPATH, L"System Path"},
    {PageKind::FileTypes, IDD_OPT_FILETYPES, L"File Types"},
    {PageKind::About, IDD_OPT_ABOUT, L"About"},
};
constexpr int kPageCount = static_cast<int>(std::size(kPages));

constexpr int kFontSizes[] = {1, 4, 6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26};
constexpr int kMaxEditChars = 259;

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
void Check(HWND page, int id, bool on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

std::wstring EditText(HWND page, int id) {
  wchar_t text[kMaxEditChars + 1] = {};
  GetDlgItemTextW(page, id, text, kMaxEditChars + 1);
  return text;
}

// A typed folder is taken only as a device path; anything else keeps `current`.
void TakeTypedFolder(HWND page, int id, std::wstring& current) {
  if (auto folder = core::DeviceFolderFromText(U16(EditText(page, id)))) current = Wide(*folder);
}

class OptionsPage : public win32::Dialog<OptionsPage> {
 public:
  void Bind(PageKind kind, OptionValues& values, OptionsResult& result) {
    kind_ = kind;
    values_ = &values;
    result_ = &result;
  }

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<OptionsPage>> Messages() {
    static constexpr win32::DialogMessageEntry<OptionsPage> kMessages[] = {
        win32::On<&OptionsPage::OnInitDialog>(WM_INITDIALOG),
        win32::On<&OptionsPage::OnNotify>(WM_NOTIFY),
        win32::On<&OptionsPage::OnPaint>(WM_PAINT),
        win32::On<&OptionsPage::OnCtlColorStatic>(WM_CTLCOLORSTATIC),
    };
    return kMessages;
  }
  static std::span<const win32::CommandEntry<OptionsPage>> Commands() {
    static constexpr win32::CommandEntry<OptionsPage> kCommands[] = {
        win32::Command<&OptionsPage::ToggleFont>(IDC_OPT_FONT_CHANGE),
        win32::Command<&OptionsPage::RebuildIcons>(IDC_OPT_REBUILD_ICONS),
    };
    return kCommands;
  }

  INT_PTR OnInitDialog(WPARAM, LPARAM) {
    const OptionValues& v = *values_;
    const auto& list = v.list.settings;
    HWND page = hwnd();
    switch (kind_) {
      case PageKind::View:
        Check(page, IDC_OPT_HIDE_HIDDEN, list.hideHidden);
        Check(page, IDC_OPT_HIDE_ROM, list.hideRom);
        Check(page, IDC_OPT_HIDE_SYSTEM, list.hideSystem);
        Check(page, IDC_OPT_NO_EXTENSION, list.hideExtensions);
        Check(page, IDC_OPT_REMEMBER_LAST, list.rememberLastFolder);
        Check(page, IDC_OPT_NO_SHORTCUT, list.noShortcutMention);
        break;
      case PageKind::Icons:
        Check(page, IDC_OPT_GENERIC_ICONS, v.list.images.genericIcons);
        Check(page, IDC_OPT_ROM_ICONS, v.list.images.romProgramIcons);
        Check(page, IDC_OPT_ZIP_ICONS, v.list.images.zipProgramIcons);
        break;
      case PageKind::Font:
        FillFonts();
        break;
      case PageKind::Controls:
        Check(page, IDC_OPT_UP_LEVEL, list.showUpLevel);
        Check(page, IDC_OPT_DOUBLE_TAP, list.singleTap == 0);
        Check(page, IDC_OPT_NO_HEADER, list.noColumnHeader);
        Check(page, IDC_OPT_CONTEXT_MENU, v.frame.contextMenu);
        break;
      case PageKind::Shell:
        SendDlgItemMessageW(page, IDC_OPT_SENDAPP_PATH, EM_LIMITTEXT, kMaxEditChars, 0);
        SetDlgItemTextW(page, IDC_OPT_SENDAPP_PATH, v.frame.sendAppPath.c_str());
        Check(page, IDC_OPT_QUOTE_PATH, v.frame.checkQAdd);
        break;
      case PageKind::Compression: {
        SendDlgItemMessageW(page, IDC_OPT_COMPRESS_FOLDER, EM_LIMITTEXT, kMaxEditChars, 0);
        SetDlgItemTextW(page, IDC_OPT_COMPRESS_FOLDER, v.list.compressFolder.c_str());
        Check(page, IDC_OPT_ZIP, v.zipSupported && list.archiveKind == core::kArchiveZip);
        EnableWindow(GetDlgItem(page, IDC_OPT_ZIP), v.zipSupported);
        Check(page, IDC_OPT_EXTRACT_IN_PLACE, list.extractInPlace);
        Check(page, IDC_OPT_AUTO_FOLDER, list.autoCreateFolder);
        Check(page, IDC_OPT_OPEN_EXTRACT, list.openExtractFolder);
        Check(page, IDC_OPT_OPEN_ARCHIVES, list.openArchives);
        const bool any = v.zipSupported || v.lzhSupported;
        for (int id : {IDC_OPT_COMPRESS_FOLDER, IDC_OPT_EXTRACT_IN_PLACE, IDC_OPT_AUTO_FOLDER, IDC_OPT_OPEN_EXTRACT,
                       IDC_OPT_OPEN_ARCHIVES})
          EnableWindow(GetDlgItem(page, id), any);
        break;
      }
      case PageKind::SystemPath:
        for (int id : {IDC_OPT_STARTMENU, IDC_OPT_FAVORITES, IDC_OPT_NETWORK})
          SendDlgItemMessageW(page, id, EM_LIMITTEXT, kMaxEditChars, 0);
        SetDlgItemTextW(page, IDC_OPT_STARTMENU, v.special.startMenu.c_str());
        SetDlgItemTextW(page, IDC_OPT_FAVORITES, v.special.favorites.c_str());
        SetDlgItemTextW(page, IDC_OPT_NETWORK, v.special.network.c_str());
        break;
      case PageKind::FileTypes:
      case PageKind::About:
        break;
    }
    return TRUE;
  }

  void FillFonts() {
    HWND names = GetDlgItem(hwnd(), IDC_OPT_FONT_NAMES);
    HWND sizes = GetDlgItem(hwnd(), IDC_OPT_FONT_SIZES);
    SendMessageW(names, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"System"));
    {
      win32::WindowDc dc(hwnd());
      LOGFONTW wanted{};
      wanted.lfCharSet = DEFAULT_CHARSET;
      EnumFontFamiliesExW(
          dc.get(), &wanted,
          [](const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) -> int {
            // One entry per family, in the order the device gives them.
            if (font->lfFaceName[0] != L'@' &&
                SendMessageW(reinterpret_cast<HWND>(list), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(font->lfFaceName)) == LB_ERR)
              SendMessageW(reinterpret_cast<HWND>(list), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
            return 1;
          },
          reinterpret_cast<LPARAM>(names), 0);
    }
    // The exact face (case matters); else "System".
    int selected = 0;
    const int count = static_cast<int>(SendMessageW(names, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t face[LF_FACESIZE + 1] = {};
      if (SendMessageW(names, LB_GETTEXTLEN, i, 0) > LF_FACESIZE) continue;
      SendMessageW(names, LB_GETTEXT, i, reinterpret_cast<LPARAM>(face));
      if (values_->frame.fontName == face) {
        selected = i;
        break;
      }
    }
    SendMessageW(names, LB_SETCURSEL, selected, 0);
    int sizeRow = 0;
    for (int i = 0; i < static_cast<int>(std::size(kFontSizes)); ++i) {
      SendMessageW(sizes, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(kFontSizes[i]).c_str()));
      if (static_cast<DWORD>(kFontSizes[i]) == values_->frame.fontSize) sizeRow = i;
    }
    SendMessageW(sizes, LB_SETCURSEL, sizeRow, 0);
    Check(hwnd(), IDC_OPT_FONT_CHANGE, values_->frame.fontChange);
    ToggleFont();
  }

  void ToggleFont() {
    const bool on = Checked(hwnd(), IDC_OPT_FONT_CHANGE);
    EnableWindow(GetDlgItem(hwnd(), IDC_OPT_FONT_NAMES), on);
    EnableWindow(GetDlgItem(hwnd(), IDC_OPT_FONT_SIZES), on);
  }

  void RebuildIcons() {
    result_->rebuildIcons = true;
    EnableWindow(GetDlgItem(hwnd(), IDC_OPT_REBUILD_ICONS), FALSE);
  }

  void Apply() {
    OptionValues& v = *values_;
    auto& list = v.list.settings;
    HWND page = hwnd();
    switch (kind_) {
      case PageKind::View:
        list.hideHidden = Checked(page, IDC_OPT_HIDE_HIDDEN);
        list.hideRom = Checked(page, IDC_OPT_HIDE_ROM);
        list.hideSystem = Checked(page, IDC_OPT_HIDE_SYSTEM);
        list.hideExtensions = Checked(page, IDC_OPT_NO_EXTENSION);
        list.rememberLastFolder = Checked(page, IDC_OPT_REMEMBER_LAST);
        list.noShortcutMention = Checked(page, IDC_OPT_NO_SHORTCUT);
        v.list.hideFolder = 0;
        v.list.timeStump = 0;
        break;
      case PageKind::Icons:
        v.list.images.genericIcons = Checked(page, IDC_OPT_GENERIC_ICONS);
        v.list.images.romProgramIcons = Checked(page, IDC_OPT_ROM_ICONS);
        v.list.images.zipProgramIcons = Checked(page, IDC_OPT_ZIP_ICONS);
        break;
      case PageKind::Font: {
        v.frame.fontChange = Checked(page, IDC_OPT_FONT_CHANGE);
        HWND names = GetDlgItem(page, IDC_OPT_FONT_NAMES);
        const int name = static_cast<int>(SendMessageW(names, LB_GETCURSEL, 0, 0));
        if (name >= 0 && SendMessageW(names, LB_GETTEXTLEN, name, 0) < LF_FACESIZE) {
          wchar_t face[LF_FACESIZE] = {};
          SendMessageW(names, LB_GETTEXT, name, reinterpret_cast<LPARAM>(face));
          v.frame.fontName = face;
        }
        const int size = static_cast<int>(SendDlgItemMessageW(page, IDC_OPT_FONT_SIZES, LB_GETCURSEL, 0, 0));
        if (size >= 0 && size < static_cast<int>(std::size(kFontSizes)))
          v.frame.fontSize = static_cast<DWORD>(kFontSizes[size]);
        result_->fontChanged = true;
        break;
      }
      case PageKind::Controls:
        list.showUpLevel = Checked(page, IDC_OPT_UP_LEVEL);
        list.singleTap = Checked(page, IDC_OPT_DOUBLE_TAP) ? 0 : 1;
        list.noColumnHeader = Checked(page, IDC_OPT_NO_HEADER);
        v.frame.contextMenu = Checked(page, IDC_OPT_CONTEXT_MENU);
        break;
      case PageKind::Shell:
        TakeTypedFolder(page, IDC_OPT_SENDAPP_PATH, v.frame.sendAppPath);
        v.frame.checkQAdd = Checked(page, IDC_OPT_QUOTE_PATH);
        break;
      case PageKind::Compression:
        list.archiveKind = core::kArchiveZip;
        list.extractInPlace = Checked(page, IDC_OPT_EXTRACT_IN_PLACE);
        list.autoCreateFolder = Checked(page, IDC_OPT_AUTO_FOLDER);
        list.openExtractFolder = Checked(page, IDC_OPT_OPEN_EXTRACT);
        list.openArchives = Checked(page, IDC_OPT_OPEN_ARCHIVES);
        TakeTypedFolder(page, IDC_OPT_COMPRESS_FOLDER, v.list.compressFolder);
        break;
      case PageKind::SystemPath: {
        TakeTypedFolder(page, IDC_OPT_STARTMENU, v.special.startMenu);
        const std::wstring favorites = v.special.favorites;
        TakeTypedFolder(page, IDC_OPT_FAVORITES, v.special.favorites);
        if (favorites != v.special.favorites) result_->favoritesChanged = true;
        TakeTypedFolder(page, IDC_OPT_NETWORK, v.special.network);
        break;
      }
      case PageKind::FileTypes:
      case PageKind::About:
        break;
    }
  }

  INT_PTR OnNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == PSN_APPLY) {
      Apply();
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, PSNRET_NOERROR);
      return TRUE;
    }
    return FALSE;
  }

  INT_PTR OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    const bool highRes = qd::ScreenScale() > 1;
    if (kind_ == PageKind::View) {
      qd::PaintHeaderLine(hwnd(), dc, qd::kViewPageHeaderLine, highRes);
      for (const auto& line : qd::kViewPageSeparators)
        qd::PaintHeaderLine(hwnd(), dc, line, highRes, RGB(192, 192, 192));
    } else {
      qd::PaintHeaderLine(hwnd(), dc, qd::kPageHeaderLine, highRes);
    }
    EndPaint(hwnd(), &ps);
    return TRUE;
  }

  // The page title: highlight colour on the page's own background.
  INT_PTR OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_OPT_TITLE) return FALSE;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
  }

  PageKind kind_ = PageKind::About;
  OptionValues* values_ = nullptr;
  OptionsResult* result_ = nullptr;
};


LRESULT CALLBACK SheetSubclass(HWND sheet, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (msg == WM_SIZE) {
    LRESULT result = DefSubclassProc(sheet, msg, wParam, lParam);
    qd::LayoutDeviceSheet(sheet);
    return result;
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(sheet, SheetSubclass, 1);
  return DefSubclassProc(sheet, msg, wParam, lParam);
}

int CALLBACK SheetCallback(HWND sheet, UINT msg, LPARAM) {
  if (msg == kSheetGetVersion) return kOptionsSheetVersion;
  if (msg != PSCB_INITIALIZED || !sheet) return 0;
  HWND tab = PropSheet_GetTabControl(sheet);
  if (tab) SetWindowLongW(tab, GWL_STYLE, (GetWindowLongW(tab, GWL_STYLE) | TCS_BOTTOM) & ~TCS_MULTILINE);
  SetWindowSubclass(sheet, SheetSubclass, 1, 0);
  // The full-screen sizing lays the pages out through WM_SIZE.
  win32::InitFullScreenDialog(sheet, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_EMPTYMENU);
  return 0;
}

}  // namespace

OptionsResult RunOptionsSheet(HINSTANCE instance, HWND owner, OptionValues& values) {
  OptionsResult result;
  std::array<OptionsPage, kPageCount> pages;
  fileops::FileTypesPage fileTypes(instance);
  PROPSHEETPAGEW sheetPages[kPageCount] = {};
  for (int i = 0; i < kPageCount; ++i) {
    pages[i].Bind(kPages[i].kind, values, result);
    sheetPages[i].dwSize = sizeof sheetPages[i];
    sheetPages[i].dwFlags = PSP_USETITLE;
    sheetPages[i].hInstance = instance;
    sheetPages[i].pszTemplate = MAKEINTRESOURCEW(kPages[i].templateId);
    sheetPages[i].pfnDlgProc = &OptionsPage::PageProc;
    sheetPages[i].pszTitle = kPages[i].title;
    sheetPages[i].lParam = pages[i].Param();
    if (kPages[i].kind == PageKind::FileTypes) {
      sheetPages[i].pszTemplate = fileops::FileTypesPage::Templates().For(qd::CurrentScreenShape());
      sheetPages[i].pfnDlgProc = &fileops::FileTypesPage::PageProc;
      sheetPages[i].lParam = fileTypes.Param();
    }
  }
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
  header.hwndParent = owner;
  header.hInstance = instance;
  header.pszCaption = L"Options";
  header.nPages = kPageCount;
  header.ppsp = sheetPages;
  header.pfnCallback = &SheetCallback;
  result.sheet = PropertySheetW(&header);
  return result;
}

}  // namespace quintar::folderon
