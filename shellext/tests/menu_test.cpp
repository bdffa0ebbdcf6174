// The context menu per selected item, and how InvokeCommand finds the command it runs.
#include <gtest/gtest.h>

#include "fixture.h"
#include "testsupport/testsupport.h"
#include "win32/handle.h"

using namespace menuvextest;

namespace {

using Strings = std::vector<std::wstring>;

class ContextMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    handler_ = NewHandler();
    ASSERT_TRUE(handler_);
    menu_.reset(CreatePopupMenu());
    AppendMenuW(menu_.get(), MF_STRING, 1, L"Open");  // the host's own item stays first
  }
  void TearDown() override {
    if (handler_) {
      if (auto withSite = WithSite(handler_.Get())) withSite->SetSite(nullptr);
      // The count the last Release returns is checked: nothing else holds the handler.
      EXPECT_EQ(handler_.Detach()->Release(), 0u);
    }
  }
  // The menu for these paths, the result code of QueryContextMenu in `hr`.
  Strings MenuFor(const std::vector<std::wstring>& paths, HRESULT* hr = nullptr) {
    const HRESULT result = Query(handler_.Get(), SiteFor(paths).Get(), menu_.get());
    if (hr) *hr = result;
    return Items(menu_.get());
  }

  ComPtr<IContextMenu> handler_;
  quintar::win32::Menu menu_;
};

TEST_F(ContextMenu, ItemsAndResultPerKindOfItem) {
  const std::wstring txt = TestPath(L"report.txt"), zip = TestPath(L"data.zip"), enf = TestPath(L"notes.enf"),
                     upper = TestPath(L"ARCHIVE.ZIP"), folder = TestPath(L"backup.zip");
  for (const auto& f : {txt, zip, enf, upper}) WriteFileBytes(f, "x");
  CreateDirectoryW(folder.c_str(), nullptr);
  struct Case {
    std::wstring path;
    Strings items;
    HRESULT hr;
  };
  const Case cases[] = {
      {txt,
       {L"Open=1", L"-", L"Add to ZIP File=100", L"Encrypt File...=101", L"Add to Today Screen=102",
        L"Properties...=103"},
       4},
      {zip,
       {L"Open=1", L"-", L"Extract To>[Current Directory=104;data\\=105;Specify Directory=106;]",
        L"Encrypt File...=101", L"Add to Today Screen=102", L"Properties...=103"},
       7},
      {enf,
       {L"Open=1", L"-", L"Add to ZIP File=100", L"Decrypt File...=107", L"Add to Today Screen=102",
        L"Properties...=103"},
       8},
      {upper,
       {L"Open=1", L"-", L"Add to ZIP File=100", L"Encrypt File...=101", L"Add to Today Screen=102",
        L"Properties...=103"},
       4},
      {folder, {L"Open=1", L"-", L"Add to ZIP File=100", L"Add to Today Screen=102", L"Properties...=103"}, 4},
  };
  for (const Case& c : cases) {
    while (GetMenuItemCount(menu_.get()) > 1) DeleteMenu(menu_.get(), 1, MF_BYPOSITION);
    HRESULT hr = E_FAIL;
    EXPECT_EQ(MenuFor({c.path}, &hr), c.items) << std::string(c.path.begin(), c.path.end());
    EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, c.hr));
  }
}

TEST_F(ContextMenu, ReadOnlyOrCardFoldersAreStillFolders) {
  const std::wstring folder = TestPath(L"sealed.zip");
  CreateDirectoryW(folder.c_str(), nullptr);
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  HRESULT hr = E_FAIL;
  EXPECT_EQ(MenuFor({folder}, &hr),
            (Strings{L"Open=1", L"-", L"Add to ZIP File=100", L"Add to Today Screen=102", L"Properties...=103"}));
  EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4));
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ContextMenu, PositionAndFlagsDoNotChangeTheMenu) {
  // Items always go to the end, whatever position and flags the host passes.
  const std::wstring txt = TestPath(L"flags.txt");
  WriteFileBytes(txt, "x");
  auto site = SiteFor({txt});
  auto withSite = WithSite(handler_.Get());
  ASSERT_TRUE(withSite);
  withSite->SetSite(site.Get());
  EXPECT_EQ(handler_->QueryContextMenu(menu_.get(), 0, 200, 300, CMF_DEFAULTONLY | CMF_EXPLORE),
            MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4));
  EXPECT_EQ(Items(menu_.get()), (Strings{L"Open=1", L"-", L"Add to ZIP File=200", L"Encrypt File...=201",
                                         L"Add to Today Screen=202", L"Properties...=203"}));
}

