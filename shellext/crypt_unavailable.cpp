// Built only while the encrypted-file module is missing from the build: the two commands
// refuse honestly rather than pretend.
#include "shellext/crypt_dialogs.h"

namespace quintar::menuvex {

HRESULT RunEncryptDialog(HWND, const std::wstring&) noexcept { return E_NOTIMPL; }
HRESULT RunDecryptDialog(HWND, const std::wstring&) noexcept { return E_NOTIMPL; }

}  // namespace quintar::menuvex
