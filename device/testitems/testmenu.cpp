// A File Explorer context-menu handler for the tests, written to the device's contract: the
// selection comes from the site as CF_HDROP, the command from the last GetCommandString. It adds
// "Test One" and "Test Two" and records under HKEY_CURRENT_USER "Software\Quintar\Tests\TestMenu":
// "Calls" (the order of the host's calls), "Selection" (the paths, '|'-separated), "File" and
// "Command" of the invoked item, "VerbOffset" (the offset in the verb field) and "InvokeOwner".
#include "device/testitems/testmenu.h"

#include <windows.h>

#include <shlobj.h>

#include <new>
#include <string>

#include "device/testitems/testrecord.h"
#include "win32/com.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

using quintar::win32::ComPtr;
namespace testitems = quintar::device::testitems;

const CLSID kClsid = {0x6F1C7E52, 0x3A8B, 0x4D1E, {0x9C, 0x40, 0x7B, 0x2D, 0x5E, 0x8A, 0x1F, 0x03}};
const wchar_t* const kCommands[] = {L"Test One", L"Test Two"};
LONG g_objects = 0;

std::wstring Key() { return testitems::KeyPath(L"TestMenu", nullptr); }
void Call(const wchar_t* step) { testitems::Append(Key(), L"Calls", step); }

// The selection, read the way the device's handlers read it; empty when the site gives none.
std::wstring ReadSelection(IUnknown* site, std::wstring* first) {
  if (!site) return {};
  ComPtr<IDataObject> data;
  if (FAILED(site->QueryInterface(IID_PPV_ARGS(&data)))) return {};
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  std::wstring all;
  if (SUCCEEDED(data->GetData(&format, &medium))) {
    auto* drop = static_cast<const DROPFILES*>(GlobalLock(medium.hGlobal));
    SIZE_T size = GlobalSize(medium.hGlobal);
    if (drop && drop->fWide && drop->pFiles >= sizeof(DROPFILES) && drop->pFiles < size) {
      auto* p = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(drop) + drop->pFiles);
      auto* end = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(drop) + size);
      while (p < end && *p) {
        std::wstring path(p, wcsnlen(p, end - p));
        if (first && first->empty()) *first = path;
        all += (all.empty() ? L"" : L"|") + path;
        p += path.size() + 1;
      }
    }
    GlobalUnlock(medium.hGlobal);
    LocalFree(medium.hGlobal);  // as the device's handlers do: the block must be a fixed one
  }
  return all;
}

class Handler final : public IContextMenu, public IObjectWithSite {
 public:
  Handler() { InterlockedIncrement(&g_objects); }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IContextMenu)
      *ppv = static_cast<IContextMenu*>(this);
    else if (riid == IID_IObjectWithSite)
      *ppv = static_cast<IObjectWithSite*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
  }

  STDMETHODIMP SetSite(IUnknown* site) override {
    Call(site ? L"SetSite" : L"SetSite(null)");
    site_ = site;
    return S_OK;
  }
  STDMETHODIMP GetSite(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return site_ ? site_->QueryInterface(riid, ppv) : E_FAIL;
  }

  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT) override {
    Call(L"QueryContextMenu");
    if (last < first + 1) return E_INVALIDARG;
    std::wstring selection = ReadSelection(site_.Get(), nullptr);
    if (selection.empty()) return E_FAIL;
    testitems::SetString(Key(), L"Selection", selection);
    first_ = first;
    for (UINT i = 0; i < 2; ++i) InsertMenuW(menu, index + i, MF_STRING | MF_BYPOSITION, first + i, kCommands[i]);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
  }
  STDMETHODIMP GetCommandString(UINT_PTR id, UINT, UINT*, CHAR* name, UINT cch) override {
    Call(L"GetCommandString");
    current_ = static_cast<UINT>(id);
    if (name && cch) name[0] = '\0';
    return S_OK;
  }
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override {
    Call(L"InvokeCommand");
    if (!info) return E_POINTER;
    if (info->cbSize != sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
    UINT offset = current_ - first_;
    if (offset >= 2) return E_INVALIDARG;
    std::wstring file;
    ReadSelection(site_.Get(), &file);
    if (file.empty()) return E_FAIL;
    testitems::SetString(Key(), L"File", file);
    testitems::SetString(Key(), L"Command", kCommands[offset]);
    testitems::SetDword(Key(), L"VerbOffset",
                        IS_INTRESOURCE(info->lpVerb) ? LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) : 0xFFFF);
    wchar_t ownerClass[64] = L"";
    if (info->hwnd) GetClassNameW(info->hwnd, ownerClass, ARRAYSIZE(ownerClass));
    testitems::SetString(Key(), L"InvokeOwner", ownerClass);
    return S_OK;
  }

 private:
  ~Handler() { InterlockedDecrement(&g_objects); }
  LONG refs_ = 1;
  ComPtr<IUnknown> site_;
  UINT first_ = 0, current_ = 0;
};

class Factory final : public IClassFactory {
 public:
  Factory() { InterlockedIncrement(&g_objects); }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ComPtr<IContextMenu> handler;
    handler.Attach(new (std::nothrow) Handler);
    if (!handler) return E_OUTOFMEMORY;
    return handler->QueryInterface(riid, ppv);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  ~Factory() { InterlockedDecrement(&g_objects); }
  LONG refs_ = 1;
};

bool SetDefault(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  *ppv = nullptr;
  if (!IsEqualCLSID(clsid, kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
  ComPtr<IClassFactory> factory;
  factory.Attach(new (std::nothrow) Factory);
  if (!factory) return E_OUTOFMEMORY;
  return factory->QueryInterface(riid, ppv);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT WINAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_FAIL;
  std::wstring clsidKey = std::wstring(L"CLSID\\") + TESTMENU_CLSID_TEXT;
  bool ok = SetDefault(clsidKey, nullptr, L"Quintar test menu handler") &&
            SetDefault(clsidKey + L"\\InprocServer32", nullptr, path) &&
            SetDefault(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Free") &&
            SetDefault(L"*\\Shellex\\ContextMenuHandlers\\" TESTMENU_HANDLER_NAME, nullptr, TESTMENU_CLSID_TEXT);
  return ok ? S_OK : E_FAIL;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"*\\Shellex\\ContextMenuHandlers\\" TESTMENU_HANDLER_NAME);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CLSID\\" TESTMENU_CLSID_TEXT);
  return S_OK;
}
