#include "fileops/filetypespage.h"

#include <aygshell.h>

#include <algorithm>

#include "fileops/chooseprogram.h"
#include "fileops/classes.h"
#include "fileops/core/fileops_core.h"
#include "fileops/core/filetypes.h"
#include "win32/shell.h"

namespace quintar::fileops {

namespace fc = core;

namespace {

constexpr int kList = 1100, kNew = 1101, kDelete = 1102, kChange = 1103, kEdit = 1104;
constexpr int kExtension = 1105, kTypeName = 1106, kParameters = 1107, kApplication = 1108, kTitle = 1200;
constexpr int kNewTemplate = 159;
constexpr wchar_t kNotFound[] = L"This folder or file could not be found. Check the path or file name.";
constexpr wchar_t kRemoveQuestion[] =
    L"If you remove a registered file extension, you will not be able to open files with this extension by taping "
    L"their icons.\nAre you sure you want to remove it ?";

std::u16string U16(std::wstring_view text) { return {reinterpret_cast<const char16_t*>(text.data()), text.size()}; }
std::wstring Wide(std::u16string_view text) { return {reinterpret_cast<const wchar_t*>(text.data()), text.size()}; }

std::wstring ItemText(HWND dialog, int id) {
  wchar_t text[520] = {};
  GetDlgItemTextW(dialog, id, text, 520);
  return text;
}

// "Create new extension": the typed text, or nothing on Cancel.
class NewTypeDialog : public win32::Dialog<NewTypeDialog> {
 public:
  std::wstring text;

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<NewTypeDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<NewTypeDialog> kMessages[] = {
        win32::On<&NewTypeDialog::OnInitDialog>(WM_INITDIALOG)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<NewTypeDialog>> Commands() {
    static constexpr win32::CommandEntry<NewTypeDialog> kCommands[] = {
        win32::Command<&NewTypeDialog::Ok>(IDOK), win32::Command<&NewTypeDialog::Cancel>(IDCANCEL)};
    return kCommands;
  }
  INT_PTR OnInitDialog(WPARAM, LPARAM) {
    SendDlgItemMessageW(hwnd(), kExtension, EM_LIMITTEXT, 60, 0);
    dialogs::AttachSipSwitch(hwnd());
    return TRUE;
  }
  void Ok() {
    text = ItemText(hwnd(), kExtension);
    EndDialog(hwnd(), IDOK);
  }
  void Cancel() { EndDialog(hwnd(), IDCANCEL); }
};

// "Edit settings" for one extension.
class EditTypeDialog : public win32::Dialog<EditTypeDialog> {
 public:
  EditTypeDialog(HINSTANCE instance, FileTypesPage::Entry entry) : instance_(instance), entry_(std::move(entry)) {}
  static dialogs::TemplateSet Templates() { return dialogs::TemplatesById(160, 169, 170); }

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<EditTypeDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<EditTypeDialog> kMessages[] = {
        win32::On<&EditTypeDialog::OnInitDialog>(WM_INITDIALOG), win32::On<&EditTypeDialog::OnPaint>(WM_PAINT)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<EditTypeDialog>> Commands() {
    static constexpr win32::CommandEntry<EditTypeDialog> kCommands[] = {
        win32::Command<&EditTypeDialog::Done>(IDOK), win32::Command<&EditTypeDialog::Cancel>(IDCANCEL),
        win32::Command<&EditTypeDialog::Change>(kChange)};
    return kCommands;
  }
  INT_PTR OnInitDialog(WPARAM, LPARAM) {
    win32::InitFullScreenDialog(hwnd(), SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN);
    dialogs::AttachRelayout(hwnd(), instance_, Templates());
    dialogs::AttachSipSwitch(hwnd());
    Show();
    SetFocus(GetDlgItem(hwnd(), kParameters));
    return FALSE;
  }
  INT_PTR OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    dialogs::PaintHeaderLine(hwnd(), dc, dialogs::kPageHeaderLine, dialogs::ScreenScale() > 1);
    EndPaint(hwnd(), &ps);
    return TRUE;
  }
  void Show() {
    SetDlgItemTextW(hwnd(), kExtension, (L"." + entry_.ext).c_str());
    SetDlgItemTextW(hwnd(), kApplication, entry_.program.c_str());
    SetDlgItemTextW(hwnd(), kTypeName, entry_.typeName.c_str());
    SetDlgItemTextW(hwnd(), kParameters, entry_.parameters.c_str());
  }
  void Change() {
    ChooseProgramRequest request;
    request.name = L"." + entry_.ext;
    request.extension = entry_.ext;
    request.alwaysUse = true;
    ChooseProgram(instance_, hwnd(), request);
    FileTypesPage::Entry now;
    if (ReadFileType(entry_.ext, now)) entry_ = now;
    Show();
  }
  void Done() {
    const std::wstring typeName = ItemText(hwnd(), kTypeName);
    const std::wstring parameters = ItemText(hwnd(), kParameters);
    if (typeName.empty() || parameters.empty()) {
      Show();
      win32::ShowMessage(hwnd(), kNotFound, {}, MB_OK | MB_ICONSTOP);
      return;
    }
    if (typeName != entry_.typeName || parameters != entry_.parameters)
      WriteClass(AppEntry{entry_.className, typeName, entry_.program, parameters}, entry_.iconFile, entry_.iconIndex);
    EndDialog(hwnd(), IDOK);
  }
  void Cancel() { EndDialog(hwnd(), IDCANCEL); }

