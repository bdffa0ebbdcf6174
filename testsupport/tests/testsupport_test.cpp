#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport/testsupport.h"

#include "testsupport/keycolour.h"

using namespace testsupport;

namespace {

// An in-memory dialog template: caption, an edit (1001), a static label (1002), OK and Cancel.
class TemplateBuilder {
 public:
  explicit TemplateBuilder(const std::wstring& caption) {
    Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
    Dword(0);
    countAt_ = words_.size();
    Word(0);
    Word(10); Word(10); Word(150); Word(80);
    Word(0);  // menu
    Word(0);  // class
    Text(caption);
    Word(8);
    Text(L"MS Shell Dlg");
  }
  TemplateBuilder& Item(WORD cls, int id, const std::wstring& text, DWORD style, short x, short y, short cx,
                        short cy) {
    if (words_.size() % 2) Word(0);  // DWORD alignment
    Dword(WS_CHILD | WS_VISIBLE | style);
    Dword(0);
    Word(static_cast<WORD>(x)); Word(static_cast<WORD>(y)); Word(static_cast<WORD>(cx)); Word(static_cast<WORD>(cy));
    Word(static_cast<WORD>(id));
    Word(0xFFFF);
    Word(cls);
    Text(text);
    Word(0);
    ++words_[countAt_];
    return *this;
  }
  LPCDLGTEMPLATEW Get() { return reinterpret_cast<LPCDLGTEMPLATEW>(words_.data()); }

 private:
  void Word(WORD w) { words_.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const std::wstring& s) {
    for (wchar_t c : s) Word(static_cast<WORD>(c));
    Word(0);
  }
  std::vector<WORD> words_;  // WORD storage keeps the start DWORD-aligned
  std::size_t countAt_ = 0;
};

TemplateBuilder NameDialog(const std::wstring& caption) {
  TemplateBuilder b(caption);
  b.Item(0x0081, 1001, L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10, 10, 120, 14)
      .Item(0x0082, 1002, L"New Name : ", 0, 10, 30, 120, 10)
      .Item(0x0080, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 20, 55, 50, 14)
      .Item(0x0080, IDCANCEL, L"Cancel", WS_TABSTOP, 80, 55, 50, 14);
  return b;
}

// Ends with the button pressed; on OK hands back the edit's text through lParam.
INT_PTR CALLBACK NameDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      SetDlgItemTextW(dlg, 1001, L"old");
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        if (LOWORD(wp) == IDOK) {
          *reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dlg, DWLP_USER)) = DlgItemText(dlg, 1001);
        }
        EndDialog(dlg, LOWORD(wp));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

// Refuses an empty name with a box owned by the dialog and stays open.
INT_PTR CALLBACK CheckingDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
    if (DlgItemText(dlg, 1001).empty()) {
      MessageBoxW(dlg, L"Enter a name.", L"Rename folder", MB_OK | MB_ICONHAND);
    } else {
      EndDialog(dlg, IDOK);
    }
    return TRUE;
  }
  return FALSE;
}

// Ignores every command: only the responder's last resort closes it.
INT_PTR CALLBACK DeafDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

}  // namespace

