// The ZIP commands' dialogs: "Compressing" and "Extracting", whose worker does the archive work
// while the dialog shows the entry and the bar, and the folder picker of "Specify Directory".
#include "shellext/zip_dialogs.h"

#include <commctrl.h>
#include <shellapi.h>

#include <ceservices.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <span>
#include <string>

#include "dialogs/dialogs.h"
#include "shellext/menu_plan.h"
#include "shellext/module.h"
#include "shellext/resource.h"
#include "win32/device_find.h"
#include "win32/handle.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/text.h"
#include "win32/window.h"
#include "zip/zipfiles.h"

namespace quintar::menuvex {
namespace {

void LoadControls() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
}

HRESULT ResultOf(const zip::RunResult& run) {
  if (run.result != zip::Result::Failed) return S_OK;  // done, or cancelled by the user
  return HRESULT_FROM_WIN32(run.error != ERROR_SUCCESS ? run.error : ERROR_GEN_FAILURE);
}

// ---- Progress dialog -------------------------------------------------------------------------

class ZipProgressDialog final : public win32::Dialog<ZipProgressDialog>, public zip::Progress {
 public:
  using Work = std::function<zip::RunResult(zip::Progress&, const std::atomic<bool>&)>;
  ZipProgressDialog(int templateId, const wchar_t* title, Work work) noexcept
      : templateId_(templateId), title_(title), work_(std::move(work)) {}

  HRESULT Run(HWND owner) noexcept {
    LoadControls();
    const INT_PTR shown =
        dialogs::DialogBoxForShape(Module().instance, dialogs::TemplatesById(templateId_, templateId_, templateId_),
                                   owner, &Dialog::Proc, Param());
    if (shown == -1) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_DATA);
    return ResultOf(run_);
  }

 private:
  friend Dialog;
  // Posted to itself once the dialog is up: start the worker (700 compresses, 702 extracts).
  static constexpr UINT kStartCompress = 700, kStartExtract = 702;
  static constexpr UINT kShowProgress = WM_APP + 70, kWorkerDone = WM_APP + 71;

