// A search of the device's folders (CeFindFirstFile), closed through the device so that its
// attribute overlay forgets the search at once.
#pragma once

#include <windows.h>

#include <ceservices.h>

#include "win32/handle.h"

namespace quintar::win32 {

struct DeviceFindTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) noexcept { return CeFindClose(h) != FALSE; }
};
using DeviceFindHandle = Owner<DeviceFindTraits>;

}  // namespace quintar::win32
