// A process that only waits: the tests and the benchmark start copies of it under chosen names.
// It ends by itself after the given milliseconds (two minutes by default), so none outlives a run.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  DWORD ms = argc > 1 ? static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10)) : 120000;
  Sleep(ms);
  return 0;
}
