// Folderon is not built yet; until it is, starting it says so instead of pretending to work.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  MessageBoxW(nullptr, L"Folderon is not built yet.", L"Folderon", MB_OK | MB_ICONSTOP);
  return 1;
}