TEST(DialogResponder, AnswersMessageBoxByCaptionAndRecordsIt) {
  DialogResponder responder;
  ASSERT_TRUE(DialogResponder::InterceptsMessageBoxes());
  responder.OnCaption(L"Vorrel", IDYES);
  UniqueWindow owner = CreateTestWindow(L"Owner");
  ASSERT_TRUE(owner);

  EXPECT_EQ(MessageBoxW(owner.get(), L"Are you sure you want to hard reset your Pocket PC?", L"Vorrel",
                        MB_YESNO | MB_ICONQUESTION),
            IDYES);
  ASSERT_EQ(responder.MessageBoxes().size(), 1u);
  const MessageBoxRecord& box = responder.MessageBoxes()[0];
  EXPECT_EQ(box.owner, owner.get());
  EXPECT_EQ(box.text, L"Are you sure you want to hard reset your Pocket PC?");
  EXPECT_EQ(box.caption, L"Vorrel");
  EXPECT_EQ(box.style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_TRUE(box.styleKnown);
  EXPECT_TRUE(box.expected);
  EXPECT_EQ(box.answer, IDYES);
  EXPECT_EQ(responder.UnexpectedCount(), 0);
  EXPECT_TRUE(IsWindowEnabled(owner.get()));  // the box really ran modally and ended
}

TEST(DialogResponder, AnswersByTextAndKeepsExactStyle) {
  DialogResponder responder;
  responder.OnText(L"could not be found", IDNO, Match::Substring);
  responder.OnText(L"Exact only", IDOK);

  EXPECT_EQ(MessageBoxW(nullptr, L"This folder or file could not be found.", L"Waring!",
                        MB_YESNO | MB_ICONEXCLAMATION),
            IDNO);
  // An exact rule does not fire on a longer text; the default policy answers instead.
  EXPECT_EQ(MessageBoxExW(nullptr, L"Exact only, not", nullptr, MB_OKCANCEL | MB_TOPMOST, 0), IDCANCEL);
  EXPECT_EQ(MessageBoxW(nullptr, L"Exact only", L"", MB_OK | MB_ICONHAND), IDOK);

  const auto& boxes = responder.MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].style, 52u);  // MB_YESNO | MB_ICONEXCLAMATION
  EXPECT_EQ(boxes[0].caption, L"Waring!");
  EXPECT_EQ(boxes[1].style, static_cast<UINT>(MB_OKCANCEL | MB_TOPMOST));
  EXPECT_EQ(boxes[1].caption, L"");
  EXPECT_FALSE(boxes[1].expected);
  EXPECT_TRUE(boxes[2].expected);
  EXPECT_EQ(boxes[2].style, static_cast<UINT>(MB_ICONHAND));
  EXPECT_EQ(responder.UnexpectedCount(), 1);
}

TEST(DialogResponder, DefaultPolicyClosesUnexpectedBoxes) {
  DialogResponder responder;
  EXPECT_EQ(MessageBoxW(nullptr, L"a", L"x", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxW(nullptr, L"b", L"x", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, L"c", L"x", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxW(nullptr, L"d", L"x", MB_ABORTRETRYIGNORE), IDABORT);
  EXPECT_EQ(responder.UnexpectedCount(), 4);
  responder.ClearRecords();
  EXPECT_EQ(responder.UnexpectedCount(), 0);
  // Once: the rule answers the first box only.
  responder.OnCaption(L"once", IDYES).Once();
  EXPECT_EQ(MessageBoxW(nullptr, L"1", L"once", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxW(nullptr, L"2", L"once", MB_YESNO), IDNO);
}

TEST(DialogResponder, BoxesShownOtherwiseAreReadOffTheBox) {
  DialogResponder responder;
  responder.OnCaption(L"Indirect", IDYES);
  MSGBOXPARAMSW params{};
  params.cbSize = sizeof params;
  params.lpszText = L"Shown through MessageBoxIndirectW";
  params.lpszCaption = L"Indirect";
  params.dwStyle = MB_YESNO | MB_ICONEXCLAMATION;
  EXPECT_EQ(MessageBoxIndirectW(&params), IDYES);
  ASSERT_EQ(responder.MessageBoxes().size(), 1u);
  const MessageBoxRecord& box = responder.MessageBoxes()[0];
  EXPECT_FALSE(box.styleKnown);
  EXPECT_EQ(box.text, L"Shown through MessageBoxIndirectW");
  EXPECT_EQ(box.caption, L"Indirect");
  EXPECT_EQ(box.style, 52u);
  EXPECT_TRUE(box.expected);
}

TEST(DialogResponder, FillsEditAndPressesButtonInDialog) {
  DialogResponder responder;
  responder.OnCaption(L"Rename folder", IDOK).Fill(1001, L"New name");
  responder.OnText(L"Label : ", IDCANCEL, Match::Substring);
  TemplateBuilder dialog = NameDialog(L"Rename folder");
  std::wstring typed;
  EXPECT_EQ(DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr, NameDialogProc,
                                    reinterpret_cast<LPARAM>(&typed)),
            IDOK);
  EXPECT_EQ(typed, L"New name");

  // By the text of a control; Cancel leaves the result alone.
  TemplateBuilder other(L"Other");
  other.Item(0x0082, 1002, L"Some Label : here", 0, 10, 30, 120, 10)
      .Item(0x0080, IDCANCEL, L"Cancel", WS_TABSTOP, 80, 55, 50, 14);
  typed.clear();
  EXPECT_EQ(DialogBoxIndirectParamW(GetModuleHandleW(nullptr), other.Get(), nullptr, NameDialogProc,
                                    reinterpret_cast<LPARAM>(&typed)),
            IDCANCEL);
  EXPECT_TRUE(typed.empty());

  // A dialog of ours with an unnamed static (id -1, as a box's text has) is still a dialog.
  TemplateBuilder labelled(L"Labelled");
  labelled.Item(0x0082, -1, L"Unnamed label", 0, 10, 30, 120, 10)
      .Item(0x0080, IDCANCEL, L"Cancel", WS_TABSTOP, 80, 55, 50, 14);
  responder.OnCaption(L"Labelled", IDCANCEL);
  EXPECT_EQ(DialogBoxIndirectParamW(GetModuleHandleW(nullptr), labelled.Get(), nullptr, NameDialogProc,
                                    reinterpret_cast<LPARAM>(&typed)),
            IDCANCEL);
  EXPECT_TRUE(responder.MessageBoxes().empty());

  ASSERT_EQ(responder.Dialogs().size(), 3u);
  EXPECT_EQ(responder.Dialogs()[2].caption, L"Labelled");
  EXPECT_EQ(responder.Dialogs()[0].caption, L"Rename folder");
  EXPECT_EQ(responder.Dialogs()[0].answer, IDOK);
  EXPECT_TRUE(responder.Dialogs()[1].expected);
  EXPECT_EQ(responder.UnexpectedCount(), 0);
}

TEST(DialogResponder, NeverHangsOnADialogThatIgnoresItsAnswer) {
  DialogResponder responder;
  responder.SetStuckTimeout(200);
  TemplateBuilder dialog = NameDialog(L"Deaf");
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr, DeafDialogProc, 0),
            IDCANCEL);
  EXPECT_LT(GetTickCount64() - start, 5000u);
  ASSERT_EQ(responder.Dialogs().size(), 1u);
  EXPECT_TRUE(responder.Dialogs()[0].forced);
  EXPECT_EQ(responder.UnexpectedCount(), 1);
}

