// The encryption and decryption dialogs, driven as a user would through File Explorer's call:
// what they refuse and say, the files they leave, and their layout in every screen shape.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "dialogs/dialogs.h"
#include "fixture.h"
#include "shellext/resource.h"
#include "testsupport/keycolour.h"
#include "testsupport/testsupport.h"
#include "win32/handle.h"

using namespace menuvextest;
using testsupport::DialogResponder;
namespace dialogs = quintar::dialogs;

namespace {

constexpr wchar_t kEncryptError[] = L"Error Encrypting File";
constexpr wchar_t kDecryptError[] = L"Error Decrypting File";

// A handler whose menu was built for `path`; the command runs with Run(offset).
class Command {
 public:
  explicit Command(const std::wstring& path)
      : handler_(NewHandler()), menu_(CreatePopupMenu()), site_(SiteFor({path})) {
    if (handler_) built_ = SUCCEEDED(Query(handler_.Get(), site_.Get(), menu_.get()));
  }
  ~Command() {
    if (auto withSite = handler_ ? WithSite(handler_.Get()) : nullptr) withSite->SetSite(nullptr);
  }
  bool built() const { return built_; }
  HRESULT Run(UINT offset) { return Invoke(handler_.Get(), 100 + offset); }

 private:
  ComPtr<IContextMenu> handler_;
  quintar::win32::Menu menu_;
  ComPtr<FakeData> site_;
  bool built_ = false;
};

constexpr UINT kEncrypt = 1, kDecrypt = 7;

class CryptDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    responder_.SetStuckTimeout(1500);  // past the answer to a message box inside, on a busy machine too
    responder_.SetAnswerDelay(200);    // the delete box is ticked first
    responder_.OnCaption(kEncryptError, IDOK);
    responder_.OnCaption(kDecryptError, IDOK);
  }
  // Encrypts through the dialog: passwords typed, the delete box as given.
  HRESULT Encrypt(const std::wstring& path, const std::wstring& password, const std::wstring& confirmation,
                  bool deleteOriginal) {
    Command command(path);
    if (!command.built()) return E_UNEXPECTED;
    auto rule = responder_.OnCaption(L"Encrypt File", IDC_ENCRYPT);
    rule.Fill(IDC_PASSWORD, password).Fill(IDC_CONFIRM, confirmation).Once();
    deleteBox_ = deleteOriginal ? IDC_DELETE_ORIGINAL : 0;
    return WithCheckbox([&] { return command.Run(kEncrypt); });
  }
  HRESULT Decrypt(const std::wstring& path, const std::wstring& password, bool deleteEncrypted) {
    Command command(path);
    if (!command.built()) return E_UNEXPECTED;
    responder_.OnCaption(L"Decrypt File", IDC_DECRYPT).Fill(IDC_DECRYPT_PASSWORD, password).Once();
    deleteBox_ = deleteEncrypted ? IDC_DELETE_ENCRYPTED : 0;
    return WithCheckbox([&] { return command.Run(kDecrypt); });
  }
  // The responder fills edits only; the delete box is ticked as soon as the dialog is up.
  HRESULT WithCheckbox(const std::function<HRESULT()>& run) {
    HRESULT hr = E_FAIL;
    if (deleteBox_ == 0) return run();
    WithDialog([&] { hr = run(); }, [&](HWND dialog) { CheckDlgButton(dialog, deleteBox_, BST_CHECKED); });
    return hr;
  }
  const testsupport::MessageBoxRecord* LastBox() const {
    return responder_.MessageBoxes().empty() ? nullptr : &responder_.MessageBoxes().back();
  }

  DialogResponder responder_;
  int deleteBox_ = 0;
};