  HINSTANCE instance_;
  FileTypesPage::Entry entry_;
};

}  // namespace

bool ReadFileType(const std::wstring& ext, FileTypesPage::Entry& entry) {
  auto className = ClassValue(L"." + ext);
  if (!className || className->empty()) return false;
  auto app = ReadClass(*className);
  auto icon = ClassValue(*className + L"\\DefaultIcon");
  if (!app || !icon) return false;
  auto [file, index] = fc::SplitDefaultIcon(U16(*icon));
  entry = {ext, app->className, app->typeName, app->program, app->parameters, Wide(fc::ProgramPath(file)), index};
  return true;
}

std::span<const win32::DialogMessageEntry<FileTypesPage>> FileTypesPage::Messages() {
  static constexpr win32::DialogMessageEntry<FileTypesPage> kMessages[] = {
      win32::On<&FileTypesPage::OnInitDialog>(WM_INITDIALOG), win32::On<&FileTypesPage::OnSize>(WM_SIZE),
      win32::On<&FileTypesPage::OnPaint>(WM_PAINT), win32::On<&FileTypesPage::OnCtlColorStatic>(WM_CTLCOLORSTATIC),
      win32::On<&FileTypesPage::OnNotify>(WM_NOTIFY)};
  return kMessages;
}

std::span<const win32::CommandEntry<FileTypesPage>> FileTypesPage::Commands() {
  static constexpr win32::CommandEntry<FileTypesPage> kCommands[] = {
      win32::Command<&FileTypesPage::New>(kNew),
      win32::Command<&FileTypesPage::Delete, &FileTypesPage::HasSelection>(kDelete),
      win32::Command<&FileTypesPage::Edit, &FileTypesPage::HasSelection>(kEdit)};
  return kCommands;
}

HWND FileTypesPage::List() const { return GetDlgItem(hwnd(), kList); }

INT_PTR FileTypesPage::OnInitDialog(WPARAM, LPARAM) {
  dialogs::AttachRelayout(hwnd(), instance_, Templates());
  HWND list = List();
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  const wchar_t* names[] = {L"Ext.", L"Type"};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(names[i]);
    column.cx = 80;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  FitColumns();
  Fill();
  return TRUE;
}

INT_PTR FileTypesPage::OnSize(WPARAM, LPARAM) {
  FitColumns();
  return FALSE;
}

INT_PTR FileTypesPage::OnPaint(WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  dialogs::PaintHeaderLine(hwnd(), dc, dialogs::kPageHeaderLine, dialogs::ScreenScale() > 1);
  EndPaint(hwnd(), &ps);
  return TRUE;
}

INT_PTR FileTypesPage::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
  if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != kTitle) return FALSE;
  HDC dc = reinterpret_cast<HDC>(wParam);
  SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

void FileTypesPage::FitColumns() {
  RECT rc{};
  GetClientRect(List(), &rc);
  SendMessageW(List(), LVM_SETCOLUMNWIDTH, 0, 80);
  SendMessageW(List(), LVM_SETCOLUMNWIDTH, 1, std::max<LONG>(rc.right - rc.left - 80, 20));
}

void FileTypesPage::Fill() {
  entries_.clear();
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    LONG rc = RegEnumKeyExW(HKEY_CLASSES_ROOT, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    if (name[0] != L'.' || !name[1]) continue;
    Entry entry;
    if (ReadFileType(name + 1, entry)) entries_.push_back(std::move(entry));
  }
  Sort();
}

void FileTypesPage::Sort() {
  auto key = [this](const Entry& e) -> const std::wstring& { return sortColumn_ == 0 ? e.ext : e.typeName; };
  std::stable_sort(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
    // Ascending ignores case; descending compares with case, in reverse.
    return ascending_ ? _wcsicmp(key(a).c_str(), key(b).c_str()) < 0 : wcscmp(key(a).c_str(), key(b).c_str()) > 0;
  });
  HWND list = List();
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < entries_.size(); ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = entries_[i].ext.data();
    item.lParam = static_cast<LPARAM>(i);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    item.mask = LVIF_TEXT;
    item.iSubItem = 1;
    item.pszText = entries_[i].typeName.data();
    SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  UpdateButtons();
}

