#include "procmanager/core/vorrel_core.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace quintar::vorrel::core {
namespace {

char16_t Lower(char16_t c) noexcept { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

std::u16string Widen(const char* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<unsigned char>(*text));
  return out;
}

template <class... Args>
std::u16string Format(const char* format, Args... args) {
  char buffer[96];
  int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return n < 0 ? std::u16string() : Widen(buffer);
}

constexpr double kMb = 1048576.0;

}  // namespace

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool ContainsNoCase(std::u16string_view haystack, std::u16string_view needle) noexcept {
  // An empty name would match every process; it matches none.
  if (needle.empty() || needle.size() > haystack.size()) return false;
  for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i)
    if (EqualsNoCase(haystack.substr(i, needle.size()), needle)) return true;
  return false;
}

bool IsSystemProcessName(std::u16string_view exe) noexcept {
  static constexpr std::array<std::u16string_view, 18> kNames = {
      u"NK.exe",     u"filesys.exe", u"device.exe",  u"telshell.exe", u"gwes.exe",     u"rapisrv.exe",
      u"rnaapp.exe", u"repllog.exe", u"connmgr.exe", u"srvtrust.exe", u"services.exe", u"home.exe",
      u"appman.exe", u"udp2tcp.exe", u"cdial.exe",   u"cprog.exe",    u"Shell.exe",    u"edm.exe"};
  return std::any_of(kNames.begin(), kNames.end(), [&](std::u16string_view n) { return EqualsNoCase(n, exe); });
}

bool IsOwnProcessName(std::u16string_view exe) noexcept { return EqualsNoCase(exe, u"Vorrel.exe"); }

bool ShouldListProcess(std::u16string_view exe, bool showAll) noexcept {
  if (IsOwnProcessName(exe)) return false;
  return showAll || !IsSystemProcessName(exe);
}

int PercentOf(std::uint64_t part, std::uint64_t total) noexcept {
  if (total == 0) return 0;
  if (part >= total) return 100;
  // Wide enough that part * 100 cannot overflow whatever the sizes.
  __extension__ using Wide = unsigned __int128;
  return static_cast<int>(static_cast<Wide>(part) * 100 / total);
}

std::u16string MbPairText(std::uint64_t part, std::uint64_t total) {
  return Format("[%.2f MB/%.2f MB]", static_cast<double>(part) / kMb, static_cast<double>(total) / kMb);
}

std::u16string PercentLabel(std::u16string_view prefix, int percent) {
  return std::u16string(prefix) + Format("%d%%", percent);
}

bool BatteryKnown(unsigned charge) noexcept { return charge <= 100; }

std::u16string BatteryText(unsigned charge) {
  if (!BatteryKnown(charge)) return u"Battery: Unknown";
  return PercentLabel(u"Battery: ", static_cast<int>(charge));
}

CardGroupText CardText(std::u16string_view name, std::uint64_t freeBytes, std::uint64_t totalBytes) {
  CardGroupText t;
  t.percent = PercentOf(freeBytes, totalBytes);
  t.label = std::u16string(name) + Format(": %d%%", t.percent);
  t.sizes = MbPairText(freeBytes, totalBytes);
  return t;
}

CardGroupText EmptyCardText(int group) {
  CardGroupText t;
  t.label = group == 0 ? u"Storage Card: Not Installed" : u"Flash Disk: Not Installed";
  t.sizes = u"[000 MB/000 MB]";
  return t;
}

std::vector<std::u16string> ShownCards(const std::vector<std::u16string>& enumerated) {
  std::vector<std::u16string> shown;
  if (enumerated.empty() || enumerated.front().empty()) return shown;
  for (const auto& name : enumerated) {
    if (name.empty()) continue;
    shown.push_back(name);
    if (shown.size() == 2) break;
  }
  return shown;
}

std::u16string ReleaseMemoryText(double beforeKb, double afterKb) {
  if (!(afterKb > beforeKb)) return u"There is no need to release memory.";
  char buffer[256];
  std::snprintf(buffer, sizeof buffer,
                "Memory Free:\n  Before Release: %.02f KB\n  After Release: %.02f KB\n  Released: %.02f KB\n", beforeKb,
                afterKb, afterKb - beforeKb);
  return Widen(buffer);
}

std::u16string HexId(std::uint32_t value) { return Format("%08X", static_cast<unsigned>(value)); }

std::u16string ProcessDetailsText(std::uint32_t pid, std::u16string_view exe, std::uint32_t size,
                                  std::uint32_t threads) {
  return u"Process: " + HexId(pid) + u"\nName: " + std::u16string(exe) + u"\nSize: " + HexId(size) +
         u" bytes\nThreads: " + HexId(threads) + u"\n";
}

std::u16string ProgramDetailsText(const WindowFacts& f) {
  return u"Caption: " + f.caption + u"\nHandle: " + HexId(f.handle) + u"\nStyle: " + HexId(f.style) +
         u"\nExtended Style: " + HexId(f.exStyle) + u"\nClass: " + f.className + u"\nClass Style: " +
         HexId(f.classStyle) + u"\nProcess: " + HexId(f.pid) + u"\nName: " + f.exe + u"\n";
}

SoftResetRoute SoftResetRouteFor(unsigned major, unsigned minor) noexcept {
  if (major >= 5) return SoftResetRoute::ExitWindows;
  if (major == 4 && minor >= 20) return SoftResetRoute::SystemPowerState;
  return SoftResetRoute::KernelReboot;
}

bool IsExcludedProgramClass(std::u16string_view className) noexcept {
  return className == u"VORREL" || className == u"DesktopExplorerWindow" || className == u"Explore";
}

}  // namespace quintar::vorrel::core