TEST_F(CryptDialogs, EncryptionRefusesWhatWasTypedAndStaysOpen) {
  const std::wstring source = TestPath(L"refuse.txt");
  WriteFileBytes(source, "unchanged");
  struct Case {
    const wchar_t *password, *confirmation, *message;
  };
  const std::wstring tooLong(33, L'k');
  const Case cases[] = {
      {L"", L"", L"The password cannot be empty."},
      {L"secret", L"", L"The password cannot be empty."},
      {L"", L"secret", L"The password cannot be empty."},
      {L"secret", L"Secret", L"Password and confirmation do not match."},
      {tooLong.c_str(), tooLong.c_str(), L"The password cannot be longer than 32 characters."},
  };
  for (const Case& c : cases) {
    responder_.ClearRecords();
    EXPECT_EQ(Encrypt(source, c.password, c.confirmation, true), S_OK);
    const auto* box = LastBox();
    ASSERT_NE(box, nullptr) << c.message;
    EXPECT_EQ(box->text, c.message);
    EXPECT_EQ(box->caption, kEncryptError);
    EXPECT_EQ(box->style & (MB_ICONMASK | MB_TYPEMASK), static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_NE(box->owner, nullptr) << "owned by the dialog";
    ASSERT_EQ(responder_.Dialogs().size(), 1u);
    EXPECT_TRUE(responder_.Dialogs()[0].forced) << "the dialog stayed open after the message";
    EXPECT_FALSE(Exists(source + L".enf"));
    EXPECT_EQ(ReadFileBytes(source), "unchanged");
  }
}

TEST_F(CryptDialogs, EncryptThenDecryptRoundTrip) {
  const std::wstring source = TestPath(L"report.txt");
  const std::string content = "Quarterly figures, 21 bytes+";  // 28 bytes: 3 blocks and 4 left over
  WriteFileBytes(source, content);

  EXPECT_EQ(Encrypt(source, L"pass1", L"pass1", false), S_OK);
  EXPECT_TRUE(responder_.MessageBoxes().empty());
  EXPECT_EQ(ReadFileBytes(source), content) << "kept without the delete box";
  EXPECT_EQ(ReadFileBytes(source + L".enf").size(), 3u * 8 + 80);
  DeleteFileW((source + L".enf").c_str());

  EXPECT_EQ(Encrypt(source, L"pass1", L"pass1", true), S_OK);
  EXPECT_FALSE(Exists(source)) << "deleted once encrypted";
  ASSERT_TRUE(Exists(source + L".enf"));

  EXPECT_EQ(Decrypt(source + L".enf", L"pass1", false), S_OK);
  EXPECT_EQ(ReadFileBytes(source), content);
  EXPECT_TRUE(Exists(source + L".enf")) << "kept without the delete box";
  DeleteFileW(source.c_str());
  EXPECT_EQ(Decrypt(source + L".enf", L"pass1", true), S_OK);
  EXPECT_EQ(ReadFileBytes(source), content);
  EXPECT_FALSE(Exists(source + L".enf"));
  EXPECT_TRUE(responder_.MessageBoxes().empty());
  EXPECT_EQ(responder_.UnexpectedCount(), 0);
}

TEST_F(CryptDialogs, ExistingOutputIsReportedAndBothFilesKept) {
  const std::wstring source = TestPath(L"twice.txt");
  WriteFileBytes(source, "original");
  WriteFileBytes(source + L".enf", "older encrypted copy");
  EXPECT_EQ(Encrypt(source, L"pw", L"pw", true), S_OK);
  const auto* box = LastBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->caption, kEncryptError);
  EXPECT_FALSE(box->text.empty());
  EXPECT_EQ(ReadFileBytes(source), "original") << "a failed encryption never deletes the source";
  EXPECT_EQ(ReadFileBytes(source + L".enf"), "older encrypted copy");

  // Decryption onto an existing file: told, and neither file goes.
  const std::wstring other = TestPath(L"plain.doc");
  WriteFileBytes(other, "plain");
  EXPECT_EQ(Encrypt(other, L"pw", L"pw", false), S_OK);
  responder_.ClearRecords();
  EXPECT_EQ(Decrypt(other + L".enf", L"pw", true), S_OK);
  box = LastBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->caption, kDecryptError);
  EXPECT_NE(box->text, L"The password is not valid.");
  EXPECT_EQ(ReadFileBytes(other), "plain");
  EXPECT_TRUE(Exists(other + L".enf"));
}

TEST_F(CryptDialogs, WrongPasswordIsNotValidAndKeepsTheEncryptedFile) {
  const std::wstring source = TestPath(L"secret.txt");
  WriteFileBytes(source, "the secret");
  ASSERT_EQ(Encrypt(source, L"abcd", L"abcd", true), S_OK);
  const std::string encrypted = ReadFileBytes(source + L".enf");
  for (const wchar_t* wrong : {L"abce", L"abcde", L"abc", L"", L"ABCD"}) {
    responder_.ClearRecords();
    EXPECT_EQ(Decrypt(source + L".enf", wrong, true), S_OK);
    const auto* box = LastBox();
    ASSERT_NE(box, nullptr) << std::wstring(wrong).size();
    EXPECT_EQ(box->text, L"The password is not valid.");
    EXPECT_EQ(box->caption, kDecryptError);
    EXPECT_EQ(box->owner, nullptr);
    EXPECT_EQ(box->style & MB_ICONMASK, static_cast<UINT>(MB_ICONHAND));
    ASSERT_EQ(responder_.Dialogs().size(), 1u);
    EXPECT_FALSE(responder_.Dialogs()[0].forced) << "the dialog closes after a wrong password";
    EXPECT_FALSE(Exists(source));
    EXPECT_EQ(ReadFileBytes(source + L".enf"), encrypted);
  }
  // Too short to hold a trailer: refused the same way.
  const std::wstring stub = TestPath(L"stub.enf");
  WriteFileBytes(stub, "short");
  responder_.ClearRecords();
  EXPECT_EQ(Decrypt(stub, L"abcd", true), S_OK);
  ASSERT_NE(LastBox(), nullptr);
  EXPECT_EQ(LastBox()->text, L"The password is not valid.");
  EXPECT_EQ(ReadFileBytes(stub), "short");
}

TEST_F(CryptDialogs, CancelDoesNothing) {
  const std::wstring source = TestPath(L"cancel.txt");
  WriteFileBytes(source, "c");
  Command command(source);
  ASSERT_TRUE(command.built());
  responder_.OnCaption(L"Encrypt File", IDC_ENCRYPT_CANCEL).Fill(IDC_PASSWORD, L"pw").Fill(IDC_CONFIRM, L"pw").Once();
  EXPECT_EQ(command.Run(kEncrypt), S_OK);
  responder_.OnCaption(L"Encrypt File", IDOK).Fill(IDC_PASSWORD, L"pw").Fill(IDC_CONFIRM, L"pw").Once();
  EXPECT_EQ(command.Run(kEncrypt), S_OK) << "the Done button closes without encrypting";
  EXPECT_FALSE(Exists(source + L".enf"));
  EXPECT_EQ(responder_.UnexpectedCount(), 0);
}

// ---- What the dialogs show, where, in every shape ----

struct SipWindow {
  SipWindow()
      : cls(L"SipWndClass"),
        window(CreateWindowExW(0, L"SipWndClass", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)) {}
  testsupport::ScopedWindowClass cls;
  testsupport::UniqueWindow window;
};