  static std::span<const win32::DialogMessageEntry<ZipProgressDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<ZipProgressDialog> kMessages[] = {
        win32::On<&ZipProgressDialog::OnInit>(WM_INITDIALOG),
        win32::On<&ZipProgressDialog::OnStart>(kStartCompress),
        win32::On<&ZipProgressDialog::OnStart>(kStartExtract),
        win32::On<&ZipProgressDialog::OnShowProgress>(kShowProgress),
        win32::On<&ZipProgressDialog::OnWorkerDone>(kWorkerDone),
        win32::On<&ZipProgressDialog::OnClose>(WM_CLOSE),
    };
    return kMessages;
  }
  // Enter and Esc arrive as IDOK and IDCANCEL: both mean Cancel, never an early end.
  static std::span<const win32::CommandEntry<ZipProgressDialog>> Commands() {
    static constexpr win32::CommandEntry<ZipProgressDialog> kCommands[] = {
        win32::Command<&ZipProgressDialog::Cancel>(IDC_ZIP_CANCEL), win32::Command<&ZipProgressDialog::Cancel>(IDOK),
        win32::Command<&ZipProgressDialog::Cancel>(IDCANCEL)};
    return kCommands;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    SetWindowTextW(hwnd(), title_);
    SendDlgItemMessageW(hwnd(), IDC_ZIP_PROGRESS, PBM_SETRANGE32, 0, 100);
    PostMessageW(hwnd(), templateId_ == IDD_COMPRESS ? kStartCompress : kStartExtract, 0, 0);
    return TRUE;
  }

  INT_PTR OnStart(WPARAM, LPARAM) {
    if (thread_) return TRUE;
    ObjectCreated();  // the DLL stays loaded while the worker runs
    thread_.reset(CreateThread(nullptr, 0, &ZipProgressDialog::Worker, this, 0, nullptr));
    if (!thread_) {
      ObjectDestroyed();
      run_ = {zip::Result::Failed, GetLastError()};
      EndDialog(hwnd(), IDABORT);
    }
    return TRUE;
  }

  static DWORD WINAPI Worker(LPVOID param) {
    auto& self = *static_cast<ZipProgressDialog*>(param);
    try {
      self.run_ = self.work_(self, self.stop_);
    } catch (...) {
      self.run_ = {zip::Result::Failed, ERROR_NOT_ENOUGH_MEMORY};
    }
    PostMessageW(self.hwnd(), kWorkerDone, 0, 0);
    ObjectDestroyed();
    return 0;
  }

  // On the worker: keep the latest and let the dialog show it when it gets round to it.
  void Entry(std::wstring_view name, unsigned percent) override {
    {
      std::lock_guard lock(lock_);
      entry_.assign(name);
      percent_ = percent;
      if (posted_) return;
      posted_ = true;
    }
    PostMessageW(hwnd(), kShowProgress, 0, 0);
  }

  INT_PTR OnShowProgress(WPARAM, LPARAM) {
    std::wstring entry;
    unsigned percent = 0;
    {
      std::lock_guard lock(lock_);
      entry.swap(entry_);
      percent = percent_;
      posted_ = false;
    }
    SetDlgItemTextW(hwnd(), IDC_ZIP_ENTRY, entry.c_str());
    SendDlgItemMessageW(hwnd(), IDC_ZIP_PROGRESS, PBM_SETPOS, percent, 0);
    return TRUE;
  }

  INT_PTR OnWorkerDone(WPARAM, LPARAM) {
    WaitForSingleObject(thread_.get(), INFINITE);  // it has posted its last word and is returning
    thread_.reset();
    EndDialog(hwnd(), IDOK);
    return TRUE;
  }

  INT_PTR OnClose(WPARAM, LPARAM) {
    Cancel();
    return TRUE;
  }

  // The worker sees the flag between entries and every 64 KiB, cleans up after itself (a
  // half-written archive goes) and reports; the dialog ends then, pumping messages meanwhile.
  void Cancel() {
    if (!thread_) {
      EndDialog(hwnd(), IDCANCEL);  // the worker never started
      return;
    }
    stop_.store(true);
    EnableWindow(GetDlgItem(hwnd(), IDC_ZIP_CANCEL), FALSE);
  }

  int templateId_;
  const wchar_t* title_;
  Work work_;
  win32::KernelHandle thread_;
  std::atomic<bool> stop_{false};
  zip::RunResult run_{zip::Result::Done};
  std::mutex lock_;
  std::wstring entry_;
  unsigned percent_ = 0;
  bool posted_ = false;
};

// ---- Folder picker ---------------------------------------------------------------------------

const dialogs::TemplateSet& PickerTemplates() {
  static const dialogs::TemplateSet set =
      dialogs::TemplatesById(IDD_PICKER_SQUARE, IDD_PICKER_PORTRAIT, IDD_PICKER_LANDSCAPE);
  return set;
}

bool HasAnyEntry(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  win32::DeviceFindHandle find(CeFindFirstFile((folder + L"\\*.*").c_str(), &found));
  if (!find) return false;
  do {
    if (lstrcmpW(found.cFileName, L".") != 0 && lstrcmpW(found.cFileName, L"..") != 0) return true;
  } while (CeFindNextFile(find.get(), &found));
  return false;
}

int SmallIconIndex(const std::wstring& path) {
  SHFILEINFOW info{};
  SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return info.iIcon;
}

class FolderPicker final : public win32::Dialog<FolderPicker> {
 public:
  explicit FolderPicker(std::wstring proposed) noexcept : folder_(std::move(proposed)) {}

