// The device shell's file operation (ceshell.dll, by its ordinal): renames on the device only.
#include <ceshell.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/coredll/tests/test_util.h"

using namespace quintar::coredll::tests;

namespace {

int Operation(const std::wstring& from, const std::wstring& to, UINT func = FO_RENAME) {
  std::wstring source = from + L'\0', target = to + L'\0';
  SHFILEOPSTRUCTW op{nullptr, func, source.c_str(), target.c_str(), FOF_ALLOWUNDO, TRUE, nullptr, nullptr};
  const int result = CeSHFileOperation(&op);
  EXPECT_FALSE(op.fAnyOperationsAborted);
  return result;
}

TEST(ShellFileOperation, RenamesOnTheDeviceAndNeverOverAnotherFile) {
  RemoveTree(L"\\OpTest");
  MakeFolders(L"\\OpTest");
  MakeFile(L"\\OpTest\\My Theme.tsk");
  MakeFile(L"\\OpTest\\Other.tsk");
  EXPECT_EQ(Operation(L"\\OpTest\\My Theme.tsk", L"\\OpTest\\My_Theme.tsk"), 0);
  EXPECT_EQ(Operation(L"\\OpTest\\My_Theme.tsk", L"\\OpTest\\Other.tsk"), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Operation(L"\\OpTest\\Missing.tsk", L"\\OpTest\\New.tsk"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Operation(L"\\OpTest\\Other.tsk", L"C:\\Other.tsk"), ERROR_BAD_PATHNAME);
  EXPECT_EQ(Operation(L"\\\\?\\unix\\tmp\\x", L"\\OpTest\\x"), ERROR_BAD_PATHNAME);
  EXPECT_EQ(Operation(L"", L"\\OpTest\\x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Operation(L"\\OpTest\\Other.tsk", L"", FO_DELETE), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(GetFileAttributesW(L"\\OpTest\\My Theme.tsk"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(L"\\OpTest\\My_Theme.tsk"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(L"\\OpTest\\Other.tsk"), INVALID_FILE_ATTRIBUTES);
  RemoveTree(L"\\OpTest");
}

}  // namespace
