#include "todayplugin/menus.h"

#include <string>

#include "todayplugin/resource.h"
#include "todayplugin/themes.h"
#include "win32/handle.h"
#include "win32/text.h"

namespace quintar::glancet {

using namespace core;
using win32::Wide;

namespace {

void Track(HWND owner, HMENU popup, POINT at) {
  ClientToScreen(owner, &at);
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner, nullptr);
}

// The theme files of \windows, for the theme submenu.
HMENU ThemeSubmenu(const State& s) {
  HMENU sub = CreatePopupMenu();
  if (sub) FillThemeSubmenu(sub, s);
  return sub;
}

// The entries of the item's kind around the resource's own; the theme submenu when it made one.
HMENU AddKindEntries(HMENU popup, const State& s, int32_t kind, const ItemRecord& item) {
  HMENU themes = nullptr;
  auto top = [&](UINT id, const wchar_t* text, bool separator) {
    if (separator) InsertMenuW(popup, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING, id, text);
  };
  if (kind == kSmall || kind == kLarge) {
    std::wstring name = Wide(FieldText(item.name));
    top(IDM_TITLE_NAME, name.c_str(), true);
    AppendMenuW(popup, MF_STRING, IDM_LARGE_ICON, L"Large Icon");
    AppendMenuW(popup, MF_STRING, IDM_CHANGE_ICON, L"Change Icon");
  } else if (kind == kBattery) {
    top(IDM_TITLE_BATTERY, L"Battery", false);
  } else if (kind == kMemory) {
    top(IDM_TITLE_MEMORY, L"Memory", true);
    AppendMenuW(popup, MF_STRING, IDM_PROGRAM_MEMORY, L"Used Program Memory");
    AppendMenuW(popup, MF_STRING, IDM_STORAGE_MEMORY, L"Used Storage  Memory");
    AppendMenuW(popup, MF_STRING, IDM_TOTAL_USED, L"Total Used");
  } else if (kind == kStorage) {
    top(IDM_TITLE_STORAGE, L"Storage Card", true);
    for (int k = 0; k < s.cardCount && k < kCardSlots; ++k)
      AppendMenuW(popup, MF_STRING, IDM_CARD_FIRST + k, Wide(FieldText(s.cards[k].name)).c_str());
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup, MF_STRING, IDM_FREE_SPACE, L"Free Space");
    AppendMenuW(popup, MF_STRING, IDM_USED_SPACE, L"Used Space");
  } else if (kind == kBacklight) {
    top(IDM_TITLE_BACKLIGHT, L"Back Light", false);
  } else if (kind == kThemeSmall || kind == kThemeLarge) {
    top(0, L"Theme Loop", true);
    themes = ThemeSubmenu(s);
    AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(themes), L"Select Theme");
    AppendMenuW(popup, MF_STRING, IDM_LARGE_ICON, L"Large Icon");
    AppendMenuW(popup, MF_STRING, IDM_CHANGE_ICON, L"Change Icon");
  } else if (kind == kPowerOff || kind == kSoftReset || kind == kHardReset) {
    top(IDM_TITLE_BACKLIGHT, kind == kPowerOff ? L"Power Off" : (kind == kSoftReset ? L"Soft Resert" : L"Hard Resert"),
        false);
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup, MF_STRING, IDM_CHANGE_ICON, L"Change Icon");
  }
  return themes;
}

}  // namespace

void OpenTabMenu(HWND owner, HINSTANCE resources, POINT at) {
  win32::Menu menu(LoadMenuW(resources, MAKEINTRESOURCEW(IDR_MENU_TAB)));
  if (!menu) return;
  Track(owner, GetSubMenu(menu.get(), 0), at);
}

void OpenItemMenu(HWND owner, HINSTANCE resources, State& s, const ItemRecord& item, POINT at, win32::Menu& themeMenu) {
  int32_t kind = item.kind;
  win32::Menu menu(LoadMenuW(resources, MAKEINTRESOURCEW(kind == kEmpty ? IDR_MENU_EMPTY : IDR_MENU_ITEM)));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu.get(), 0);
  HMENU themes = AddKindEntries(popup, s, kind, item);
  if (kind == kSmall || kind == kThemeSmall) s.settings.largeIconCheck = 0;
  if (kind == kLarge || kind == kThemeLarge) s.settings.largeIconCheck = kOn;
  Track(owner, popup, at);
  if (!themes) return;
  // The chosen theme's command arrives after the menu is gone; its submenu stays for the mark.
  for (int i = GetMenuItemCount(popup) - 1; i >= 0; --i)
    if (GetSubMenu(popup, i) == themes) RemoveMenu(popup, i, MF_BYPOSITION);
  themeMenu.reset(themes);
}

void SetCheckMarks(HMENU menu, const State& s) {
  CheckMenuRadioItem(menu, IDM_CARD_FIRST, IDM_CARD_LAST, IDM_CARD_FIRST + CheckedCard(s), MF_BYCOMMAND);
  CheckMenuRadioItem(menu, IDM_FREE_SPACE, IDM_USED_SPACE, s.settings.showFree == kOn ? IDM_FREE_SPACE : IDM_USED_SPACE,
                     MF_BYCOMMAND);
  CheckMenuItem(menu, IDM_LARGE_ICON, MF_BYCOMMAND | (s.settings.largeIconCheck == kOn ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_AUTO_ARRANGE, MF_BYCOMMAND | (s.settings.autoArrange == kOn ? MF_CHECKED : MF_UNCHECKED));
  int32_t mode = s.settings.memoryMode;
  if (mode >= kProgramMemory && mode <= kTotalUsed)
    CheckMenuRadioItem(menu, IDM_PROGRAM_MEMORY, IDM_TOTAL_USED, IDM_PROGRAM_MEMORY + (mode - kProgramMemory),
                       MF_BYCOMMAND);
}

}  // namespace quintar::glancet