  // The folder chosen, or nothing when the user cancelled.
  bool Run(HWND owner, std::wstring& chosen) noexcept {
    LoadControls();
    const INT_PTR result =
        dialogs::DialogBoxForShape(Module().instance, PickerTemplates(), owner, &Dialog::Proc, Param());
    if (result != IDOK) return false;
    chosen = folder_;
    return true;
  }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<FolderPicker>> Messages() {
    static constexpr win32::DialogMessageEntry<FolderPicker> kMessages[] = {
        win32::On<&FolderPicker::OnInit>(WM_INITDIALOG),
        win32::On<&FolderPicker::OnNotify>(WM_NOTIFY),
    };
    return kMessages;
  }
  static std::span<const win32::CommandEntry<FolderPicker>> Commands() {
    static constexpr win32::CommandEntry<FolderPicker> kCommands[] = {
        win32::Command<&FolderPicker::Confirm>(IDC_PICKER_OK),
        win32::Command<&FolderPicker::Confirm>(IDOK),  // the title bar's Done button
        win32::Command<&FolderPicker::Close>(IDC_ZIP_CANCEL), win32::Command<&FolderPicker::Close>(IDCANCEL)};
    return kCommands;
  }

  HWND Tree() const { return GetDlgItem(hwnd(), IDC_PICKER_TREE); }

  INT_PTR OnInit(WPARAM, LPARAM) {
    win32::InitFullScreenDialog(hwnd());
    dialogs::AttachRelayout(hwnd(), Module().instance, PickerTemplates());
    dialogs::RelayoutForCurrentShape(hwnd(), Module().instance, PickerTemplates());
    SendDlgItemMessageW(hwnd(), IDC_PICKER_PATH, EM_LIMITTEXT, core::kMaxPathChars, 0);
    SetDlgItemTextW(hwnd(), IDC_PICKER_PATH, folder_.c_str());
    SHFILEINFOW info{};
    // The system's list: shared, never destroyed by its users.
    const auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"\\windows", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (images) TreeView_SetImageList(Tree(), images, TVSIL_NORMAL);

    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(L"\\");
    insert.item.iImage = insert.item.iSelectedImage = info.iIcon;
    insert.item.cChildren = 1;
    const HTREEITEM root = TreeView_InsertItem(Tree(), &insert);
    Fill(root, L"\\");
    TreeView_SetItemState(Tree(), root, TVIS_EXPANDED, TVIS_EXPANDED);  // shown open, without a refill
    return TRUE;
  }

