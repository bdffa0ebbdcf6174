// The suite menu: each program of the suite jumps to the other two and to the Today plug-in, and
// opens its manual. The programs differ only in which entries they carry and how they close.
#pragma once

#include <windows.h>

#include <functional>

namespace quintar::suitemenu {

inline constexpr wchar_t kInstallFolder[] = L"\\Program Files\\Zek\\Quintar";
inline constexpr wchar_t kFolderonPath[] = L"\\Program Files\\Zek\\Quintar\\Folderon.exe";
inline constexpr wchar_t kTamskPath[] = L"\\Program Files\\Zek\\Quintar\\Tamsk.exe";
inline constexpr wchar_t kVorrelPath[] = L"\\Program Files\\Zek\\Quintar\\Vorrel.exe";
inline constexpr wchar_t kFolderonManual[] = L"\\Program Files\\Zek\\Quintar\\Folderon_user_manual.htm";
inline constexpr wchar_t kTamskManual[] = L"\\Program Files\\Zek\\Quintar\\Contents.htm";
inline constexpr wchar_t kBrowser[] = L"\\Windows\\iexplore.exe";
inline constexpr wchar_t kTodayItemKey[] = L"SOFTWARE\\Microsoft\\Today\\Items\\Glancet";

enum class Action {
  SwitchOnToday,
  StartSibling,  // then close
  CloseThenStartSibling,
  OpenManual,
};

// One entry of a program's suite menu: its command and what it does. `path` is the sibling or
// the manual.
struct Entry {
  int id;
  Action action;
  const wchar_t* path;
};

// How the calling program closes (its normal shutdown, posted so that the command that asked
// for it returns first).
using CloseProgram = std::function<void()>;

// Sets the Today item's `Enabled` to 1 when it is 0 or unreadable and makes the Today screen
// reload; an item key that does not exist is left alone. Then brings the Today screen forward.
// True when the value was written.
bool SwitchOnTodayItem() noexcept;

// Starts a sibling program by its path, without the shell's error box; false when it did not
// start (which the suite does not report).
bool StartProgram(const wchar_t* path) noexcept;

// Opens a manual in the browser; when that fails, tells the user where to look (owned by
// `owner`). True when the browser was started.
bool OpenManual(HWND owner, const wchar_t* manual) noexcept;

// Runs the entry: every action but the manual ends with `close`.
void Run(const Entry& entry, HWND owner, const CloseProgram& close);

// The entry with that command in `entries`, or nullptr.
template <std::size_t N>
const Entry* Find(const Entry (&entries)[N], int id) noexcept {
  for (const Entry& e : entries)
    if (e.id == id) return &e;
  return nullptr;
}

}  // namespace quintar::suitemenu