RECT ControlRect(HWND dialog, int id) {
  RECT r{};
  HWND control = GetDlgItem(dialog, id);
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT Mapped(HWND dialog, RECT dlu) {
  RECT r{dlu.left, dlu.top, dlu.right, dlu.bottom};
  MapDialogRect(dialog, &r);
  return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT both;
  return IntersectRect(&both, &a, &b) != FALSE;
}

// Every control fits the shape's screen, none covers another, and the title line (if the dialog
// has one: titleId not 0) separates the title from the rest.
void CheckLayout(HWND dialog, dialogs::ScreenShape shape, int titleId, const char* what) {
  const int scale = dialogs::ScreenScale();
  const int width = (shape == dialogs::ScreenShape::Landscape ? 320 : 240) * scale;
  const int height = (shape == dialogs::ScreenShape::Portrait ? 320 : 240) * scale;
  const int line = 23 * scale;
  std::vector<std::pair<int, RECT>> controls;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    controls.emplace_back(static_cast<int>(GetWindowLongPtrW(c, GWLP_ID)), r);
  }
  ASSERT_GE(controls.size(), titleId ? 6u : 5u) << what;
  for (size_t i = 0; i < controls.size(); ++i) {
    const auto& [id, r] = controls[i];
    const std::string at = std::string(what) + " " + dialogs::ShapeName(shape) + " control " + std::to_string(id);
    EXPECT_GE(r.left, 0) << at;
    EXPECT_GE(r.top, 0) << at;
    EXPECT_LE(r.right, width) << at;
    EXPECT_LE(r.bottom, height - 26 * scale) << at << ": clear of the menu bar";
    if (titleId == 0) {
    } else if (id == titleId) {
      EXPECT_LE(r.bottom, line) << at << " above the line";
    } else {
      EXPECT_GT(r.top, line) << at << " below the line";
    }
    for (size_t j = i + 1; j < controls.size(); ++j)
      EXPECT_FALSE(Overlap(r, controls[j].second)) << at << " and " << controls[j].first;
  }
}

// Also where no picture is wanted: the dialog may show no image strip's key colour.
void SaveScreen(HWND dialog, const std::wstring& name) {
  const auto keyed = testsupport::CountKeyColourInWindow(dialog);
  EXPECT_EQ(keyed.Total(), 0) << name << ": " << keyed.Describe();
  wchar_t flag[8];
  if (!GetEnvironmentVariableW(L"QUINTAR_SCREENSHOTS", flag, 8)) return;
  CreateDirectoryW(L"T:\\screenshots", nullptr);
  testsupport::SaveScreenBitmap(L"T:\\screenshots\\" + name + L".bmp");
}

std::wstring ProfileName() { return dialogs::ScreenScale() == 2 ? L"vga" : L"qvga"; }
// The screen's size, for pictures taken in every shape.
std::wstring ScreenName() {
  return std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"x" + std::to_wstring(GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(CryptDialogs, EncryptionDialogOpensReadyAndLaysOutInEveryShape) {
  SipWindow sip;
  responder_.SetLeaveUnmatched(true);  // the test closes the dialog itself
  const std::wstring source = TestPath(L"look.txt");
  WriteFileBytes(source, "look");
  Command command(source);
  ASSERT_TRUE(command.built());
  bool inspected = false;
  EXPECT_TRUE(WithDialog(
      [&] { command.Run(kEncrypt); },
      [&](HWND dialog) {
        inspected = true;
        EXPECT_EQ(testsupport::WindowText(dialog), L"Encrypt File");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_ENCRYPT_TITLE), L"Encrypt File");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_CONFIRM_LABEL), L"Confirm Password:");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_DELETE_ORIGINAL), L"Delete Original File");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_ENCRYPT), L"Encrypt");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_ENCRYPT_CANCEL), L"Cancel");
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_PASSWORD));
        EXPECT_TRUE(IsWindowVisible(sip.window.get())) << "the panel is up for typing";
        const LONG style = GetWindowLongW(GetDlgItem(dialog, IDC_PASSWORD), GWL_STYLE);
        EXPECT_TRUE(style & ES_PASSWORD);
        EXPECT_TRUE(style & ES_AUTOHSCROLL);
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, IDC_CONFIRM), GWL_STYLE) & ES_PASSWORD);
        RECT window;
        GetWindowRect(dialog, &window);
        EXPECT_EQ(window.right - window.left, GetSystemMetrics(SM_CXSCREEN)) << "full screen";
        UpdateWindow(dialog);
        SaveScreen(dialog, L"menuvex-encrypt-" + ProfileName());
        for (auto shape :
             {dialogs::ScreenShape::Square, dialogs::ScreenShape::Portrait, dialogs::ScreenShape::Landscape}) {
          ASSERT_TRUE(dialogs::RelayoutForShape(
              dialog, Menuvex().module,
              dialogs::TemplatesById(IDD_ENCRYPT_SQUARE, IDD_ENCRYPT_PORTRAIT, IDD_ENCRYPT_LANDSCAPE), shape));
          CheckLayout(dialog, shape, IDC_ENCRYPT_TITLE, "encrypt");
        }
        SendMessageW(dialog, WM_COMMAND, IDC_ENCRYPT_CANCEL, 0);
      }));
  EXPECT_TRUE(inspected);
  EXPECT_FALSE(IsWindowVisible(sip.window.get())) << "the panel goes down with the dialog";
}

