// Runs archiver commands through a copy of the device's archiver library for interop.py: the
// library's path first, then the folder (on drive T:) that device paths resolve in, the results
// file, then one "Entry|command" per argument. Each call's result and text go to the results
// file, one line each: "<result>|<text>".
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  HMODULE library = LoadLibraryW(argv[1]);
  if (!library) return 3;
  if (!SetCurrentDirectoryW(argv[2])) return 4;
  FILE* results = _wfopen(argv[3], L"wb");
  if (!results) return 5;
  using Entry = int(WINAPI*)(HWND, const wchar_t*, wchar_t*, DWORD);
  for (int i = 4; i < argc; ++i) {
    std::wstring step = argv[i];
    const size_t bar = step.find(L'|');
    const std::string name(step.begin(),
                           step.begin() + static_cast<std::ptrdiff_t>(bar == std::wstring::npos ? 0 : bar));
    auto entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(library, name.c_str())));
    if (!entry) {
      fprintf(results, "missing|%s\n", name.c_str());
      continue;
    }
    // Filled with a mark first: the library must zero and end the whole buffer.
    wchar_t output[2048];
    for (wchar_t& c : output) c = L'#';
    const int result = entry(nullptr, step.c_str() + bar + 1, output, 2048);
    char text[4 * 2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, output, -1, text, sizeof text - 1, nullptr, nullptr);
    fprintf(results, "%d|%s%s\n", result, text, output[2047] == L'\0' ? "" : "|UNTERMINATED");
  }
  fclose(results);
  FreeLibrary(library);
  return 0;
}
