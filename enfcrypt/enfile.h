// Encrypting and decrypting files in the ".enf" format (Win32). Shared by Menuvex's two dialogs
// and decryptor.exe; neither function shows anything, the caller reports the result.
#pragma once

// Included first: EncryptFile and DecryptFile are also the system's macros, and every unit must
// see these names the same way.
#include <windows.h>

#include <string>
#include <string_view>

namespace quintar::enfcrypt {

enum class FileResult {
  Ok,
  WrongPassword,      // not the stored password, or no readable trailer
  PasswordTooLong,    // more than 32 bytes: does not fit the trailer, nothing written
  SourceUnreadable,   // the source could not be opened or read to its end
  OutputExists,       // the output file is already there; it was left as it is
  OutputUncreatable,  // the output file could not be created (path, folder, medium)
  WriteFailed,        // writing the output failed midway; the partial output was removed
};

// Writes sourcePath + L".enf" as a new file; never overwrites. `password` is the 8-bit form
// (PasswordBytes), 0 to 32 bytes; the dialogs refuse an empty one before calling. On any
// failure no output is left behind except an output file that already existed, and the source
// is never touched.
FileResult EncryptFile(const std::wstring& sourcePath, std::string_view password);

// Writes encryptedPath without its last four characters as a new file; never overwrites. Ok
// only when the password was accepted and the whole output written; a partial output is
// removed. The encrypted file is never touched: deleting it on Ok is the caller's choice.
FileResult DecryptFile(const std::wstring& encryptedPath, std::string_view password);

// A short English sentence for a result, for the failures without a text of the program's own.
const wchar_t* FileResultText(FileResult result) noexcept;

}  // namespace quintar::enfcrypt
