// The device shell's file operation (ceshell.dll, by its ordinal): renames on the device only.
#include <ceshell.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/coredll/tests/test_util.h"

using namespace quintar::coredll::tests;

namespace {

int Rename(const std::wstring& from, const std::wstring& to, UINT func = FO_RENAME) {
  std::wstring source = from + L'\0', target = to + L'\0';
  SHFILEOPSTRUCTW op{};
  op.wFunc = func;
  op.pFrom = source.c_str();
  op.pTo = target.c_str();
  op.fFlags = FOF_ALLOWUNDO;
  op.fAnyOperationsAborted = TRUE;
  const int result = CeSHFileOperation(&op);
  EXPECT_FALSE(op.fAnyOperationsAborted);
  return result;
}

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

TEST(ShellFileOperation, RenamesOnTheDeviceAndNeverOverAnotherFile) {
  RemoveTree(L"\\OpTest");
  MakeFolders(L"\\OpTest");
  MakeFile(L"\\OpTest\\My Theme.tsk", "a");
  MakeFile(L"\\OpTest\\Other.tsk", "b");

  EXPECT_EQ(Rename(L"\\OpTest\\My Theme.tsk", L"\\OpTest\\My_Theme.tsk"), 0);
  EXPECT_TRUE(Exists(L"\\OpTest\\My_Theme.tsk"));
  EXPECT_FALSE(Exists(L"\\OpTest\\My Theme.tsk"));

  EXPECT_EQ(Rename(L"\\OpTest\\My_Theme.tsk", L"\\OpTest\\Other.tsk"), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Rename(L"\\OpTest\\Missing.tsk", L"\\OpTest\\New.tsk"), ERROR_FILE_NOT_FOUND);
  // Paths that would leave the device, an empty list and the operations the device lacks.
  EXPECT_EQ(Rename(L"\\OpTest\\Other.tsk", L"C:\\Other.tsk"), ERROR_BAD_PATHNAME);
  EXPECT_EQ(Rename(L"\\\\?\\unix\\tmp\\x", L"\\OpTest\\x"), ERROR_BAD_PATHNAME);
  EXPECT_EQ(Rename(L"", L"\\OpTest\\x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Rename(L"\\OpTest\\Other.tsk", L"\\OpTest\\Gone.tsk", FO_DELETE), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(CeSHFileOperation(nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(Exists(L"\\OpTest\\My_Theme.tsk"));
  EXPECT_TRUE(Exists(L"\\OpTest\\Other.tsk"));
  RemoveTree(L"\\OpTest");
}

}  // namespace
