#include "fileops/chooseprogram.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <aygshell.h>

#include <optional>
#include <vector>

#include "dialogs/dialogs.h"
#include "fileops/archiver.h"
#include "fileops/classes.h"
#include "fileops/core/filetypes.h"
#include "fileops/fileops.h"
#include "win32/handle.h"
#include "win32/shell.h"
#include "win32/window.h"

namespace quintar::fileops {

namespace fc = core;

namespace {

std::u16string U16(std::wstring_view text) { return {reinterpret_cast<const char16_t*>(text.data()), text.size()}; }
std::wstring Wide(std::u16string_view text) { return {reinterpret_cast<const wchar_t*>(text.data()), text.size()}; }

class ChooseProgramDialog : public win32::Dialog<ChooseProgramDialog> {
 public:
  ChooseProgramDialog(HINSTANCE instance, const ChooseProgramRequest& request)
      : instance_(instance), request_(request) {}

  static dialogs::TemplateSet Templates() {
    return dialogs::TemplatesById(kChooseProgramSquare, kChooseProgramPortrait, kChooseProgramLandscape);
  }

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<ChooseProgramDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<ChooseProgramDialog> kMessages[] = {
        win32::On<&ChooseProgramDialog::OnInitDialog>(WM_INITDIALOG),
        win32::On<&ChooseProgramDialog::OnSize>(WM_SIZE),
        win32::On<&ChooseProgramDialog::OnPaint>(WM_PAINT),
    };
    return kMessages;
  }
  static std::span<const win32::CommandEntry<ChooseProgramDialog>> Commands() {
    static constexpr win32::CommandEntry<ChooseProgramDialog> kCommands[] = {
        win32::Command<&ChooseProgramDialog::Done>(IDOK),
        win32::Command<&ChooseProgramDialog::Cancel>(IDCANCEL),
        win32::Command<&ChooseProgramDialog::Browse>(kChooseProgramBrowse),
    };
    return kCommands;
  }

  HWND List() const { return GetDlgItem(hwnd(), kChooseProgramList); }

  INT_PTR OnInitDialog(WPARAM, LPARAM) {
    win32::InitFullScreenDialog(hwnd(), SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN);
    dialogs::AttachRelayout(hwnd(), instance_, Templates());
    SetWindowTextW(hwnd(), (L"Choose Program (" + request_.name + L")").c_str());
    HWND list = List();
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    const int size = 16 * dialogs::ScreenScale();
    icons_.reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 8, 8));
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons_.get()));
    CheckDlgButton(hwnd(), kChooseProgramAlways, request_.alwaysUse ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(hwnd(), kChooseProgramAlways), !request_.alwaysUse);
    FitColumn();
    Fill(L"");
    return TRUE;
  }

  INT_PTR OnSize(WPARAM, LPARAM) {
    FitColumn();
    return FALSE;
  }

  INT_PTR OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    dialogs::PaintHeaderLine(hwnd(), dc, dialogs::kPageHeaderLine, dialogs::ScreenScale() > 1);
    EndPaint(hwnd(), &ps);
    return TRUE;
  }

  void FitColumn() {
    RECT rc{};
    GetClientRect(List(), &rc);
    SendMessageW(List(), LVM_SETCOLUMNWIDTH, 0, rc.right - rc.left);
  }

  // Every class with a readable command and type name whose program exists; `select` (or else
  // the extension's current class) is selected.
  void Fill(const std::wstring& select) {
    entries_.clear();
    HWND list = List();
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    ImageList_RemoveAll(icons_.get());
    std::wstring current = ClassValue(L"." + request_.extension).value_or(L"");
    const std::wstring& wanted = select.empty() ? current : select;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
      DWORD length = 256;
      LONG rc = RegEnumKeyExW(HKEY_CLASSES_ROOT, index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) continue;
      if (rc != ERROR_SUCCESS) break;
      if (name[0] == L'.') continue;
      if (auto entry = ReadClass(name)) entries_.push_back(std::move(*entry));
    }
    int selected = -1;
    for (size_t i = 0; i < entries_.size(); ++i) {
      HICON icon = nullptr;
      ExtractIconExW(entries_[i].program.c_str(), 0, nullptr, &icon, 1);
      int image = icon ? ImageList_AddIcon(icons_.get(), icon) : -1;
      if (icon) DestroyIcon(icon);
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
      item.iItem = static_cast<int>(i);
      item.pszText = entries_[i].typeName.data();
      item.iImage = image;
      item.lParam = static_cast<LPARAM>(i);
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      if (selected < 0 && _wcsicmp(entries_[i].className.c_str(), wanted.c_str()) == 0) selected = static_cast<int>(i);
    }
    if (selected >= 0) {
      LVITEMW state{};
      state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(list, LVM_SETITEMSTATE, selected, reinterpret_cast<LPARAM>(&state));
      SendMessageW(list, LVM_ENSUREVISIBLE, selected, FALSE);
    }
  }

  const AppEntry* Selected() const {
    int row = static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) return nullptr;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    size_t index = static_cast<size_t>(item.lParam);
    return index < entries_.size() ? &entries_[index] : nullptr;
  }

  void Browse() {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd();
    ofn.lpstrFilter = L"Executable (*.exe)\0*.exe\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = L"\\Windows";
    ofn.lpstrTitle = L"Select Program";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!AskFileName(ofn, false)) return;
    std::wstring program = file;
    // Only a program on the device, by its device path.
    if (program.size() < 2 || program[0] != L'\\' || program[1] == L'\\' || !IsExistingFile(program)) return;
    auto className = fc::ChooseClassName(U16(program), [](std::u16string_view name, bool& exists) {
      std::wstring key = Wide(name);
      win32::RegKey k;
      exists = RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
      std::optional<std::u16string> result;
      if (auto entry = exists ? ReadClass(key) : std::nullopt) result = U16(entry->program);
      return result;
    });
    if (!className) return;
    const std::wstring cls = Wide(*className);
    WriteClass(AppEntry{cls, cls, program, Wide(fc::kDefaultParameters)}, program, 0);
    Fill(cls);
  }

  void Done() {
    const AppEntry* entry = Selected();
    if (!entry) {
      EndDialog(hwnd(), IDCANCEL);
      return;
    }
    if (IsDlgButtonChecked(hwnd(), kChooseProgramAlways) == BST_CHECKED)
      WriteClassValue(L"." + request_.extension, entry->className);
    if (request_.openAfter) {
      std::wstring path = request_.folder + L"\\" + request_.name;
      ShellOpen(hwnd(), entry->program, Wide(fc::ParametersForFile(U16(entry->parameters), U16(path))));
    }
    EndDialog(hwnd(), IDOK);
  }

  void Cancel() { EndDialog(hwnd(), IDCANCEL); }

  HINSTANCE instance_;
  const ChooseProgramRequest& request_;
  std::vector<AppEntry> entries_;
  win32::ImageList icons_;
};

}  // namespace

