// Vorrel's entry: one copy runs; a second start brings the first to the front and ends.
#include <windows.h>

#include "procmanager/vorrel.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  try {
    return quintar::vorrel::RunProgram(instance);
  } catch (...) {
    return 1;
  }
}
