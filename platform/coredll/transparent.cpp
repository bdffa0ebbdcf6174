// TransparentImage over msimg32's TransparentBlt, accepting a bitmap as well as a DC for source.
#include <ceservices.h>

#include "win32/handle.h"

extern "C" BOOL WINAPI TransparentImage(HDC hdcDest, LONG DstX, LONG DstY, LONG DstCx, LONG DstCy, HANDLE hSrc,
                                        LONG SrcX, LONG SrcY, LONG SrcCx, LONG SrcCy, COLORREF TransparentColor) {
  if (!hdcDest || !hSrc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  switch (GetObjectType(hSrc)) {
    case OBJ_DC:
    case OBJ_MEMDC:
      return TransparentBlt(hdcDest, DstX, DstY, DstCx, DstCy, static_cast<HDC>(hSrc), SrcX, SrcY, SrcCx, SrcCy,
                            TransparentColor);
    case OBJ_BITMAP: {
      const quintar::win32::MemoryDc memoryDc(CreateCompatibleDC(hdcDest));
      if (!memoryDc) return FALSE;
      const HDC memory = memoryDc.get();
      // Fails when the bitmap is still selected into another DC, as on the device.
      HGDIOBJ previous = SelectObject(memory, static_cast<HBITMAP>(hSrc));
      BOOL ok = FALSE;
      if (previous && previous != HGDI_ERROR) {
        ok = TransparentBlt(hdcDest, DstX, DstY, DstCx, DstCy, memory, SrcX, SrcY, SrcCx, SrcCy, TransparentColor);
        SelectObject(memory, previous);
      } else {
        SetLastError(ERROR_INVALID_PARAMETER);
      }
      return ok;
    }
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
  }
}
