// File associations under HKEY_CLASSES_ROOT, the plain rules: reading and writing the open
// command, the program a command names, new class names and new extensions.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quintar::fileops::core {

inline constexpr std::u16string_view kDefaultParameters = u"\"%1\"";
inline constexpr std::u16string_view kWindowsFolder = u"\\Windows";

struct OpenCommand {
  std::u16string program;     // as written; see ProgramPath for the full path
  std::u16string parameters;  // after the program, its closing quote and spaces
};

// The program ends at its closing quote when it starts with one; otherwise at the first ".exe"
// (any case) followed by the end, a space or a quote. Nothing when there is no program.
std::optional<OpenCommand> ParseOpenCommand(std::u16string_view command);
// A program or icon file without a backslash lives in "\Windows".
std::u16string ProgramPath(std::u16string_view program);
// The command line stored for a program: a program in "\Windows" by its bare name, a path with a
// space in double quotes, then a space and the parameters.
std::u16string FormatOpenCommand(std::u16string_view programPath, std::u16string_view parameters);
// The parameters a program is started with for `path`: each "%1" replaced by the path, or, when
// there is none, the quoted path appended so the program still gets the file.
std::u16string ParametersForFile(std::u16string_view parameters, std::u16string_view path);
// DefaultIcon "file,index"; without a comma (or with a bad index) the whole text is the file
// and the index 0.
std::pair<std::u16string, int> SplitDefaultIcon(std::u16string_view value);

// Keys a new class may never be: CLSID, *, Folder, Directory and extension keys (any case).
bool IsReservedClassName(std::u16string_view name) noexcept;
// The class for a program being registered: its file name without extension, reused only when
// that class already runs the same program, else that name with 2, 3, ... appended, the first that
// is free. `programOfClass` answers the full program path a class runs, or nothing when the key
// does not exist; a class that exists without a readable program counts as taken.
using ClassLookup = std::function<std::optional<std::u16string>(std::u16string_view className, bool& exists)>;
std::optional<std::u16string> ChooseClassName(std::u16string_view programPath, const ClassLookup& lookup);

// The extension typed into "Create new extension": empty text cancels (nothing), a leading "."
// is added when missing; nothing for a text that breaks the file-name rule or is only a dot.
enum class NewExtensionCheck { Ok, Empty, Invalid };
NewExtensionCheck CheckNewExtension(std::u16string_view text, std::u16string& key);

}  // namespace quintar::fileops::core
