// Starts decryptor.exe on a sample path and saves a picture of the screen with its dialog to
// T:\shots\<profile>-decryptor.bmp, for review. Run by hand with tools/wine-test.sh.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool SaveScreen(const std::wstring& path) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  const DWORD stride = ((w * 3) + 3) & ~3u, imageBytes = stride * h;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageBytes;
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE;
  if (ok) {
    DWORD written = 0;
    ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
         WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
         WriteFile(out, bits, imageBytes, &written, nullptr);
    CloseHandle(out);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace

int wmain() {
  wchar_t profile[64] = L"qvga";
  GetEnvironmentVariableW(L"QUINTAR_PROFILE", profile, 64);
  CreateDirectoryW(L"T:\\shots", nullptr);
  std::wstring line = L"\"T:\\decryptor.exe\" \\My Documents\\Quarterly report.xls.enf";
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(L"T:\\decryptor.exe", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
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
    rc = SaveScreen(path) ? 0 : 1;
    std::wprintf(L"%ls %ls\n", rc ? L"FAILED" : L"wrote", path.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
  }
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return rc;
}