const FileTypesPage::Entry* FileTypesPage::Selected() const {
  int row = static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  return row >= 0 && static_cast<size_t>(row) < entries_.size() ? &entries_[static_cast<size_t>(row)] : nullptr;
}

void FileTypesPage::UpdateButtons() {
  const bool any = HasSelection();
  EnableWindow(GetDlgItem(hwnd(), kDelete), any);
  EnableWindow(GetDlgItem(hwnd(), kEdit), any);
}

INT_PTR FileTypesPage::OnNotify(WPARAM, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->idFrom != kList) return FALSE;
  switch (header->code) {
    case LVN_ITEMCHANGED:
      UpdateButtons();
      break;
    case LVN_COLUMNCLICK:
      sortColumn_ = reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem == 1 ? 1 : 0;
      ascending_ = !ascending_;
      Sort();
      break;
    case NM_DBLCLK:
    case NM_RCLICK:
      if (HasSelection()) Edit();
      break;
    default:
      break;
  }
  return FALSE;
}

void FileTypesPage::New() {
  NewTypeDialog dialog;
  if (DialogBoxParamW(instance_, MAKEINTRESOURCEW(kNewTemplate), hwnd(), NewTypeDialog::Proc, dialog.Param()) != IDOK)
    return;
  std::u16string key;
  switch (fc::CheckNewExtension(U16(dialog.text), key)) {
    case fc::NewExtensionCheck::Empty:
      return;
    case fc::NewExtensionCheck::Invalid:
      win32::ShowMessage(hwnd(), Wide(fc::kNameRuleMessage), {}, MB_OK | MB_ICONSTOP);
      return;
    case fc::NewExtensionCheck::Ok:
      break;
  }
  ChooseProgramRequest request;
  request.name = Wide(key);
  request.extension = Wide(key).substr(1);
  request.alwaysUse = true;
  ChooseProgram(instance_, hwnd(), request);
  Fill();
}

void FileTypesPage::Delete() {
  const Entry* entry = Selected();
  if (!entry) return;
  if (win32::ShowMessage(hwnd(), kRemoveQuestion, L"File Types", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  // The extension key with everything under it; the class stays for other extensions.
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"." + entry->ext).c_str());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, (L"." + entry->ext).c_str());
  Fill();
}

void FileTypesPage::Edit() {
  const Entry* entry = Selected();
  if (!entry) return;
  EditTypeDialog dialog(instance_, *entry);
  dialogs::DialogBoxForShape(instance_, EditTypeDialog::Templates(), hwnd(), EditTypeDialog::Proc, dialog.Param());
  Fill();
}

}  // namespace quintar::fileops
