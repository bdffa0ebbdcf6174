// Runs the ZIP engine for the interoperability check (zip/tests/interop.sh): a list of
//   pack SOURCE ARCHIVE | unpack ARCHIVE FOLDER | attrib PATH HEX
// done in order in one Wine process, each reported with its time (the benchmark reads it). Exit
// code 0 when every step did what was asked.
#include <windows.h>

#include <cstdio>
#include <string>

#include "zip/zipfiles.h"

namespace {
class Quiet final : public quintar::zip::Progress {
 public:
  void Entry(std::wstring_view, unsigned) override {}
};
}  // namespace

int wmain(int argc, wchar_t** argv) {
  Quiet progress;
  std::atomic<bool> stop{false};
  int failures = 0;
  for (int i = 1; i + 2 < argc; i += 3) {
    const std::wstring verb = argv[i], a = argv[i + 1], b = argv[i + 2];
    bool ok = false;
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (verb == L"pack") {
      ok = quintar::zip::Compress(a, b, progress, stop).result == quintar::zip::Result::Done;
    } else if (verb == L"unpack") {
      CreateDirectoryW(b.c_str(), nullptr);
      const auto run = quintar::zip::Extract(a, b, progress, stop);
      ok = run.result == quintar::zip::Result::Done && run.skipped == 0;
    } else if (verb == L"attrib") {
      ok = SetFileAttributesW(a.c_str(), std::wcstoul(b.c_str(), nullptr, 16)) != FALSE;
    }
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("%ls %ls: %s %.1f ms\n", verb.c_str(), a.c_str(), ok ? "ok" : "FAILED", ms);
    failures += ok ? 0 : 1;
  }
  return failures == 0 ? 0 : 1;
}
