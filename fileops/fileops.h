// Folderon's file operations: the copy/move and delete engines with their progress dialogs and
// questions, the folder chooser, New Folder and in-place rename in the list pane.
//
// Resources: fileops.rc (dialogs 104, 105/171/172, 106, 107, 109, 110, 108/173/174, 121) must be linked into
// the program; by default they are looked up in the module that holds this code.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "fileops/core/fileops_core.h"

namespace quintar::fileops {

inline constexpr std::int32_t kKindFolder = 1;
inline constexpr std::int32_t kKindFile = 2;

// One selected entry handed over by the list pane. Entries of another kind are ignored.
struct FileItem {
  std::int32_t listIndex = -1;
  std::int32_t kind = 0;
  wchar_t folder[260] = {};  // without a trailing backslash; "" for the root
  wchar_t name[260] = {};
  std::int32_t done = 0;  // set by StartDelete: 1 when the entry is gone
};

// Fills an item; false (item untouched) when folder or name does not fit in 259 characters.
bool MakeFileItem(FileItem& item, int listIndex, int kind, std::wstring_view folder, std::wstring_view name) noexcept;

// The final state of a run, for callers that want more than the result code.
struct RunReport {
  bool canceled = false;    // the status ended as "Canceled"
  long long processed = 0;  // the counter's last value
  long long total = 0;      // what the counting walk found
};

// What the engines need from the program around them.
struct Hooks {
  // Pause and resume the folder watcher for the whole run (FolderWatcher::Suspend / Resume);
  // the caller also drops change notifications already queued.
  std::function<void()> suspendWatching;
  std::function<void()> resumeWatching;
  // Consulted before each block written into a copied file, with the file being written and the
  // offset of the block; false makes that write fail as a full disk would. Empty in the program.
  std::function<bool(const std::wstring& target, unsigned long long offset)> beforeWrite;
  // Consulted before each rename of a moved entry; true makes the rename fail as between two
  // storage locations. Empty in the program.
  std::function<bool(const std::wstring& source, const std::wstring& target)> renameAcrossStorage;
  RunReport* report = nullptr;
  // How often a run keeps the device awake while no question is open.
  unsigned idleResetMs = 10000;
};

inline constexpr int kRan = 1;      // the request ran to its end (done or canceled)
inline constexpr int kRefused = 2;  // refused or declined; nothing was touched

// Copies or moves `items` (taken from `sourceFolder`) into `destFolder` behind the modal
// "Copy Files" / "Move Files" progress dialog. Refusals are shown in message boxes owned by
// `owner`. On kRan the caller refreshes the tree entries of the folders involved and the list.
int StartTransfer(HWND owner, std::wstring_view sourceFolder, std::wstring_view destFolder, std::span<FileItem> items,
                  bool move, const Hooks& hooks = {});

// Asks the opening question, then deletes `items` (taken from `currentFolder`) behind the modal
// "Delete files..." progress dialog, setting each item's `done`. kRan when the user said Yes.
int StartDelete(HWND owner, std::wstring_view currentFolder, std::span<FileItem> items, const Hooks& hooks = {});

// The folder chooser. `path` in: the folder to select at start; out: the chosen one ("" is the
// root). Returns 1 on Done, 2 on cancel, 0 when no template fits the screen. `changed` (may be
// null) is set when a folder was created or renamed inside, so the caller refreshes even then.
int ChooseFolder(HWND owner, std::wstring_view title, std::wstring& path, bool* changed);

// The name rule for a typed name (isPath: a whole typed path, where the backslash is allowed).
// On a break it shows the rule's message with the stop icon over `owner` and returns false.
bool ValidateName(HWND owner, std::wstring_view name, bool isPath = false);

// ---- The list pane's New Folder and rename ----------------------------------------------------

struct ListHooks {
  std::function<void()> suspendWatching;
  std::function<void()> resumeWatching;
  // Re-reads the list pane from the folder, so the new folder shows as a row.
  std::function<void()> refreshList;
};

// Creates "New Folder" (or "New Folder(n)") in `folder`, refreshes the list and opens the new
// row's label for editing. `owner` (the main window) owns the failure message. Returns the name
// created, or "" when none could be.
std::wstring NewFolderInList(HWND owner, HWND list, std::wstring_view folder, const ListHooks& hooks);

// The row whose label edit ended, as the list pane knows it.
struct LabelEditRow {
  int row = -1;
  int kind = 0;         // kKindFolder, kKindFile; anything else is not renamed
  std::wstring folder;  // the folder holding the entry
  std::wstring name;    // its current name
  bool hideExtensions = false;
};

// Called from the list pane's LVN_ENDLABELEDIT with the typed text (null when the edit was
// abandoned). Renames the entry; on 1 (accepted) `newName` holds the name now on disk and the
// caller drops the row's cached texts (and icon for a file), stores the name, updates search
// results and the tree. On 0 the label keeps its old text; a refused name reopens the editor with
// the typed text.
int EndLabelEdit(HWND owner, HWND list, const LabelEditRow& row, const wchar_t* text, const ListHooks& hooks,
                 std::wstring& newName);

// ---- Opening files -----------------------------------------------------------------------------

// "Specify parameter": asks what to open the file `name` with (up to 512 characters), full screen
// with Done and the input panel raised for the time it is open. 1 on Done with `parameters` set,
// 2 on Cancel, 0 when no template fits the screen.
int AskParameters(HWND owner, std::wstring_view name, std::wstring& parameters);

// Opens `file` (a device path) through the device's shell with the verb "open", `parameters` (none
// when empty), no working folder, shown, owned by `owner`. The shell reports its own failures.
bool ShellOpen(HWND owner, std::wstring_view file, std::wstring_view parameters = {});

// The module whose resources hold the templates (default: the one holding this code).
void SetResourceModule(HINSTANCE module) noexcept;

// Dialog and control identifiers, shared with tests.
namespace ids {
inline constexpr int kDeleteQuestion = 104;
inline constexpr int kParametersPortrait = 105;
inline constexpr int kCopyProgress = 106;
inline constexpr int kDeleteProgress = 107;
inline constexpr int kChooserPortrait = 108;
inline constexpr int kFolderConflict = 109;
inline constexpr int kFileConflict = 110;
inline constexpr int kRenameFolder = 121;
inline constexpr int kParametersLandscape = 171;
inline constexpr int kParametersSquare = 172;
inline constexpr int kChooserLandscape = 173;
inline constexpr int kChooserSquare = 174;

inline constexpr int kAll = 1003;
inline constexpr int kNo = 1007;
inline constexpr int kYes = 1008;
inline constexpr int kPromptCancel = 1002;
inline constexpr int kCancel = 1009;
inline constexpr int kQuestionText = 1045;
inline constexpr int kParameterEdit = 1054;
inline constexpr int kStatus = 1062;
inline constexpr int kRoute = 1067;
inline constexpr int kFolderConflictText = 1069;
inline constexpr int kPicture = 1070;
inline constexpr int kParameterText = 1074;
inline constexpr int kSourceIcon = 1075;
inline constexpr int kSourceSize = 1076;
inline constexpr int kSourceDate = 1077;
inline constexpr int kTargetIcon = 1078;
inline constexpr int kTargetSize = 1079;
inline constexpr int kTargetDate = 1080;
inline constexpr int kCounter = 1081;
inline constexpr int kProgress = 1082;
inline constexpr int kChooserHeader = 1091;
inline constexpr int kChooserTree = 1094;
inline constexpr int kOldName = 1095;
inline constexpr int kNewName = 1096;
inline constexpr int kCmdNewFolder = 40001;
inline constexpr int kCmdRename = 40046;
}  // namespace ids

}  // namespace quintar::fileops
