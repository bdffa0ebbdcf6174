// The installer hooks are not built yet. Until they are, each hook lets the installer carry on
// unchanged (its "continue" code), the same as a package without hooks.
#include <windows.h>

namespace quintar::setup {
constexpr DWORD kContinue = 0;  // codeINSTALL_INIT_CONTINUE, codeINSTALL_EXIT_DONE, ...
}  // namespace quintar::setup

using quintar::setup::kContinue;

extern "C" DWORD WINAPI Install_Init(HWND, BOOL, BOOL, LPCWSTR) { return kContinue; }
extern "C" DWORD WINAPI Install_Exit(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD) { return kContinue; }
extern "C" DWORD WINAPI Uninstall_Init(HWND, LPCWSTR) { return kContinue; }
extern "C" DWORD WINAPI Uninstall_Exit(HWND) { return kContinue; }
