// The New Key, New String / Multi Line / Binary / Dword and Modify Value dialogs.
#include <optional>
#include <span>
#include <utility>

#include "regeditor/commands.h"
#include "regeditor/core/numbers.h"
#include "regeditor/core/registry_text.h"
#include "regeditor/dialogbase.h"
#include "regeditor/registry.h"
#include "regeditor/resource.h"
#include "win32/shell.h"
#include "win32/text.h"

namespace quintar::tamsk {

namespace {

using win32::ControlText;
using win32::U16;
using win32::Wide;
using win32::WideView;

const dialogs::TemplateSet kNewKeyTemplates = dialogs::TemplatesById(IDD_NEWKEY_SQUARE, IDD_NEWKEY_PORTRAIT,
                                                                     IDD_NEWKEY_LANDSCAPE);
const dialogs::TemplateSet kModifyTemplates = dialogs::TemplatesById(IDD_MODIFY_SQUARE, IDD_MODIFY_PORTRAIT,
                                                                     IDD_MODIFY_LANDSCAPE);

void WarnInput(HWND owner, std::u16string_view text) {
  win32::ShowMessage(owner, WideView(text), WideView(core::kWarningCaption), MB_OK | MB_ICONEXCLAMATION);
}

// The lines of a multi-line box become the strings of a REG_MULTI_SZ value; empty lines cannot
// be stored (an empty string ends the list) and are left out.
std::vector<std::uint8_t> MultiLineData(const std::wstring& text) {
  std::vector<std::uint8_t> data;
  auto append = [&](std::wstring_view line) {
    if (line.empty()) return;
    for (wchar_t c : line) {
      data.push_back(static_cast<std::uint8_t>(c & 0xFF));
      data.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    data.push_back(0);
    data.push_back(0);
  };
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == L'\n' || text[i] == L'\r') {
      append(std::wstring_view(text).substr(start, i - start));
      start = i + 1;
    }
  }
  data.push_back(0);
  data.push_back(0);
  if (data.size() == 2) data.push_back(0), data.push_back(0);  // no string at all: two NULs
  return data;
}

bool IsRadioChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// The base radios: switching converts the data box from the old base to the new one.
void OnBaseRadio(HWND dialog, int dataId, int clicked, bool& decimal) {
  bool wantDecimal = clicked == IDC_DEC;
  if (wantDecimal == decimal) return;
  std::u16string text = U16(ControlText(dialog, dataId));
  std::optional<std::uint32_t> value = decimal ? core::ParseDec32(text) : core::ParseHex32(text);
  if (!value) {
    WarnInput(dialog, decimal ? core::kDecInputMessage : core::kHexInputMessage);
    CheckRadioButton(dialog, IDC_HEX, IDC_DEC, decimal ? IDC_DEC : IDC_HEX);
    return;
  }
  SetDlgItemTextW(dialog, dataId, Wide(wantDecimal ? core::FormatDec(*value) : core::FormatHexLower(*value)).c_str());
  decimal = wantDecimal;
}

// The DWORD of the data box by the checked base; nothing (the dialog stays) when no radio is
// checked or the text is not a number of that base.
std::optional<std::uint32_t> DwordFromBox(HWND dialog, int dataId) {
  std::u16string text = U16(ControlText(dialog, dataId));
  if (IsRadioChecked(dialog, IDC_DEC)) {
    auto value = core::ParseDec32(text);
    if (!value) WarnInput(dialog, core::kDecInputMessage);
    return value;
  }
  if (IsRadioChecked(dialog, IDC_HEX)) {
    auto value = core::ParseHex32(text);
    if (!value) WarnInput(dialog, core::kHexInputMessage);
    return value;
  }
  return std::nullopt;
}

std::vector<std::uint8_t> DwordBytes(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// ---- New Key -------------------------------------------------------------------------------

// After a new key: its parent's children are read again and the current key is selected and
// expanded, so that the new key shows below it.
void ShowNewSubkey(Browser& browser) {
  Tree& tree = browser.Keys();
  const CurrentKey& current = browser.State().current;
  HTREEITEM item = current.item;
  if (!item) return;
  HTREEITEM parent = TreeView_GetParent(tree.hwnd(), item);
  if (!parent) {
    std::wstring rootName = current.rootName;
    tree.Rebuild();
    HTREEITEM root = tree.SelectPath(rootName, L"", true);
    if (root) TreeView_Expand(tree.hwnd(), root, TVE_EXPAND);
    return;
  }
  std::wstring name = tree.ItemText(item);
  tree.RereadChildren(parent);
  HTREEITEM again = tree.FindChild(parent, name, true);
  if (!again) return;
  TreeView_SelectItem(tree.hwnd(), again);
  tree.ReselectCurrent();
  tree.RereadChildren(again);
}

class NewKeyDialog : public TamskDialog<NewKeyDialog> {
 public:
  explicit NewKeyDialog(Browser& browser) noexcept : TamskDialog(browser) {}

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<NewKeyDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<NewKeyDialog> kMessages[] = {
        win32::On<&NewKeyDialog::OnInitDialog>(WM_INITDIALOG)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<NewKeyDialog>> Commands() {
    static constexpr win32::CommandEntry<NewKeyDialog> kCommands[] = {
        win32::Command<&NewKeyDialog::Accept>(IDOK), win32::Command<&NewKeyDialog::Accept>(IDM_DONE),
        win32::Command<&NewKeyDialog::Cancel>(IDCANCEL), win32::Command<&NewKeyDialog::Cancel>(IDM_CANCEL)};
    return kCommands;
  }

  INT_PTR OnInitDialog(WPARAM, LPARAM) {
    Init(kNewKeyTemplates, IDR_DIALOG_BAR, true);
    SetFocus(GetDlgItem(hwnd(), IDC_KEY_NAME));
    return FALSE;
  }
  void Cancel() { EndDialog(hwnd(), IDCANCEL); }
  void Accept() {
    HWND dialog = hwnd();
    std::wstring name = ControlText(dialog, IDC_KEY_NAME);
    if (name.empty()) {
      win32::ShowMessage(dialog, L"Please enter a valid name!", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    const CurrentKey& current = browser_.State().current;
    bool created = false;
    if (current.root) {
      win32::RegKey key = CreateKey(current.root, JoinPath(current.path, name));
      if (key) {
        RegFlushKey(key.get());
        created = true;
      }
    }
    EndDialog(dialog, IDOK);
    if (created) ShowNewSubkey(browser_);
  }
};

// ---- New values ----------------------------------------------------------------------------

enum class NewKind { String, Multi, Binary, Dword };

struct NewValueForm {
  dialogs::TemplateSet templates;
  int nameId;
  int dataId;
  const wchar_t* duplicateCaption;
  const wchar_t* emptyText;
  const wchar_t* emptyCaption;
  const wchar_t* failedCaption;
};

const NewValueForm& FormOf(NewKind kind) {
  using dialogs::TemplatesById;
  static const NewValueForm kForms[] = {
      {TemplatesById(IDD_NEWSTRING_SQUARE, IDD_NEWSTRING_PORTRAIT, IDD_NEWSTRING_LANDSCAPE), IDC_STRING_NAME,
       IDC_STRING_DATA, L"Warning!", L"Are you sure that you want to add an empty string?", L"Confirm!", L"Failed!"},
      {TemplatesById(IDD_NEWMULTI_SQUARE, IDD_NEWMULTI_PORTRAIT, IDD_NEWMULTI_LANDSCAPE), IDC_MULTI_NAME,
       IDC_MULTI_DATA, L"Warning!", L"Are you sure that you want to add an empty string?", L"Confirm", L"Failed"},
      {TemplatesById(IDD_NEWBINARY_SQUARE, IDD_NEWBINARY_PORTRAIT, IDD_NEWBINARY_LANDSCAPE), IDC_BINARY_NAME,
       IDC_BINARY_DATA, L"Warning!", L"Are you sure that the data is none?", L"Confirm", L"Failed!"},
      {TemplatesById(IDD_NEWDWORD_SQUARE, IDD_NEWDWORD_PORTRAIT, IDD_NEWDWORD_LANDSCAPE), IDC_DWORD_NAME,
       IDC_DWORD_DATA, L"Warning", L"Are you sure the data is none?", L"Warning!", L"Failed!"},
  };
  return kForms[static_cast<int>(kind)];
}

// The value's type and bytes from the dialog; nothing when the dialog must stay open.
std::optional<std::pair<DWORD, std::vector<std::uint8_t>>> NewValueData(HWND dialog, NewKind kind,
                                                                        const std::wstring& text) {
  switch (kind) {
    case NewKind::String:
      return std::pair<DWORD, std::vector<std::uint8_t>>{REG_SZ, core::StringData(U16(text))};
    case NewKind::Multi:
      return std::pair<DWORD, std::vector<std::uint8_t>>{REG_MULTI_SZ, MultiLineData(text)};
    case NewKind::Binary: {
      auto bytes = core::ParseHexBytes(U16(text));
      if (!bytes) {
        WarnInput(dialog, core::kHexInputMessage);
        return std::nullopt;
      }
      return std::pair<DWORD, std::vector<std::uint8_t>>{REG_BINARY, std::move(*bytes)};
    }
    case NewKind::Dword: {
      auto value = DwordFromBox(dialog, IDC_DWORD_DATA);
      if (!value) return std::nullopt;
      return std::pair<DWORD, std::vector<std::uint8_t>>{REG_DWORD, DwordBytes(*value)};
    }
  }
  return std::nullopt;
}

class NewValueDialog : public TamskDialog<NewValueDialog> {
 public:
  NewValueDialog(Browser& browser, NewKind kind) noexcept : TamskDialog(browser), kind_(kind) {}
  void Run() { TamskDialog::Run(FormOf(kind_).templates); }

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<NewValueDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<NewValueDialog> kMessages[] = {
        win32::On<&NewValueDialog::OnInitDialog>(WM_INITDIALOG)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<NewValueDialog>> Commands() {
    static constexpr win32::CommandEntry<NewValueDialog> kCommands[] = {
        win32::Command<&NewValueDialog::OnBase>(IDC_HEX, IDC_DEC),
        win32::Command<&NewValueDialog::Accept>(IDOK), win32::Command<&NewValueDialog::Accept>(IDM_DONE),
        win32::Command<&NewValueDialog::Cancel>(IDCANCEL), win32::Command<&NewValueDialog::Cancel>(IDM_CANCEL)};
    return kCommands;
  }

  INT_PTR OnInitDialog(WPARAM, LPARAM) {
    HWND dialog = hwnd();
    const NewValueForm& form = FormOf(kind_);
    Init(form.templates, IDR_DIALOG_BAR, true);
    SendDlgItemMessageW(dialog, form.dataId, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    if (kind_ == NewKind::Dword) CheckRadioButton(dialog, IDC_HEX, IDC_DEC, IDC_HEX);
    SetFocus(GetDlgItem(dialog, form.nameId));
    return FALSE;
  }
  void OnBase(int id, int code) {
    if (kind_ == NewKind::Dword && code == BN_CLICKED) OnBaseRadio(hwnd(), IDC_DWORD_DATA, id, decimal_);
  }
  void Cancel() { EndDialog(hwnd(), IDCANCEL); }
  void Accept();

  NewKind kind_;
  bool decimal_ = false;
};

void NewValueDialog::Accept() {
  HWND dialog = hwnd();
  const NewValueForm& form = FormOf(kind_);
  std::wstring name = ControlText(dialog, form.nameId);
  std::wstring text = ControlText(dialog, form.dataId);
  if (browser_.Values().FindRowByName(name) >= 0) {
    win32::ShowMessage(dialog, kDuplicateValueText, form.duplicateCaption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (name.empty()) {
    win32::ShowMessage(dialog, L"Please enter a valid name.", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (text.empty() &&
      win32::ShowMessage(dialog, form.emptyText, form.emptyCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  auto value = NewValueData(dialog, kind_, text);
  if (!value) return;
  const CurrentKey& current = browser_.State().current;
  LONG rc = ERROR_INVALID_HANDLE;
  if (win32::RegKey key = CreateKey(current.root, current.path)) {
    rc = WriteValue(key.get(), name, value->first, Bytes(value->second));
    if (rc == ERROR_SUCCESS && kind_ == NewKind::String) RegFlushKey(key.get());
  }
  if (rc != ERROR_SUCCESS) {
    win32::ShowMessage(dialog, L"Value created failed", form.failedCaption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  browser_.Values().Clear();
  browser_.Keys().ReselectCurrent();
  EndDialog(dialog, IDOK);
}

// ---- Modify Value --------------------------------------------------------------------------

bool Editable(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ || type == REG_BINARY || type == REG_DWORD;
}

// A multi-string shows its first string; the edit replaces that one and keeps the others.
std::vector<std::uint8_t> ReplaceFirstString(const std::vector<BYTE>& original, const std::wstring& first) {
  std::vector<std::u16string> strings = core::MultiStrings(Bytes(original));
  if (strings.empty()) strings.emplace_back();
  strings[0] = U16(first);
  std::vector<std::uint8_t> data;
  for (const std::u16string& s : strings) {
    if (s.empty() && &s != &strings[0]) continue;
    for (char16_t c : s) {
      data.push_back(static_cast<std::uint8_t>(c & 0xFF));
      data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
  }
  data.push_back(0);
  data.push_back(0);
  return data;
}

class ModifyDialog : public TamskDialog<ModifyDialog> {
 public:
  ModifyDialog(Browser& browser, int row, ValueData value) noexcept
      : TamskDialog(browser), row_(row), value_(std::move(value)) {}

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<ModifyDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<ModifyDialog> kMessages[] = {
        win32::On<&ModifyDialog::OnInitDialog>(WM_INITDIALOG)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<ModifyDialog>> Commands() {
    static constexpr win32::CommandEntry<ModifyDialog> kCommands[] = {
        win32::Command<&ModifyDialog::OnBase>(IDC_HEX, IDC_DEC),
        win32::Command<&ModifyDialog::Accept>(IDOK), win32::Command<&ModifyDialog::Accept>(IDM_DONE),
        win32::Command<&ModifyDialog::Cancel>(IDCANCEL), win32::Command<&ModifyDialog::Cancel>(IDM_CANCEL)};
    return kCommands;
  }

  // The data box shows the value read from the registry, not the row's text, so that a long
  // binary or string value is edited whole.
  std::wstring DataText() const {
    auto data = Bytes(value_.data);
    if (value_.type == REG_DWORD) return Wide(core::DwordRowText(core::DwordFromData(data)).substr(2));
    return Wide(core::ValueDataText(value_.type, data));
  }

  INT_PTR OnInitDialog(WPARAM, LPARAM) {
    HWND dialog = hwnd();
    Init(kModifyTemplates, IDR_DIALOG_BAR, true);
    SendDlgItemMessageW(dialog, IDC_MODIFY_DATA, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    SetDlgItemTextW(dialog, IDC_MODIFY_NAME, value_.name.c_str());
    SetDlgItemTextW(dialog, IDC_MODIFY_TYPE, Wide(core::ValueTypeText(value_.type)).c_str());
    SetDlgItemTextW(dialog, IDC_MODIFY_DATA, DataText().c_str());
    bool dword = value_.type == REG_DWORD;
    for (int id : {IDC_BASE_GROUP, IDC_HEX, IDC_DEC}) ShowWindow(GetDlgItem(dialog, id), dword ? SW_SHOW : SW_HIDE);
    if (dword) CheckRadioButton(dialog, IDC_HEX, IDC_DEC, IDC_HEX);
    if (!Editable(value_.type)) SendDlgItemMessageW(dialog, IDC_MODIFY_DATA, EM_SETREADONLY, TRUE, 0);
    SetFocus(GetDlgItem(dialog, IDC_MODIFY_DATA));
    return FALSE;
  }
  void OnBase(int id, int code) {
    if (value_.type == REG_DWORD && code == BN_CLICKED) OnBaseRadio(hwnd(), IDC_MODIFY_DATA, id, decimal_);
  }
  void Cancel() { EndDialog(hwnd(), IDCANCEL); }
  void Accept();

  int row_;
  ValueData value_;  // the value as it was read when the dialog opened
  bool decimal_ = false;
};

void ModifyDialog::Accept() {
  HWND dialog = hwnd();
  std::wstring text = ControlText(dialog, IDC_MODIFY_DATA);
  std::vector<std::uint8_t> data;
  DWORD type = value_.type;
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      data = core::StringData(U16(text));
      break;
    case REG_MULTI_SZ:
      data = ReplaceFirstString(value_.data, text);
      break;
    case REG_BINARY: {
      auto bytes = core::ParseHexBytes(U16(text));
      if (!bytes) {
        WarnInput(dialog, core::kHexInputMessage);
        return;
      }
      data = std::move(*bytes);
      break;
    }
    case REG_DWORD: {
      auto value = DwordFromBox(dialog, IDC_MODIFY_DATA);
      if (!value) return;
      data = DwordBytes(*value);
      break;
    }
    default:
      EndDialog(dialog, IDCANCEL);  // nothing of this type is edited here
      return;
  }
  const CurrentKey& current = browser_.State().current;
  win32::RegKey key = CreateKey(current.root, current.path);
  if (key) WriteValue(key.get(), value_.name, type, Bytes(data));
  // The row shows what the registry now holds.
  ValueData now;
  ValueList& list = browser_.Values();
  if (key && ReadValue(key.get(), value_.name, now)) {
    if (Row* row = list.RowAt(row_); row && row->name == value_.name) {
      row->data = Wide(core::ValueDataText(now.type, Bytes(now.data), core::kRowDataChars));
      ListView_SetItemText(list.hwnd(), row_, 1, row->data.data());
    }
  }
  EndDialog(dialog, IDOK);
}

void RunNewValue(Browser& browser, NewKind kind) { NewValueDialog(browser, kind).Run(); }

}  // namespace

void Editing::NewKey() { NewKeyDialog(browser_).Run(kNewKeyTemplates); }
void Editing::NewString() { RunNewValue(browser_, NewKind::String); }
void Editing::NewMulti() { RunNewValue(browser_, NewKind::Multi); }
void Editing::NewBinary() { RunNewValue(browser_, NewKind::Binary); }
void Editing::NewDword() { RunNewValue(browser_, NewKind::Dword); }

void Editing::Modify() {
  ValueList& list = browser_.Values();
  int index = list.SelectedRow();
  Row* row = list.RowAt(index);
  if (!row) return;
  const CurrentKey& current = browser_.State().current;
  ValueData value;
  {
    win32::RegKey key = CreateKey(current.root, current.path);
    if (!key || !ReadValue(key.get(), row->name, value)) {
      // Gone since the list was filled: the list shows what there is now.
      browser_.Keys().ReselectCurrent();
      return;
    }
  }
  value.name = row->name;
  ModifyDialog(browser_, index, std::move(value)).Run(kModifyTemplates);
}

}  // namespace quintar::tamsk
