// The COM server: exports, the class factory, the handler's interfaces, its site, the object
// count that lets the DLL go, GetCommandString, and the registration it writes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fixture.h"
#include "win32/handle.h"

using namespace menuvextest;
using quintar::win32::RegKey;

namespace {

// An object that counts the references held on it.
class CountedSite final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  ULONG refs = 1;
};

class ComServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Menuvex().module, nullptr) << "Menuvex.dll loads";
    ASSERT_NE(Menuvex().getClassObject, nullptr);
    ASSERT_NE(Menuvex().canUnloadNow, nullptr);
    ASSERT_NE(Menuvex().registerServer, nullptr);
    ASSERT_EQ(Menuvex().canUnloadNow(), S_OK) << "a test before this one leaked an object";
  }
};

TEST_F(ComServer, ExportsByNameAndNothingToUnregister) {
  EXPECT_EQ(GetProcAddress(Menuvex().module, "DllUnregisterServer"), nullptr);
}

TEST_F(ComServer, GetClassObjectRefusesBadArguments) {
  EXPECT_EQ(Menuvex().getClassObject(kClsid, IID_IClassFactory, nullptr), E_INVALIDARG);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(Menuvex().getClassObject(IID_IUnknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  CLSID nearly = kClsid;
  nearly.Data4[7] ^= 1;
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(Menuvex().getClassObject(nearly, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  // The factory offers no menu itself, and one nobody took does not linger.
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(Menuvex().getClassObject(kClsid, IID_IContextMenu, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(Menuvex().canUnloadNow(), S_OK);
}

// The counts that AddRef and Release return are what these tests check, hence the bare calls.
TEST_F(ComServer, FactoryInterfacesCountAndLockServer) {
  IClassFactory* factory = nullptr;
  ASSERT_EQ(Menuvex().getClassObject(kClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(Menuvex().canUnloadNow(), S_FALSE);
  IUnknown* unknown = nullptr;
  EXPECT_EQ(factory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(factory));
  EXPECT_EQ(unknown->Release(), 1u);
  EXPECT_EQ(factory->QueryInterface(IID_IUnknown, nullptr), E_INVALIDARG);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->QueryInterface(IID_IContextMenu, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);

  // LockServer has no part in the count.
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->AddRef(), 2u);
  EXPECT_EQ(factory->Release(), 1u);
  EXPECT_EQ(factory->Release(), 0u);
  EXPECT_EQ(Menuvex().canUnloadNow(), S_OK);
}

TEST_F(ComServer, CreateInstanceAggregationAndInterfaces) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(Menuvex().getClassObject(kClsid, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())),
            S_OK);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, nullptr), E_INVALIDARG);
  CountedSite outer;
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, &out), E_NOINTERFACE) << "no IShellExtInit";
  EXPECT_EQ(out, nullptr);
  factory.Reset();
  EXPECT_EQ(Menuvex().canUnloadNow(), S_OK) << "refused instances left nothing alive";
}

TEST_F(ComServer, HandlerIdentityQueryInterfaceAndLastRelease) {
  IContextMenu* menu = NewHandler().Detach();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Menuvex().canUnloadNow(), S_FALSE) << "the handler alone keeps the DLL";
  EXPECT_EQ(menu->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  IUnknown* unknown = nullptr;
  ASSERT_EQ(menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(menu));
  IObjectWithSite* withSite = nullptr;
  ASSERT_EQ(menu->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite)), S_OK);
  EXPECT_NE(static_cast<void*>(withSite), static_cast<void*>(menu));
  IUnknown* back = nullptr;
  ASSERT_EQ(withSite->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
  EXPECT_EQ(back, unknown) << "one identity from either interface";
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(menu->QueryInterface(IID_IShellExtInit, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(withSite->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
  // Four references now; every interface releases the same count.
  EXPECT_EQ(back->Release(), 3u);
  EXPECT_EQ(withSite->Release(), 2u);
  EXPECT_EQ(unknown->Release(), 1u);
  EXPECT_EQ(Menuvex().canUnloadNow(), S_FALSE);
  EXPECT_EQ(menu->Release(), 0u);
  EXPECT_EQ(Menuvex().canUnloadNow(), S_OK);
}

// Bare calls again: the handler's last release, and what it does to the site's count, are checked.
TEST_F(ComServer, SiteHoldsOneReferenceAndDropsItWithTheHandler) {
  IContextMenu* menu = NewHandler().Detach();
  ASSERT_NE(menu, nullptr);
  IObjectWithSite* withSite = nullptr;
  ASSERT_EQ(menu->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite)), S_OK);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, nullptr), E_POINTER);
  void* got = reinterpret_cast<void*>(1);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, &got), E_FAIL) << "no site yet";
  EXPECT_EQ(got, nullptr);

  CountedSite site, second;
  EXPECT_EQ(withSite->SetSite(&site), S_OK);
  EXPECT_EQ(withSite->SetSite(&site), S_OK);
  EXPECT_EQ(site.refs, 2u) << "the same site twice is held once";
  ASSERT_EQ(withSite->GetSite(IID_IUnknown, &got), S_OK);
  EXPECT_EQ(got, static_cast<void*>(&site));
  site.Release();
  EXPECT_EQ(withSite->GetSite(IID_IDataObject, &got), E_NOINTERFACE) << "the site's own answer";

  EXPECT_EQ(withSite->SetSite(&second), S_OK);
  EXPECT_EQ(site.refs, 1u);
  EXPECT_EQ(second.refs, 2u);
  EXPECT_EQ(withSite->SetSite(nullptr), S_OK);
  EXPECT_EQ(second.refs, 1u);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, &got), E_FAIL);

  withSite->SetSite(&site);
  withSite->Release();
  EXPECT_EQ(menu->Release(), 0u);
  EXPECT_EQ(site.refs, 1u) << "the handler's last release lets go of its site";
}

