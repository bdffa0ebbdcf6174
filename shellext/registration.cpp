// DllRegisterServer: the class, its in-process server and the File Explorer handler key, in that
// order, stopping at the first failure.
#include <string>

#include "shellext/module.h"

namespace quintar::menuvex {
namespace {

class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() { Close(); }
  void Close() noexcept {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
  }
  bool Create(HKEY parent, const wchar_t* path) noexcept {
    Close();
    return RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key_, nullptr) == ERROR_SUCCESS;
  }
  // REG_SZ with its terminating NUL stored.
  bool SetString(const wchar_t* name, const wchar_t* text) const noexcept {
    const DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) == ERROR_SUCCESS;
  }
  HKEY get() const noexcept { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

HRESULT RegisterServer() noexcept {
  try {
    // Desktop registries refuse a subkey that starts with a backslash; without it the key is
    // the same one.
    const std::wstring classKey = std::wstring(L"CLSID\\") + kHandlerClsidText;
    const std::wstring handlerKey = std::wstring(L"*\\Shellex\\ContextMenuHandlers\\") + kHandlerClsidText;
    {
      Key cls, server;
      if (!cls.Create(HKEY_CLASSES_ROOT, classKey.c_str()) || !cls.SetString(nullptr, L"CME Plugin Sample"))
        return E_FAIL;
      if (!server.Create(cls.get(), L"InprocServer32") || !server.SetString(nullptr, L"Menuvex.dll") ||
          !server.SetString(L"ThreadingModel", L"Free"))
        return E_FAIL;
    }
    Key handler;
    if (!handler.Create(HKEY_CLASSES_ROOT, handlerKey.c_str()) || !handler.SetString(nullptr, L"Free")) return E_FAIL;
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace quintar::menuvex
