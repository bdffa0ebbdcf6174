// Vorrel's sheet opened modeless in the test's process, with a responder for its boxes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "procmanager/vorrel.h"
#include "testsupport/testsupport.h"

namespace vorrel_test {

namespace vorrel = quintar::vorrel;

class SheetTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Shows the page (creating it on first use) and returns it.
  HWND Open(vorrel::Page page);
  void Command(vorrel::Page page, UINT command);
  // The rows' texts of a list page's list, column by column.
  std::vector<std::wstring> Column(vorrel::Page page, int column);
  int RowOf(vorrel::Page page, int column, const std::wstring& text);
  void Select(vorrel::Page page, int row);

  std::unique_ptr<vorrel::Frame> frame_;
  std::unique_ptr<testsupport::DialogResponder> responder_;
};

}  // namespace vorrel_test
