// COM interface pointers are held by WRL's ComPtr, which releases on every path.
#pragma once

#include <wrl/client.h>

namespace quintar::win32 {
using Microsoft::WRL::ComPtr;
}  // namespace quintar::win32
