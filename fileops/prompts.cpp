#include "fileops/prompts.h"

#include <commctrl.h>
#include <shellapi.h>

#include <ceservices.h>

#include <span>

#include "fileops/fileops.h"
#include "fileops/winutil.h"
#include "win32/handle.h"
#include "win32/text.h"
#include "win32/window.h"

namespace quintar::fileops {

using core::ReplaceMode;

namespace {

ReplaceMode ToMode(INT_PTR answer) {
  if (answer >= 0 && answer <= 3) return static_cast<ReplaceMode>(answer);
  return ReplaceMode::No;  // the dialog could not be shown
}

void BringUp(HWND dlg) {
  CentreOver(dlg, GetParent(dlg));
  SetForegroundWindow(dlg);
}

void ShowQuestionIcon(HWND dlg) {
  SendDlgItemMessageW(dlg, ids::kPicture, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_QUESTION)), 0);
}

std::wstring SizeText(unsigned long long size) {
  wchar_t separator[8] = L",";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
  return L"Size : " + win32::Wide(core::GroupDigits(size, win32::U16View(separator))) + L" bytes";
}

std::wstring ModifiedText(const FILETIME& written) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &st)) return L"Modified : ";
  wchar_t date[80] = L"", time[80] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 80);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 80);
  return std::wstring(L"Modified : ") + date + L" " + time;
}

// ---- File conflict -------------------------------------------------------------------------

class FileConflictPrompt : public win32::Dialog<FileConflictPrompt> {
 public:
  FileConflictPrompt(const std::wstring& target, const std::wstring& source) : target_(target), source_(source) {}

  ReplaceMode Ask(HWND over) {
    return ToMode(DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(ids::kFileConflict), over, Proc, Param()));
  }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<FileConflictPrompt>> Messages() {
    static constexpr win32::DialogMessageEntry<FileConflictPrompt> kTable[] = {
        win32::On<&FileConflictPrompt::OnInit>(WM_INITDIALOG),
        win32::On<&FileConflictPrompt::OnClose>(WM_CLOSE),
    };
    return kTable;
  }
  static std::span<const win32::CommandEntry<FileConflictPrompt>> Commands() {
    static constexpr win32::CommandEntry<FileConflictPrompt> kTable[] = {
        win32::Command<&FileConflictPrompt::Answer>(ids::kPromptCancel),
        win32::Command<&FileConflictPrompt::Answer>(ids::kAll),
        win32::Command<&FileConflictPrompt::Answer>(ids::kNo, ids::kYes),
        win32::Command<&FileConflictPrompt::Answer>(IDCANCEL),
    };
    return kTable;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    HWND dlg = hwnd();
    DWORD attributes = CeGetFileAttributes(target_.c_str());
    bool system = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM);
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    std::wstring_view name(target_);
    if (auto slash = name.rfind(L'\\'); slash != std::wstring_view::npos) name.remove_prefix(slash + 1);
    SetDlgItemTextW(dlg, ids::kStatus,
                    win32::Wide(core::FileConflictText(win32::U16View(name), system, readOnly)).c_str());
    ShowFacts(target_, targetIcon_, ids::kTargetIcon, ids::kTargetSize, ids::kTargetDate);
    ShowFacts(source_, sourceIcon_, ids::kSourceIcon, ids::kSourceSize, ids::kSourceDate);
    BringUp(dlg);
    return TRUE;
  }

  // One side: the file's shell icon, size and date.
  void ShowFacts(const std::wstring& path, win32::Icon& icon, int iconId, int sizeId, int dateId) {
    HWND dlg = hwnd();
    SHFILEINFOW info{};
    // By the file itself, or else by its type.
    if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON) || !info.hIcon)
      SHGetFileInfoW(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                     SHGFI_ICON | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES);
    if (info.hIcon) {
      icon.reset(info.hIcon);  // the static shows it and the prompt keeps it until it is gone
      SendDlgItemMessageW(dlg, iconId, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
      SetDlgItemTextW(
          dlg, sizeId,
          SizeText((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow).c_str());
      SetDlgItemTextW(dlg, dateId, ModifiedText(data.ftLastWriteTime).c_str());
    }
  }

  void Answer(int id) {
    ReplaceMode mode = ReplaceMode::No;
    if (id == ids::kYes) mode = ReplaceMode::Yes;
    if (id == ids::kAll) mode = ReplaceMode::All;
    if (id == ids::kPromptCancel) mode = ReplaceMode::Cancel;
    EndDialog(hwnd(), static_cast<INT_PTR>(mode));
  }

  INT_PTR OnClose(WPARAM, LPARAM) {
    EndDialog(hwnd(), static_cast<INT_PTR>(ReplaceMode::No));
    return TRUE;
  }

  const std::wstring& target_;
  const std::wstring& source_;
  win32::Icon targetIcon_, sourceIcon_;
};

// ---- Folder conflict -----------------------------------------------------------------------

