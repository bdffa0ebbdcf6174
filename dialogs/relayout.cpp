
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <new>
#include <string>
#include <vector>

#include "dialogs/dialogs.h"

namespace quintar::dialogs {
namespace {

constexpr UINT_PTR kRelayoutSubclass = 0x51524C59;       // "QRLY"
constexpr wchar_t kRelayoutProp[] = L"QuintarRelayout";  // the subclass's data, for detaching

// A template name that outlives the caller's string.
class OwnedName {
 public:
  explicit OwnedName(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) {
      id_ = name;
    } else if (name != nullptr) {
      text_ = name;
    }
  }
  LPCWSTR Get() const noexcept { return text_.empty() ? id_ : text_.c_str(); }

 private:
  LPCWSTR id_ = nullptr;
  std::wstring text_;
};

struct RelayoutData {
  HINSTANCE module;
  OwnedName square, portrait, landscape;

  TemplateSet Templates() const noexcept { return {square.Get(), portrait.Get(), landscape.Get()}; }
};

LRESULT CALLBACK RelayoutProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
  auto* data = reinterpret_cast<RelayoutData*>(ref);
  switch (msg) {
    case WM_SIZE:
      // Controls first, so the dialog's own WM_SIZE sees them in their new places.
      RelayoutForCurrentShape(hwnd, data->module, data->Templates());
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, RelayoutProc, id);
      RemovePropW(hwnd, kRelayoutProp);
      delete data;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

ScreenShape CurrentScreenShape() noexcept {
  return ShapeOf(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

std::span<const std::byte> FindDialogTemplate(HINSTANCE module, LPCWSTR name) noexcept {
  if (name == nullptr) return {};
  HRSRC info = FindResourceW(module, name, MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  if (info == nullptr) return {};
  const DWORD size = SizeofResource(module, info);
  HGLOBAL handle = LoadResource(module, info);
  const void* bytes = handle != nullptr ? LockResource(handle) : nullptr;
  if (bytes == nullptr || size == 0) return {};
  return {static_cast<const std::byte*>(bytes), size};
}

INT_PTR DialogBoxForShape(HINSTANCE module, const TemplateSet& templates, HWND owner, DLGPROC proc,
                          LPARAM param) noexcept {
  const auto bytes = FindDialogTemplate(module, templates.For(CurrentScreenShape()));
  if (bytes.empty()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  return DialogBoxIndirectParamW(module, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), owner, proc, param);
}

HWND CreateDialogForShape(HINSTANCE module, const TemplateSet& templates, HWND owner, DLGPROC proc,
                          LPARAM param) noexcept {
  const auto bytes = FindDialogTemplate(module, templates.For(CurrentScreenShape()));
  if (bytes.empty()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return CreateDialogIndirectParamW(module, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), owner, proc, param);
}

int ApplyLayout(HWND dialog, const TemplateLayout& layout) noexcept {
  try {
    std::vector<HWND> children;
    std::vector<std::uint32_t> ids;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      children.push_back(child);
      ids.push_back(static_cast<std::uint32_t>(GetWindowLongPtrW(child, GWLP_ID)));
    }
    // A classic template stores 16-bit identifiers; -1 there is 0xFFFF.
    const std::vector<int> pairs = PairControls(layout.controls, ids, !layout.extended);
    int moves = 0;
    for (int p : pairs) moves += p >= 0;
    if (moves == 0) return 0;

    HDWP batch = BeginDeferWindowPos(moves);
    if (batch == nullptr) return -1;
    for (std::size_t i = 0; i < pairs.size() && batch != nullptr; ++i) {
      if (pairs[i] < 0) continue;
      const TemplateControl& c = layout.controls[i];
      // Position and size are mapped apart, as the dialog manager maps them when it creates
      // the control, so a re-laid control sits exactly where a fresh dialog would put it.
      RECT r{c.x, c.y, c.cx, c.cy};
      if (!MapDialogRect(dialog, &r)) {
        EndDeferWindowPos(batch);
        return -1;
      }
      // A control the template leaves unsized (an icon, sized from its picture) keeps its size.
      const UINT keepSize = (c.cx == 0 && c.cy == 0) ? SWP_NOSIZE : 0;
      batch = DeferWindowPos(batch, children[static_cast<std::size_t>(pairs[i])], nullptr, r.left, r.top, r.right,
                             r.bottom, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | keepSize);
    }
    if (batch == nullptr || !EndDeferWindowPos(batch)) return -1;
    return moves;
  } catch (...) {
    return -1;
  }
}

bool RelayoutForShape(HWND dialog, HINSTANCE module, const TemplateSet& templates, ScreenShape shape) noexcept {
  try {
    if (!IsWindow(dialog)) return false;
    const auto bytes = FindDialogTemplate(module, templates.For(shape));
    if (bytes.empty()) return false;
    const auto layout = ParseDialogTemplate(bytes);
    if (!layout) return false;
    return ApplyLayout(dialog, *layout) >= 0;
  } catch (...) {
    return false;
  }
}

bool RelayoutForCurrentShape(HWND dialog, HINSTANCE module, const TemplateSet& templates) noexcept {
  return RelayoutForShape(dialog, module, templates, CurrentScreenShape());
}

bool AttachRelayout(HWND dialog, HINSTANCE module, const TemplateSet& templates) noexcept {
  if (!IsWindow(dialog)) return false;
  DetachRelayout(dialog);
  RelayoutData* data = nullptr;
  try {
    data = new RelayoutData{module, OwnedName(templates.square), OwnedName(templates.portrait),
                            OwnedName(templates.landscape)};
  } catch (...) {
    return false;
  }
  if (!SetPropW(dialog, kRelayoutProp, data)) {
    delete data;
    return false;
  }
  if (!SetWindowSubclass(dialog, RelayoutProc, kRelayoutSubclass, reinterpret_cast<DWORD_PTR>(data))) {
    RemovePropW(dialog, kRelayoutProp);
    delete data;
    return false;
  }
  return true;
}

void DetachRelayout(HWND dialog) noexcept {
  auto* data = static_cast<RelayoutData*>(GetPropW(dialog, kRelayoutProp));
  if (data != nullptr && RemoveWindowSubclass(dialog, RelayoutProc, kRelayoutSubclass)) {
    RemovePropW(dialog, kRelayoutProp);
    delete data;
  }
}

void LayoutDeviceSheet(HWND sheet) noexcept {
  for (int id : {IDOK, IDCANCEL, IDHELP, 0x3021 /* Apply */})
    if (HWND button = GetDlgItem(sheet, id)) ShowWindow(button, SW_HIDE);
  HWND tab = PropSheet_GetTabControl(sheet);
  if (!tab) return;
  LONG style = GetWindowLongW(tab, GWL_STYLE);
  LONG wanted = (style | TCS_BOTTOM) & ~TCS_MULTILINE;
  if (wanted != style) SetWindowLongW(tab, GWL_STYLE, wanted);
  RECT area;
  GetClientRect(sheet, &area);
  SetWindowPos(tab, HWND_BOTTOM, 0, 0, area.right, area.bottom, SWP_NOACTIVATE);
  TabCtrl_AdjustRect(tab, FALSE, &area);
  for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
    if (HWND page = PropSheet_IndexToHwnd(sheet, i))
      SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace quintar::dialogs
