// The archiver library's command strings: "a" adds files to an archive below a base folder, "e"
// unpacks an archive into a folder. Arguments are split on spaces; double quotes delimit (a
// quoted run may hold spaces) and a backslash is an ordinary character, never an escape.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::zip::core {

// The arguments of a command line as the archiver reads them.
std::vector<std::u16string> SplitArguments(std::u16string_view line);

// One source of an "a" command: a file or folder, or the contents of a folder ("X\*" or "X\*.*").
struct AddSource {
  std::u16string path;    // without the trailing "\*"
  bool contents = false;  // the folder's own entry and everything below it
};

struct ArchiverCommand {
  enum class Verb { Add, Extract } verb = Verb::Add;
  std::u16string archive;
  std::u16string folder;  // "a": the base folder; "e": the target; both with the trailing "\" dropped
  std::vector<AddSource> sources;
};

enum class CommandError { None, Empty, UnknownVerb, MissingArchive, MissingFolder, NoSources, BadPath, Wildcard };

// The command, or why it cannot be run. Every path must be a device path (one leading "\", no
// drive, no "\\", no ".." component) of at most 259 characters; the only wildcard taken is a
// trailing "\*" or "\*.*" on an "a" source.
struct ParsedCommand {
  ArchiverCommand command;
  CommandError error = CommandError::None;
  std::u16string offending;  // the argument the error is about
};
ParsedCommand ParseArchiverCommand(std::u16string_view line);

// The text shown for an error (and the offending argument, when there is one).
std::u16string CommandErrorText(const ParsedCommand& parsed);

// `path` relative to the folder `base` ("" for the root): what follows "base\" when the path lies
// below it, letters compared without case. Nothing when it does not lie below.
std::optional<std::u16string> RelativeTo(std::u16string_view base, std::u16string_view path);

}  // namespace quintar::zip::core