class FolderConflictPrompt : public win32::Dialog<FolderConflictPrompt> {
 public:
  explicit FolderConflictPrompt(const std::wstring& folder) : folder_(folder) {}

  bool Ask(HWND over) {
    return DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(ids::kFolderConflict), over, Proc, Param()) == 1;
  }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<FolderConflictPrompt>> Messages() {
    static constexpr win32::DialogMessageEntry<FolderConflictPrompt> kTable[] = {
        win32::On<&FolderConflictPrompt::OnInit>(WM_INITDIALOG),
        win32::On<&FolderConflictPrompt::OnClose>(WM_CLOSE),
    };
    return kTable;
  }
  static std::span<const win32::CommandEntry<FolderConflictPrompt>> Commands() {
    static constexpr win32::CommandEntry<FolderConflictPrompt> kTable[] = {
        win32::Command<&FolderConflictPrompt::Merge>(IDYES),
        win32::Command<&FolderConflictPrompt::Skip>(IDNO),
        win32::Command<&FolderConflictPrompt::Skip>(IDCANCEL),
    };
    return kTable;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    SetDlgItemTextW(hwnd(), ids::kFolderConflictText,
                    win32::Wide(core::FolderConflictText(win32::U16View(folder_))).c_str());
    ShowQuestionIcon(hwnd());
    BringUp(hwnd());
    return TRUE;
  }

  void Merge() { EndDialog(hwnd(), 1); }
  void Skip() { EndDialog(hwnd(), 2); }

  INT_PTR OnClose(WPARAM, LPARAM) {
    Skip();
    return TRUE;
  }

  const std::wstring& folder_;
};

// ---- Delete question -----------------------------------------------------------------------

// Before a run (opening: Yes and No only, ending with 1 or 2) or during it (the four answers).
class DeleteQuestion : public win32::Dialog<DeleteQuestion> {
 public:
  DeleteQuestion(const std::wstring& text, bool opening) : text_(text), opening_(opening) {}

  INT_PTR Ask(HWND over) {
    return DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(ids::kDeleteQuestion), over, Proc, Param());
  }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<DeleteQuestion>> Messages() {
    static constexpr win32::DialogMessageEntry<DeleteQuestion> kTable[] = {
        win32::On<&DeleteQuestion::OnInit>(WM_INITDIALOG),
        win32::On<&DeleteQuestion::OnClose>(WM_CLOSE),
    };
    return kTable;
  }
  static std::span<const win32::CommandEntry<DeleteQuestion>> Commands() {
    static constexpr win32::CommandEntry<DeleteQuestion> kTable[] = {
        win32::Command<&DeleteQuestion::Yes>(ids::kYes),
        win32::Command<&DeleteQuestion::No>(ids::kNo),
        win32::Command<&DeleteQuestion::No>(IDCANCEL),
        // Hidden before a run.
        win32::Command<&DeleteQuestion::All, &DeleteQuestion::DuringRun>(ids::kAll),
        win32::Command<&DeleteQuestion::Cancel, &DeleteQuestion::DuringRun>(ids::kPromptCancel),
    };
    return kTable;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    HWND dlg = hwnd();
    SetDlgItemTextW(dlg, ids::kQuestionText, text_.c_str());
    ShowQuestionIcon(dlg);
    if (opening_) {
      ShowWindow(GetDlgItem(dlg, ids::kAll), SW_HIDE);
      ShowWindow(GetDlgItem(dlg, ids::kPromptCancel), SW_HIDE);
      RECT rc;
      GetWindowRect(dlg, &rc);
      SetWindowPos(dlg, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top - 22,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    BringUp(dlg);
    return TRUE;
  }

  bool DuringRun() const { return !opening_; }
  void Yes() { EndDialog(hwnd(), opening_ ? 1 : static_cast<INT_PTR>(ReplaceMode::Yes)); }
  void No() { EndDialog(hwnd(), opening_ ? 2 : static_cast<INT_PTR>(ReplaceMode::No)); }
  void All() { EndDialog(hwnd(), static_cast<INT_PTR>(ReplaceMode::All)); }
  void Cancel() { EndDialog(hwnd(), static_cast<INT_PTR>(ReplaceMode::Cancel)); }

  INT_PTR OnClose(WPARAM, LPARAM) {
    No();
    return TRUE;
  }

  const std::wstring& text_;
  bool opening_;
};

}  // namespace

ReplaceMode AskFileConflict(HWND over, const std::wstring& target, const std::wstring& source) {
  FileConflictPrompt prompt(target, source);
  return prompt.Ask(over);
}

bool AskFolderMerge(HWND over, const std::wstring& folder) {
  FolderConflictPrompt prompt(folder);
  return prompt.Ask(over);
}

bool AskDeleteOpening(HWND owner, const std::wstring& question) {
  DeleteQuestion prompt(question, true);
  return prompt.Ask(owner) == 1;
}

ReplaceMode AskDeleteItem(HWND over, const std::wstring& question) {
  DeleteQuestion prompt(question, false);
  return ToMode(prompt.Ask(over));
}

}  // namespace quintar::fileops