TEST(DialogResponder, BoxRaisedByTheAnswerIsAnsweredToo) {
  DialogResponder outer;
  DialogResponder responder;  // the innermost responder of a thread is the one that acts
  responder.SetStuckTimeout(300);
  responder.OnText(L"Enter a name.", IDOK);
  responder.OnCaption(L"Rename folder", IDOK).Once();
  TemplateBuilder dialog = NameDialog(L"Rename folder");
  EXPECT_EQ(DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr, CheckingDialogProc, 0),
            IDCANCEL);
  ASSERT_EQ(responder.MessageBoxes().size(), 1u);
  const MessageBoxRecord& box = responder.MessageBoxes()[0];
  EXPECT_EQ(box.text, L"Enter a name.");
  EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONHAND));
  EXPECT_NE(box.owner, nullptr);  // the dialog, gone by now
  EXPECT_TRUE(box.expected);
  ASSERT_EQ(responder.Dialogs().size(), 1u);
  EXPECT_TRUE(responder.Dialogs()[0].forced);  // it stayed open after its one answer
  EXPECT_TRUE(outer.MessageBoxes().empty());
  EXPECT_TRUE(outer.Dialogs().empty());
}

TEST(DialogResponder, LeavesUnmatchedDialogsToTheTest) {
  DialogResponder responder;
  responder.SetLeaveUnmatched(true);
  TemplateBuilder dialog = NameDialog(L"Driven by the test");
  HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr, DeafDialogProc, 0);
  ASSERT_NE(hwnd, nullptr);
  PumpFor(300);
  EXPECT_TRUE(IsWindow(hwnd));
  ASSERT_EQ(responder.Dialogs().size(), 1u);
  EXPECT_EQ(responder.Dialogs()[0].answer, 0);
  DestroyWindow(hwnd);
}

TEST(Pump, UntilTimesOutOrHolds) {
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(PumpUntil([] { return false; }, 150));
  EXPECT_GE(GetTickCount64() - start, 140u);

  static bool fired;
  fired = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) { fired = true; });
  EXPECT_TRUE(PumpUntil([] { return fired; }, 2000));
  KillTimer(nullptr, timer);
}

