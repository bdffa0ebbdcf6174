// Menuvex's ZIP commands: "Add to ZIP File", the three "Extract To" entries and the folder
// picker of "Specify Directory". Each runs modally over File Explorer's window; the archive work
// runs on a worker thread behind a small progress dialog.
#pragma once

#include <windows.h>

#include <string>

namespace quintar::menuvex {

// Packs the selected file or folder into a new archive beside it. S_OK once done or cancelled;
// the failure's HRESULT when the archive could not be made (nothing is left of it then).
HRESULT RunAddToZip(HWND owner, const std::wstring& source) noexcept;

enum class ExtractTarget { CurrentDirectory, NamedFolder, SpecifyDirectory };
// Unpacks the selected archive into its own folder, a folder named after it, or a folder the
// user picks. S_OK once done, cancelled or declined; a failure's HRESULT otherwise.
HRESULT RunExtractTo(HWND owner, const std::wstring& archive, ExtractTarget target) noexcept;

}  // namespace quintar::menuvex
