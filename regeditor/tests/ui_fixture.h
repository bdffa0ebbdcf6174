// Tamsk's main window in the test's own process: the registry below HKCU\Software\TamskTest,
// commands sent as the menu sends them, boxes and dialogs answered by the responder.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "regeditor/resource.h"
#include "regeditor/tamsk.h"
#include "testsupport/testsupport.h"

namespace tamsk_test {

inline constexpr wchar_t kTestKey[] = L"Software\\TamskTest";
inline constexpr wchar_t kTestPath[] = L"\\Software\\TamskTest";
inline constexpr wchar_t kHkcu[] = L"HKEY_CURRENT_USER";

struct Stored {
  DWORD type = 0;
  std::vector<BYTE> data;
};

// Below the test key: "" is the test key itself, "A\B" a key below it.
std::wstring Under(const std::wstring& sub);
void MakeKey(const std::wstring& sub);
void SetValue(const std::wstring& sub, const std::wstring& name, DWORD type, const std::vector<BYTE>& data);
void SetString(const std::wstring& sub, const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ);
void SetDword(const std::wstring& sub, const std::wstring& name, DWORD value);
std::optional<Stored> GetValue(const std::wstring& sub, const std::wstring& name);
bool KeyExists(const std::wstring& sub);
std::vector<std::wstring> SubkeyNames(const std::wstring& sub);
std::vector<BYTE> Utf16(const std::wstring& text, int nuls = 1);

// Runs `drive` once on the first visible dialog with that caption, from a timer that fires in
// the dialog's own modal loop.
class DialogDriver {
 public:
  DialogDriver(std::wstring caption, std::function<void(HWND)> drive);
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;
  bool Ran() const;
};

class TamskTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Cmd(int id) { SendMessageW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  // Selects HKEY_CURRENT_USER\Software\TamskTest\<sub> in the tree (the current key), creating
  // it first when missing.
  HTREEITEM Select(const std::wstring& sub = L"");
  quintar::tamsk::Tree& Keys() const { return window_->Keys(); }
  quintar::tamsk::ValueList& Values() const { return window_->Values(); }
  quintar::tamsk::BrowserState& State() const { return window_->State(); }
  HWND Tree() const { return Keys().hwnd(); }
  HWND List() const { return Values().hwnd(); }
  int RowCount() const { return ListView_GetItemCount(List()); }
  std::wstring Cell(int row, int column) const;
  int RowOf(const std::wstring& name) const;  // -1 when no row has that name
  void FocusList();
  void FocusTree();
  void SelectRowNamed(const std::wstring& name);
  // The texts of the boxes shown since the last ClearRecords.
  std::vector<std::wstring> BoxTexts() const;
  const testsupport::MessageBoxRecord* LastBox() const;

  std::unique_ptr<quintar::tamsk::MainWindow> window_;
  HWND main_ = nullptr;
  testsupport::DialogResponder responder_;
};

}  // namespace tamsk_test
