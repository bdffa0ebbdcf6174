// Menuvex is not built yet: it serves no class and refuses registration, so File Explorer
// shows none of its commands rather than broken ones.
#include <windows.h>

extern "C" HRESULT WINAPI DllCanUnloadNow() { return S_OK; }

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, void** object) {
  if (object) *object = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllRegisterServer() { return E_NOTIMPL; }
