// Editing keys and values: the New dialogs, Modify Value, Delete, in-place Rename, Copy and
// Paste of keys with the key copy.
#include <algorithm>
#include <span>

#include "dialogbase.h"
#include "regeditor/core/numbers.h"
#include "regeditor/core/registry_text.h"
#include "resource.h"
#include "tamsk.h"

namespace tamsk {

namespace {

namespace qt = quintar::tamsk;
using quintar::dialogs::TemplatesById;
using quintar::dialogs::TemplateSet;

constexpr wchar_t kDuplicateValue[] = L"\nDestination value name already exists!";

const TemplateSet kNewKeyTemplates = TemplatesById(IDD_NEWKEY_SQUARE, IDD_NEWKEY_PORTRAIT, IDD_NEWKEY_LANDSCAPE);
const TemplateSet kModifyTemplates = TemplatesById(IDD_MODIFY_SQUARE, IDD_MODIFY_PORTRAIT, IDD_MODIFY_LANDSCAPE);

// ---- Helpers -----------------------------------------------------------------------------

bool RowNameExists(const std::wstring& name) { return FindRowByName(name) >= 0; }

std::wstring JoinPath(const std::wstring& path, const std::wstring& name) {
  return Wide(qt::JoinKeyPath(U16(path), U16(name)));
}

std::span<const std::uint8_t> Bytes(const std::vector<std::uint8_t>& data) { return {data.data(), data.size()}; }

LONG WriteValue(HKEY key, const std::wstring& name, DWORD type, std::span<const std::uint8_t> data) {
  return RegSetValueExW(key, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                        static_cast<DWORD>(data.size()));
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
  std::optional<std::uint32_t> value = decimal ? qt::ParseDec32(text) : qt::ParseHex32(text);
  if (!value) {
    Message(dialog, decimal ? qt::kDecInputMessage : qt::kHexInputMessage, qt::kWarningCaption,
            MB_OK | MB_ICONEXCLAMATION);
    CheckRadioButton(dialog, IDC_HEX, IDC_DEC, decimal ? IDC_DEC : IDC_HEX);
    return;
  }
  SetDlgItemTextW(dialog, dataId, Wide(wantDecimal ? qt::FormatDec(*value) : qt::FormatHexLower(*value)).c_str());
  decimal = wantDecimal;
}

// The DWORD of the data box by the checked base; nothing (the dialog stays) when no radio is
// checked or the text is not a number of that base.
std::optional<std::uint32_t> DwordFromBox(HWND dialog, int dataId) {
  std::u16string text = U16(ControlText(dialog, dataId));
  if (IsRadioChecked(dialog, IDC_DEC)) {
    auto value = qt::ParseDec32(text);
    if (!value) Message(dialog, qt::kDecInputMessage, qt::kWarningCaption, MB_OK | MB_ICONEXCLAMATION);
    return value;
  }
  if (IsRadioChecked(dialog, IDC_HEX)) {
    auto value = qt::ParseHex32(text);
    if (!value) Message(dialog, qt::kHexInputMessage, qt::kWarningCaption, MB_OK | MB_ICONEXCLAMATION);
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
void ShowNewSubkey() {
  App& app = TheApp();
  HTREEITEM current = app.current.item;
  if (!current) return;
  HTREEITEM parent = TreeView_GetParent(app.tree, current);
  if (!parent) {
    std::wstring rootName = app.current.rootName;
    RebuildTree();
    HTREEITEM root = SelectPath(rootName, L"", true);
    if (root) TreeView_Expand(app.tree, root, TVE_EXPAND);
    return;
  }
  std::wstring name = ItemText(current);
  RereadChildren(parent);
  HTREEITEM again = FindChild(parent, name, true);
  if (!again) return;
  TreeView_SelectItem(app.tree, again);
  ReselectCurrent();
  RereadChildren(again);
}

INT_PTR CALLBACK NewKeyProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  try {
    if (msg == WM_INITDIALOG) {
      InitTamskDialog(dialog, kNewKeyTemplates, IDR_DIALOG_BAR, true);
      SetFocus(GetDlgItem(dialog, IDC_KEY_NAME));
      return FALSE;
    }
    if (msg != WM_COMMAND) return FALSE;
    switch (ClassifyCommand(wParam)) {
      case DialogCommand::Cancel:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      case DialogCommand::None:
        return FALSE;
      case DialogCommand::Accept:
        break;
    }
    std::wstring name = ControlText(dialog, IDC_KEY_NAME);
    if (name.empty()) {
      Message(dialog, L"Please enter a valid name!", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
      return TRUE;
    }
    App& app = TheApp();
    RegKey key;
    if (app.current.root && key.Create(app.current.root, JoinPath(app.current.path, name))) {
      RegFlushKey(key.get());
      key.Reset();
      EndDialog(dialog, IDOK);
      ShowNewSubkey();
      return TRUE;
    }
    EndDialog(dialog, IDOK);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

// ---- New values ----------------------------------------------------------------------------

enum class NewKind { String, Multi, Binary, Dword };

struct NewValueForm {
  TemplateSet templates;
  int nameId;
  int dataId;
  const wchar_t* duplicateCaption;
  const wchar_t* emptyText;
  const wchar_t* emptyCaption;
  const wchar_t* failedCaption;
};

const NewValueForm& FormOf(NewKind kind) {
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

struct NewValueState {
  NewKind kind;
  bool decimal = false;
};

// The value's type and bytes from the dialog; nothing when the dialog must stay open.
std::optional<std::pair<DWORD, std::vector<std::uint8_t>>> NewValueData(HWND dialog, NewKind kind,
                                                                        const std::wstring& text) {
  switch (kind) {
    case NewKind::String:
      return std::pair<DWORD, std::vector<std::uint8_t>>{REG_SZ, qt::StringData(U16(text))};
    case NewKind::Multi:
      return std::pair<DWORD, std::vector<std::uint8_t>>{REG_MULTI_SZ, MultiLineData(text)};
    case NewKind::Binary: {
      auto bytes = qt::ParseHexBytes(U16(text));
      if (!bytes) {
        Message(dialog, qt::kHexInputMessage, qt::kWarningCaption, MB_OK | MB_ICONEXCLAMATION);
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

void AcceptNewValue(HWND dialog, NewValueState& state) {
  const NewValueForm& form = FormOf(state.kind);
  std::wstring name = ControlText(dialog, form.nameId);
  std::wstring text = ControlText(dialog, form.dataId);
  if (RowNameExists(name)) {
    Message(dialog, kDuplicateValue, form.duplicateCaption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (name.empty()) {
    Message(dialog, L"Please enter a valid name.", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (text.empty() && Message(dialog, form.emptyText, form.emptyCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  auto value = NewValueData(dialog, state.kind, text);
  if (!value) return;
  App& app = TheApp();
  RegKey key;
  LONG rc = ERROR_INVALID_HANDLE;
  if (key.Create(app.current.root, app.current.path)) {
    rc = WriteValue(key.get(), name, value->first, Bytes(value->second));
    if (rc == ERROR_SUCCESS && state.kind == NewKind::String) RegFlushKey(key.get());
  }
  if (rc != ERROR_SUCCESS) {
    Message(dialog, L"Value created failed", form.failedCaption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  key.Reset();
  ClearList();
  ReselectCurrent();
  EndDialog(dialog, IDOK);
}

// The commands both value dialogs share: the DWORD base radios, Cancel, and Done or OK.
template <class Accept>
INT_PTR ValueCommand(HWND dialog, WPARAM wParam, bool dword, int dataId, bool& decimal, Accept&& accept) {
  int id = LOWORD(wParam);
  if (dword && (id == IDC_HEX || id == IDC_DEC) && HIWORD(wParam) == BN_CLICKED) {
    OnBaseRadio(dialog, dataId, id, decimal);
    return TRUE;
  }
  switch (ClassifyCommand(wParam)) {
    case DialogCommand::Cancel:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case DialogCommand::Accept:
      accept();
      return TRUE;
    case DialogCommand::None:
      return FALSE;
  }
  return FALSE;
}

INT_PTR CALLBACK NewValueProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    auto* state = reinterpret_cast<NewValueState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (msg == WM_INITDIALOG) {
      state = reinterpret_cast<NewValueState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      const NewValueForm& form = FormOf(state->kind);
      InitTamskDialog(dialog, form.templates, IDR_DIALOG_BAR, true);
      SendDlgItemMessageW(dialog, form.dataId, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
      if (state->kind == NewKind::Dword) CheckRadioButton(dialog, IDC_HEX, IDC_DEC, IDC_HEX);
      SetFocus(GetDlgItem(dialog, form.nameId));
      return FALSE;
    }
    if (msg != WM_COMMAND || !state) return FALSE;
    return ValueCommand(dialog, wParam, state->kind == NewKind::Dword, IDC_DWORD_DATA, state->decimal,
                        [&] { AcceptNewValue(dialog, *state); });
  } catch (...) {
    return FALSE;
  }
}

void RunNewValue(NewKind kind) {
  NewValueState state{kind};
  RunDialog(FormOf(kind).templates, NewValueProc, reinterpret_cast<LPARAM>(&state));
}

// ---- Modify Value --------------------------------------------------------------------------

struct ModifyState {
  std::wstring name;
  DWORD type = 0;
  std::vector<BYTE> original;  // the value as it was read when the dialog opened
  bool decimal = false;
  int row = -1;
};

// The data box shows the value read from the registry, not the row's text, so that a long
// binary or string value is edited whole.
std::wstring ModifyText(const ModifyState& state) {
  auto data = Bytes(state.original);
  if (state.type == REG_DWORD) return Wide(qt::DwordRowText(qt::DwordFromData(data)).substr(2));
  return Wide(qt::ValueDataText(state.type, data));
}

bool Editable(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ || type == REG_BINARY || type == REG_DWORD;
}

// A multi-string shows its first string; the edit replaces that one and keeps the others.
std::vector<std::uint8_t> ReplaceFirstString(const std::vector<BYTE>& original, const std::wstring& first) {
  std::vector<std::u16string> strings = qt::MultiStrings(Bytes(original));
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

void AcceptModify(HWND dialog, ModifyState& state) {
  std::wstring text = ControlText(dialog, IDC_MODIFY_DATA);
  std::vector<std::uint8_t> data;
  DWORD type = state.type;
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      data = qt::StringData(U16(text));
      break;
    case REG_MULTI_SZ:
      data = ReplaceFirstString(state.original, text);
      break;
    case REG_BINARY: {
      auto bytes = qt::ParseHexBytes(U16(text));
      if (!bytes) {
        Message(dialog, qt::kHexInputMessage, qt::kWarningCaption, MB_OK | MB_ICONEXCLAMATION);
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
  App& app = TheApp();
  RegKey key;
  if (key.Create(app.current.root, app.current.path)) WriteValue(key.get(), state.name, type, Bytes(data));
  // The row shows what the registry now holds.
  ValueData now;
  if (key && ReadValue(key.get(), state.name, now)) {
    if (Row* row = RowAt(state.row); row && row->name == state.name) {
      row->data = Wide(qt::ValueDataText(now.type, Bytes(now.data), qt::kRowDataChars));
      ListView_SetItemText(app.list, state.row, 1, row->data.data());
    }
  }
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK ModifyProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    auto* state = reinterpret_cast<ModifyState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (msg == WM_INITDIALOG) {
      state = reinterpret_cast<ModifyState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      InitTamskDialog(dialog, kModifyTemplates, IDR_DIALOG_BAR, true);
      SendDlgItemMessageW(dialog, IDC_MODIFY_DATA, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
      SetDlgItemTextW(dialog, IDC_MODIFY_NAME, state->name.c_str());
      SetDlgItemTextW(dialog, IDC_MODIFY_TYPE, Wide(qt::ValueTypeText(state->type)).c_str());
      SetDlgItemTextW(dialog, IDC_MODIFY_DATA, ModifyText(*state).c_str());
      bool dword = state->type == REG_DWORD;
      for (int id : {IDC_BASE_GROUP, IDC_HEX, IDC_DEC}) ShowWindow(GetDlgItem(dialog, id), dword ? SW_SHOW : SW_HIDE);
      if (dword) CheckRadioButton(dialog, IDC_HEX, IDC_DEC, IDC_HEX);
      if (!Editable(state->type)) SendDlgItemMessageW(dialog, IDC_MODIFY_DATA, EM_SETREADONLY, TRUE, 0);
      SetFocus(GetDlgItem(dialog, IDC_MODIFY_DATA));
      return FALSE;
    }
    if (msg != WM_COMMAND || !state) return FALSE;
    return ValueCommand(dialog, wParam, state->type == REG_DWORD, IDC_MODIFY_DATA, state->decimal,
                        [&] { AcceptModify(dialog, *state); });
  } catch (...) {
    return FALSE;
  }
}

// ---- Key copy ------------------------------------------------------------------------------

bool CopyInto(HKEY source, HKEY target, int depth) {
  if (depth > 512) return false;  // deeper than the registry allows: something is looping
  std::vector<wchar_t> name(512), cls(512);
  for (DWORD index = 0;; ++index) {
    DWORD nameChars = static_cast<DWORD>(name.size()), classChars = static_cast<DWORD>(cls.size());
    LONG rc = RegEnumKeyExW(source, index, name.data(), &nameChars, nullptr, cls.data(), &classChars, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) return false;
    HKEY from = nullptr, to = nullptr;
    if (RegOpenKeyExW(source, name.data(), 0, KEY_READ, &from) != ERROR_SUCCESS) return false;
    if (RegCreateKeyExW(target, name.data(), 0, classChars ? cls.data() : nullptr, 0, KEY_ALL_ACCESS, nullptr, &to,
                        nullptr) != ERROR_SUCCESS) {
      RegCloseKey(from);
      return false;
    }
    bool ok = CopyInto(from, to, depth + 1);
    RegCloseKey(from);
    RegCloseKey(to);
    if (!ok) return false;
  }
  for (const ValueData& value : ReadValues(source)) {
    if (WriteValue(target, value.name, value.type, Bytes(value.data)) != ERROR_SUCCESS) return false;
  }
  return true;
}

bool SameKey(HKEY rootA, const std::wstring& pathA, HKEY rootB, const std::wstring& pathB) {
  return rootA == rootB && qt::NamesEqual(U16(pathA), U16(pathB));
}

// Whether `inner` is `outer` itself or lies below it.
bool Within(HKEY innerRoot, const std::wstring& inner, HKEY outerRoot, const std::wstring& outer) {
  if (innerRoot != outerRoot) return false;
  if (outer.empty()) return true;
  if (inner.size() < outer.size()) return false;
  if (!qt::NamesEqual(U16(inner.substr(0, outer.size())), U16(outer))) return false;
  return inner.size() == outer.size() || inner[outer.size()] == L'\\';
}

bool KeyExists(HKEY root, const std::wstring& path) {
  RegKey key;
  return key.Open(root, path, KEY_READ);
}

}  // namespace

bool CopyKey(HKEY sourceRoot, const std::wstring& sourcePath, HKEY targetRoot, const std::wstring& targetPath) {
  // Copying a key into itself or below itself would feed on its own output.
  if (Within(targetRoot, targetPath, sourceRoot, sourcePath)) return false;
  RegKey source, target;
  if (!source.Create(sourceRoot, sourcePath) || !target.Create(targetRoot, targetPath)) return false;
  return CopyInto(source.get(), target.get(), 0);
}

// ---- Commands ------------------------------------------------------------------------------

void CmdNewKey(HWND) { RunDialog(kNewKeyTemplates, NewKeyProc, 0); }
void CmdNewString(HWND) { RunNewValue(NewKind::String); }
void CmdNewMulti(HWND) { RunNewValue(NewKind::Multi); }
void CmdNewBinary(HWND) { RunNewValue(NewKind::Binary); }
void CmdNewDword(HWND) { RunNewValue(NewKind::Dword); }

void CmdModify(HWND) {
  App& app = TheApp();
  int index = SelectedRow();
  Row* row = RowAt(index);
  if (!row) return;
  ModifyState state;
  state.name = row->name;
  state.row = index;
  RegKey key;
  ValueData value;
  if (!key.Create(app.current.root, app.current.path) || !ReadValue(key.get(), row->name, value)) {
    // Gone since the list was filled: the list shows what there is now.
    ReselectCurrent();
    return;
  }
  key.Reset();
  state.type = value.type;
  state.original = std::move(value.data);
  RunDialog(kModifyTemplates, ModifyProc, reinterpret_cast<LPARAM>(&state));
}

void CmdDelete(HWND hwnd) {
  App& app = TheApp();
  bool value = app.focusedPane == app.list;
  const wchar_t* question =
      value ? L"Are you sure that you want to delete the value?" : L"Are you sure that you want to delete the key?";
  if (Message(hwnd, question, L"Confirm", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (value) {
    int index = SelectedRow();
    Row* row = RowAt(index);
    if (!row) return;
    std::wstring name = row->name;
    ListView_DeleteItem(app.list, index);
    app.rows.erase(std::remove_if(app.rows.begin(), app.rows.end(), [&](const auto& r) { return r.get() == row; }),
                   app.rows.end());
    RegKey key;
    LONG rc = key.Create(app.current.root, app.current.path) ? RegDeleteValueW(key.get(), name.c_str())
                                                             : ERROR_INVALID_HANDLE;
    if (rc != ERROR_SUCCESS) Message(hwnd, L"Value deleted faild", L"Faild!", MB_OK | MB_ICONEXCLAMATION);
    ReselectCurrent();
    return;
  }
  if (!app.current.root || !app.current.item) return;
  // A root is the whole hive: it is never deleted.
  LONG rc =
      app.current.path.empty() ? ERROR_ACCESS_DENIED : RegDeleteTreeW(app.current.root, SubkeyArg(app.current.path));
  if (rc != ERROR_SUCCESS) {
    Message(hwnd, L"Key deleted failed", L"Faild!", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  HTREEITEM item = app.current.item;
  HTREEITEM parent = TreeView_GetParent(app.tree, item);
  TreeView_DeleteItem(app.tree, item);
  if (parent) {
    RereadChildren(parent);
    TreeView_SelectItem(app.tree, parent);
    ReselectCurrent();
  }
}

void CmdRename(HWND) {
  App& app = TheApp();
  int row = SelectedRow();
  if (row >= 0) {
    app.focusedPane = app.list;
    SetFocus(app.list);
    ListView_EditLabel(app.list, row);
    return;
  }
  HTREEITEM item = TreeView_GetSelection(app.tree);
  if (!item) return;
  app.focusedPane = app.tree;
  SetFocus(app.tree);
  TreeView_EditLabel(app.tree, item);
}

BOOL OnListEndLabelEdit(NMLVDISPINFOW* info) {
  App& app = TheApp();
  if (!info->item.pszText) return FALSE;
  int index = info->item.iItem;
  Row* row = RowAt(index);
  if (!row) return FALSE;
  std::wstring newName = info->item.pszText;
  if (qt::NamesEqual(U16(newName), U16(row->name))) return FALSE;
  if (newName.empty()) {
    Message(app.main, L"Please input value name", L"", MB_OK | MB_ICONHAND);
    PostMessageW(app.main, kReopenListEdit, static_cast<WPARAM>(index), 0);
    return FALSE;
  }
  if (RowNameExists(newName)) {
    Message(nullptr, kDuplicateValue, L"Warning!", MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  // The value is written under the new name from its real data, whatever its type or size.
  RegKey key;
  ValueData value;
  if (!key.Create(app.current.root, app.current.path) || !ReadValue(key.get(), row->name, value)) return FALSE;
  if (WriteValue(key.get(), newName, value.type, Bytes(value.data)) != ERROR_SUCCESS) return FALSE;
  RegDeleteValueW(key.get(), row->name.c_str());
  row->name = newName;
  ListView_RedrawItems(app.list, index, index);
  return TRUE;
}

BOOL OnTreeEndLabelEdit(NMTVDISPINFOW* info) {
  App& app = TheApp();
  if (!info->item.pszText) return FALSE;
  HKEY root = nullptr;
  std::wstring rootName, path;
  if (!ItemKey(info->item.hItem, root, rootName, path)) return FALSE;
  if (path.empty()) {
    Message(app.main, L"Please select key again!", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  std::wstring newName = info->item.pszText;
  if (newName.empty()) {
    Message(app.main, L"Input key name.", L"", MB_OK | MB_ICONHAND);
    PostMessageW(app.main, kReopenTreeEdit, 0, reinterpret_cast<LPARAM>(info->item.hItem));
    return FALSE;
  }
  // A name with "\" would place the new key below the old one, which is then copied into itself.
  if (newName.find(L'\\') != std::wstring::npos) {
    Message(app.main, L"Please enter a valid name!", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  std::wstring parent = Wide(qt::ParentKeyPath(U16(path)));
  std::wstring newPath = JoinPath(parent, newName);
  // Key names are compared without case: a rename that only changes case names the same key,
  // and copying it onto itself and deleting the old would delete it.
  if (qt::NamesEqual(U16(newPath), U16(path))) return FALSE;
  bool existed = KeyExists(root, newPath);
  if (!CopyKey(root, path, root, newPath)) {
    if (!existed) RegDeleteTreeW(root, SubkeyArg(newPath));
    return FALSE;
  }
  if (RegDeleteTreeW(root, SubkeyArg(path)) != ERROR_SUCCESS) return FALSE;
  if (app.current.item == info->item.hItem) app.current.path = newPath;
  // The item shows its record's name, so the record takes the new one (the control keeps
  // asking for it). Renamed onto an existing sibling, the two are one key now: the parent is
  // read again.
  RenameItem(info->item.hItem, newName);
  PostMessageW(app.main, kAfterKeyRename, 0, reinterpret_cast<LPARAM>(info->item.hItem));
  return FALSE;
}

void CmdCopy(HWND hwnd) {
  App& app = TheApp();
  if (app.current.path.empty()) Message(hwnd, L"Incorrect cpoy!", L"Stop!", MB_OK | MB_ICONHAND);
  app.copiedRoot = app.current.root;
  app.copiedPath = app.current.path;
  app.hasCopied = true;
  UpdateMenuStates();
}

void CmdPaste(HWND hwnd) {
  App& app = TheApp();
  if (!app.hasCopied || app.copiedPath.empty()) {
    Message(hwnd, L"Incorrect paste!", L"Stop!", MB_OK | MB_ICONHAND);
    return;
  }
  if (!app.current.root) return;
  std::wstring target = JoinPath(app.current.path, Wide(qt::LastKeyComponent(U16(app.copiedPath))));
  // The copied key itself, or a place inside it (which would copy the copy again and again).
  if (SameKey(app.current.root, app.current.path, app.copiedRoot, app.copiedPath) ||
      Within(app.current.root, target, app.copiedRoot, app.copiedPath)) {
    Message(hwnd, L"Incorrect paste", L"Stop!", MB_OK | MB_ICONHAND);
    return;
  }
  {
    RegKey created;
    if (!created.Create(app.current.root, target)) return;
  }
  CopyKey(app.copiedRoot, app.copiedPath, app.current.root, target);
  HTREEITEM item = app.current.item;
  RereadChildren(item);
  TreeView_SelectItem(app.tree, item);
  ReselectCurrent();
}

// Posted from the label-edit notifications, which must not start another edit or rebuild
// items while the tree or list is still ending the first one.
LRESULT HandleEditingMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  App& app = TheApp();
  switch (msg) {
    case kReopenListEdit:
      SetFocus(app.list);
      ListView_EditLabel(app.list, static_cast<int>(wParam));
      return 0;
    case kReopenTreeEdit:
      SetFocus(app.tree);
      TreeView_EditLabel(app.tree, reinterpret_cast<HTREEITEM>(lParam));
      return 0;
    case kAfterKeyRename: {
      auto item = reinterpret_cast<HTREEITEM>(lParam);
      HTREEITEM parent = TreeView_GetParent(app.tree, item);
      std::wstring name = ItemText(item);
      if (!parent) return 0;
      RereadChildren(parent);
      if (HTREEITEM again = FindChild(parent, name, false)) {
        TreeView_SelectItem(app.tree, again);
        ReselectCurrent();
      }
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace tamsk