TEST_F(CryptDialogs, DecryptionDialogShowsThePathAndLaysOutInEveryShape) {
  SipWindow sip;
  responder_.SetLeaveUnmatched(true);
  const std::wstring path = TestPath(L"R&D notes.enf");
  WriteFileBytes(path, std::string(88, 'e'));
  Command command(path);
  ASSERT_TRUE(command.built());
  EXPECT_TRUE(WithDialog(
      [&] { command.Run(kDecrypt); },
      [&](HWND dialog) {
        EXPECT_EQ(testsupport::WindowText(dialog), L"Decrypt File");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_DECRYPT_LABEL), L"Decryption Password For :");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_DECRYPT_PATH), path);
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, IDC_DECRYPT_PATH), GWL_STYLE) & SS_NOPREFIX)
            << "an ampersand in a name is shown as it is";
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_DELETE_ENCRYPTED), L"Delete Encrypted File");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_DECRYPT), L"Decrypt");
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_DECRYPT_PASSWORD));
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, IDC_DECRYPT_PASSWORD), GWL_STYLE) & ES_PASSWORD);
        EXPECT_TRUE(IsWindowVisible(sip.window.get()));
        RECT window;
        GetWindowRect(dialog, &window);
        EXPECT_GE(window.left, 0);
        EXPECT_GE(window.top, 0);
        EXPECT_LE(window.right, GetSystemMetrics(SM_CXSCREEN)) << "the whole dialog on the screen";
        EXPECT_LE(window.bottom, GetSystemMetrics(SM_CYSCREEN));
        UpdateWindow(dialog);
        SaveScreen(dialog, L"menuvex-decrypt-" + ProfileName());
        for (auto shape :
             {dialogs::ScreenShape::Square, dialogs::ScreenShape::Portrait, dialogs::ScreenShape::Landscape}) {
          ASSERT_TRUE(dialogs::RelayoutForShape(
              dialog, Menuvex().module,
              dialogs::TemplatesById(IDD_DECRYPT_SQUARE, IDD_DECRYPT_PORTRAIT, IDD_DECRYPT_LANDSCAPE), shape));
          CheckLayout(dialog, shape, IDC_DECRYPT_LABEL, "decrypt");
        }
        SendMessageW(dialog, WM_COMMAND, IDC_DECRYPT_CANCEL, 0);
      }));
  EXPECT_FALSE(IsWindowVisible(sip.window.get()));
  EXPECT_EQ(ReadFileBytes(path), std::string(88, 'e'));
}

TEST_F(CryptDialogs, TurningTheScreenMovesTheControls) {
  const std::wstring source = TestPath(L"turn.txt");
  WriteFileBytes(source, "turn");
  Command command(source);
  ASSERT_TRUE(command.built());
  // The password box's place in each shape's template.
  const dialogs::PerShape<RECT> passwordBox{{5, 25, 127, 12}, {5, 27, 127, 12}, {78, 17, 99, 12}};
  const int width0 = GetSystemMetrics(SM_CXSCREEN), height0 = GetSystemMetrics(SM_CYSCREEN);
  responder_.SetLeaveUnmatched(true);
  int turned = 0;
  WithDialog([&] { command.Run(kEncrypt); },
             [&](HWND dialog) {
               const SIZE modes[] = {{320, 240}, {240, 320}, {240, 240}, {width0, height0}};
               for (const SIZE& m : modes) {
                 if (!testsupport::SetScreen(m.cx, m.cy)) {
                   std::printf("note: no %ld x %ld display mode\n", m.cx, m.cy);
                   continue;
                 }
                 ++turned;
                 SetWindowPos(dialog, nullptr, 0, 0, m.cx, m.cy, SWP_NOZORDER | SWP_NOACTIVATE);  // WM_SIZE
                 const RECT expected = Mapped(dialog, passwordBox.For(dialogs::ShapeOf(m.cx, m.cy)));
                 const RECT now = ControlRect(dialog, IDC_PASSWORD);
                 EXPECT_TRUE(EqualRect(&expected, &now)) << m.cx << " x " << m.cy << ": " << now.left << "," << now.top;
               }
               SendMessageW(dialog, WM_COMMAND, IDC_ENCRYPT_CANCEL, 0);
             });
  EXPECT_GE(turned, 2) << "at least one turn and the way back";
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), width0);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), height0);
}

}  // namespace

// ---- The ZIP commands ----

namespace {

constexpr UINT kAddToZip = 0, kExtractHere = 4, kExtractNamed = 5, kExtractSpecify = 6;

std::string Noise(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t x = 2463534242u;
  for (char& c : bytes) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    c = static_cast<char>(x);
  }
  return bytes;
}

class ZipCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    responder_.SetLeaveUnmatched(true);  // the progress dialogs end themselves
    dir_ = TestPath(L"zip");
    CreateDirectoryW(dir_.c_str(), nullptr);
  }
  // Runs the command on `path` the way File Explorer does and waits for its dialogs to end.
  HRESULT Run(const std::wstring& path, UINT offset) {
    Command command(path);
    if (!command.built()) return E_UNEXPECTED;
    return command.Run(offset);
  }
  std::vector<std::wstring> Captions() const {
    std::vector<std::wstring> captions;
    for (const auto& d : responder_.Dialogs()) captions.push_back(d.caption);
    return captions;
  }

  DialogResponder responder_;
  std::wstring dir_;
};

TEST_F(ZipCommands, AddToZipPacksAFileOrAFolderBesideIt) {
  WriteFileBytes(dir_ + L"\\report.doc", "quarterly");
  WriteFileBytes(dir_ + L"\\report.zip", "someone else's");
  EXPECT_EQ(Run(dir_ + L"\\report.doc", kAddToZip), S_OK);
  EXPECT_EQ(ReadFileBytes(dir_ + L"\\report.zip"), "someone else's") << "never replaced";
  const std::string archive = ReadFileBytes(dir_ + L"\\report(1).zip");
  EXPECT_EQ(archive.substr(0, 4), "PK\x03\x04");
  EXPECT_NE(archive.find("report.doc"), std::string::npos) << "the bare file name";
  EXPECT_EQ(Captions(), std::vector<std::wstring>{L"Compressing"});

  const std::wstring photos = dir_ + L"\\Photos";
  CreateDirectoryW(photos.c_str(), nullptr);
  CreateDirectoryW((photos + L"\\2006").c_str(), nullptr);
  WriteFileBytes(photos + L"\\2006\\b.jpg", "jpeg");
  EXPECT_EQ(Run(photos, kAddToZip), S_OK);
  const std::string folder = ReadFileBytes(dir_ + L"\\Photos.zip");
  EXPECT_NE(folder.find("Photos/2006/b.jpg"), std::string::npos);

  // What cannot be made says so to File Explorer and leaves nothing.
  WriteFileBytes(dir_ + L"\\gone.txt", "x");
  Command command(dir_ + L"\\gone.txt");
  DeleteFileW((dir_ + L"\\gone.txt").c_str());
  EXPECT_TRUE(FAILED(command.Run(kAddToZip)));
  EXPECT_FALSE(Exists(dir_ + L"\\gone.zip"));
}