TEST(Pump, WaitForWindowSeesLateWindows) {
  static HWND late;
  late = nullptr;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    late = CreateTestWindow(L"Late window").release();
  });
  HWND found = WaitForWindow(L"QuintarTestWindow", L"Late window", 2000);
  EXPECT_NE(found, nullptr);
  EXPECT_EQ(found, late);
  UniqueWindow owner(late);
  KillTimer(nullptr, timer);
  EXPECT_EQ(WaitForWindow(L"NoSuchClass", nullptr, 50), nullptr);
}

// A picture with the key nowhere on screen: other tests look at the same display meanwhile.
TEST(KeyColour, CountsTheKeyAndColoursNearItInAPictureAndItsFile) {
  const int w = 40, h = 30;
  const quintar::win32::WindowDc screen(nullptr);
  const quintar::win32::MemoryDc dc(CreateCompatibleDC(screen.get()));
  const quintar::win32::Bitmap bitmap(CreateCompatibleBitmap(screen.get(), w, h));
  const quintar::win32::Selection selected(dc.get(), bitmap.get());
  const auto fill = [&](RECT r, COLORREF colour) {
    const quintar::win32::Brush brush(CreateSolidBrush(colour));
    FillRect(dc.get(), &r, brush.get());
  };
  fill({0, 0, w, h}, RGB(255, 255, 255));
  fill({5, 3, 8, 5}, RGB(247, 8, 247));      // a blended edge: near
  fill({20, 10, 22, 12}, kStripKey);         // exact
  fill({30, 20, 31, 21}, RGB(200, 0, 220));  // still near
  fill({0, 25, 10, 30}, RGB(160, 0, 200));   // a real purple: far
  const KeyColourCount inPicture = CountKeyColour(dc.get(), {0, 0, w, h});
  EXPECT_EQ(inPicture.exact, 4);
  EXPECT_EQ(inPicture.nearby, 7);
  EXPECT_EQ(inPicture.first.x, 5);
  EXPECT_EQ(inPicture.first.y, 3);
  EXPECT_EQ(inPicture.firstColour, RGB(247, 8, 247));
  EXPECT_EQ(CountKeyColour(dc.get(), {10, 5, w, h}).first.x, 10) << "the area's own coordinates";

  // The same picture as a BMP file, stored bottom row first, is read top down.
  BITMAPINFOHEADER header{sizeof header, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::string pixels(static_cast<std::size_t>((w * 3 + 3) & ~3) * h, '\0');
  ASSERT_EQ(
      GetDIBits(dc.get(), bitmap.get(), 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS),
      h);
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
  const BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset};
  const std::wstring path = L"T:\\keycolour.bmp";
  ASSERT_TRUE(WriteFileBytes(path, std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                                       std::string(reinterpret_cast<const char*>(&header), sizeof header) + pixels));
  const auto inFile = CountKeyColourInFile(path);
  DeleteFileW(path.c_str());
  ASSERT_TRUE(inFile.has_value());
  EXPECT_EQ(inFile->exact, 4);
  EXPECT_EQ(inFile->nearby, 7);
  EXPECT_EQ(inFile->first.x, 5);
  EXPECT_EQ(inFile->first.y, 3);
  EXPECT_FALSE(CountKeyColourInFile(L"T:\\no-such-picture.bmp").has_value());
}

TEST(KeyColour, AWindowIsReadWithItsChildren) {
  UniqueWindow window = CreateTestWindow(L"Keyed", WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(window);
  SetWindowPos(window.get(), nullptr, 0, 0, 40, 30, SWP_NOZORDER | SWP_SHOWWINDOW);
  HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 6, 4, window.get(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  UpdateWindow(window.get());
  PumpFor(100);
  const COLORREF green = RGB(20, 180, 40);  // anything but the key, which would show on the display
  {
    const quintar::win32::WindowDc dc(child);
    const quintar::win32::Brush brush(CreateSolidBrush(green));
    const RECT all{0, 0, 6, 4};
    FillRect(dc.get(), &all, brush.get());
  }
  const KeyColourCount count = CountKeyColourInWindow(window.get(), green);
  EXPECT_EQ(count.exact, 24);
  EXPECT_EQ(count.first.x, 10);
  EXPECT_EQ(count.first.y, 10);
}
