// The device's connect and disconnect dialogs for network shares. The emulated device has no
// network: a dialog records what was asked in the event log and answers what the device
// registry scripts (values NetworkConnectResult and NetworkDisconnectResult of the profile),
// else the honest failure of a device without one.
#include <windows.h>

#include <winnetwk.h>

#include <string>

#include "platform/coredll/devicelog_internal.h"
#include "platform/coredll/network_res.h"
#include "platform/coredll/profile.h"
#include "win32/window.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace quintar::coredll {

namespace {

constexpr DWORD kCancelled = 0xFFFFFFFF;

class NetworkDialog final : public win32::Dialog<NetworkDialog> {
 public:
  NetworkDialog(const wchar_t* request, const wchar_t* resultValue, DWORD fallback)
      : request_(request), resultValue_(resultValue), fallback_(fallback) {}

  DWORD Run(HWND owner, int templateId) {
    AppendLogLine(L"EventLog", std::wstring(request_) + L"-dialog");
    INT_PTR shown =
        DialogBoxParamW(reinterpret_cast<HINSTANCE>(&__ImageBase), MAKEINTRESOURCEW(templateId), owner, Proc, Param());
    if (shown == -1) return GetLastError() ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
    return answer_;
  }

 private:
  friend Dialog;
  static std::span<const win32::CommandEntry<NetworkDialog>> Commands() {
    static constexpr win32::CommandEntry<NetworkDialog> kCommands[] = {
        win32::Command<&NetworkDialog::Ok>(IDOK),
        win32::Command<&NetworkDialog::Cancel>(IDCANCEL),
    };
    return kCommands;
  }

  void Ok() {
    wchar_t path[MAX_PATH] = {};
    GetDlgItemTextW(hwnd(), IDC_NET_PATH, path, MAX_PATH);
    answer_ = ProfileKey().Dword(resultValue_).value_or(fallback_);
    AppendLogLine(L"EventLog", std::wstring(request_) + L" \"" + path + L"\" " + std::to_wstring(answer_));
    EndDialog(hwnd(), IDOK);
  }

  void Cancel() {
    answer_ = kCancelled;
    AppendLogLine(L"EventLog", std::wstring(request_) + L" cancel");
    EndDialog(hwnd(), IDCANCEL);
  }

  const wchar_t* request_;
  const wchar_t* resultValue_;
  DWORD fallback_;
  DWORD answer_ = kCancelled;
};

DWORD Guarded(const wchar_t* request, const wchar_t* resultValue, DWORD fallback, HWND owner, int templateId) {
  try {
    NetworkDialog dialog(request, resultValue, fallback);
    return dialog.Run(owner, templateId);
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

}  // namespace

}  // namespace quintar::coredll

extern "C" DWORD WINAPI WNetConnectionDialog1W(LPCONNECTDLGSTRUCTW info) {
  using namespace quintar::coredll;
  if (!info || info->cbStructure < sizeof(CONNECTDLGSTRUCTW) || !info->lpConnRes ||
      info->lpConnRes->dwType != RESOURCETYPE_DISK) {
    return ERROR_INVALID_PARAMETER;
  }
  return Guarded(L"network-connect", L"NetworkConnectResult", ERROR_NO_NETWORK, info->hwndOwner, IDD_NET_CONNECT);
}

extern "C" DWORD WINAPI WNetDisconnectDialog(HWND owner, DWORD type) {
  using namespace quintar::coredll;
  if (type != RESOURCETYPE_ANY && type != RESOURCETYPE_DISK && type != RESOURCETYPE_PRINT)
    return ERROR_INVALID_PARAMETER;
  return Guarded(L"network-disconnect", L"NetworkDisconnectResult", ERROR_NOT_CONNECTED, owner, IDD_NET_DISCONNECT);
}
