// Any bytes as an archive: the central directory is walked, every name decoded and made safe, and
// every entry unpacked (bounded), without a crash, a hang or a path outside the target.
#include <cstddef>
#include <cstdint>
#include <string>

#include "zip/core/archive.h"
#include "zip/core/entry.h"

using namespace quintar::zip::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
  Reader reader;
  if (!reader.Open(stream)) return 0;
  int entries = 0;
  for (bool more = reader.First(); more && entries < 256; more = reader.Next(), ++entries) {
    EntryInfo info;
    if (!reader.Current(info)) break;
    if (info.safePath) {
      const std::u16string& path = *info.safePath;
      if (path.empty() || path.size() > kMaxPathChars || path.find(u':') != path.npos || path.find(u'/') != path.npos)
        __builtin_trap();
      // Every component is a name: none empty, none of dots alone, none ending in a dot or space.
      for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        const std::u16string_view part(path.data() + start, end - start);
        if (part.empty() || part.back() == u'.' || part.back() == u' ') __builtin_trap();
        start = end + 1;
      }
    }
    std::size_t unpacked = 0;
    reader.ReadCurrent([&](const void*, std::size_t n) { return (unpacked += n) <= (1u << 20); }, nullptr);
  }
  return 0;
}
