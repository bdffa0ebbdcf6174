// Text across the line between the Win32 side (wchar_t) and the portable cores (char16_t): both
// are UTF-16 code units here, so conversion is a reinterpretation, never a transcoding.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <string_view>

namespace quintar::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::u16string_view U16View(std::wstring_view text) noexcept {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
inline std::wstring_view WideView(std::u16string_view text) noexcept {
  return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}
inline std::u16string U16(std::wstring_view text) { return std::u16string(U16View(text)); }
inline std::wstring Wide(std::u16string_view text) { return std::wstring(WideView(text)); }
inline const char16_t* U16Ptr(const wchar_t* text) noexcept { return reinterpret_cast<const char16_t*>(text); }
inline const wchar_t* WidePtr(const char16_t* text) noexcept { return reinterpret_cast<const wchar_t*>(text); }

// UTF-8 for logs and files the host reads; unpaired surrogates become U+FFFD.
std::string Utf8(std::wstring_view text);

// A window's whole text (a dialog control's with `id`); empty when there is none.
std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int id);
// A tree view item's label.
std::wstring TreeItemText(HWND tree, HTREEITEM item);

// Puts `text` on the clipboard for `owner`. Another program may hold the clipboard open for a
// moment, so opening it is tried for up to 200 ms. False when it could not be done.
bool PutClipboardText(HWND owner, std::wstring_view text);

}  // namespace quintar::win32
