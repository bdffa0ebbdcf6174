// One owner for every kind of handle: a move-only holder that closes what it holds through the
// traits of its kind, on every path. Header-only and needing nothing but the system headers, so
// the device's own libraries under platform/ hold their handles with it too.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

namespace quintar::win32 {

template <class Traits>
class Owner {
 public:
  using Handle = typename Traits::Handle;

  Owner() noexcept = default;
  explicit Owner(Handle handle) noexcept : handle_(handle) {}
  ~Owner() { reset(); }
  Owner(Owner&& other) noexcept : handle_(other.release()) {}
  Owner& operator=(Owner&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return Valid(handle_); }

  // Gives the handle up without closing it.
  Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  // Closes what is held and takes `handle`.
  void reset(Handle handle = Traits::Invalid()) noexcept {
    Handle old = std::exchange(handle_, handle);
    if (Valid(old)) Traits::Close(old);
  }
  // Closes now and says whether closing worked: a file that was written reports a late write
  // failure only here.
  bool Close() noexcept {
    Handle old = release();
    return !Valid(old) || Traits::Close(old);
  }
  // For functions that hand a handle back through a pointer; what was held is closed first.
  Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  static bool Valid(Handle handle) noexcept { return handle != Traits::Invalid(); }

  Handle handle_ = Traits::Invalid();
};

// ---- Traits ----------------------------------------------------------------------------------

// Kernel objects that report failure as null: mutexes, events, threads, processes.
struct KernelTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return CloseHandle(h) != FALSE; }
};

// Files and snapshots, which report failure as INVALID_HANDLE_VALUE.
struct FileTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) noexcept { return CloseHandle(h) != FALSE; }
};

struct FindTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) noexcept { return FindClose(h) != FALSE; }
};

struct ChangeNotificationTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) noexcept { return FindCloseChangeNotification(h) != FALSE; }
};

// A predefined root (HKEY_CLASSES_ROOT ... HKEY_PERFORMANCE_NLSTEXT) is not the holder's to close.
inline bool IsPredefinedKey(HKEY key) noexcept {
  const auto value = reinterpret_cast<LONG_PTR>(key);
  return value >= reinterpret_cast<LONG_PTR>(HKEY_CLASSES_ROOT) &&
         value <= reinterpret_cast<LONG_PTR>(HKEY_PERFORMANCE_NLSTEXT);
}

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return IsPredefinedKey(h) || RegCloseKey(h) == ERROR_SUCCESS; }
};

template <class T>
struct GdiTraits {
  using Handle = T;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return DeleteObject(h) != FALSE; }
};

// A device context made by CreateCompatibleDC or CreateDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return DeleteDC(h) != FALSE; }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return FreeLibrary(h) != FALSE; }
};

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return DestroyMenu(h) != FALSE; }
};

struct ImageListTraits {
  using Handle = HIMAGELIST;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return ImageList_Destroy(h) != FALSE; }
};

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return DestroyIcon(h) != FALSE; }
};

struct GlobalTraits {
  using Handle = HGLOBAL;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return GlobalFree(h) == nullptr; }
};

using KernelHandle = Owner<KernelTraits>;
using FileHandle = Owner<FileTraits>;
using SnapshotHandle = Owner<FileTraits>;  // CreateToolhelp32Snapshot fails as a file does
using FindHandle = Owner<FindTraits>;
using ChangeHandle = Owner<ChangeNotificationTraits>;
using RegKey = Owner<RegKeyTraits>;
using Font = Owner<GdiTraits<HFONT>>;
using Bitmap = Owner<GdiTraits<HBITMAP>>;
using Brush = Owner<GdiTraits<HBRUSH>>;
using Pen = Owner<GdiTraits<HPEN>>;
using Region = Owner<GdiTraits<HRGN>>;
using GdiObject = Owner<GdiTraits<HGDIOBJ>>;
using MemoryDc = Owner<MemoryDcTraits>;
using Module = Owner<ModuleTraits>;
using Menu = Owner<MenuTraits>;
using ImageList = Owner<ImageListTraits>;
using Icon = Owner<IconTraits>;
using GlobalMemory = Owner<GlobalTraits>;

// ---- Device contexts that belong to a window -------------------------------------------------

// GetDC / GetWindowDC, released to the window they came from.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  // Takes over a DC the window gave out otherwise (GetWindowDC, GetDCEx).
  WindowDc(HWND window, HDC dc) noexcept : window_(window), dc_(dc) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const noexcept { return dc_; }
  const PAINTSTRUCT& paint() const noexcept { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An object selected into a DC for a scope; the previous one goes back at its end.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace quintar::win32