// The default value of HKEY_CLASSES_ROOT\`key`, as a string.
std::optional<std::wstring> ClassValue(const std::wstring& key) {
  win32::RegKey k;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, k.put()) != ERROR_SUCCESS) return std::nullopt;
  wchar_t buffer[520] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(k.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  return std::wstring(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
}

bool WriteClassValue(const std::wstring& key, const std::wstring& value) {
  win32::RegKey k;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  return RegSetValueExW(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool IsExistingFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<AppEntry> ReadClass(const std::wstring& className) {
  auto command = ClassValue(className + L"\\Shell\\Open\\Command");
  auto typeName = ClassValue(className);
  if (!command || !typeName) return std::nullopt;
  auto parsed = fc::ParseOpenCommand(U16(*command));
  if (!parsed) return std::nullopt;
  AppEntry entry{className, *typeName, Wide(fc::ProgramPath(parsed->program)), Wide(parsed->parameters)};
  if (!IsExistingFile(entry.program)) return std::nullopt;
  return entry;
}

bool WriteClass(const AppEntry& entry, const std::wstring& iconFile, int iconIndex) {
  const std::wstring& cls = entry.className;
  return WriteClassValue(cls, entry.typeName) &&
         WriteClassValue(cls + L"\\Shell\\Open\\Command",
                         Wide(fc::FormatOpenCommand(U16(entry.program), U16(entry.parameters)))) &&
         WriteClassValue(cls + L"\\DefaultIcon", iconFile + L"," + std::to_wstring(iconIndex));
}

std::wstring ExtensionOf(const std::wstring& name) {
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
}

INT_PTR ChooseProgram(HINSTANCE instance, HWND owner, const ChooseProgramRequest& request) {
  try {
    if (request.extension.empty()) return IDCANCEL;
    ChooseProgramDialog dialog(instance, request);
    return dialogs::DialogBoxForShape(instance, ChooseProgramDialog::Templates(), owner, ChooseProgramDialog::Proc,
                                      dialog.Param());
  } catch (...) {
    return -1;
  }
}

}  // namespace quintar::fileops
