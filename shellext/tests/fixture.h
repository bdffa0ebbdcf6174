// Menuvex as File Explorer sees it: the DLL loaded by name, its exports, handler objects, and
// selections handed over through a site, including sites that misbehave.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win32/com.h"

namespace menuvextest {

using quintar::win32::ComPtr;

inline constexpr CLSID kClsid = {0x359BDB2D, 0xB31D, 0x41F9, {0x9C, 0xD3, 0xE1, 0x36, 0xB4, 0x84, 0x39, 0x87}};
inline constexpr wchar_t kClsidText[] = L"{359BDB2D-B31D-41F9-9CD3-E136B4843987}";

struct Dll {
  HMODULE module = nullptr;
  HRESULT(WINAPI* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT(WINAPI* canUnloadNow)() = nullptr;
  HRESULT(WINAPI* registerServer)() = nullptr;
};
// Loaded once for the whole run, never unloaded (the handler objects' code lives there).
const Dll& Menuvex();

// A fresh handler through the factory; its IContextMenu.
ComPtr<IContextMenu> NewHandler();

// A data object whose CF_HDROP block is `block` (or that fails GetData when `fail` is set); it
// is its own site. The counts show how it was used.
class FakeData final : public IDataObject {
 public:
  explicit FakeData(std::vector<BYTE> block, bool fail = false) : block_(std::move(block)), fail_(fail) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return S_OK; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  ULONG refs() const { return refs_; }
  int getDataCalls = 0;
  FORMATETC lastFormat = {};

 private:
  ~FakeData() = default;
  ULONG refs_ = 0;  // the first holder takes the first reference
  std::vector<BYTE> block_;
  bool fail_;
};

// A DROPFILES block listing the paths (wide, double-NUL-terminated).
std::vector<BYTE> DropBlock(const std::vector<std::wstring>& paths);
// A data object holding its one reference, and one for the paths.
ComPtr<FakeData> NewData(std::vector<BYTE> block, bool fail = false);
ComPtr<FakeData> SiteFor(const std::vector<std::wstring>& paths);
// The handler's IObjectWithSite.
ComPtr<IObjectWithSite> WithSite(IContextMenu* handler);

// Sets the site and builds the menu; returns QueryContextMenu's result.
HRESULT Query(IContextMenu* handler, IUnknown* site, HMENU menu, UINT first = 100, UINT last = 0x7FFF);

// The menu's items: "text=id" for strings, "-" for separators, "Popup>[...]" for submenus.
std::vector<std::wstring> Items(HMENU menu);

// Runs the command the shell's way: GetCommandString with the identifier, then InvokeCommand.
HRESULT Invoke(IContextMenu* handler, UINT id, HWND owner = nullptr);

// Device files for the tests, under "\Temp\menuvex".
std::wstring TestPath(const std::wstring& name);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool Exists(const std::wstring& path);

// Runs `start` (which opens a modal dialog on this thread) and calls `inspect` with the dialog
// once it is up; `inspect` must close it. False when no dialog appeared.
bool WithDialog(const std::function<void()>& start, const std::function<void(HWND)>& inspect);

}  // namespace menuvextest
