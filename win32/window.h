// The one shape of every window and dialog: a class derived from Window<T> or Dialog<T> that the
// window keeps as its `this`, with its messages and commands dispatched through tables.
//
//   class Frame : public win32::Window<Frame> {
//     friend Window;
//     static std::span<const win32::MessageEntry<Frame>> Messages();
//     static std::span<const win32::CommandEntry<Frame>> Commands();
//     LRESULT OnSize(WPARAM, LPARAM);
//     void Copy();
//     bool HasSelection() const;
//   };
//   constexpr win32::CommandEntry<Frame> kCommands[] = {
//       win32::Command<&Frame::Copy, &Frame::HasSelection>(IDM_COPY)};
//
// A command whose enabled predicate says no is greyed in every menu that opens and ignored if it
// arrives anyway; that rule lives here and nowhere else. No exception leaves a procedure.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <span>
#include <type_traits>

namespace quintar::win32 {

// One command identifier, or a range of them, with its handler and when it may run.
template <class T>
struct CommandEntry {
  int first;
  int last;
  void (*run)(T& self, int id, int code);
  bool (*enabled)(const T& self, int id);  // nullptr: always

  constexpr bool Covers(int id) const noexcept { return id >= first && id <= last; }
};

// One message with its handler. Dialogs' handlers return what a dialog procedure returns.
template <class T, class Result = LRESULT>
struct MessageEntry {
  UINT message;
  Result (*handle)(T& self, WPARAM wParam, LPARAM lParam);
};
template <class T>
using DialogMessageEntry = MessageEntry<T, INT_PTR>;

namespace detail {

template <class Member>
struct ClassOf;
template <class C, class R, class... A>
struct ClassOf<R (C::*)(A...)> {
  using Type = C;
};
template <class C, class R, class... A>
struct ClassOf<R (C::*)(A...) const> {
  using Type = C;
};
template <class C, class R, class... A>
struct ClassOf<R (C::*)(A...) noexcept> {
  using Type = C;
};
template <class C, class R, class... A>
struct ClassOf<R (C::*)(A...) const noexcept> {
  using Type = C;
};
template <auto Member>
using ClassOfT = typename ClassOf<decltype(Member)>::Type;

}  // namespace detail

// A table entry for commands first..last run by `Run`, allowed while `Enabled` says so. Run may
// take (), (int id) or (int id, int notifyCode); Enabled () or (int id).
template <auto Run, auto Enabled = nullptr>
constexpr CommandEntry<detail::ClassOfT<Run>> Command(int first, int last = -1) noexcept {
  using T = detail::ClassOfT<Run>;
  CommandEntry<T> entry{first, last < 0 ? first : last, nullptr, nullptr};
  entry.run = [](T& self, [[maybe_unused]] int id, [[maybe_unused]] int code) {
    if constexpr (std::is_invocable_v<decltype(Run), T&, int, int>) {
      (self.*Run)(id, code);
    } else if constexpr (std::is_invocable_v<decltype(Run), T&, int>) {
      (self.*Run)(id);
    } else {
      (self.*Run)();
    }
  };
  if constexpr (!std::is_null_pointer_v<decltype(Enabled)>) {
    entry.enabled = [](const T& self, [[maybe_unused]] int id) -> bool {
      if constexpr (std::is_invocable_v<decltype(Enabled), const T&, int>) {
        return (self.*Enabled)(id);
      } else {
        return (self.*Enabled)();
      }
    };
  }
  return entry;
}

// A table entry for `message` handled by `Handle(wParam, lParam)`.
template <auto Handle>
constexpr auto On(UINT message) noexcept {
  using T = detail::ClassOfT<Handle>;
  using Result = std::invoke_result_t<decltype(Handle), T&, WPARAM, LPARAM>;
  return MessageEntry<T, Result>{message, [](T& self, WPARAM wParam, LPARAM lParam) -> Result {
                                   return (self.*Handle)(wParam, lParam);
                                 }};
}

// The entry that covers `id`, or nullptr.
template <class T>
const CommandEntry<T>* FindCommand(std::span<const CommandEntry<T>> table, int id) noexcept {
  for (const auto& entry : table)
    if (entry.Covers(id)) return &entry;
  return nullptr;
}

// False only for a command in the table whose predicate says no.
template <class T>
bool IsCommandEnabled(const T& self, std::span<const CommandEntry<T>> table, int id) {
  const CommandEntry<T>* entry = FindCommand(table, id);
  return !entry || !entry->enabled || entry->enabled(self, id);
}

// Runs the command if the table has it and it is enabled; true when the table had it (an
// ignored command is handled too).
template <class T>
bool RunCommand(T& self, std::span<const CommandEntry<T>> table, int id, int code) {
  const CommandEntry<T>* entry = FindCommand(table, id);
  if (!entry) return false;
  if (!entry->enabled || entry->enabled(self, id)) entry->run(self, id, code);
  return true;
}

// Greys or enables each item of `menu` (one level) that the table governs by a predicate.
template <class T>
void ApplyEnabled(const T& self, std::span<const CommandEntry<T>> table, HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    const UINT id = GetMenuItemID(menu, i);
    if (id == static_cast<UINT>(-1)) continue;  // a submenu or separator
    const CommandEntry<T>* entry = FindCommand(table, static_cast<int>(id));
    if (!entry || !entry->enabled) continue;
    const bool on = entry->enabled(self, static_cast<int>(id));
    EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
  }
}

