/* The resource library the in-process tests load as Vorrel's VorrelRes.dll: only its resources
   are read (it is loaded as data), so its entry never runs. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}
