// DllRegisterServer: the class, its in-process server and the File Explorer handler key, in that
// order, stopping at the first failure.
#include <string>

#include "shellext/module.h"
#include "win32/handle.h"

namespace quintar::menuvex {
namespace {

bool Create(win32::RegKey& key, HKEY parent, const wchar_t* path) noexcept {
  return RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) == ERROR_SUCCESS;
}

// REG_SZ with its terminating NUL stored.
bool SetString(const win32::RegKey& key, const wchar_t* name, const wchar_t* text) noexcept {
  const DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) == ERROR_SUCCESS;
}

}  // namespace

HRESULT RegisterServer() noexcept {
  try {
    // Desktop registries refuse a subkey that starts with a backslash; without it the key is
    // the same one.
    const std::wstring classKey = std::wstring(L"CLSID\\") + kHandlerClsidText;
    const std::wstring handlerKey = std::wstring(L"*\\Shellex\\ContextMenuHandlers\\") + kHandlerClsidText;
    {
      win32::RegKey cls, server;
      if (!Create(cls, HKEY_CLASSES_ROOT, classKey.c_str()) || !SetString(cls, nullptr, L"CME Plugin Sample"))
        return E_FAIL;
      if (!Create(server, cls.get(), L"InprocServer32") || !SetString(server, nullptr, L"Menuvex.dll") ||
          !SetString(server, L"ThreadingModel", L"Free"))
        return E_FAIL;
    }
    win32::RegKey handler;
    if (!Create(handler, HKEY_CLASSES_ROOT, handlerKey.c_str()) || !SetString(handler, nullptr, L"Free")) return E_FAIL;
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace quintar::menuvex
