// Vorrel's rules that need no window: which processes are listed and how names match, the status
// texts and percentages, the storage-card groups and the soft-reset route by system version.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::vorrel::core {

// Case-insensitive in the ASCII range, which is all that executable names on the device use.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b) noexcept;
bool ContainsNoCase(std::u16string_view haystack, std::u16string_view needle) noexcept;

// One of the device's 18 system executables.
bool IsSystemProcessName(std::u16string_view exe) noexcept;
// Vorrel's own executable name, never listed.
bool IsOwnProcessName(std::u16string_view exe) noexcept;
// Whether a process of that name gets a row on the Processes page.
bool ShouldListProcess(std::u16string_view exe, bool showAll) noexcept;

// The free (or available) share in whole percent, cut; 0 for an empty total, at most 100.
int PercentOf(std::uint64_t part, std::uint64_t total) noexcept;

// "[%.2f MB/%.2f MB]" with bytes divided by 2^20.
std::u16string MbPairText(std::uint64_t part, std::uint64_t total);
// "%s%d%%".
std::u16string PercentLabel(std::u16string_view prefix, int percent);
// "Battery: %d%%", or "Battery: Unknown" when the charge is above 100.
std::u16string BatteryText(unsigned charge);
bool BatteryKnown(unsigned charge) noexcept;

// Storage-card page: the texts of one group.
struct CardGroupText {
  std::u16string label;  // "%s: %d%%" or the group's "Not Installed" text
  std::u16string sizes;  // "[%.2f MB/%.2f MB]" or "[000 MB/000 MB]"
  int percent = 0;
};
CardGroupText CardText(std::u16string_view name, std::uint64_t freeBytes, std::uint64_t totalBytes);
CardGroupText EmptyCardText(int group);  // group 0 "Storage Card", 1 "Flash Disk"

// The cards shown, from the enumeration's names in order: at most two; none when the
// enumeration is empty or starts with an empty name; later empty names are passed over.
std::vector<std::u16string> ShownCards(const std::vector<std::u16string>& enumerated);

// Release Memory's report from the available memory before and after, in KB.
std::u16string ReleaseMemoryText(double beforeKb, double afterKb);

// "%08X".
std::u16string HexId(std::uint32_t value);

// "Process: %08X\nName: %s\nSize: %08X bytes\nThreads: %08X\n".
std::u16string ProcessDetailsText(std::uint32_t pid, std::u16string_view exe, std::uint32_t size,
                                  std::uint32_t threads);

struct WindowFacts {
  std::u16string caption;
  std::uint32_t handle = 0;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  std::u16string className;
  std::uint32_t classStyle = 0;
  std::uint32_t pid = 0;
  std::u16string exe;
};
// "Caption: %s\nHandle: %08X\nStyle: %08X\nExtended Style: %08X\nClass: %s\nClass Style: %08X\n
// Process: %08X\nName: %s\n".
std::u16string ProgramDetailsText(const WindowFacts& facts);

// Soft reset by the system's version: 5 and later through the shell's ExitWindowsEx, 4.20 and
// later below 5 through SetSystemPowerState, older through the kernel's reboot request.
enum class SoftResetRoute { ExitWindows, SystemPowerState, KernelReboot };
SoftResetRoute SoftResetRouteFor(unsigned major, unsigned minor) noexcept;

// A window that belongs to one of these classes is never listed as a program.
bool IsExcludedProgramClass(std::u16string_view className) noexcept;

}  // namespace quintar::vorrel::core
