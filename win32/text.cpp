#include "win32/text.h"

#include <cstring>

namespace quintar::win32 {

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::wstring WindowText(HWND window) {
  if (!window) return {};
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

std::wstring ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

std::wstring TreeItemText(HWND tree, HTREEITEM item) {
  wchar_t text[MAX_PATH] = L"";
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  TreeView_GetItem(tree, &tv);
  return text;
}

bool PutClipboardText(HWND owner, std::wstring_view text) {
  bool open = false;
  for (int attempt = 0; attempt < 20 && !(open = OpenClipboard(owner) != FALSE); ++attempt) Sleep(10);
  if (!open) return false;
  EmptyClipboard();
  bool done = false;
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (auto* p = static_cast<wchar_t*>(GlobalLock(memory))) {
      std::memcpy(p, text.data(), text.size() * sizeof(wchar_t));
      p[text.size()] = L'\0';
      GlobalUnlock(memory);
      // The clipboard owns the memory once it took it.
      done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!done) GlobalFree(memory);
  }
  CloseClipboard();
  return done;
}

}  // namespace quintar::win32
