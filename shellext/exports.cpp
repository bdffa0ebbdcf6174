// Menuvex.dll's entry points.
#include <windows.h>

#include "shellext/module.h"

using quintar::menuvex::Module;

namespace quintar::menuvex {
ModuleState& Module() noexcept {
  static ModuleState state;
  return state;
}
}  // namespace quintar::menuvex

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    Module().instance = instance;
  }
  return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  if (!IsEqualCLSID(rclsid, quintar::menuvex::kHandlerClsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return quintar::menuvex::CreateHandlerFactory(riid, ppv);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return Module().objects == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT WINAPI DllRegisterServer() { return quintar::menuvex::RegisterServer(); }
