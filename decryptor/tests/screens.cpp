// Starts decryptor.exe on a sample path and saves a picture of the screen with its dialog to
// T:\shots\<profile>-decryptor.bmp, for review. Run by hand with tools/wine-test.sh.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testsupport/testsupport.h"

int wmain() {
  wchar_t profile[64] = L"qvga";
  GetEnvironmentVariableW(L"QUINTAR_PROFILE", profile, 64);
  CreateDirectoryW(L"T:\\shots", nullptr);
  std::wstring line = L"\"T:\\decryptor.exe\" \\My Documents\\Quarterly report.xls.enf";
  testsupport::ChildProcess program = testsupport::StartProgram(L"T:\\decryptor.exe", line, true);
  if (!program) {
    std::printf("decryptor did not start\n");
    return 1;
  }
  HWND dialog = nullptr;
  for (int i = 0; i < 200 && !dialog; ++i, Sleep(50)) dialog = FindWindowW(L"#32770", L"Decryption File");
  int rc = 1;
  if (dialog) {
    SendMessageW(GetDlgItem(dialog, 1001), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"secret"));
    Sleep(700);
    const std::wstring path = std::wstring(L"T:\\shots\\") + profile + L"-decryptor.bmp";
    rc = testsupport::SaveScreenBitmap(path) ? 0 : 1;
    std::wprintf(L"%ls %ls\n", rc ? L"FAILED" : L"wrote", path.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
  }
  program.Wait(10000);
  return rc;
}