TEST_F(ZipCommands, ExtractToTheFolderTheNamedFolderOrAPickedOne) {
  const std::wstring src = dir_ + L"\\Letters";
  CreateDirectoryW(src.c_str(), nullptr);
  WriteFileBytes(src + L"\\a.txt", "letter a");
  ASSERT_EQ(Run(src, kAddToZip), S_OK);
  const std::wstring archive = dir_ + L"\\Letters.zip";
  ASSERT_TRUE(Exists(archive));
  const std::wstring box = TestPath(L"zipbox");
  CreateDirectoryW(box.c_str(), nullptr);
  ASSERT_TRUE(MoveFileW(archive.c_str(), (box + L"\\Letters.zip").c_str()));
  const std::wstring zipped = box + L"\\Letters.zip";
  responder_.ClearRecords();

  EXPECT_EQ(Run(zipped, kExtractHere), S_OK);
  EXPECT_EQ(ReadFileBytes(box + L"\\Letters\\a.txt"), "letter a");
  EXPECT_EQ(Captions(), std::vector<std::wstring>{L"Extracting"});

  EXPECT_EQ(Run(zipped, kExtractNamed), S_OK);
  EXPECT_EQ(ReadFileBytes(box + L"\\Letters\\Letters\\a.txt"), "letter a") << "into a folder named after it";

  const std::wstring picked = box + L"\\picked";
  responder_.OnCaption(L"Specify Directory", IDC_PICKER_OK).Fill(IDC_PICKER_PATH, picked + L"\\").Once();
  EXPECT_EQ(Run(zipped, kExtractSpecify), S_OK);
  EXPECT_EQ(ReadFileBytes(picked + L"\\Letters\\a.txt"), "letter a") << "the typed folder, created";

  responder_.OnCaption(L"Specify Directory", IDC_ZIP_CANCEL).Fill(IDC_PICKER_PATH, box + L"\\never").Once();
  EXPECT_EQ(Run(zipped, kExtractSpecify), S_OK);
  EXPECT_FALSE(Exists(box + L"\\never"));
  responder_.OnCaption(L"Specify Directory", IDC_PICKER_OK).Fill(IDC_PICKER_PATH, box + L"\\no\\chain").Once();
  EXPECT_EQ(Run(zipped, kExtractSpecify), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) << "one folder, not a chain";
  EXPECT_FALSE(Exists(box + L"\\no"));
}

TEST_F(ZipCommands, EnterOrEscCancelsAndACancelledArchiveIsGone) {
  const std::wstring big = dir_ + L"\\big";
  CreateDirectoryW(big.c_str(), nullptr);
  for (int i = 0; i < 8; ++i) WriteFileBytes(big + L"\\noise" + std::to_wstring(i) + L".bin", Noise(6 << 20));
  for (int key : {IDOK, IDCANCEL, IDC_ZIP_CANCEL}) {
    Command command(big);
    ASSERT_TRUE(command.built());
    bool seen = false;
    HRESULT hr = E_FAIL;
    WithDialog([&] { hr = command.Run(kAddToZip); },
               [&](HWND dialog) {
                 seen = true;
                 EXPECT_EQ(testsupport::WindowText(dialog), L"Compressing");
                 EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_ZIP_CANCEL), L"Cancel");
                 wchar_t cls[32] = L"";
                 GetClassNameW(GetDlgItem(dialog, IDC_ZIP_PROGRESS), cls, 32);
                 EXPECT_STREQ(cls, L"msctls_progress32");
                 testsupport::PumpUntil([&] { return Exists(big + L".zip"); }, 5000);
                 if (key == IDOK) {
                   testsupport::PumpFor(300);
                   UpdateWindow(dialog);
                   SaveScreen(dialog, L"menuvex-compressing-" + ScreenName());
                 }
                 SendMessageW(dialog, WM_COMMAND, key, 0);
               });
    EXPECT_TRUE(seen) << key;
    EXPECT_EQ(hr, S_OK);
    EXPECT_FALSE(Exists(big + L".zip")) << key << ": a cancelled archive is deleted by its worker";
    WIN32_FIND_DATAW none;
    EXPECT_FALSE(quintar::win32::FindHandle(FindFirstFileW((dir_ + L"\\big(*").c_str(), &none)));
  }
  EXPECT_EQ(Menuvex().canUnloadNow(), S_OK) << "no worker is left running";
}

void ChildItem(HWND tree, HTREEITEM parent, const std::wstring& text, HTREEITEM* found) {
  *found = nullptr;
  for (HTREEITEM item = TreeView_GetChild(tree, parent); item && !*found; item = TreeView_GetNextSibling(tree, item))
    if (quintar::win32::TreeItemText(tree, item) == text) *found = item;
}

