// Every input a running copy, a command line, a shortcut file or the registry can hand the browser: none may
// crash, read out of bounds or give a result that breaks the path rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "filemanager/core/list_settings.h"
#include "filemanager/core/paths.h"
#include "filemanager/core/shortcuts.h"
#include "filemanager/core/startup.h"

using namespace quintar::folderon::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  ++data;
  --size;
  switch (mode % 4) {
    case 0: {  // WM_COPYDATA: the tag from the mode byte's high bits, the data exactly as long as sent
      const std::uint64_t tag = (mode >> 2) == 0 ? kCopyDataOpenFolder : mode >> 2;
      auto copy = std::make_unique<std::uint8_t[]>(size ? size : 1);
      if (size) std::memcpy(copy.get(), data, size);
      const auto folder = ReadOpenFolderRequest(tag, size ? copy.get() : nullptr, size);
      if (folder && (folder->size() > kMaxPath || folder->find(u'\0') != std::u16string::npos)) std::abort();
      break;
    }
    case 1: {  // a command line
      std::u16string line(size / 2, u'\0');
      if (!line.empty()) std::memcpy(line.data(), data, line.size() * 2);
      const auto folder = ParseCommandLine(line);
      if (folder && (folder->size() > kMaxPath || (!folder->empty() && folder->back() == u'\\'))) std::abort();
      const GoToTarget target = ClassifyGoTo(line);
      if (target.kind == GoToKind::Path && target.path.size() > kMaxPath) std::abort();
      break;
    }
    case 3: {  // a shortcut's command line, and the shortcut names made from its parts
      std::u16string line(size / 2, u'\0');
      if (!line.empty()) std::memcpy(line.data(), data, line.size() * 2);
      const ShortcutTarget target = SplitShortcutTarget(line);
      if (target.path.size() + target.parameters.size() > line.size()) std::abort();
      for (int n : {1, 2, kMaxShortcutAttempts}) {
        const auto path = ShortcutPath(target.path, target.parameters, (mode & 4) != 0, ShortcutNaming{}, n);
        if (path && (path->size() > kMaxPath || !path->ends_with(u".lnk"))) std::abort();
      }
      const auto command = ShortcutCommandLine(target.path, target.parameters);
      if (command && (command->size() > kMaxPath || !IsDevicePath(SplitShortcutTarget(*command).path))) std::abort();
      break;
    }
    default: {  // a `ListView` value: parsing is stable after one round
      const ListViewSettings s = ParseListViewSettings({reinterpret_cast<const std::byte*>(data), size});
      const auto bytes = SerializeListViewSettings(s);
      if (!(ParseListViewSettings(bytes) == s)) std::abort();
      if (s.sortKey > 3 || s.viewStyle > 3 || (s.lineSelect != 0 && s.lineSelect != kLineSelectOn)) std::abort();
      break;
    }
  }
  return 0;
}
