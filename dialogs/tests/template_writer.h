// Dialog templates built byte by byte for the tests and benchmarks of the template parser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quintar::dialogs::fixtures {

// Builds dialog templates byte by byte, as a resource compiler lays them out.
class TemplateWriter {
 public:
  void Word(std::uint16_t w) {
    bytes_.push_back(std::byte(w & 0xFF));
    bytes_.push_back(std::byte(w >> 8));
  }
  void Dword(std::uint32_t d) {
    Word(static_cast<std::uint16_t>(d));
    Word(static_cast<std::uint16_t>(d >> 16));
  }
  void Text(const std::u16string& s) {
    for (char16_t c : s) Word(c);
    Word(0);
  }
  void Align() {
    while (bytes_.size() % 4) bytes_.push_back(std::byte{0});
  }
  std::vector<std::byte>& Bytes() { return bytes_; }

 private:
  std::vector<std::byte> bytes_;
};

struct Item {
  std::uint32_t id;
  std::int16_t x, y, cx, cy;
  std::uint16_t extra = 0;
};

inline std::vector<std::byte> Classic(const std::vector<Item>& items, bool font = true) {
  TemplateWriter w;
  w.Dword(0x80C80000u | (font ? 0x40u : 0u));  // WS_POPUP | WS_CAPTION | WS_SYSMENU [| DS_SETFONT]
  w.Dword(0);
  w.Word(static_cast<std::uint16_t>(items.size()));
  w.Word(0); w.Word(0); w.Word(160); w.Word(120);
  w.Word(0);                  // no menu
  w.Word(0);                  // default class
  w.Text(u"Title");
  if (font) {
    w.Word(8);
    w.Text(u"Tahoma");
  }
  for (const Item& it : items) {
    w.Align();
    w.Dword(0x50010000);  // WS_CHILD | WS_VISIBLE | WS_TABSTOP
    w.Dword(0);
    w.Word(static_cast<std::uint16_t>(it.x)); w.Word(static_cast<std::uint16_t>(it.y));
    w.Word(static_cast<std::uint16_t>(it.cx)); w.Word(static_cast<std::uint16_t>(it.cy));
    w.Word(static_cast<std::uint16_t>(it.id));
    w.Word(0xFFFF); w.Word(0x0080);  // button
    w.Text(u"OK");
    w.Word(it.extra);
    for (int i = 0; i < it.extra; ++i) w.Bytes().push_back(std::byte{0x5A});
  }
  return w.Bytes();
}

inline std::vector<std::byte> Extended(const std::vector<Item>& items) {
  TemplateWriter w;
  w.Word(1); w.Word(0xFFFF);
  w.Dword(0);            // help id
  w.Dword(0);            // ex style
  w.Dword(0x80C80048u);  // DS_SHELLFONT
  w.Word(static_cast<std::uint16_t>(items.size()));
  w.Word(5); w.Word(6); w.Word(160); w.Word(120);
  w.Text(u"MENU");         // a named menu
  w.Word(0xFFFF); w.Word(0x8002);
  w.Text(u"Extended");
  w.Word(8); w.Word(400); w.Word(0x0100);
  w.Text(u"MS Shell Dlg");
  for (const Item& it : items) {
    w.Align();
    w.Dword(0); w.Dword(0); w.Dword(0x50010000);
    w.Word(static_cast<std::uint16_t>(it.x)); w.Word(static_cast<std::uint16_t>(it.y));
    w.Word(static_cast<std::uint16_t>(it.cx)); w.Word(static_cast<std::uint16_t>(it.cy));
    w.Dword(it.id);
    w.Text(u"Edit");
    w.Word(0);
    w.Word(it.extra);
    for (int i = 0; i < it.extra; ++i) w.Bytes().push_back(std::byte{0x5A});
  }
  return w.Bytes();
}

}  // namespace quintar::dialogs::fixtures