TEST_F(ZipCommands, ThePickerShowsTheDevicesFoldersAndLaysOutInEveryShape) {
  const std::wstring box = TestPath(L"pickbox");
  CreateDirectoryW(box.c_str(), nullptr);
  CreateDirectoryW((box + L"\\shown").c_str(), nullptr);
  CreateDirectoryW((box + L"\\hidden").c_str(), nullptr);
  CreateDirectoryW((box + L"\\secret").c_str(), nullptr);
  SetFileAttributesW((box + L"\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW((box + L"\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  WriteFileBytes(box + L"\\file.txt", "not a folder");
  WriteFileBytes(box + L"\\Mail.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  bool inspected = false;
  Command command(box + L"\\Mail.zip");
  ASSERT_TRUE(command.built());
  WithDialog([&] { EXPECT_EQ(command.Run(kExtractSpecify), S_OK); },
             [&](HWND dialog) {
               inspected = true;
               EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PICKER_LABEL), L"Target  Directory");
               EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PICKER_PATH), box + L"\\Mail");
               EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PICKER_OK), L"OK");
               EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_ZIP_CANCEL), L"Cancel");
               const HWND tree = GetDlgItem(dialog, IDC_PICKER_TREE);
               const HTREEITEM root = TreeView_GetRoot(tree);
               HTREEITEM temp = nullptr, menuvex = nullptr, pick = nullptr, item = nullptr;
               ChildItem(tree, root, L"Temp", &temp);
               ASSERT_NE(temp, nullptr) << "the root lists the device's folders";
               TreeView_Expand(tree, temp, TVE_EXPAND);
               ChildItem(tree, temp, L"menuvex", &menuvex);
               ASSERT_NE(menuvex, nullptr) << "an expanded folder is filled";
               TreeView_Expand(tree, menuvex, TVE_EXPAND);
               ChildItem(tree, menuvex, L"pickbox", &pick);
               ASSERT_NE(pick, nullptr);
               CreateDirectoryW((box + L"\\late").c_str(), nullptr);
               TreeView_Expand(tree, pick, TVE_EXPAND);
               ChildItem(tree, pick, L"shown", &item);
               EXPECT_NE(item, nullptr);
               ChildItem(tree, pick, L"late", &item);
               EXPECT_NE(item, nullptr) << "every expansion reads the folder anew";
               ChildItem(tree, pick, L"hidden", &item);
               EXPECT_NE(item, nullptr) << "only hidden: shown";
               ChildItem(tree, pick, L"secret", &item);
               EXPECT_EQ(item, nullptr) << "hidden and system: not shown";
               ChildItem(tree, pick, L"file.txt", &item);
               EXPECT_EQ(item, nullptr) << "files are not shown";
               ChildItem(tree, pick, L"shown", &item);
               TreeView_SelectItem(tree, item);
               EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PICKER_PATH), box + L"\\shown");
               TreeView_SelectItem(tree, root);
               EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PICKER_PATH), L"\\");
               UpdateWindow(dialog);
               SaveScreen(dialog, L"menuvex-picker-" + ScreenName());
               for (auto shape :
                    {dialogs::ScreenShape::Square, dialogs::ScreenShape::Portrait, dialogs::ScreenShape::Landscape}) {
                 ASSERT_TRUE(dialogs::RelayoutForShape(
                     dialog, Menuvex().module,
                     dialogs::TemplatesById(IDD_PICKER_SQUARE, IDD_PICKER_PORTRAIT, IDD_PICKER_LANDSCAPE), shape));
                 CheckLayout(dialog, shape, 0, "picker");
               }
               // Only a device path is taken: a drive or a network name keeps the picker open.
               for (const wchar_t* bad : {L"C:\\Windows", L"\\\\server\\share", L"relative", L""}) {
                 SetDlgItemTextW(dialog, IDC_PICKER_PATH, bad);
                 SendMessageW(dialog, WM_COMMAND, IDC_PICKER_OK, 0);
                 EXPECT_TRUE(IsWindowVisible(dialog)) << std::wstring(bad).size();
               }
               SendMessageW(dialog, WM_COMMAND, IDC_ZIP_CANCEL, 0);
             });
  EXPECT_TRUE(inspected);
  EXPECT_FALSE(Exists(box + L"\\Mail"));
}

// ---- End to end, through the device's File Explorer ----

