// Export and import of Tamsk's registry files against Wine's own regedit, in the same run on the
// same key: 5,000 subkeys holding 50,000 values of the four types. Run by hand:
//   bash tools/wine-test.sh build/<dir>/bin/regfile_bench.exe [rounds]
// Prints the times and the ratios Tamsk / regedit (below 1 is faster). regedit runs as its own
// process, so its times include a process start; that start is measured on an empty key and also
// taken off for a second ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "regeditor/regfile_io.h"
#include "win32/handle.h"

namespace {

const wchar_t kKey[] = L"Software\\TamskBench";
const wchar_t kEmptyKey[] = L"Software\\TamskBenchEmpty";

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

bool Populate() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  quintar::win32::RegKey base;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, base.put(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  std::vector<BYTE> bin(48);
  for (std::size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<BYTE>(i * 37);
  const wchar_t text[] = L"A string value of a typical length, C:\\Program Files\\Example";
  const wchar_t multi[] = L"first\0second\0";
  for (int k = 0; k < 5000; ++k) {
    wchar_t name[32];
    swprintf(name, 32, L"Key%05d", k);
    quintar::win32::RegKey key;
    if (RegCreateKeyExW(base.get(), name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
      return false;
    HKEY h = key.get();
    for (int v = 0; v < 10; ++v) {
      wchar_t vn[32];
      swprintf(vn, 32, L"Value%d", v);
      DWORD dw = static_cast<DWORD>(k * 10 + v);
      switch (v % 4) {
        case 0:
          RegSetValueExW(h, vn, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
          break;
        case 1:
          RegSetValueExW(h, vn, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), 4);
          break;
        case 2:
          RegSetValueExW(h, vn, 0, REG_BINARY, bin.data(), static_cast<DWORD>(bin.size()));
          break;
        case 3:
          RegSetValueExW(h, vn, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi);
          break;
      }
    }
  }
  return true;
}

// Runs regedit with the given arguments and waits; the time it took, or a negative number.
double Regedit(const std::wstring& args) {
  wchar_t dir[MAX_PATH];
  GetWindowsDirectoryW(dir, MAX_PATH);
  std::wstring cmd = L"\"" + std::wstring(dir) + L"\\regedit.exe\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  double t0 = Now();
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  quintar::win32::KernelHandle process(pi.hProcess), thread(pi.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  double t = Now() - t0;
  DWORD code = 1;
  GetExitCodeProcess(process.get(), &code);
  return code == 0 ? t : -1;
}

long long FileSize(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(path, GetFileExInfoStandard, &a)) return -1;
  return (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;
  std::wprintf(L"populating HKCU\\%ls: 5000 subkeys, 50000 values ...\n", kKey);
  if (!Populate()) {
    std::wprintf(L"could not create the benchmark key\n");
    return 1;
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, kEmptyKey);
  {
    quintar::win32::RegKey empty;
    RegCreateKeyExW(HKEY_CURRENT_USER, kEmptyKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, empty.put(), nullptr);
  }

  const std::wstring tamskFile = L"\\bench_tamsk.reg", stdFile = L"\\bench_std.reg", startFile = L"\\bench_start.reg";
  const std::wstring keyText = std::wstring(L"HKEY_CURRENT_USER\\") + kKey;
  std::vector<double> tExport, rExport, rStart, tImport, rImport;
  for (int r = 0; r < rounds; ++r) {
    DeleteFileW(tamskFile.c_str());
    std::wstring error;
    double t0 = Now();
    if (!quintar::tamsk::ExportKey(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", std::wstring(L"\\") + kKey, tamskFile,
                                   false, &error)) {
      std::wprintf(L"Tamsk export failed: %ls\n", error.c_str());
      return 1;
    }
    tExport.push_back(Now() - t0);
    DeleteFileW(stdFile.c_str());
    double re = Regedit(L"/e " + stdFile + L" \"" + keyText + L"\"");
    double rs = Regedit(L"/e " + startFile + L" \"HKEY_CURRENT_USER\\" + kEmptyKey + L"\"");
    if (re < 0 || rs < 0) {
      std::wprintf(L"regedit /e failed\n");
      return 1;
    }
    rExport.push_back(re);
    rStart.push_back(rs);

    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    quintar::tamsk::ImportStats stats;
    t0 = Now();
    if (!quintar::tamsk::ImportFile(tamskFile, &stats, &error)) {
      std::wprintf(L"Tamsk import failed: %ls\n", error.c_str());
      return 1;
    }
    tImport.push_back(Now() - t0);
    if (stats.valuesWritten != 50000 || stats.failures != 0) {
      std::wprintf(L"Tamsk import wrote %zu values, %zu failures\n", stats.valuesWritten, stats.failures);
      return 1;
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    double ri = Regedit(L"/s " + stdFile);
    if (ri < 0) {
      std::wprintf(L"regedit import failed\n");
      return 1;
    }
    rImport.push_back(ri);
    std::wprintf(L"round %d: export %.3f s vs regedit %.3f s (start %.3f s); import %.3f s vs regedit %.3f s\n", r + 1,
                 tExport.back(), re, rs, tImport.back(), ri);
  }
  double te = Median(tExport), re = Median(rExport), rs = Median(rStart), ti = Median(tImport), ri = Median(rImport);
  std::wprintf(L"files: Tamsk %lld bytes, regedit %lld bytes\n", FileSize(tamskFile.c_str()),
               FileSize(stdFile.c_str()));
  std::wprintf(L"median export: Tamsk %.3f s, regedit /e %.3f s, regedit start %.3f s\n", te, re, rs);
  std::wprintf(L"export ratio Tamsk/regedit: %.2f (regedit without its start: %.2f)\n", te / re,
               re - rs > 0 ? te / (re - rs) : 0.0);
  std::wprintf(L"median import: Tamsk %.3f s, regedit %.3f s\n", ti, ri);
  std::wprintf(L"import ratio Tamsk/regedit: %.2f (regedit without its start: %.2f)\n", ti / ri,
               ri - rs > 0 ? ti / (ri - rs) : 0.0);
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  RegDeleteTreeW(HKEY_CURRENT_USER, kEmptyKey);
  return 0;
}