TEST_F(ContextMenu, SeveralItemsMenuOfTheFirst) {
  const std::wstring enf = TestPath(L"first.enf"), txt = TestPath(L"second.txt");
  WriteFileBytes(enf, "x");
  WriteFileBytes(txt, "x");
  HRESULT hr = E_FAIL;
  const Strings items = MenuFor({enf, txt}, &hr);
  EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 8));
  EXPECT_EQ(items.at(3), L"Decrypt File...=107");
}

TEST_F(ContextMenu, AsksForTheDropListTheDevicesWay) {
  const std::wstring txt = TestPath(L"format.txt");
  WriteFileBytes(txt, "x");
  auto site = SiteFor({txt});
  ASSERT_TRUE(SUCCEEDED(Query(handler_.Get(), site.Get(), menu_.get())));
  EXPECT_EQ(site->getDataCalls, 1);
  EXPECT_EQ(site->lastFormat.cfFormat, CF_HDROP);
  EXPECT_EQ(site->lastFormat.ptd, nullptr);
  EXPECT_EQ(site->lastFormat.dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
  EXPECT_EQ(site->lastFormat.lindex, -1);
  EXPECT_EQ(site->lastFormat.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  EXPECT_EQ(site->refs(), 2u) << "the handler holds the site, and no data object reference leaked";
}

TEST_F(ContextMenu, FailuresBeforeTheMenuAddNothing) {
  const std::wstring txt = TestPath(L"fail.txt");
  WriteFileBytes(txt, "x");
  const Strings untouched{L"Open=1"};
  // The range, the site, the data object, the drop list, the path.
  auto good = SiteFor({txt});
  EXPECT_EQ(Query(handler_.Get(), good.Get(), menu_.get(), 100, 99), E_INVALIDARG);
  EXPECT_EQ(Query(handler_.Get(), nullptr, menu_.get()), static_cast<HRESULT>(0x800004E1)) << "no site";
  IUnknown* notData = nullptr;
  struct Plain : IUnknown {
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
      *ppv = nullptr;
      if (riid != IID_IUnknown) return E_NOINTERFACE;
      *ppv = this;
      return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
  } plain;
  notData = &plain;
  EXPECT_EQ(Query(handler_.Get(), notData, menu_.get()), static_cast<HRESULT>(0x800004E1)) << "a site without the data";
  EXPECT_EQ(Query(handler_.Get(), NewData({}, true).Get(), menu_.get()), static_cast<HRESULT>(0x80030057));
  EXPECT_EQ(Query(handler_.Get(), NewData({0x14, 0, 0, 0}).Get(), menu_.get()), static_cast<HRESULT>(0x80030057));
  std::vector<BYTE> unterminated = DropBlock({txt});
  unterminated.resize(unterminated.size() - 4);
  EXPECT_EQ(Query(handler_.Get(), NewData(unterminated).Get(), menu_.get()), static_cast<HRESULT>(0x80030057));
  EXPECT_EQ(Query(handler_.Get(), SiteFor({TestPath(L"*.txt")}).Get(), menu_.get()), static_cast<HRESULT>(0x80030057))
      << "a pattern is no path";
  EXPECT_EQ(Query(handler_.Get(), SiteFor({L"\\Temp\\" + std::wstring(300, L'a')}).Get(), menu_.get()),
            HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_TRUE(FAILED(Query(handler_.Get(), SiteFor({TestPath(L"not-there.txt")}).Get(), menu_.get())))
      << "no commands for an item that is not there";
  EXPECT_EQ(Query(handler_.Get(), good.Get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(Items(menu_.get()), untouched);
}

// ---- InvokeCommand ----

class Dispatch : public ContextMenu {
 protected:
  void SetUp() override {
    ContextMenu::SetUp();
    file_ = TestPath(L"dispatch.txt");
    WriteFileBytes(file_, "dispatch");
    site_ = SiteFor({file_});
    ASSERT_EQ(Query(handler_.Get(), site_.Get(), menu_.get()), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4));
    responder_.SetStuckTimeout(500);
  }
  void TearDown() override {
    site_.Reset();
    ContextMenu::TearDown();
  }
  CMINVOKECOMMANDINFO Info(LPCSTR verb = nullptr) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    return info;
  }
  std::wstring file_;
  ComPtr<FakeData> site_;
  testsupport::DialogResponder responder_;
};

TEST_F(Dispatch, BadInfoIsRefusedAndOpensNothing) {
  EXPECT_EQ(handler_->InvokeCommand(nullptr), E_POINTER);
  handler_->GetCommandString(101, GCS_VERBA, nullptr, nullptr, 0);
  CMINVOKECOMMANDINFO info = Info();
  for (DWORD size : {DWORD{0}, DWORD{36}, static_cast<DWORD>(sizeof info - 1), static_cast<DWORD>(sizeof info + 1)}) {
    info.cbSize = size;
    EXPECT_EQ(handler_->InvokeCommand(&info), E_INVALIDARG) << size;
  }
  EXPECT_TRUE(responder_.Dialogs().empty());
  EXPECT_TRUE(responder_.MessageBoxes().empty());
}

TEST_F(Dispatch, TodayScreenAndPropertiesRun) {
  EXPECT_EQ(Invoke(handler_.Get(), 102), S_OK) << "no Today screen: nothing, and no error";
  EXPECT_TRUE(responder_.Dialogs().empty());
  responder_.OnCaption(L"Properties", IDCANCEL);
  EXPECT_EQ(Invoke(handler_.Get(), 103), S_OK);
  ASSERT_EQ(responder_.Dialogs().size(), 1u);
  EXPECT_EQ(responder_.Dialogs()[0].caption, L"Properties");
  EXPECT_TRUE(responder_.MessageBoxes().empty());
}

TEST_F(Dispatch, OffsetsPastTheMenuAreRefused) {
  EXPECT_EQ(Invoke(handler_.Get(), 108), E_INVALIDARG);
  EXPECT_EQ(Invoke(handler_.Get(), 99), E_INVALIDARG) << "below the first identifier wraps far above it";
  EXPECT_TRUE(responder_.Dialogs().empty());
}

TEST_F(Dispatch, TheCommandIsTheOneGetCommandStringNamed) {
  responder_.OnCaption(L"Encrypt File", 1025);
  // The wide-text call is refused yet still names the command; the verb field is then ignored.
  char unused[8];
  handler_->GetCommandString(101, GCS_VERBW, nullptr, unused, 0);
  CMINVOKECOMMANDINFO info = Info(MAKEINTRESOURCEA(3));
  EXPECT_EQ(handler_->InvokeCommand(&info), S_OK);
  ASSERT_EQ(responder_.Dialogs().size(), 1u);
  EXPECT_EQ(responder_.Dialogs()[0].caption, L"Encrypt File");
}

TEST_F(Dispatch, WithoutGetCommandStringTheVerbOffsetIsUsed) {
  responder_.OnCaption(L"Encrypt File", 1025);
  CMINVOKECOMMANDINFO info = Info(MAKEINTRESOURCEA(1));
  EXPECT_EQ(handler_->InvokeCommand(&info), S_OK);
  ASSERT_EQ(responder_.Dialogs().size(), 1u);
  EXPECT_EQ(responder_.Dialogs()[0].caption, L"Encrypt File");
  // A verb by name means nothing to this handler.
  ASSERT_EQ(Query(handler_.Get(), site_.Get(), menu_.get()), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4));
  info = Info("encrypt");
  EXPECT_EQ(handler_->InvokeCommand(&info), E_INVALIDARG);
  info = Info(MAKEINTRESOURCEA(9));
  EXPECT_EQ(handler_->InvokeCommand(&info), E_INVALIDARG);
  EXPECT_EQ(responder_.Dialogs().size(), 1u);
}

TEST_F(Dispatch, UnreadableOrTooLongSelectionTouchesNothing) {
  auto withSite = WithSite(handler_.Get());
  ASSERT_TRUE(withSite);
  auto tooLong = SiteFor({L"\\Temp\\" + std::wstring(270, L'b')});
  withSite->SetSite(tooLong.Get());
  EXPECT_EQ(Invoke(handler_.Get(), 101), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
  auto failing = NewData({}, true);
  withSite->SetSite(failing.Get());
  EXPECT_EQ(Invoke(handler_.Get(), 101), static_cast<HRESULT>(0x80030057));
  withSite->SetSite(nullptr);
  EXPECT_EQ(Invoke(handler_.Get(), 101), static_cast<HRESULT>(0x800004E1));
  EXPECT_TRUE(responder_.Dialogs().empty());
  EXPECT_EQ(ReadFileBytes(file_), "dispatch");
}

}  // namespace
