// Menuvex's encryption and decryption dialogs: modal, owned by File Explorer's window, from the
// template of the current screen shape.
#pragma once

#include <windows.h>

#include <string>

namespace quintar::menuvex {

// S_OK once the dialog has closed, whatever the user chose; the dialog reports its own
// failures. An HRESULT of the last error when the dialog could not be opened.
HRESULT RunEncryptDialog(HWND owner, const std::wstring& sourcePath) noexcept;
HRESULT RunDecryptDialog(HWND owner, const std::wstring& encryptedPath) noexcept;

}  // namespace quintar::menuvex