  // The folders of `path` as children of `item`, sorted; hidden system folders are left out.
  void Fill(HTREEITEM item, const std::wstring& path) {
    win32::WaitCursor wait;
    const HWND tree = Tree();
    const std::wstring folder = path == L"\\" ? L"" : path;
    WIN32_FIND_DATAW found;
    win32::DeviceFindHandle find(CeFindFirstFile((folder + L"\\*.*").c_str(), &found));
    if (!find) return;
    win32::RedrawOff quiet(tree);
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      if (lstrcmpW(found.cFileName, L".") == 0 || lstrcmpW(found.cFileName, L"..") == 0) continue;
      constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
      if ((found.dwFileAttributes & kHiddenSystem) == kHiddenSystem) continue;
      const std::wstring child = folder + L"\\" + found.cFileName;
      TVINSERTSTRUCTW insert{};
      insert.hParent = item;
      insert.hInsertAfter = TVI_SORT;
      insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
      insert.item.pszText = found.cFileName;
      insert.item.iImage = insert.item.iSelectedImage = SmallIconIndex(child);
      insert.item.cChildren = HasAnyEntry(child) ? 1 : 0;
      TreeView_InsertItem(tree, &insert);
    } while (CeFindNextFile(find.get(), &found));
  }

  // The item's texts from the root down, joined with "\"; the root "\" adds nothing of its own.
  std::wstring ItemPath(HTREEITEM item) const {
    std::wstring path;
    for (HTREEITEM at = item; at && TreeView_GetParent(Tree(), at); at = TreeView_GetParent(Tree(), at))
      path.insert(0, L"\\" + win32::TreeItemText(Tree(), at));
    return path.empty() ? L"\\" : path;
  }

  INT_PTR OnNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != IDC_PICKER_TREE) return FALSE;
    const auto* view = reinterpret_cast<const NMTREEVIEWW*>(lParam);
    if (header->code == TVN_SELCHANGEDW) {
      SetDlgItemTextW(hwnd(), IDC_PICKER_PATH, ItemPath(view->itemNew.hItem).c_str());
    } else if (header->code == TVN_ITEMEXPANDINGW && (view->action & TVE_EXPAND)) {
      // The item being opened, read anew from the device every time.
      const HTREEITEM item = view->itemNew.hItem;
      if (!item) {
        win32::ShowMessage(hwnd(), L"No Items in TreeView", L"Error", MB_ICONINFORMATION);
        return FALSE;
      }
      win32::RedrawOff quiet(Tree());
      for (HTREEITEM child = TreeView_GetChild(Tree(), item); child; child = TreeView_GetChild(Tree(), item))
        TreeView_DeleteItem(Tree(), child);
      Fill(item, ItemPath(item));
    }
    return FALSE;
  }

  void Confirm() {
    wchar_t typed[core::kMaxPathChars + 1] = L"";
    GetDlgItemTextW(hwnd(), IDC_PICKER_PATH, typed, static_cast<int>(std::size(typed)));
    const auto folder = core::DeviceFolder(win32::U16Ptr(typed));
    if (!folder) {
      // Only a folder of the device: no drive, no network name, nothing a file name cannot hold.
      MessageBeep(MB_ICONWARNING);
      SetFocus(GetDlgItem(hwnd(), IDC_PICKER_PATH));
      SendDlgItemMessageW(hwnd(), IDC_PICKER_PATH, EM_SETSEL, 0, -1);
      return;
    }
    folder_ = win32::Wide(*folder);
    EndDialog(hwnd(), IDOK);
  }
  void Close() { EndDialog(hwnd(), IDCANCEL); }

  std::wstring folder_;
};

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

HRESULT RunAddToZip(HWND owner, const std::wstring& source) noexcept {
  try {
    if (ZipProgressDialog::IsOpen()) return HRESULT_FROM_WIN32(ERROR_BUSY);  // one ZIP run at a time
    // The name is chosen once; the worker creates exactly that file, and only if it is still free.
    const std::wstring archive = zip::ArchiveNameFor(source);
    if (archive.empty()) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    ZipProgressDialog dialog(IDD_COMPRESS, L"Compressing", [&](zip::Progress& progress, const std::atomic<bool>& stop) {
      return zip::Compress(source, archive, progress, stop);
    });
    return dialog.Run(owner);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT RunExtractTo(HWND owner, const std::wstring& archive, ExtractTarget target) noexcept {
  try {
    if (ZipProgressDialog::IsOpen() || FolderPicker::IsOpen()) return HRESULT_FROM_WIN32(ERROR_BUSY);
    const core::ExtractFolders folders = core::ExtractFoldersFor(win32::U16View(archive));
    std::wstring folder = win32::Wide(target == ExtractTarget::CurrentDirectory ? folders.current : folders.named);
    if (target == ExtractTarget::SpecifyDirectory) {
      std::wstring chosen;
      if (!FolderPicker(folder).Run(owner, chosen)) return S_OK;
      folder = chosen;
    }
    // One folder, not a chain: a parent that is missing is a mistake, not a wish.
    if (target != ExtractTarget::CurrentDirectory && !IsFolder(folder) && !CreateDirectoryW(folder.c_str(), nullptr))
      return HRESULT_FROM_WIN32(GetLastError());
    ZipProgressDialog dialog(IDD_EXTRACT, L"Extracting", [&](zip::Progress& progress, const std::atomic<bool>& stop) {
      return zip::Extract(archive, folder, progress, stop);
    });
    return dialog.Run(owner);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace quintar::menuvex
