// Any text as an archiver command: parsed without a crash, and whatever is accepted names only
// device paths, every source below the base folder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "zip/core/command.h"
#include "zip/core/entry.h"

using namespace quintar::zip::core;

namespace {
void Check(const std::u16string& path) {
  if (path.size() > kMaxPathChars || path.find(u':') != path.npos || path.find(u"\\..\\") != path.npos ||
      path.find(u"\\\\") != path.npos || path.find_first_of(u"*?\"") != path.npos)
    __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string line(size / 2, u'\0');
  for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  const ParsedCommand parsed = ParseArchiverCommand(line);
  if (parsed.error != CommandError::None) {
    if (CommandErrorText(parsed).empty()) __builtin_trap();
    return 0;
  }
  const ArchiverCommand& command = parsed.command;
  if (command.archive.empty() || command.archive.front() != u'\\') __builtin_trap();
  Check(command.archive);
  Check(command.folder);
  for (const AddSource& source : command.sources) {
    Check(source.path);
    if (!RelativeTo(command.folder, source.path)) __builtin_trap();
  }
  return 0;
}
