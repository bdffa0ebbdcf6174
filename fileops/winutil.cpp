#include "fileops/winutil.h"

#include <algorithm>

#include "fileops/fileops.h"

namespace quintar::fileops {
namespace {
HINSTANCE gModule = nullptr;  // set once by the program at start, like an instance handle
}

void SetResourceModule(HINSTANCE module) noexcept { gModule = module; }

HINSTANCE ResourceModule() noexcept {
  if (gModule) return gModule;
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ResourceModule), &self);
  return self;
}

std::wstring FoldCase(std::wstring_view text) {
  std::wstring out(text);
  if (!out.empty()) CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

void CentreOver(HWND window, HWND over, int minTop) noexcept {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT base = area;
  if (over && IsWindow(over)) GetWindowRect(over, &base);
  RECT rc;
  GetWindowRect(window, &rc);
  int w = rc.right - rc.left, h = rc.bottom - rc.top;
  int x = base.left + ((base.right - base.left) - w) / 2;
  int y = base.top + ((base.bottom - base.top) - h) / 2;
  x = std::max<int>(area.left, std::min<int>(x, area.right - w));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - h));
  y = std::max(y, minTop);
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// The control `id` of `dlg` with its rectangle in client coordinates, and the client rectangle.
HWND Placed(HWND dlg, int id, RECT& client, RECT& rc) noexcept {
  HWND control = GetDlgItem(dlg, id);
  if (!control) return nullptr;
  GetClientRect(dlg, &client);
  GetWindowRect(control, &rc);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
  return control;
}

}  // namespace

void Stretch(HWND dlg, int id, int margin, bool toBottom) noexcept {
  RECT client, rc;
  HWND control = Placed(dlg, id, client, rc);
  if (!control) return;
  int bottom = toBottom ? client.bottom : rc.bottom;
  SetWindowPos(control, nullptr, 0, 0, std::max(0, static_cast<int>(client.right - margin - rc.left)),
               std::max(0, static_cast<int>(bottom - rc.top)), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeepTopRight(HWND dlg, int id, int margin) noexcept {
  RECT client, rc;
  HWND control = Placed(dlg, id, client, rc);
  if (!control) return;
  SetWindowPos(control, nullptr, client.right - margin - (rc.right - rc.left), rc.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MakeFileItem(FileItem& item, int listIndex, int kind, std::wstring_view folder, std::wstring_view name) noexcept {
  if (folder.size() > core::kMaxPath || name.size() > core::kMaxPath) return false;
  item = FileItem{};
  item.listIndex = listIndex;
  item.kind = kind;
  std::copy(folder.begin(), folder.end(), item.folder);
  std::copy(name.begin(), name.end(), item.name);
  return true;
}

}  // namespace quintar::fileops
