// Export and import of Tamsk's registry files against the real registry (Win32 side of
// regeditor/core/regfile.h). Output is buffered: the bytes are exactly the writer's, written in
// large blocks. No function here shows a message; the caller shows the texts given below.
// Each call is synchronous; inside, a second thread may keep a second registry call in flight.
// No exception leaves these functions (out of memory gives false and a text).
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace quintar::tamsk {

inline constexpr wchar_t kCreateFileError[] = L"Error while creating the file";
inline constexpr wchar_t kWriteFileError[] = L"Error while writing the file";

// Writes the header, then root\subkey with its values and everything below it, at the end of
// `file` (created when missing; with append false an existing file is replaced first).
// root: one of the four predefined roots; rootName its name ("HKEY_CURRENT_USER");
// subkey: "" for the root itself or a path starting with "\" ("\Software\Apps").
// A key or subkey that cannot be read gets no value lines; the walk goes on.
// false when the file cannot be opened (*error = kCreateFileError) or a write fails
// (*error = kWriteFileError; what was written stays).
bool ExportKey(HKEY root, const std::wstring& rootName, const std::wstring& subkey, const std::wstring& file,
               bool append, std::wstring* error);

// The four roots in the order HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
// HKEY_USERS into one file, header only before the first. Errors as ExportKey.
bool ExportAll(const std::wstring& file, bool append, std::wstring* error);

struct ImportStats {
  std::size_t keys = 0;           // key lines applied (key created or opened)
  std::size_t valuesWritten = 0;  // values created or overwritten
  std::size_t valuesKept = 0;     // values left as they were
  std::size_t failures = 0;       // keys or values the registry refused
  std::size_t ignored = 0;        // key lines under unknown roots, unknown type words
  std::size_t badNumbers = 0;     // REG_DWORD / REG_BINARY data that is not hexadecimal: the
                                  // caller shows "The input should be 0 to 9, or a(A)to f(F)!"
};

// Reads `file` and applies it: keys are created, values created or overwritten as the file
// format's rules say; nothing is ever deleted. false only when the file cannot be opened or read
// (*error says why); malformed content is passed over and counted in *stats.
bool ImportFile(const std::wstring& file, ImportStats* stats, std::wstring* error);

// The predefined handle of a root name, or nullptr for any other text.
HKEY RootHandleFromName(const std::wstring& rootName);

}  // namespace quintar::tamsk
