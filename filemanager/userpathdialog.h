// The User Path dialog: the user's own folders for the Go-to menu, added, deleted and edited in
// place. Changes apply to the list as they are made; OK and Cancel only close.
#pragma once

#include <windows.h>

#include <string>

#include "filemanager/core/history.h"

namespace folderon {

// `currentFolder` is what Add appends (the root and the search hits as "My Pocket PC").
void ShowUserPathDialog(HINSTANCE instance, HWND owner, quintar::folderon::UserPaths& paths,
                        const std::wstring& currentFolder);

}  // namespace folderon
