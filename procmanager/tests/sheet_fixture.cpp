#include "sheet_fixture.h"

#include <commctrl.h>
#include <prsht.h>

namespace vorrel_test {

void SheetTest::SetUp() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  frame_ = std::make_unique<vorrel::Frame>(GetModuleHandleW(nullptr));
  responder_ = std::make_unique<testsupport::DialogResponder>();
  ASSERT_NE(frame_->Create(), nullptr);
  ASSERT_NE(frame_->hwnd(), nullptr);
  INT_PTR sheet = frame_->RunSheet(true);
  ASSERT_GT(sheet, 0);
  ASSERT_EQ(reinterpret_cast<HWND>(sheet), frame_->sheet());
  testsupport::PumpFor(50);
}

void SheetTest::TearDown() {
  if (frame_ && frame_->sheet()) DestroyWindow(frame_->sheet());
  if (frame_ && frame_->hwnd()) DestroyWindow(frame_->hwnd());
  testsupport::PumpFor(20);
  // The main window's end posts the quit that ends the program; a test goes on.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  frame_.reset();
  responder_.reset();
}

HWND SheetTest::Open(vorrel::Page page) {
  PropSheet_SetCurSel(frame_->sheet(), nullptr, page);
  testsupport::PumpFor(20);
  return frame_->PageWindow(page);
}

void SheetTest::Command(vorrel::Page page, UINT command) {
  SendMessageW(Open(page), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

std::vector<std::wstring> SheetTest::Column(vorrel::Page page, int column) {
  std::vector<std::wstring> texts;
  HWND list = GetDlgItem(frame_->PageWindow(page), 1000);
  int count = ListView_GetItemCount(list);
  for (int i = 0; i < count; ++i) {
    wchar_t text[MAX_PATH] = {};
    ListView_GetItemText(list, i, column, text, MAX_PATH);
    texts.emplace_back(text);
  }
  return texts;
}

int SheetTest::RowOf(vorrel::Page page, int column, const std::wstring& text) {
  auto texts = Column(page, column);
  for (size_t i = 0; i < texts.size(); ++i)
    if (texts[i] == text) return static_cast<int>(i);
  return -1;
}

void SheetTest::Select(vorrel::Page page, int row) {
  HWND list = GetDlgItem(frame_->PageWindow(page), 1000);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  if (row >= 0) ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

}  // namespace vorrel_test
