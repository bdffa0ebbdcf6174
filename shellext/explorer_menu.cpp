// ContextMenuHandler: File Explorer's handler object. The shell hands over the selection through
// SetSite; the handler asks the site for it each time it needs it and acts on the first item.
#include <shlobj.h>

#include <new>
#include <span>
#include <string>

#include "shellext/crypt_dialogs.h"
#include "shellext/menu_plan.h"
#include "shellext/module.h"
#include "shellext/properties_dialog.h"
#include "shellext/zip_dialogs.h"
#include "win32/com.h"
#include "win32/handle.h"
#include "win32/text.h"

namespace quintar::menuvex {
namespace {

using namespace core;

constexpr HRESULT kNoDataObject = static_cast<HRESULT>(0x800004E1);
constexpr HRESULT kNoSelection = static_cast<HRESULT>(0x80030057);

// The thread's last error as a failure, never as success even when the call left none.
HRESULT LastError() noexcept {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

class ContextMenuHandler final : public IContextMenu, public IObjectWithSite {
 public:
  ContextMenuHandler() noexcept { ObjectCreated(); }

  // IUnknown, through the primary interface.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IContextMenu)) {
      *ppv = static_cast<IContextMenu*>(this);
    } else if (IsEqualIID(riid, IID_IObjectWithSite)) {
      *ppv = static_cast<IObjectWithSite*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
  }

  // IObjectWithSite
  STDMETHODIMP SetSite(IUnknown* site) override {
    site_ = site;
    return S_OK;
  }
  STDMETHODIMP GetSite(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!site_) return E_FAIL;
    return site_->QueryInterface(riid, ppv);
  }

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT, UINT idCmdFirst, UINT idCmdLast, UINT) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT flags, UINT*, CHAR* name, UINT cchMax) override;

 private:
  ~ContextMenuHandler() {
    site_.Reset();
    ObjectDestroyed();
  }

  // The first selected path, from a fresh data object of the site.
  HRESULT ReadSelection(std::wstring& path);

  volatile LONG refs_ = 0;
  win32::ComPtr<IUnknown> site_;
};

HRESULT ContextMenuHandler::ReadSelection(std::wstring& path) {
  win32::ComPtr<IDataObject> data;
  if (FAILED(GetSite(IID_IDataObject, reinterpret_cast<void**>(data.GetAddressOf()))) || !data) return kNoDataObject;
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  if (FAILED(data->GetData(&format, &medium))) return kNoSelection;
  DropPath drop;
  drop.error = DropError::Malformed;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
    if (const void* block = GlobalLock(medium.hGlobal)) {
      drop = FirstDropPath({static_cast<const std::byte*>(block), GlobalSize(medium.hGlobal)});
      GlobalUnlock(medium.hGlobal);
    }
  }
  ReleaseStgMedium(&medium);
  switch (drop.error) {
    case DropError::None:
      break;
    case DropError::TooLong:
      return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    default:
      return kNoSelection;
  }
  path = win32::Wide(drop.path);
  return S_OK;
}

