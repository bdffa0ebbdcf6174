// File Explorer's side of the context-menu handler contract: every handler registered under
// HKEY_CLASSES_ROOT "*\Shellex\ContextMenuHandlers" is created in process, given the selection
// through SetSite (the site yields an IDataObject offering CF_HDROP), asked to QueryContextMenu,
// and for the chosen item GetCommandString with that item's identifier, then InvokeCommand.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "win32/com.h"

namespace quintar::device {

class ContextMenuSession {
 public:
  ContextMenuSession() = default;
  ContextMenuSession(const ContextMenuSession&) = delete;
  ContextMenuSession& operator=(const ContextMenuSession&) = delete;
  ~ContextMenuSession();  // clears every handler's site and releases it

  // Fills menu with the handlers' items for the selected device paths (the first is the one tapped).
  void Build(HMENU menu, const std::vector<std::wstring>& selection);
  // Runs the item with the given identifier; S_FALSE when no handler owns it.
  HRESULT Invoke(HWND owner, UINT id);

  static constexpr UINT kFirstHandlerId = 0x100;

 private:
  struct Handler {
    win32::ComPtr<IContextMenu> menu;
    UINT first = 0, count = 0;
  };
  std::vector<Handler> handlers_;
  win32::ComPtr<IUnknown> site_;
};

// The data object that carries a selection of device paths as CF_HDROP; also serves as the site.
win32::ComPtr<IDataObject> CreateDropData(const std::vector<std::wstring>& paths);

}  // namespace quintar::device
