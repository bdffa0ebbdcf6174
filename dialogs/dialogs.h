// The suite's shared dialog behaviour: the template of the current screen shape, re-layout on
// WM_SIZE, the SIP switch and the line under a page's title.
#pragma once

#include <windows.h>

#include "dialogs/dialog_template.h"
#include "dialogs/header_geometry.h"
#include "dialogs/shape.h"

namespace quintar::dialogs {

// A dialog's three templates, by number (MAKEINTRESOURCEW) or by name.
using TemplateSet = PerShape<LPCWSTR>;

inline TemplateSet TemplatesById(int square, int portrait, int landscape) noexcept {
  return {MAKEINTRESOURCEW(square), MAKEINTRESOURCEW(portrait), MAKEINTRESOURCEW(landscape)};
}

// From SM_CXSCREEN / SM_CYSCREEN, read anew on every call.
ScreenShape CurrentScreenShape() noexcept;

// The RT_DIALOG resource bytes of `name` in `module`; empty when there is none.
std::span<const std::byte> FindDialogTemplate(HINSTANCE module, LPCWSTR name) noexcept;

// Modal and modeless dialogs from the template of the current shape. -1 / nullptr (with the
// last error set) when that template is missing.
INT_PTR DialogBoxForShape(HINSTANCE module, const TemplateSet& templates, HWND owner, DLGPROC proc,
                          LPARAM param = 0) noexcept;
HWND CreateDialogForShape(HINSTANCE module, const TemplateSet& templates, HWND owner, DLGPROC proc,
                          LPARAM param = 0) noexcept;

// Moves the dialog's controls to the rectangles of `layout` in one deferred batch, z-order
// untouched. Template controls the dialog lacks are skipped; the dialog's other controls stay.
// Returns the number of controls moved, or -1 when the moves could not be applied.
int ApplyLayout(HWND dialog, const TemplateLayout& layout) noexcept;

// Re-lays `dialog` from the template of the given shape. False (nothing moved) when the
// template is missing or malformed.
bool RelayoutForShape(HWND dialog, HINSTANCE module, const TemplateSet& templates,
                      ScreenShape shape) noexcept;
bool RelayoutForCurrentShape(HWND dialog, HINSTANCE module, const TemplateSet& templates) noexcept;

// Re-lays the dialog from the current shape's template on every WM_SIZE until it is destroyed.
// Call from WM_INITDIALOG; a second call replaces the templates.
bool AttachRelayout(HWND dialog, HINSTANCE module, const TemplateSet& templates) noexcept;
void DetachRelayout(HWND dialog) noexcept;

// Lays a property sheet out the device's way: its buttons hidden, one row of tabs along the
// bottom over the whole client area, every page filling the area above the tabs. Call after the
// sheet is created and on every WM_SIZE.
void LayoutDeviceSheet(HWND sheet) noexcept;

// The soft input panel: the window of class "SipWndClass". Showing or hiding it with no such
// window present is no error; the result says whether a panel was there to switch.
HWND FindSipWindow() noexcept;
bool IsSipShown() noexcept;
bool ShowSip(bool show) noexcept;

// For a dialog that takes typed text: shows the panel now and hides it when the dialog is
// destroyed, or puts back the state it found when `restore` is set.
enum class SipOnClose { Hide, Restore };
bool AttachSipSwitch(HWND dialog, SipOnClose onClose = SipOnClose::Hide) noexcept;

// 2 when the screen reports more than 96 logical pixels per inch (LOGPIXELSX), 1 otherwise.
int ScreenScale() noexcept;

// A one-pixel horizontal line from x0 to x1 (x1 excluded, as Polyline draws it) at y.
void PaintHorizontalLine(HDC dc, int x0, int x1, int y, COLORREF color = RGB(0, 0, 0)) noexcept;

// The line across a page under its title, at the position of `line` for the resolution mode.
void PaintHeaderLine(HWND page, HDC dc, HeaderLine line, bool highRes,
                     COLORREF color = RGB(0, 0, 0)) noexcept;

// The separator under the title of a shell-extension dialog, for the current shape and scale.
void PaintTitleSeparator(HDC dc) noexcept;

// Small icons for folder trees (the caller destroys them); null when the shell has none.
HICON SmallShellIcon(int shell32Index) noexcept;  // by position in shell32.dll: 15 the device, 7 a card
HICON SmallFolderIcon(bool open) noexcept;

}  // namespace quintar::dialogs
