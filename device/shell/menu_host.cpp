#include "device/shell/menu_host.h"

#include <new>

#include "win32/handle.h"

namespace quintar::device {
namespace {

using win32::ComPtr;

class DropData final : public IDataObject {
 public:
  explicit DropData(std::vector<std::wstring> paths) : paths_(std::move(paths)) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDataObject) return E_NOINTERFACE;
    *ppv = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
  }

  // Each call hands out a fresh fixed block the caller frees (LocalFree or ReleaseStgMedium).
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    HRESULT hr = QueryGetData(format);
    if (hr != S_OK) return hr;
    size_t chars = 1;
    for (const auto& p : paths_) chars += p.size() + 1;
    SIZE_T bytes = sizeof(DROPFILES) + chars * sizeof(wchar_t);
    auto* drop = static_cast<DROPFILES*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
    if (!drop) return E_OUTOFMEMORY;
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& p : paths_) {
      CopyMemory(out, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
      out += p.size() + 1;
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = drop;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    return S_OK;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &format, out);
  }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ~DropData() = default;
  LONG refs_ = 1;
  std::vector<std::wstring> paths_;
};

// The handlers' class identifiers: a key is either named after the CLSID or carries it as its
// default value; each class is asked once.
std::vector<CLSID> RegisteredHandlers() {
  std::vector<CLSID> classes;
  win32::RegKey handlers;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"*\\Shellex\\ContextMenuHandlers", 0, KEY_READ, handlers.put()) !=
      ERROR_SUCCESS)
    return classes;
  const HKEY key = handlers.get();
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = ARRAYSIZE(name);
    LONG rc = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    wchar_t value[64] = L"";
    DWORD size = sizeof value;
    CLSID clsid;
    bool found = RegGetValueW(key, name, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS &&
                 value[0] == L'{' && SUCCEEDED(CLSIDFromString(value, &clsid));
    if (!found) found = name[0] == L'{' && SUCCEEDED(CLSIDFromString(name, &clsid));
    if (!found) continue;
    bool seen = false;
    for (const CLSID& c : classes) seen = seen || IsEqualCLSID(c, clsid);
    if (!seen) classes.push_back(clsid);
  }
  return classes;
}

// The device loader finds a library named without a folder in \Windows and then in the folders
// of HKEY_LOCAL_MACHINE "Loader" "SystemPath". COM only knows the desktop's search order, so a
// handler registered by bare name is loaded from those folders first; COM then finds it loaded.
void LoadFromSystemPath(const CLSID& clsid) {
  wchar_t text[64] = L"";
  if (StringFromGUID2(clsid, text, ARRAYSIZE(text)) == 0) return;
  std::wstring serverKey = std::wstring(L"CLSID\\") + text + L"\\InprocServer32";
  wchar_t server[MAX_PATH] = L"";
  DWORD size = sizeof server;
  if (RegGetValueW(HKEY_CLASSES_ROOT, serverKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, server, &size) !=
          ERROR_SUCCESS ||
      server[0] == L'\0' || wcschr(server, L'\\') != nullptr || GetModuleHandleW(server) != nullptr)
    return;
  std::wstring windowsCopy = std::wstring(L"\\Windows\\") + server;
  if (GetFileAttributesW(windowsCopy.c_str()) != INVALID_FILE_ATTRIBUTES) return;  // found the usual way
  wchar_t folders[1024] = L"";
  size = sizeof folders - 2 * sizeof(wchar_t);  // room for the list's end even if the value lacks it
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Loader", L"SystemPath", RRF_RT_REG_MULTI_SZ | RRF_RT_REG_SZ, nullptr, folders,
                   &size) != ERROR_SUCCESS)
    return;
  for (const wchar_t* folder = folders; *folder; folder += lstrlenW(folder) + 1) {
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += server;
    if (path.size() < MAX_PATH && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
        LoadLibraryW(path.c_str()) != nullptr)
      return;  // stays loaded for the life of the process, as COM keeps it too
  }
}

}  // namespace

ComPtr<IDataObject> CreateDropData(const std::vector<std::wstring>& paths) {
  ComPtr<IDataObject> data;
  data.Attach(new (std::nothrow) DropData(paths));
  return data;
}

void ContextMenuSession::Build(HMENU menu, const std::vector<std::wstring>& selection) {
  ComPtr<IDataObject> data = CreateDropData(selection);
  if (!data || selection.empty()) return;
  site_ = data;
  UINT next = kFirstHandlerId;
  for (const CLSID& clsid : RegisteredHandlers()) {
    LoadFromSystemPath(clsid);
    Handler handler;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&handler.menu)))) continue;
    ComPtr<IObjectWithSite> withSite;
    if (SUCCEEDED(handler.menu.As(&withSite))) withSite->SetSite(site_.Get());
    HRESULT hr = handler.menu->QueryContextMenu(menu, GetMenuItemCount(menu), next, 0x7FFF, CMF_NORMAL);
    if (FAILED(hr)) {
      if (withSite) withSite->SetSite(nullptr);
      continue;
    }
    handler.first = next;
    handler.count = HRESULT_CODE(hr);
    next += handler.count;
    handlers_.push_back(std::move(handler));
  }
}

HRESULT ContextMenuSession::Invoke(HWND owner, UINT id) {
  for (Handler& handler : handlers_) {
    if (id < handler.first || id - handler.first >= handler.count) continue;
    // Handlers of this platform learn the chosen command from this call, so it always comes first.
    char verb[MAX_PATH] = "";
    handler.menu->GetCommandString(id, GCS_VERBA, nullptr, verb, ARRAYSIZE(verb));
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(id - handler.first);
    info.nShow = SW_SHOWNORMAL;
    return handler.menu->InvokeCommand(&info);
  }
  return S_FALSE;
}

ContextMenuSession::~ContextMenuSession() {
  for (Handler& handler : handlers_) {
    ComPtr<IObjectWithSite> withSite;
    if (SUCCEEDED(handler.menu.As(&withSite))) withSite->SetSite(nullptr);
  }
}

}  // namespace quintar::device