TEST_F(ZipCommands, FileExplorerAddsAndExtractsThroughTheMenu) {
  const std::wstring e2e = TestPath(L"e2e");
  CreateDirectoryW(e2e.c_str(), nullptr);
  CreateDirectoryW((e2e + L"\\Notes").c_str(), nullptr);
  WriteFileBytes(e2e + L"\\Notes\\one.txt", "one");
  WriteFileBytes(e2e + L"\\memo.txt", "memo");
  auto invoke = [](const std::wstring& file, std::wstring item) {
    if (item.back() == L'\\') item += L'\\';  // a backslash before the closing quote is doubled
    std::string out;
    const int rc =
        testsupport::RunProgram(L"T:\\fexplore.exe /invoke \"" + file + L"\" \"" + item + L"\"", &out, 60000);
    return std::to_string(rc) + ":" + out;
  };
  EXPECT_NE(invoke(e2e + L"\\memo.txt", L"Add to ZIP File").find("invoked: Add to ZIP File -> 0x00000000"),
            std::string::npos);
  EXPECT_NE(invoke(e2e + L"\\Notes", L"Add to ZIP File").find("-> 0x00000000"), std::string::npos);
  DeleteFileW((e2e + L"\\memo.txt").c_str());
  const std::wstring notes = e2e + L"\\Notes";
  DeleteFileW((notes + L"\\one.txt").c_str());
  RemoveDirectoryW(notes.c_str());

  EXPECT_NE(invoke(e2e + L"\\memo.zip", L"Extract To>Current Directory").find("-> 0x00000000"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(e2e + L"\\memo.txt"), "memo");
  EXPECT_NE(invoke(e2e + L"\\Notes.zip", L"Extract To>Notes\\").find("-> 0x00000000"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(e2e + L"\\Notes\\Notes\\one.txt"), "one");
}

}  // namespace

// ---- Properties ----

namespace {

constexpr UINT kAddToToday = 2, kProperties = 3;

class Properties : public ::testing::Test {
 protected:
  void SetUp() override {
    responder_.SetLeaveUnmatched(true);
    responder_.OnCaption(L"Zek TOOLS", IDOK);
    dir_ = TestPath(L"props");
    CreateDirectoryW(dir_.c_str(), nullptr);
  }
  // Opens the dialog for `path` and hands it to `inspect`, which closes it.
  bool WithProperties(const std::wstring& path, const std::function<void(HWND)>& inspect, HRESULT* hr = nullptr) {
    Command command(path);
    if (!command.built()) return false;
    HRESULT result = E_FAIL;
    const bool shown = WithDialog([&] { result = command.Run(kProperties); }, inspect);
    if (hr) *hr = result;
    return shown;
  }
  static void SetLocalWriteTime(const std::wstring& path, WORD year, WORD month, WORD day, WORD hour, WORD minute,
                                WORD second) {
    SYSTEMTIME local{year, month, 0, day, hour, minute, second, 0};
    FILETIME lft{}, utc{};
    SystemTimeToFileTime(&local, &lft);
    LocalFileTimeToFileTime(&lft, &utc);
    quintar::win32::FileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    SetFileTime(file.get(), &utc, nullptr, &utc);
  }

  DialogResponder responder_;
  std::wstring dir_;
};

TEST_F(Properties, ShowsTheItemThenRenamesItAndSetsItsAttributes) {
  SipWindow sip;
  const std::wstring sub = dir_ + L"\\sub";
  CreateDirectoryW(sub.c_str(), nullptr);
  for (const std::wstring& f : {sub + L"\\report.txt", dir_ + L"\\report.txt", sub + L"\\renamed.txt"}) {
    SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(f.c_str());
  }
  const std::wstring file = sub + L"\\report.txt", twin = dir_ + L"\\report.txt";
  WriteFileBytes(file, "quarterly");
  WriteFileBytes(twin, "root twin");
  SetLocalWriteTime(file, 2006, 12, 5, 15, 7, 9);
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesW(twin.c_str(), FILE_ATTRIBUTE_READONLY));

  HRESULT hr = E_FAIL;
  EXPECT_TRUE(WithProperties(
      file,
      [&](HWND dialog) {
        EXPECT_EQ(testsupport::WindowText(dialog), L"Properties");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PROPS_TITLE), L"Properties");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PROPS_NAME), L"report.txt");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PROPS_LOCATION), sub);
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PROPS_SIZE), L"9 B");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PROPS_UPDATED), L"12/5/2006 3:7:9 PM");
        EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PROPS_CREATED), L"12/5/2006 3:7:9 PM");
        const std::pair<int, const wchar_t*> texts[] = {{IDC_PROPS_TYPE_LABEL, L"Type:"},
                                                        {IDC_PROPS_LOCATION_LABEL, L"Location:"},
                                                        {IDC_PROPS_SIZE_LABEL, L"Size:"},
                                                        {IDC_PROPS_CREATED_LABEL, L"Created:"},
                                                        {IDC_PROPS_UPDATED_LABEL, L"Updated:"},
                                                        {IDC_PROPS_ATTRIBUTES, L"Attributes:"},
                                                        {IDC_PROPS_READONLY, L"Read_Only"},
                                                        {IDC_PROPS_HIDDEN, L"Hidden"},
                                                        {IDC_PROPS_ARCHIVE, L"Archive"},
                                                        {IDC_PROPS_SYSTEM, L"System"},
                                                        {IDC_PROPS_ROM, L"ROM File"}};
        const bool landscape = dialogs::CurrentScreenShape() == dialogs::ScreenShape::Landscape;
        for (const auto& [id, text] : texts) {
          if (id == IDC_PROPS_ATTRIBUTES && landscape) continue;  // not in the landscape template
          EXPECT_EQ(testsupport::DlgItemText(dialog, id), text) << id;
        }
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_PROPS_READONLY), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_PROPS_HIDDEN), BST_UNCHECKED);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROPS_SYSTEM)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROPS_ROM)));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_PROPS_NAME));
        EXPECT_TRUE(dialogs::IsSipShown()) << "the name box has the focus";
        SendDlgItemMessageW(dialog, IDC_PROPS_HIDDEN, BM_CLICK, 0, 0);
        EXPECT_FALSE(dialogs::IsSipShown()) << "a check box puts the panel away";
        SendDlgItemMessageW(dialog, IDC_PROPS_HIDDEN, BM_CLICK, 0, 0);
        UpdateWindow(dialog);
        SaveScreen(dialog, L"menuvex-properties-" + ScreenName());
        for (auto shape :
             {dialogs::ScreenShape::Square, dialogs::ScreenShape::Portrait, dialogs::ScreenShape::Landscape}) {
          ASSERT_TRUE(dialogs::RelayoutForShape(
              dialog, Menuvex().module,
              dialogs::TemplatesById(IDD_PROPS_SQUARE, IDD_PROPS_PORTRAIT, IDD_PROPS_LANDSCAPE), shape));
          CheckLayout(dialog, shape, IDC_PROPS_TITLE, "properties");
        }
        // Read-only off, hidden on, a new name: all on Done.
        SendDlgItemMessageW(dialog, IDC_PROPS_READONLY, BM_CLICK, 0, 0);
        SendDlgItemMessageW(dialog, IDC_PROPS_HIDDEN, BM_CLICK, 0, 0);
        SetDlgItemTextW(dialog, IDC_PROPS_NAME, L"renamed.txt");
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(IsWindowVisible(dialog)) << "Done closes it";
      },
      &hr));
  EXPECT_EQ(hr, S_OK);
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(ReadFileBytes(sub + L"\\renamed.txt"), "quarterly");
  // The host's files always read back with the archive bit; the others are the test's.
  constexpr DWORD kMine = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  EXPECT_EQ(GetFileAttributesW((sub + L"\\renamed.txt").c_str()) & kMine, DWORD{FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(GetFileAttributesW(twin.c_str()) & kMine, DWORD{FILE_ATTRIBUTE_READONLY}) << "the root's twin is untouched";
  EXPECT_TRUE(responder_.MessageBoxes().empty());

  // Read-only as the only attribute, taken off: a normal file.
  ASSERT_TRUE(SetFileAttributesW(twin.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(WithProperties(twin, [&](HWND dialog) {
    SendDlgItemMessageW(dialog, IDC_PROPS_READONLY, BM_CLICK, 0, 0);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  }));
  EXPECT_EQ(GetFileAttributesW(twin.c_str()) & kMine, 0u);
  SetFileAttributesW((sub + L"\\renamed.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Properties, FailuresPutTheNameBackOrSayWhyAndStayOpen) {
  const std::wstring file = dir_ + L"\\keep.txt", other = dir_ + L"\\taken.txt";
  WriteFileBytes(file, "keep");
  WriteFileBytes(other, "taken");
  EXPECT_TRUE(WithProperties(file, [&](HWND dialog) {
    for (const wchar_t* name : {L"taken.txt", L"bad:name.txt", L""}) {
      SetDlgItemTextW(dialog, IDC_PROPS_NAME, name);
      SendMessageW(dialog, WM_COMMAND, IDOK, 0);
      EXPECT_TRUE(IsWindowVisible(dialog)) << "still open after " << std::wstring(name).size();
      EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PROPS_NAME), L"keep.txt") << "the old name is back";
    }
    EXPECT_TRUE(responder_.MessageBoxes().empty()) << "a failed rename says nothing";
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // the same name: nothing to do, closes
    EXPECT_FALSE(IsWindowVisible(dialog));
  }));
  EXPECT_EQ(ReadFileBytes(file), "keep");
  EXPECT_EQ(ReadFileBytes(other), "taken");

  // The item goes away behind the dialog: the attribute box, and the dialog stays.
  EXPECT_TRUE(WithProperties(file, [&](HWND dialog) {
    ASSERT_TRUE(DeleteFileW(file.c_str()));
    SendDlgItemMessageW(dialog, IDC_PROPS_HIDDEN, BM_CLICK, 0, 0);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindowVisible(dialog));
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }));
  ASSERT_EQ(responder_.MessageBoxes().size(), 1u);
  const auto& box = responder_.MessageBoxes()[0];
  EXPECT_EQ(box.caption, L"Zek TOOLS");
  EXPECT_EQ(box.text,
            L"  Can't to set new attributes for                  < keep.txt >        The system can't find the file "
            L"specified.                 Make sure memory is not full or write-protected and the file is not "
            L"currently in use.");
  EXPECT_EQ(box.style & MB_ICONMASK, UINT{MB_ICONEXCLAMATION});
  EXPECT_FALSE(Exists(file));
}

TEST_F(Properties, AFolderIsCountedOnAWorkerThatEndsWithTheDialog) {
  const std::wstring folder = dir_ + L"\\tree";
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\deep").c_str(), nullptr);
  CreateDirectoryW((folder + L"\\empty").c_str(), nullptr);
  WriteFileBytes(folder + L"\\a.bin", std::string(1000, 'a'));
  WriteFileBytes(folder + L"\\deep\\b.bin", std::string(2000, 'b'));
  WriteFileBytes(folder + L"\\deep\\c.bin", std::string(48, 'c'));
  EXPECT_TRUE(WithProperties(folder, [&](HWND dialog) {
    EXPECT_TRUE(testsupport::PumpUntil(
        [&] { return testsupport::DlgItemText(dialog, IDC_PROPS_SIZE) == L"2.98 KB (3,048 B)"; }, 5000))
        << testsupport::DlgItemText(dialog, IDC_PROPS_SIZE);
    EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_PROPS_LOCATION), dir_);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }));

  // Closed at once over a large tree: the walk stops with the dialog and keeps nothing loaded.
  const std::wstring many = dir_ + L"\\many";
  CreateDirectoryW(many.c_str(), nullptr);
  for (int d = 0; d < 10; ++d) {
    const std::wstring sub = many + L"\\d" + std::to_wstring(d);
    CreateDirectoryW(sub.c_str(), nullptr);
    for (int f = 0; f < 30; ++f) WriteFileBytes(sub + L"\\f" + std::to_wstring(f), "x");
  }
  EXPECT_TRUE(WithProperties(many, [&](HWND dialog) {
    EXPECT_EQ(Menuvex().canUnloadNow(), S_FALSE) << "the dialog and its walk keep the DLL";
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }));
  EXPECT_EQ(Menuvex().canUnloadNow(), S_OK) << "no walk is left running";
}

TEST_F(Properties, AddToTodayWithoutTheTodayScreenDoesNothing) {
  WriteFileBytes(dir_ + L"\\today.txt", "t");
  Command command(dir_ + L"\\today.txt");
  ASSERT_TRUE(command.built());
  EXPECT_EQ(command.Run(kAddToToday), S_OK);
  EXPECT_TRUE(responder_.Dialogs().empty());
  EXPECT_TRUE(responder_.MessageBoxes().empty());
}

}  // namespace
