// The questions of the copy/move and delete runs: the file and folder conflicts and the delete
// question, each a modal dialog over `over`, centred on it and brought to the foreground.
#pragma once

#include <windows.h>

#include <string>

#include "fileops/core/fileops_core.h"

namespace quintar::fileops {

// "Replace existing File?" for the existing `target` and the incoming `source`; closing answers No.
core::ReplaceMode AskFileConflict(HWND over, const std::wstring& target, const std::wstring& source);

// "Replace existing Folder?" for the existing `folder`: true merges, false (or closing) skips.
bool AskFolderMerge(HWND over, const std::wstring& folder);

// The delete question before a run, with Yes and No only: true for Yes.
bool AskDeleteOpening(HWND owner, const std::wstring& question);
// The delete question during a run, with Yes, No, All and Cancel; closing answers No.
core::ReplaceMode AskDeleteItem(HWND over, const std::wstring& question);

}  // namespace quintar::fileops
