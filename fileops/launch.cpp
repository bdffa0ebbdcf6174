// Starting programs and documents through the device's shell, and the "Specify parameter" dialog
// that asks what to start a file with.
#include <windows.h>
// (these need windows.h first)
#include <shellapi.h>

#include <ceservices.h>

#include <string>

#include "dialogs/dialogs.h"
#include "fileops/fileops.h"
#include "fileops/textdialog.h"

namespace quintar::fileops {
namespace {

constexpr int kMaxParameters = 512;

dialogs::TemplateSet ParameterTemplates() {
  return dialogs::TemplatesById(ids::kParametersSquare, ids::kParametersPortrait, ids::kParametersLandscape);
}

}  // namespace

int AskParameters(HWND owner, std::wstring_view name, std::wstring& parameters) {
  try {
    TextRequest request;
    request.templates = ParameterTemplates();
    request.shownId = ids::kParameterText;
    request.shown = L"Input parameter to open file '" + std::wstring(name) + L"'.";
    request.editId = ids::kParameterEdit;
    request.maxLength = kMaxParameters;
    INT_PTR result = AskText(owner, request, parameters);
    return result == -1 ? 0 : result == IDOK ? 1 : 2;
  } catch (...) {
    return 2;
  }
}

bool ShellOpen(HWND owner, std::wstring_view file, std::wstring_view parameters) {
  try {
    const std::wstring path(file);
    const std::wstring arguments(parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOW;
    // The device's shell tells the user itself when it cannot open the file.
    return CeShellExecuteEx(&info) != FALSE;
  } catch (...) {
    return false;
  }
}

}  // namespace quintar::fileops