STDMETHODIMP ContextMenuHandler::QueryContextMenu(HMENU menu, UINT, UINT idCmdFirst, UINT idCmdLast, UINT) {
  try {
    ModuleState& module = Module();
    module.firstCommand = idCmdFirst;
    if (idCmdLast < idCmdFirst) return E_INVALIDARG;
    if (menu == nullptr || !IsMenu(menu)) return E_INVALIDARG;
    std::wstring path;
    if (const HRESULT hr = ReadSelection(path); FAILED(hr)) return hr;
    module.currentCommand = idCmdFirst;
    module.commandNamed = false;

    // An item that cannot be found gets no commands rather than commands for a guess.
    WIN32_FIND_DATAW found;
    if (!win32::FindHandle(FindFirstFileW(path.c_str(), &found))) return LastError();
    const std::u16string name(win32::U16Ptr(found.cFileName));
    const MenuPlan plan = PlanMenu(name, found.dwFileAttributes);

    auto caption = [](int offset) { return win32::WidePtr(OffsetCaption(offset).data()); };
    if (!AppendMenuW(menu, MF_SEPARATOR, 0, nullptr)) return LastError();
    if (plan.extractPopup) {
      win32::Menu popup(CreatePopupMenu());
      if (!popup) return LastError();
      const std::wstring named = win32::Wide(plan.extractFolderText);
      const bool filled = AppendMenuW(popup.get(), MF_STRING, idCmdFirst + kExtractHere, caption(kExtractHere)) &&
                          AppendMenuW(popup.get(), MF_STRING, idCmdFirst + kExtractToNamed, named.c_str()) &&
                          AppendMenuW(popup.get(), MF_STRING, idCmdFirst + kExtractSpecify, caption(kExtractSpecify));
      if (!filled ||
          !AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), win32::WidePtr(kExtractToText))) {
        return LastError();
      }
      popup.release();             // the menu owns its popup now
      module.currentCommand += 4;  // the popup and its three entries
    }
    for (int offset : plan.topOffsets) {
      if (!AppendMenuW(menu, MF_STRING | MF_BYPOSITION, idCmdFirst + offset, caption(offset))) return LastError();
      ++module.currentCommand;
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, plan.itemCount);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDMETHODIMP ContextMenuHandler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  try {
    if (info == nullptr) return E_POINTER;
    if (info->cbSize != sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
    std::wstring path;
    if (const HRESULT hr = ReadSelection(path); FAILED(hr)) return hr;

    const ModuleState& module = Module();
    UINT offset = 0;
    if (module.commandNamed) {
      offset = module.currentCommand - module.firstCommand;
    } else if (IS_INTRESOURCE(info->lpVerb)) {
      // A caller that skipped GetCommandString: the offset in the verb field.
      offset = LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb));
    } else {
      return E_INVALIDARG;  // a verb by name: this handler has none
    }
    if (offset > static_cast<UINT>(kLastOffset)) return E_INVALIDARG;
    switch (offset) {
      case kEncrypt:
        return RunEncryptDialog(info->hwnd, path);
      case kDecrypt:
        return RunDecryptDialog(info->hwnd, path);
      case kAddToZip:
        return RunAddToZip(info->hwnd, path);
      case kExtractHere:
        return RunExtractTo(info->hwnd, path, ExtractTarget::CurrentDirectory);
      case kExtractToNamed:
        return RunExtractTo(info->hwnd, path, ExtractTarget::NamedFolder);
      case kExtractSpecify:
        return RunExtractTo(info->hwnd, path, ExtractTarget::SpecifyDirectory);
      case kAddToToday:
        return RunAddToToday(path);
      case kProperties:
        return RunProperties(info->hwnd, path);
      default:
        return E_INVALIDARG;
    }
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDMETHODIMP ContextMenuHandler::GetCommandString(UINT_PTR idCmd, UINT flags, UINT*, CHAR* name, UINT cchMax) {
  ModuleState& module = Module();
  module.currentCommand = static_cast<UINT>(idCmd);
  module.commandNamed = true;
  switch (flags) {
    case GCS_VERBA:
      if (name != nullptr && cchMax > 0) {
        // Cut to fit, and always terminated, so the caller never reads past its buffer.
        static constexpr char kVerb[] = "CME Sample";
        const UINT n = cchMax - 1 < sizeof kVerb - 1 ? cchMax - 1 : sizeof kVerb - 1;
        CopyMemory(name, kVerb, n);
        name[n] = '\0';
      }
      return S_OK;
    case GCS_HELPTEXTA:
      if (name != nullptr && cchMax > 0) name[0] = '\0';
      return S_OK;
    case GCS_VALIDATEA:
      return idCmd != 0 ? S_OK : S_FALSE;
    default:
      return E_NOTIMPL;
  }
}

}  // namespace

HRESULT CreateContextMenuHandler(REFIID riid, void** ppv) noexcept {
  return CreateObject<ContextMenuHandler>(riid, ppv);
}

}  // namespace quintar::menuvex