// ---- Windows -------------------------------------------------------------------------------

// Derived may declare Messages(), Commands(), Default(msg, wParam, lParam) and
// OnFinalMessage() (called after WM_NCDESTROY, when the window is gone).
template <class Derived>
class Window {
 public:
  HWND hwnd() const noexcept { return hwnd_; }

  // Registers a window class whose procedure is this shape's; an existing class is fine.
  static bool RegisterClass(WNDCLASSW wc) noexcept {
    wc.lpfnWndProc = &Window::Proc;
    return ::RegisterClassW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }

 protected:
  Window() = default;
  ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Create(DWORD exStyle, const wchar_t* windowClass, const wchar_t* title, DWORD style, RECT rect,
              HWND parent, HINSTANCE instance, HMENU menu = nullptr) noexcept {
    return CreateWindowExW(exStyle, windowClass, title, style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, menu, instance, static_cast<Derived*>(this));
  }

  static std::span<const MessageEntry<Derived>> Messages() noexcept { return {}; }
  static std::span<const CommandEntry<Derived>> Commands() noexcept { return {}; }
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
  }
  void OnFinalMessage() noexcept {}

  bool IsEnabled(int id) const {
    return IsCommandEnabled(static_cast<const Derived&>(*this), Derived::Commands(), id);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    Derived* self = nullptr;
    if (msg == WM_NCCREATE) {
      self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      if (self) {
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      }
    } else {
      self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    try {
      result = self->Dispatch(msg, wParam, lParam);
    } catch (...) {
      result = 0;  // what was under way is dropped; the window stays usable
    }
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      self->OnFinalMessage();
    }
    return result;
  }

 private:
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    Derived& self = static_cast<Derived&>(*this);
    if (msg == WM_COMMAND && RunCommand(self, Derived::Commands(), LOWORD(wParam), HIWORD(wParam))) return 0;
    if (msg == WM_INITMENUPOPUP) ApplyEnabled<Derived>(self, Derived::Commands(), reinterpret_cast<HMENU>(wParam));
    for (const auto& entry : Derived::Messages())
      if (entry.message == msg) return entry.handle(self, wParam, lParam);
    return self.Default(msg, wParam, lParam);
  }

  HWND hwnd_ = nullptr;
};

// ---- Dialogs -------------------------------------------------------------------------------

// A dialog or property-sheet page. Pass Proc and Param() to DialogBoxParam / CreateDialogParam
// (or the shape-aware wrappers), or PageProc and Param() as a page's pfnDlgProc and lParam.
// Derived may declare Messages() (DialogMessageEntry), Commands() and Default().
template <class Derived>
class Dialog {
 public:
  HWND hwnd() const noexcept { return hwnd_; }

  static INT_PTR CALLBACK Proc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    return Route(dialog, msg, wParam, lParam, lParam);
  }
  static INT_PTR CALLBACK PageProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    LPARAM self = msg == WM_INITDIALOG ? reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam : 0;
    return Route(dialog, msg, wParam, lParam, self);
  }
  LPARAM Param() noexcept { return reinterpret_cast<LPARAM>(static_cast<Derived*>(this)); }
  // Whether a dialog of this class is open in the process (one run at a time, say).
  static bool IsOpen() noexcept { return open_.load() > 0; }

 protected:
  Dialog() = default;
  ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  static std::span<const DialogMessageEntry<Derived>> Messages() noexcept { return {}; }
  static std::span<const CommandEntry<Derived>> Commands() noexcept { return {}; }
  INT_PTR Default(UINT, WPARAM, LPARAM) noexcept { return FALSE; }

  bool IsEnabled(int id) const {
    return IsCommandEnabled(static_cast<const Derived&>(*this), Derived::Commands(), id);
  }

 private:
  static INT_PTR Route(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, LPARAM selfAtInit) noexcept {
    Derived* self = nullptr;
    if (msg == WM_INITDIALOG) {
      self = reinterpret_cast<Derived*>(selfAtInit);
      if (self) {
        self->hwnd_ = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        ++open_;
      }
    } else {
      self = reinterpret_cast<Derived*>(GetWindowLongPtrW(dialog, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR result = FALSE;
    try {
      result = self->Dispatch(msg, wParam, lParam);
    } catch (...) {
      result = FALSE;
    }
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(dialog, DWLP_USER, 0);
      self->hwnd_ = nullptr;
      --open_;
    }
    return result;
  }

  INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    Derived& self = static_cast<Derived&>(*this);
    if (msg == WM_COMMAND && RunCommand(self, Derived::Commands(), LOWORD(wParam), HIWORD(wParam))) return TRUE;
    if (msg == WM_INITMENUPOPUP) ApplyEnabled<Derived>(self, Derived::Commands(), reinterpret_cast<HMENU>(wParam));
    for (const auto& entry : Derived::Messages())
      if (entry.message == msg) return entry.handle(self, wParam, lParam);
    return self.Default(msg, wParam, lParam);
  }

  static inline std::atomic<int> open_{0};
  HWND hwnd_ = nullptr;
};

}  // namespace quintar::win32
