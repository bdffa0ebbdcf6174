// What a start brings: the command line's folder and the hand-over of that folder to a running
// copy through WM_COPYDATA.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quintar::folderon::core {

inline constexpr std::u16string_view kFolderSwitch = u"/FOLDER:";  // case-sensitive
inline constexpr std::uint32_t kCopyDataOpenFolder = 563;          // `COPYDATA_OPEN_FOLDER`
inline constexpr std::size_t kMaxCopyDataBytes = 520;              // 259 characters and the zero

// The start folder of a command line: "/FOLDER:" and the rest, or a line in double quotes up to
// the next quote, or the whole line. Spaces around it and trailing backslashes are dropped ("\"
// is the root, the empty string). Nothing for an empty line, a folder longer than 259
// characters or one containing a zero.
std::optional<std::u16string> ParseCommandLine(std::u16string_view line);

// The data of WM_COPYDATA as a second copy sends it: the folder and its terminating zero,
// (characters + 1) x 2 bytes.
std::u16string OpenFolderPayload(std::u16string_view folder);

// A received WM_COPYDATA: the folder, or nothing when the tag is not 563, the data is null, the
// length is zero, odd or above 520 bytes, or no zero ends the text within the length. Never
// reads outside [data, data + bytes); the data need not be aligned.
std::optional<std::u16string> ReadOpenFolderRequest(std::uint64_t tag, const void* data, std::size_t bytes);

}  // namespace quintar::folderon::core