TEST_F(ComServer, GetCommandStringAnsiOnlyAndAlwaysTerminated) {
  ComPtr<IContextMenu> menu = NewHandler();
  ASSERT_TRUE(menu);
  char name[32];
  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(menu->GetCommandString(101, GCS_VERBA, nullptr, name, sizeof name), S_OK);
  EXPECT_STREQ(name, "CME Sample");

  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(menu->GetCommandString(101, GCS_VERBA, nullptr, name, 4), S_OK);
  EXPECT_STREQ(name, "CME") << "cut to the buffer, with its terminator inside it";
  EXPECT_EQ(name[4], 'x') << "nothing written past the buffer";
  EXPECT_EQ(menu->GetCommandString(101, GCS_VERBA, nullptr, nullptr, 0), S_OK);
  name[0] = 'x';
  EXPECT_EQ(menu->GetCommandString(101, GCS_VERBA, nullptr, name, 0), S_OK);
  EXPECT_EQ(name[0], 'x');

  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(menu->GetCommandString(101, GCS_HELPTEXTA, nullptr, name, sizeof name), S_OK);
  EXPECT_EQ(name[0], '\0');
  EXPECT_EQ(menu->GetCommandString(101, GCS_HELPTEXTA, nullptr, nullptr, 10), S_OK);

  EXPECT_EQ(menu->GetCommandString(5, GCS_VALIDATEA, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(menu->GetCommandString(0, GCS_VALIDATEA, nullptr, nullptr, 0), S_FALSE);

  wchar_t wide[32] = L"untouched";
  EXPECT_EQ(menu->GetCommandString(101, GCS_VERBW, nullptr, reinterpret_cast<char*>(wide), 32), E_NOTIMPL);
  EXPECT_EQ(menu->GetCommandString(101, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 32), E_NOTIMPL);
  EXPECT_EQ(menu->GetCommandString(101, GCS_VALIDATEW, nullptr, nullptr, 0), E_NOTIMPL);
  EXPECT_STREQ(wide, L"untouched");
}

// ---- Registration ----

constexpr wchar_t kScratch[] = L"Software\\Quintar\\Tests\\MenuvexClasses";

struct Value {
  DWORD type = 0;
  std::vector<BYTE> bytes;
  bool found = false;
};

Value ReadValue(HKEY root, const std::wstring& key, const wchar_t* name) {
  Value v;
  RegKey h;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, h.put()) != ERROR_SUCCESS) return v;
  DWORD size = 0;
  if (RegQueryValueExW(h.get(), name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
    v.bytes.resize(size);
    v.found = RegQueryValueExW(h.get(), name, nullptr, &v.type, v.bytes.data(), &size) == ERROR_SUCCESS;
  }
  return v;
}

std::vector<BYTE> SzBytes(const wchar_t* text) {
  const auto* p = reinterpret_cast<const BYTE*>(text);
  return {p, p + (lstrlenW(text) + 1) * sizeof(wchar_t)};
}

const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClsidText;
const std::wstring kServerKey = kClassKey + L"\\InprocServer32";
const std::wstring kHandlerKey = std::wstring(L"*\\Shellex\\ContextMenuHandlers\\") + kClsidText;

// Each (key, value name, data) that registration writes.
struct Expected {
  const std::wstring* key;
  const wchar_t* name;
  const wchar_t* data;
};
const Expected kExpected[] = {
    {&kClassKey, nullptr, L"CME Plugin Sample"},
    {&kServerKey, nullptr, L"Menuvex.dll"},
    {&kServerKey, L"ThreadingModel", L"Free"},
    {&kHandlerKey, nullptr, L"Free"},
};

DWORD CountValues(HKEY root, const std::wstring& key) {
  RegKey h;
  DWORD values = 0;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, h.put()) != ERROR_SUCCESS) return 0xFFFFFFFF;
  RegQueryInfoKeyW(h.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  return values;
}

