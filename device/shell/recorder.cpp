// The platform programs the suite starts by name (ctlpnl.exe, tmail.exe, beam.exe, ...): each
// records "<program>|<command line>" in the device's launch log and exits. Exit code 0 when the
// line was written, 2 when the device log is not available.
#include <windows.h>

#include "device/shell/devicelog_dyn.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return quintar::device::LogOwnStart() ? 0 : 2; }
