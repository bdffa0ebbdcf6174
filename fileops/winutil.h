// Small Win32 helpers shared by the file operations: text conversion, owners, boxes, placement.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace quintar::fileops::detail {

inline std::wstring W(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}
inline std::u16string_view U(std::wstring_view text) {
  return std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// Folds with the system's case table, as the file system compares names.
std::wstring FoldCase(std::wstring_view text);

HINSTANCE ResourceModule() noexcept;

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) noexcept : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  HANDLE get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != nullptr; }
  HANDLE release() noexcept {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  void reset(HANDLE h = nullptr) noexcept {
    if (h_) CloseHandle(h_);
    h_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
  }

 private:
  HANDLE h_ = nullptr;
};

class UniqueFind {
 public:
  explicit UniqueFind(HANDLE h) noexcept : h_(h) {}
  ~UniqueFind() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
  }
  UniqueFind(const UniqueFind&) = delete;
  UniqueFind& operator=(const UniqueFind&) = delete;
  HANDLE get() const noexcept { return h_; }
  bool valid() const noexcept { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

inline bool IsDots(const wchar_t* name) noexcept {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// A box with the platform's default caption (none given).
int Box(HWND owner, std::wstring_view text, UINT style) noexcept;

// Centres `window` over `over` (the screen when null), kept on screen and at least `minTop`
// pixels from its top.
void CentreOver(HWND window, HWND over, int minTop = 0) noexcept;

}  // namespace quintar::fileops::detail
