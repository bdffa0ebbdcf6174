#include "zip/core/command.h"

#include "zip/core/entry.h"

namespace quintar::zip::core {

namespace {

char16_t Fold(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool SameNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

// A device path: one leading backslash, no drive, no empty, "." or ".." component.
bool IsDevicePath(std::u16string_view path) {
  if (path.empty() || path.front() != u'\\' || path.size() > kMaxPathChars) return false;
  if (path == u"\\") return true;
  for (std::size_t start = 1; start <= path.size();) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    const std::u16string_view part = path.substr(start, end - start);
    if (part.empty() || part == u"." || part == u".." || part.find(u':') != part.npos || part.find(u'/') != part.npos)
      return false;
    start = end + 1;
  }
  return true;
}

// A folder given with or without its trailing backslash: "\Docs\" is "\Docs", "\" the root "".
std::optional<std::u16string> FolderArgument(std::u16string_view path) {
  if (path == u"\\") return std::u16string();
  if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  if (!IsDevicePath(path)) return std::nullopt;
  return std::u16string(path);
}

bool HasWildcard(std::u16string_view text) { return text.find_first_of(u"*?") != std::u16string_view::npos; }

}  // namespace

std::vector<std::u16string> SplitArguments(std::u16string_view line) {
  std::vector<std::u16string> arguments;
  std::u16string current;
  bool inArgument = false, quoted = false;
  for (char16_t c : line) {
    if (c == u'"') {
      quoted = !quoted;
      inArgument = true;
    } else if (!quoted && (c == u' ' || c == u'\t')) {
      if (inArgument) arguments.push_back(std::move(current));
      current.clear();
      inArgument = false;
    } else {
      current.push_back(c);
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

ParsedCommand ParseArchiverCommand(std::u16string_view line) {
  ParsedCommand parsed;
  const std::vector<std::u16string> args = SplitArguments(line);
  auto fail = [&](CommandError error, std::u16string offending = {}) {
    parsed.error = error;
    parsed.offending = std::move(offending);
    return parsed;
  };
  if (args.empty()) return fail(CommandError::Empty);
  ArchiverCommand& command = parsed.command;
  if (SameNoCase(args[0], u"a"))
    command.verb = ArchiverCommand::Verb::Add;
  else if (SameNoCase(args[0], u"e"))
    command.verb = ArchiverCommand::Verb::Extract;
  else
    return fail(CommandError::UnknownVerb, args[0]);
  if (args.size() < 2 || args[1].empty()) return fail(CommandError::MissingArchive);
  if (HasWildcard(args[1])) return fail(CommandError::Wildcard, args[1]);
  if (!IsDevicePath(args[1]) || args[1].back() == u'\\') return fail(CommandError::BadPath, args[1]);
  command.archive = args[1];
  if (args.size() < 3 || args[2].empty()) return fail(CommandError::MissingFolder);
  if (HasWildcard(args[2])) return fail(CommandError::Wildcard, args[2]);
  auto folder = FolderArgument(args[2]);
  if (!folder) return fail(CommandError::BadPath, args[2]);
  command.folder = std::move(*folder);
  if (command.verb == ArchiverCommand::Verb::Extract) {
    if (args.size() > 3) return fail(CommandError::BadPath, args[3]);
    return parsed;
  }
  if (args.size() < 4) return fail(CommandError::NoSources);
  for (std::size_t i = 3; i < args.size(); ++i) {
    std::u16string_view path = args[i];
    AddSource source;
    for (std::u16string_view tail : {std::u16string_view(u"\\*.*"), std::u16string_view(u"\\*")}) {
      if (path.size() > tail.size() && path.substr(path.size() - tail.size()) == tail) {
        path.remove_suffix(tail.size());
        source.contents = true;
        break;
      }
    }
    if (HasWildcard(path)) return fail(CommandError::Wildcard, args[i]);
    if (!IsDevicePath(path) || path == u"\\" || path.back() == u'\\') return fail(CommandError::BadPath, args[i]);
    if (!RelativeTo(command.folder, path)) return fail(CommandError::BadPath, args[i]);
    source.path = std::u16string(path);
    command.sources.push_back(std::move(source));
  }
  return parsed;
}

std::u16string CommandErrorText(const ParsedCommand& parsed) {
  std::u16string text;
  switch (parsed.error) {
    case CommandError::None:
      return {};
    case CommandError::Empty:
      return u"No command was given.";
    case CommandError::UnknownVerb:
      text = u"Unknown command: ";
      break;
    case CommandError::MissingArchive:
      return u"No archive was given.";
    case CommandError::MissingFolder:
      return u"No folder was given.";
    case CommandError::NoSources:
      return u"No files were given.";
    case CommandError::BadPath:
      text = u"Not a usable path: ";
      break;
    case CommandError::Wildcard:
      text = u"Wildcards other than a final \\* are not supported: ";
      break;
  }
  return text + parsed.offending;
}

std::optional<std::u16string> RelativeTo(std::u16string_view base, std::u16string_view path) {
  if (path.size() <= base.size() + 1 || path[base.size()] != u'\\' || !SameNoCase(path.substr(0, base.size()), base))
    return std::nullopt;
  return std::u16string(path.substr(base.size() + 1));
}

}  // namespace quintar::zip::core
