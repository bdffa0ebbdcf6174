// The device's archiver library ("\Windows\UNZip.dll"): ZIP archives made and unpacked through the
// suite's ZIP engine, LZH archives unpacked through lhasa, driven by command strings ("a" adds, "e"
// extracts). Every call is recorded in the device's launch log. LZH archives are not created:
// Unlha answers an "a" command so and fails.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "device/archiver/lzh.h"
#include "device/shell/devicelog_dyn.h"
#include "zip/core/command.h"
#include "zip/zipfiles.h"

namespace {

namespace zc = quintar::zip::core;
using quintar::zip::Result;
using quintar::zip::RunResult;

constexpr int kOk = 0;
constexpr int kBadCommand = 1;
constexpr int kFailed = 2;
constexpr int kPartly = 3;
constexpr int kUnsupported = 4;

std::wstring Wide(std::u16string_view text) { return {reinterpret_cast<const wchar_t*>(text.data()), text.size()}; }
std::u16string_view U16(std::wstring_view text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

class Silent final : public quintar::zip::Progress {
 public:
  void Entry(std::wstring_view, unsigned) override {}
};

std::wstring SystemText(DWORD error) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring result = n ? std::wstring(text, n) : L"Error " + std::to_wstring(error) + L".";
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
    result.pop_back();
  return result;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int Add(const zc::ArchiverCommand& command, std::wstring& text) {
  const std::wstring archive = Wide(command.archive);
  // Adding to an archive that exists would merge into it; the caller moves an old one aside.
  if (Exists(archive)) {
    text = L"The archive already exists: " + archive;
    return kFailed;
  }
  if (!IsFolder(command.folder.empty() ? L"\\" : Wide(command.folder))) {
    text = L"The base folder does not exist: " + Wide(command.folder) + L"\\";
    return kFailed;
  }
  std::vector<std::wstring> sources;
  for (const zc::AddSource& source : command.sources) {
    std::wstring path = Wide(source.path);
    if (!Exists(path) || (source.contents && !IsFolder(path))) {
      text = L"Not found: " + path;
      return kFailed;
    }
    sources.push_back(std::move(path));
  }
  Silent progress;
  std::atomic<bool> stop{false};
  const RunResult run = quintar::zip::CompressBelow(Wide(command.folder), sources, archive, progress, stop);
  if (run.result != Result::Done) {
    text = L"The archive could not be written: " + SystemText(run.error);
    return kFailed;
  }
  if (run.skipped) {
    text = std::to_wstring(run.skipped) + L" file(s) could not be read and were left out.";
    return kPartly;
  }
  return kOk;
}

bool TargetExists(const std::wstring& target, std::wstring& text) {
  if (IsFolder(target)) return true;
  text = L"The folder does not exist: " + target;
  return false;
}

int Extract(const zc::ArchiverCommand& command, std::wstring& text) {
  const std::wstring archive = Wide(command.archive);
  const std::wstring target = command.folder.empty() ? L"\\" : Wide(command.folder);
  if (!TargetExists(target, text)) return kFailed;
  Silent progress;
  std::atomic<bool> stop{false};
  const RunResult run = quintar::zip::Extract(archive, target, progress, stop, true);
  if (run.result != Result::Done) {
    if (run.error == ERROR_BAD_FORMAT)
      text = L"Not a ZIP archive: " + archive;
    else if (run.error == ERROR_FILE_NOT_FOUND || run.error == ERROR_PATH_NOT_FOUND)
      text = L"Cannot open " + archive;
    else
      text = L"Extraction failed: " + SystemText(run.error);
    return kFailed;
  }
  if (run.skipped) {
    text = std::to_wstring(run.skipped) +
           L" item(s) were left out: unsafe or too long names, encryption, unsupported methods or damaged data.";
    return kPartly;
  }
  return kOk;
}

int ExtractLzh(const zc::ArchiverCommand& command, std::wstring& text) {
  const std::wstring archive = Wide(command.archive);
  const std::wstring target = command.folder.empty() ? L"\\" : Wide(command.folder);
  if (!TargetExists(target, text)) return kFailed;
  const quintar::device::LzhResult run = quintar::device::ExtractLzh(archive, target);
  if (run.error != ERROR_SUCCESS) {
    text = run.opened ? L"Extraction failed: " + SystemText(run.error) : L"Cannot open " + archive;
    return kFailed;
  }
  if (!run.opened) {
    text = L"Not an LZH archive: " + archive;
    return kFailed;
  }
  if (run.skipped) {
    text = std::to_wstring(run.skipped) +
           L" item(s) were left out: unsafe or too long names, links, unsupported methods or damaged data.";
    return kPartly;
  }
  return kOk;
}

void Put(const std::wstring& text, wchar_t* output, DWORD size) {
  if (!output || size == 0) return;
  const std::size_t n = text.size() < size ? text.size() : size - 1;
  text.copy(output, n);
  output[n] = L'\0';
}

int Run(const wchar_t* entry, const wchar_t* line, wchar_t* output, DWORD size, bool lzh) noexcept {
  try {
    if (output && size) ZeroMemory(output, size * sizeof(wchar_t));
    const std::wstring command = line ? line : L"";
    quintar::device::LogLaunch(entry, command.c_str());
    const zc::ParsedCommand parsed = zc::ParseArchiverCommand(U16(command));
    std::wstring text;
    int result = kOk;
    if (parsed.error != zc::CommandError::None) {
      text = Wide(zc::CommandErrorText(parsed));
      result = kBadCommand;
    } else if (lzh && parsed.command.verb == zc::ArchiverCommand::Verb::Add) {
      text = L"Creating LZH archives is not supported.";
      result = kUnsupported;
    } else if (lzh) {
      result = ExtractLzh(parsed.command, text);
    } else if (parsed.command.verb == zc::ArchiverCommand::Verb::Add) {
      result = Add(parsed.command, text);
    } else {
      result = Extract(parsed.command, text);
    }
    Put(text, output, size);
    return result;
  } catch (...) {
    Put(L"Out of memory.", output, size);
    return kFailed;
  }
}

}  // namespace

extern "C" {

// The owner window is not used: the library shows nothing, its text goes back to the caller.
int WINAPI UnZip(HWND, const wchar_t* command, wchar_t* output, DWORD size) {
  return Run(L"unzip.dll", command, output, size, false);
}

int WINAPI Unlha(HWND, const wchar_t* command, wchar_t* output, DWORD size) {
  return Run(L"unzip.dll!unlha", command, output, size, true);
}

}  // extern "C"
