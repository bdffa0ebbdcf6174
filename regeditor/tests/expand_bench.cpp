// Expanding a key of 10,000 subkeys in Tamsk's tree against a bare RegEnumKeyExW loop over the
// same key, in the same run; prints both medians and their ratio (goal: at most 2). Run by hand:
//   bash tools/wine-test.sh build/<dir>/bin/tamsk_expand_bench.exe
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "regeditor/tamsk.h"
#include "win32/handle.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\TamskBench\\Big";
constexpr int kSubkeys = 10000;
constexpr int kRounds = 7;

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool Populate() {
  quintar::win32::RegKey big;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, big.put(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  for (int i = 0; i < kSubkeys; ++i) {
    wchar_t name[32];
    swprintf(name, 32, L"Key%05d", (i * 7919) % kSubkeys);
    quintar::win32::RegKey sub;
    // Every tenth key has a subkey of its own, so that some items keep their button.
    std::wstring path = std::wstring(name) + (i % 10 == 0 ? L"\\Inner" : L"");
    RegCreateKeyExW(big.get(), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, sub.put(), nullptr);
  }
  return true;
}

// What any registry browser must do at least: open the key and read every subkey's name.
double BareLoop() {
  double start = Now();
  quintar::win32::RegKey big;
  RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, big.put());
  std::vector<std::wstring> names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD chars = 256;
    if (RegEnumKeyExW(big.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, chars);
  }
  big.reset();
  double elapsed = Now() - start;
  if (names.size() != static_cast<size_t>(kSubkeys)) std::printf("bare loop saw %zu keys\n", names.size());
  return elapsed;
}

// The tree's expansion as the user sees it: children read and inserted, the pane painted.
double Expand(quintar::tamsk::Tree& keys, HTREEITEM item) {
  HWND tree = keys.hwnd();
  TreeView_Expand(tree, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
  Pump();
  double start = Now();
  keys.RereadChildren(item);
  UpdateWindow(tree);
  double elapsed = Now() - start;
  int count = 0;
  for (HTREEITEM c = TreeView_GetChild(tree, item); c; c = TreeView_GetNextSibling(tree, c)) ++count;
  if (count != kSubkeys) std::printf("tree shows %d keys\n", count);
  return elapsed;
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  if (!Populate()) {
    std::printf("could not create the key\n");
    return 1;
  }
  quintar::tamsk::MainWindow window;
  HWND main = window.Create(GetModuleHandleW(nullptr), SW_SHOW);
  if (!main) return 1;
  Pump();
  HTREEITEM item = window.Keys().SelectPath(L"HKEY_CURRENT_USER", L"\\Software\\TamskBench\\Big", true);
  if (!item) return 1;
  std::vector<double> bare, tree;
  for (int round = 0; round < kRounds; ++round) {
    bare.push_back(BareLoop());
    tree.push_back(Expand(window.Keys(), item));
  }
  double b = Median(bare), t = Median(tree);
  std::printf("bare RegEnumKeyExW loop over %d subkeys: %.1f ms\n", kSubkeys, b * 1000);
  std::printf("Tamsk tree expansion of the same key:   %.1f ms\n", t * 1000);
  std::printf("ratio expand / bare: %.2f (goal: at most 2)\n", t / b);
  DestroyWindow(main);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TamskBench");
  return 0;
}
