// Menuvex's process-wide state: the instance handle, the count of live objects that keeps the
// DLL loaded, and the menu's command identifiers shared by every handler of the process.
#pragma once

#include <windows.h>

#include <new>

#include "win32/com.h"

namespace quintar::menuvex {

// {359BDB2D-B31D-41F9-9CD3-E136B4843987}
inline constexpr CLSID kHandlerClsid = {0x359BDB2D, 0xB31D, 0x41F9, {0x9C, 0xD3, 0xE1, 0x36, 0xB4, 0x84, 0x39, 0x87}};
inline constexpr wchar_t kHandlerClsidText[] = L"{359BDB2D-B31D-41F9-9CD3-E136B4843987}";

struct ModuleState {
  HINSTANCE instance = nullptr;
  volatile LONG objects = 0;  // live factories and handlers
  UINT firstCommand = 0;      // idCmdFirst of the last QueryContextMenu
  UINT currentCommand = 0;    // advanced by QueryContextMenu, overwritten by GetCommandString
  // Whether GetCommandString named a command since the last QueryContextMenu; without that the
  // current identifier only counts the items, and the verb field is asked instead.
  bool commandNamed = false;
};

ModuleState& Module() noexcept;

inline void ObjectCreated() noexcept { InterlockedIncrement(&Module().objects); }
inline void ObjectDestroyed() noexcept { InterlockedDecrement(&Module().objects); }

// A new T handed out as the interface asked for; one nobody took (an interface it lacks) goes at
// once. Never throws.
template <class T>
HRESULT CreateObject(REFIID riid, void** ppv) noexcept {
  win32::ComPtr<T> object(new (std::nothrow) T());
  if (!object) return E_OUTOFMEMORY;
  return object->QueryInterface(riid, ppv);
}

// The class factory; *ppv gets the interface asked for. Never throws.
HRESULT CreateHandlerFactory(REFIID riid, void** ppv) noexcept;
// A new ContextMenuHandler, the interface asked for.
HRESULT CreateContextMenuHandler(REFIID riid, void** ppv) noexcept;

HRESULT RegisterServer() noexcept;

}  // namespace quintar::menuvex
