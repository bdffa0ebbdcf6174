// Feeds arbitrary bytes to the registry file reader and to the number parsers; anything the reader
// accepts must also survive a write and read back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "regeditor/core/numbers.h"
#include "regeditor/core/regfile.h"

using namespace quintar::tamsk::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ParsedFile f = ParseRegFile(bytes);

  std::u16string wide(size / 2, u'\0');
  for (std::size_t i = 0; i < wide.size(); ++i) wide[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  (void)ParseHex32(wide);
  (void)ParseDec32(wide);
  (void)ParseHexBytes(wide);
  (void)ParseHexBytes8(bytes);

  // Re-export what was read: the reader must give back the same keys and values. Names and
  // strings hold Latin-1 only, so the writer is exact for them; a name or text holding a line
  // feed or a quote structure is outside what the format can carry, so only clean ones count.
  std::string out;
  AppendHeader(out);
  std::size_t written = 0;
  for (const ParsedKey& k : f.keys) {
    bool cleanKey = k.path.find(u'\n') == std::u16string::npos && k.path.find(u']') == std::u16string::npos;
    if (!cleanKey) continue;
    AppendKeyLine(out, RootName(k.root), k.path);
    for (const ParsedValue& v : k.values) {
      if (v.type == ParsedType::BadNumber) continue;
      auto bad = [](const std::u16string& s) {
        return s.find_first_of(u"\n\"=:[@") != std::u16string::npos ||
               (!s.empty() && (s[0] == u' ' || s.back() == u' '));
      };
      if (bad(v.name) || bad(v.text)) continue;
      AppendValueLine(out, v.name, ImportType(v), ImportData(v));
      ++written;
    }
  }
  ParsedFile again = ParseRegFile(out);
  std::size_t readBack = 0;
  for (const ParsedKey& k : again.keys) readBack += k.values.size();
  if (readBack != written) __builtin_trap();
  return 0;
}
