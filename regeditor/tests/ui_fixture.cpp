#include "ui_fixture.h"

#include <iostream>

#include "win32/handle.h"

namespace tamsk_test {

std::wstring Under(const std::wstring& sub) { return sub.empty() ? kTestKey : std::wstring(kTestKey) + L"\\" + sub; }

void MakeKey(const std::wstring& sub) {
  quintar::win32::RegKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Under(sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                            nullptr),
            ERROR_SUCCESS);
}

void SetValue(const std::wstring& sub, const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
  quintar::win32::RegKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Under(sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                            nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                           static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
}

std::vector<BYTE> Utf16(const std::wstring& text, int nuls) {
  std::vector<BYTE> data;
  for (wchar_t c : text) {
    data.push_back(static_cast<BYTE>(c & 0xFF));
    data.push_back(static_cast<BYTE>(c >> 8));
  }
  for (int i = 0; i < nuls; ++i) data.push_back(0), data.push_back(0);
  return data;
}

void SetString(const std::wstring& sub, const std::wstring& name, const std::wstring& text, DWORD type) {
  SetValue(sub, name, type, Utf16(text));
}

void SetDword(const std::wstring& sub, const std::wstring& name, DWORD value) {
  SetValue(sub, name, REG_DWORD,
           {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
            static_cast<BYTE>(value >> 24)});
}

std::optional<Stored> GetValue(const std::wstring& sub, const std::wstring& name) {
  quintar::win32::RegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Under(sub).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  Stored out;
  DWORD bytes = 0;
  LONG rc = RegQueryValueExW(key.get(), name.c_str(), nullptr, &out.type, nullptr, &bytes);
  if (rc == ERROR_SUCCESS) {
    out.data.resize(bytes);
    rc = RegQueryValueExW(key.get(), name.c_str(), nullptr, &out.type, out.data.empty() ? nullptr : out.data.data(),
                          &bytes);
    out.data.resize(bytes);
  }
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return out;
}

bool KeyExists(const std::wstring& sub) {
  quintar::win32::RegKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, Under(sub).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::vector<std::wstring> SubkeyNames(const std::wstring& sub) {
  std::vector<std::wstring> names;
  quintar::win32::RegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Under(sub).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return names;
  wchar_t name[300];
  for (DWORD i = 0;; ++i) {
    DWORD chars = 300;
    if (RegEnumKeyExW(key.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, chars);
  }
  return names;
}

// ---- DialogDriver --------------------------------------------------------------------------

namespace {

struct DriverState {
  std::wstring caption;
  std::function<void(HWND)> drive;
  UINT_PTR timer = 0;
  bool ran = false;
};
DriverState* g_driver = nullptr;

void CALLBACK DriverTick(HWND, UINT, UINT_PTR, DWORD) {
  DriverState* state = g_driver;
  if (!state || state->ran) return;
  HWND dialog = FindWindowW(L"#32770", state->caption.c_str());
  if (!dialog || !IsWindowVisible(dialog) || GetWindowThreadProcessId(dialog, nullptr) != GetCurrentThreadId()) return;
  state->ran = true;
  KillTimer(nullptr, state->timer);
  state->timer = 0;
  state->drive(dialog);
}

}  // namespace

DialogDriver::DialogDriver(std::wstring caption, std::function<void(HWND)> drive) {
  g_driver = new DriverState{std::move(caption), std::move(drive)};
  g_driver->timer = SetTimer(nullptr, 0, 50, DriverTick);
}

DialogDriver::~DialogDriver() {
  if (g_driver && g_driver->timer) KillTimer(nullptr, g_driver->timer);
  delete g_driver;
  g_driver = nullptr;
}

bool DialogDriver::Ran() const { return g_driver && g_driver->ran; }

// ---- Fixture -------------------------------------------------------------------------------

void TamskTest::SetUp() {
  static bool initialised = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)initialised;
  RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
  MakeKey(L"");
  responder_.SetStuckTimeout(1500);
  window_ = std::make_unique<quintar::tamsk::MainWindow>();
  main_ = window_->Create(GetModuleHandleW(nullptr), SW_SHOW);
  ASSERT_NE(main_, nullptr);
  testsupport::PumpFor(50);
}

void TamskTest::TearDown() {
  if (HasFailure()) {
    for (const auto& box : responder_.MessageBoxes()) {
      std::wcerr << L"  box: [" << box.caption << L"] " << box.text << L" answer " << box.answer << L"\n";
    }
    for (const auto& d : responder_.Dialogs()) {
      std::wcerr << L"  dialog: [" << d.caption << L"] answer " << d.answer << (d.forced ? L" forced" : L"") << L"\n";
    }
  }
  window_->SetFileChooser(nullptr);
  if (main_ && IsWindow(main_)) DestroyWindow(main_);
  // The window's end posts WM_QUIT, which must not end the next test's pumps.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  window_.reset();
  RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
}

HTREEITEM TamskTest::Select(const std::wstring& sub) {
  MakeKey(sub);
  std::wstring path = sub.empty() ? kTestPath : std::wstring(kTestPath) + L"\\" + sub;
  return Keys().SelectPath(kHkcu, path, true);
}

std::wstring TamskTest::Cell(int row, int column) const {
  std::vector<wchar_t> buffer(8192);
  ListView_GetItemText(List(), row, column, buffer.data(), static_cast<int>(buffer.size()));
  return buffer.data();
}

int TamskTest::RowOf(const std::wstring& name) const {
  for (int i = 0; i < RowCount(); ++i) {
    if (Cell(i, 0) == name) return i;
  }
  return -1;
}

void TamskTest::FocusList() {
  SetFocus(List());
  testsupport::PumpFor(20);
  State().focusedPane = List();
}

void TamskTest::FocusTree() {
  SetFocus(Tree());
  testsupport::PumpFor(20);
  State().focusedPane = Tree();
}

void TamskTest::SelectRowNamed(const std::wstring& name) {
  int row = RowOf(name);
  ASSERT_GE(row, 0) << "no row " << testing::PrintToString(name);
  Values().SelectRow(row);
}

std::vector<std::wstring> TamskTest::BoxTexts() const {
  std::vector<std::wstring> texts;
  for (const auto& box : responder_.MessageBoxes()) texts.push_back(box.text);
  return texts;
}

const testsupport::MessageBoxRecord* TamskTest::LastBox() const {
  const auto& boxes = responder_.MessageBoxes();
  return boxes.empty() ? nullptr : &boxes.back();
}

}  // namespace tamsk_test