class Registration : public ComServer {
 protected:
  void SetUp() override {
    ComServer::SetUp();
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, scratch_.put(), nullptr),
        ERROR_SUCCESS);
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    scratch_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
  }
  RegKey scratch_;
};

TEST_F(Registration, WritesTheFourValuesByteForByteAndAgain) {
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch_.get()), ERROR_SUCCESS);
  EXPECT_EQ(Menuvex().registerServer(), S_OK);
  EXPECT_EQ(Menuvex().registerServer(), S_OK) << "the keys are opened when they exist";
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  for (const Expected& e : kExpected) {
    const Value v = ReadValue(scratch_.get(), *e.key, e.name);
    ASSERT_TRUE(v.found) << std::string(e.key->begin(), e.key->end());
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(v.bytes, SzBytes(e.data)) << "REG_SZ with its NUL";
  }
  EXPECT_EQ(CountValues(scratch_.get(), kClassKey), 1u);
  EXPECT_EQ(CountValues(scratch_.get(), kServerKey), 2u);
  EXPECT_EQ(CountValues(scratch_.get(), kHandlerKey), 1u);
}

TEST_F(Registration, TheDeviceRegistersExactlyWhatTheServerWrites) {
  // The device's own classes, as its registry was seeded at install time.
  for (const Expected& e : kExpected) {
    const Value v = ReadValue(HKEY_CLASSES_ROOT, *e.key, e.name);
    ASSERT_TRUE(v.found) << std::string(e.key->begin(), e.key->end());
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(v.bytes, SzBytes(e.data));
  }
  EXPECT_EQ(CountValues(HKEY_CLASSES_ROOT, kClassKey), 1u);
  EXPECT_EQ(CountValues(HKEY_CLASSES_ROOT, kServerKey), 2u);
  EXPECT_EQ(CountValues(HKEY_CLASSES_ROOT, kHandlerKey), 1u);
}

TEST_F(Registration, StopsAtTheFirstFailureWithEFail) {
  // Classes in a key that is gone: the first step cannot create its key.
  RegKey gone;
  ASSERT_EQ(RegCreateKeyExW(scratch_.get(), L"Gone", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, gone.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyW(scratch_.get(), L"Gone"), ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, gone.get()), ERROR_SUCCESS);
  EXPECT_EQ(Menuvex().registerServer(), E_FAIL);
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  gone.reset();
  RegKey probe;
  EXPECT_NE(RegOpenKeyExW(scratch_.get(), L"Gone", 0, KEY_READ, probe.put()), ERROR_SUCCESS) << "nothing written";
  EXPECT_EQ(CountValues(HKEY_CLASSES_ROOT, kHandlerKey), 1u) << "the real classes untouched";
}

}  // namespace
