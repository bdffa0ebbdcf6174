// "Choose Program (%s)": the registered applications, one of which opens a file and may become
// its extension's default; "Browse..." registers another program.
#pragma once

#include <windows.h>

#include <string>

namespace quintar::fileops {

struct ChooseProgramRequest {
  std::wstring folder;     // the file's folder ("" for the root)
  std::wstring name;       // the file's name, or "." and an extension alone
  std::wstring extension;  // without its dot
  bool alwaysUse = false;  // the check box forced on and disabled
  bool openAfter = false;  // open the file with the chosen program
};

// The dialog's templates and controls.
inline constexpr int kChooseProgramSquare = 157;
inline constexpr int kChooseProgramPortrait = 165;
inline constexpr int kChooseProgramLandscape = 166;
inline constexpr int kChooseProgramHeader = 1097;
inline constexpr int kChooseProgramList = 1098;
inline constexpr int kChooseProgramAlways = 1099;
inline constexpr int kChooseProgramBrowse = 1004;

// The extension of a file name: what follows its last dot; empty when it has none.
std::wstring ExtensionOf(const std::wstring& name);

// IDOK after Done with a program chosen, IDCANCEL otherwise, -1 when the dialog cannot open.
INT_PTR ChooseProgram(HINSTANCE instance, HWND owner, const ChooseProgramRequest& request);

}  // namespace quintar::fileops
