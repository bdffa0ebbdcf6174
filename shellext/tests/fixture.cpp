#include "fixture.h"

#include <cstring>

#include "win32/handle.h"

namespace menuvextest {

const Dll& Menuvex() {
  static const Dll dll = [] {
    Dll d;
    d.module = LoadLibraryW(L"Menuvex.dll");
    if (d.module == nullptr) return d;
    auto get = [&](const char* name) { return reinterpret_cast<void (*)()>(GetProcAddress(d.module, name)); };
    d.getClassObject = reinterpret_cast<decltype(d.getClassObject)>(get("DllGetClassObject"));
    d.canUnloadNow = reinterpret_cast<decltype(d.canUnloadNow)>(get("DllCanUnloadNow"));
    d.registerServer = reinterpret_cast<decltype(d.registerServer)>(get("DllRegisterServer"));
    return d;
  }();
  return dll;
}

ComPtr<IContextMenu> NewHandler() {
  ComPtr<IClassFactory> factory;
  ComPtr<IContextMenu> menu;
  if (!Menuvex().getClassObject ||
      FAILED(Menuvex().getClassObject(kClsid, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf()))))
    return menu;
  factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(menu.GetAddressOf()));
  return menu;
}

ComPtr<IObjectWithSite> WithSite(IContextMenu* handler) {
  ComPtr<IObjectWithSite> withSite;
  handler->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(withSite.GetAddressOf()));
  return withSite;
}

STDMETHODIMP FakeData::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDataObject) return E_NOINTERFACE;
  *ppv = static_cast<IDataObject*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) FakeData::Release() {
  const ULONG refs = --refs_;
  if (refs == 0) delete this;
  return refs;
}

STDMETHODIMP FakeData::GetData(FORMATETC* format, STGMEDIUM* medium) {
  ++getDataCalls;
  if (format) lastFormat = *format;
  if (fail_ || !format || !medium) return DV_E_FORMATETC;
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, block_.empty() ? 1 : block_.size());
  if (!block) return E_OUTOFMEMORY;
  if (!block_.empty()) std::memcpy(block, block_.data(), block_.size());
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = block;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

std::vector<BYTE> DropBlock(const std::vector<std::wstring>& paths) {
  std::vector<BYTE> block(sizeof(DROPFILES));
  auto* drop = reinterpret_cast<DROPFILES*>(block.data());
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  for (const auto& p : paths) {
    const auto* bytes = reinterpret_cast<const BYTE*>(p.c_str());
    block.insert(block.end(), bytes, bytes + (p.size() + 1) * sizeof(wchar_t));
  }
  block.insert(block.end(), sizeof(wchar_t), 0);
  return block;
}

ComPtr<FakeData> NewData(std::vector<BYTE> block, bool fail) {
  return ComPtr<FakeData>(new FakeData(std::move(block), fail));
}

ComPtr<FakeData> SiteFor(const std::vector<std::wstring>& paths) { return NewData(DropBlock(paths)); }

HRESULT Query(IContextMenu* handler, IUnknown* site, HMENU menu, UINT first, UINT last) {
  if (auto withSite = WithSite(handler)) withSite->SetSite(site);
  return handler->QueryContextMenu(menu, 0, first, last, CMF_NORMAL);
}

std::vector<std::wstring> Items(HMENU menu) {
  std::vector<std::wstring> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[300] = L"";
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    mii.dwTypeData = text;
    mii.cch = ARRAYSIZE(text);
    if (!GetMenuItemInfoW(menu, i, TRUE, &mii)) continue;
    if (mii.fType & MFT_SEPARATOR) {
      items.push_back(L"-");
    } else if (mii.hSubMenu) {
      std::wstring sub = std::wstring(text) + L">[";
      for (const auto& s : Items(mii.hSubMenu)) sub += s + L";";
      items.push_back(sub + L"]");
    } else {
      items.push_back(std::wstring(text) + L"=" + std::to_wstring(mii.wID));
    }
  }
  return items;
}

HRESULT Invoke(IContextMenu* handler, UINT id, HWND owner) {
  char verb[64] = "";
  handler->GetCommandString(id, GCS_VERBA, nullptr, verb, sizeof verb);
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.nShow = SW_SHOWNORMAL;
  return handler->InvokeCommand(&info);
}

std::wstring TestPath(const std::wstring& name) {
  CreateDirectoryW(L"\\Temp", nullptr);
  CreateDirectoryW(L"\\Temp\\menuvex", nullptr);
  return L"\\Temp\\menuvex\\" + name;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  quintar::win32::FileHandle h(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return;
  DWORD written = 0;
  WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string ReadFileBytes(const std::wstring& path) {
  quintar::win32::FileHandle h(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h.get(), buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
  return bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {
struct Watch {
  const std::function<void(HWND)>* inspect = nullptr;
  bool seen = false;
};
thread_local Watch* g_watch = nullptr;

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM found) {
  wchar_t cls[16] = L"";
  GetClassNameW(hwnd, cls, 16);
  if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(hwnd) && GetDlgItem(hwnd, 0xFFFF) == nullptr) {
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK Poll(HWND, UINT, UINT_PTR id, DWORD) {
  if (!g_watch || g_watch->seen) return;
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  g_watch->seen = true;
  KillTimer(nullptr, id);
  (*g_watch->inspect)(dialog);
}
}  // namespace

bool WithDialog(const std::function<void()>& start, const std::function<void(HWND)>& inspect) {
  Watch watch;
  watch.inspect = &inspect;
  g_watch = &watch;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, Poll);
  start();
  KillTimer(nullptr, timer);
  g_watch = nullptr;
  return watch.seen;
}

}  // namespace menuvextest
