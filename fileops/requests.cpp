// The entry points of the copy/move and delete runs: the checks before anything is touched, then
// the run behind its progress dialog with the folder watcher paused.
#include <string>

#include "fileops/engine.h"
#include "fileops/fileops.h"
#include "fileops/progress.h"
#include "fileops/prompts.h"
#include "fileops/winutil.h"
#include "win32/messagebox.h"
#include "win32/text.h"

namespace quintar::fileops {
namespace {

using core::kMaxPath;
using win32::U16View;
using win32::Wide;

std::wstring_view FieldText(const wchar_t (&field)[260]) { return std::wstring_view(field, wcsnlen(field, 260)); }
bool FieldTerminated(const wchar_t (&field)[260]) { return wcsnlen(field, 260) < 260; }

std::wstring PathOf(const FileItem& item) {
  std::wstring path(FieldText(item.folder));
  path.push_back(L'\\');
  path.append(FieldText(item.name));
  return path;
}

bool ItemsReadable(std::span<FileItem> items) {
  for (const FileItem& item : items)
    if (!FieldTerminated(item.folder) || !FieldTerminated(item.name)) return false;
  return true;
}

// Refusals name no caption: the platform's default shows, with the stop icon.
constexpr UINT kRefusalStyle = MB_OK | MB_ICONSTOP;

// One run at a time: a request reached while a progress dialog is up is refused.
bool Running() noexcept { return ProgressDialog::IsOpen(); }

// The first check that refuses the transfer, with its message; "" when none does.
std::wstring TransferRefusal(std::wstring_view destFolder, std::span<FileItem> items, bool move) {
  const wchar_t* illegal = move ? L"Illegal move operation." : L"Illegal copy operation.";
  if (!ItemsReadable(items) || destFolder.size() > kMaxPath) return illegal;
  if (move) {
    for (const FileItem& item : items)
      if (FieldText(item.folder) == destFolder) return L"Illegal move operation.";
  }
  std::wstring foldedDest = FoldCase(destFolder);
  for (const FileItem& item : items) {
    std::wstring path = PathOf(item);
    if (item.kind == kKindFolder) {
      if (core::IsSystemFolder(U16View(path))) return L"'Windows' is a system folder and cannot be moved nor deleted.";
      if (core::IsSameOrInside(U16View(FoldCase(path)), U16View(foldedDest))) return illegal;
    }
    // A target the device cannot name is refused before anything is touched.
    if (item.kind == kKindFolder || item.kind == kKindFile) {
      std::u16string_view name = U16View(FieldText(item.name));
      std::size_t targetLength = FieldText(item.folder) == destFolder
                                     ? core::NumberedCopyPath(U16View(destFolder), name, 1).size()
                                     : destFolder.size() + 1 + name.size();
      if (path.size() > kMaxPath || targetLength > kMaxPath) return Wide(core::CannotCopyText(name));
    }
  }
  return {};
}

// Runs `engine` behind the progress dialog `templateId` with the watcher paused.
void RunBehindProgress(Engine& engine, HWND owner, int templateId, const Hooks& hooks) {
  if (hooks.suspendWatching) hooks.suspendWatching();
  ProgressDialog dialog(engine, owner, hooks.idleResetMs);
  const bool started = dialog.Run(templateId);
  if (hooks.resumeWatching) hooks.resumeWatching();
  if (hooks.report) *hooks.report = RunReport{!started || engine.Canceled(), dialog.Processed(), engine.Total()};
}

}  // namespace

int StartTransfer(HWND owner, std::wstring_view sourceFolder, std::wstring_view destFolder, std::span<FileItem> items,
                  bool move, const Hooks& hooks) {
  (void)sourceFolder;  // each item names its own folder, which is what is read
  try {
    if (Running() || items.empty()) return kRefused;
    if (std::wstring refusal = TransferRefusal(destFolder, items, move); !refusal.empty()) {
      win32::ScreenMessageBox(owner, refusal.c_str(), nullptr, kRefusalStyle);
      return kRefused;
    }
    Engine engine(move ? RunKind::Move : RunKind::Copy, items, destFolder, hooks);
    RunBehindProgress(engine, owner, ids::kCopyProgress, hooks);
    return kRan;
  } catch (...) {
    return kRefused;
  }
}

int StartDelete(HWND owner, std::wstring_view currentFolder, std::span<FileItem> items, const Hooks& hooks) {
  (void)currentFolder;  // each item names its own folder, which is what is read
  try {
    if (Running() || items.empty()) return kRefused;
    if (!ItemsReadable(items)) return kRefused;
    for (const FileItem& item : items) {
      if (FieldText(item.folder).size() + 1 + FieldText(item.name).size() > kMaxPath) {
        win32::ScreenMessageBox(owner, Wide(core::CannotDeleteText(U16View(FieldText(item.name)))).c_str(), nullptr,
                                kRefusalStyle);
        return kRefused;
      }
    }
    std::wstring question = Wide(core::DeleteQuestion(static_cast<int>(items.size()), items[0].kind == kKindFolder,
                                                      U16View(FieldText(items[0].name))));
    if (!AskDeleteOpening(owner, question)) return kRefused;
    Engine engine(RunKind::Delete, items, {}, hooks);
    RunBehindProgress(engine, owner, ids::kDeleteProgress, hooks);
    return kRan;
  } catch (...) {
    return kRefused;
  }
}

}  // namespace quintar::fileops
