// The file functions on the device's file system: exact bytes, round trips, and that nothing is
// ever overwritten or left half-written.
#include "enfcrypt/enfile.h"

#include <windows.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "enfcrypt/bitslice.h"
#include "enfcrypt/enfcrypt.h"
#include "enfcrypt/tests/reference_des.h"
#include "win32/handle.h"

namespace quintar::enfcrypt {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Write(const std::wstring& path, const Bytes& data) {
  const win32::FileHandle h(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return false;
  DWORD written = 0;
  return data.empty() || (WriteFile(h.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                          written == data.size());
}

Bytes Read(const std::wstring& path) {
  const win32::FileHandle h(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h) return {};
  LARGE_INTEGER size{};
  GetFileSizeEx(h.get(), &size);
  Bytes data(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  if (!data.empty()) ReadFile(h.get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
  data.resize(got);
  return data;
}

Bytes Random(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

// What the encrypted file must hold, built with the literal reference cipher.
Bytes ExpectedEncrypted(const Bytes& source, std::string_view password) {
  const std::size_t whole = source.size() / 8 * 8;
  Bytes out(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(whole));
  const auto key = DataKey(password);
  reference::Ecb(out.data(), out.size(), key.data(), key.size(), true);
  const std::string tail(source.begin() + static_cast<std::ptrdiff_t>(whole), source.end());
  auto trailer = *BuildPlainTrailer(password, tail);
  const auto trailerKey = TrailerKey();
  reference::Ecb(trailer.data(), trailer.size(), trailerKey.data(), trailerKey.size(), true);
  out.insert(out.end(), trailer.begin(), trailer.end());
  return out;
}

class EnfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = L"\\enftest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter_);
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }
  void TearDown() override {
    WIN32_FIND_DATAW fd;
    if (const win32::FindHandle find(FindFirstFileW((folder_ + L"\\*").c_str(), &fd)); find) {
      do {
        const std::wstring p = folder_ + L"\\" + fd.cFileName;
        SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(p.c_str());
      } while (FindNextFileW(find.get(), &fd));
    }
    RemoveDirectoryW(folder_.c_str());
  }
  std::wstring Path(const std::wstring& name) const { return folder_ + L"\\" + name; }

  std::wstring folder_;
  static inline int counter_ = 0;
};

TEST_F(EnfileTest, RoundTripsEverySizeUpToSeventeenBytesWithTheFormatsExactBytes) {
  for (std::size_t size = 0; size <= 17; ++size) {
    SCOPED_TRACE(size);
    const std::wstring source = Path(L"report" + std::to_wstring(size) + L".txt");
    const Bytes data = Random(size, static_cast<unsigned>(size));
    ASSERT_TRUE(Write(source, data));
    ASSERT_EQ(EncryptFile(source, "s3cret"), FileResult::Ok);
    const Bytes encrypted = Read(source + L".enf");
    EXPECT_EQ(encrypted.size(), EncryptedSize(size));
    EXPECT_EQ(encrypted, ExpectedEncrypted(data, "s3cret"));
    EXPECT_EQ(Read(source), data) << "the source is left as it was";

    ASSERT_TRUE(DeleteFileW(source.c_str()));
    ASSERT_EQ(DecryptFile(source + L".enf", "s3cret"), FileResult::Ok);
    EXPECT_TRUE(Exists(source));
    EXPECT_EQ(Read(source), data);
    EXPECT_TRUE(Exists(source + L".enf")) << "deleting the encrypted file is the caller's choice";
  }
}

TEST_F(EnfileTest, LargerFilesThroughSeveralChunks) {
  // Exactly as many whole chunks as the ring has buffers, and more chunks than it has, with a
  // partial one and a tail after them: the buffers go round while both threads encipher.
  for (std::size_t size : {std::size_t{2} << 20, (std::size_t{1224} << 10) + 3, (std::size_t{2833} << 10) + 5}) {
    const std::wstring source = Path(L"big" + std::to_wstring(size) + L".bin");
    const Bytes data = Random(size, 42);
    ASSERT_TRUE(Write(source, data));
    ASSERT_EQ(EncryptFile(source, "a much longer password of 32 b.."), FileResult::Ok);
    EXPECT_EQ(Read(source + L".enf"), ExpectedEncrypted(data, "a much longer password of 32 b.."));
    ASSERT_TRUE(DeleteFileW(source.c_str()));
    ASSERT_EQ(DecryptFile(source + L".enf", "a much longer password of 32 b.."), FileResult::Ok);
    EXPECT_TRUE(Read(source) == data);
  }
}

// The same file through each kernel the processor can run, both threads enciphering.
TEST_F(EnfileTest, EveryKernelWritesTheSameBytes) {
  const std::size_t size = (std::size_t{700} << 10) + 6;
  const Bytes data = Random(size, 7);
  const Bytes expected = ExpectedEncrypted(data, "kernels");
  for (const bitslice::Kernel& kernel : bitslice::Kernels()) {
    SCOPED_TRACE(kernel.name);
    ASSERT_TRUE(bitslice::Use(kernel.name));
    const std::wstring source = Path(L"k.bin");
    ASSERT_TRUE(Write(source, data));
    ASSERT_EQ(EncryptFile(source, "kernels"), FileResult::Ok);
    EXPECT_TRUE(Read(source + L".enf") == expected);
    ASSERT_TRUE(DeleteFileW(source.c_str()));
    ASSERT_EQ(DecryptFile(source + L".enf", "kernels"), FileResult::Ok);
    EXPECT_TRUE(Read(source) == data);
    ASSERT_TRUE(DeleteFileW(source.c_str()));
    ASSERT_TRUE(DeleteFileW((source + L".enf").c_str()));
  }
  bitslice::Use(bitslice::Kernels().front().name);
}

TEST_F(EnfileTest, PasswordsAreCheckedExactly) {
  const std::wstring source = Path(L"secret.doc");
  const Bytes data = Random(21, 3);
  ASSERT_TRUE(Write(source, data));
  ASSERT_EQ(EncryptFile(source, "door-one"), FileResult::Ok);
  ASSERT_TRUE(DeleteFileW(source.c_str()));
  for (std::string_view wrong :
       {"door-one2", "door-on", "doorway", "", "DOOR-ONE", "door-one and far more than thirty-two bytes"}) {
    EXPECT_EQ(DecryptFile(source + L".enf", wrong), FileResult::WrongPassword) << wrong;
    EXPECT_FALSE(Exists(source)) << "nothing is written for a refused password";
  }
  // Low-byte reduction: a password typed with other characters of the same low byte is accepted.
  EXPECT_EQ(DecryptFile(source + L".enf", PasswordBytes(u"\u0164\u016F\u016F\u0172-\u016F\u016E\u0165")),
            FileResult::Ok);
  EXPECT_EQ(Read(source), data);
}

TEST_F(EnfileTest, PasswordsLongerThanTheTrailerAreRefusedBeforeAnythingIsWritten) {
  const std::wstring source = Path(L"a.txt");
  ASSERT_TRUE(Write(source, Random(40, 1)));
  EXPECT_EQ(EncryptFile(source, std::string(33, 'x')), FileResult::PasswordTooLong);
  EXPECT_FALSE(Exists(source + L".enf"));
  EXPECT_EQ(EncryptFile(source, std::string(32, 'x')), FileResult::Ok);
  ASSERT_TRUE(DeleteFileW(source.c_str()));
  EXPECT_EQ(DecryptFile(source + L".enf", std::string(32, 'x')), FileResult::Ok);
}

TEST_F(EnfileTest, AnExistingOutputIsNeverOverwrittenAndNothingIsDeleted) {
  const std::wstring source = Path(L"keep.txt");
  const Bytes data = Random(30, 5), other = Random(12, 6);
  ASSERT_TRUE(Write(source, data));
  ASSERT_TRUE(Write(source + L".enf", other));
  EXPECT_EQ(EncryptFile(source, "pw"), FileResult::OutputExists);
  EXPECT_EQ(Read(source + L".enf"), other);
  EXPECT_EQ(Read(source), data);

  ASSERT_TRUE(DeleteFileW((source + L".enf").c_str()));
  ASSERT_EQ(EncryptFile(source, "pw"), FileResult::Ok);
  const Bytes encrypted = Read(source + L".enf");
  ASSERT_TRUE(Write(source, other));  // the decrypted name is taken by another file
  EXPECT_EQ(DecryptFile(source + L".enf", "pw"), FileResult::OutputExists);
  EXPECT_EQ(Read(source), other);
  EXPECT_EQ(Read(source + L".enf"), encrypted);

  // A folder in the way counts as an existing output too, never as success.
  const std::wstring folderSource = Path(L"dir.txt");
  ASSERT_TRUE(Write(folderSource, data));
  ASSERT_TRUE(CreateDirectoryW((folderSource + L".enf").c_str(), nullptr));
  EXPECT_NE(EncryptFile(folderSource, "pw"), FileResult::Ok);
  RemoveDirectoryW((folderSource + L".enf").c_str());
  EXPECT_EQ(FileResultText(FileResult::OutputExists),
            std::wstring(L"A file with the output name already exists. It was not overwritten."));
}

TEST_F(EnfileTest, UnreadableShortAndOddSizedEncryptedFilesAreRefusedLikeAWrongPassword) {
  EXPECT_EQ(DecryptFile(Path(L"missing.txt.enf"), "pw"), FileResult::WrongPassword);
  EXPECT_EQ(DecryptFile(L"", "pw"), FileResult::WrongPassword);
  EXPECT_EQ(DecryptFile(L"\"" + Path(L"quoted.enf") + L"\"", "pw"), FileResult::WrongPassword);
  for (std::size_t size : {0u, 7u, 79u, 81u, 87u, 95u}) {
    const std::wstring name = Path(L"odd" + std::to_wstring(size) + L".enf");
    ASSERT_TRUE(Write(name, Random(size, static_cast<unsigned>(size))));
    EXPECT_EQ(DecryptFile(name, "pw"), FileResult::WrongPassword) << size;
    EXPECT_FALSE(Exists(name.substr(0, name.size() - 4)));
  }
  // Whole-block garbage: the trailer deciphers to nonsense and is refused.
  for (unsigned seed = 0; seed < 20; ++seed) {
    const std::wstring name = Path(L"junk.enf");
    ASSERT_TRUE(Write(name, Random(88, seed)));
    EXPECT_EQ(DecryptFile(name, "pw"), FileResult::WrongPassword);
    EXPECT_FALSE(Exists(Path(L"junk")));
  }
  // A file held open without sharing cannot be read.
  const std::wstring locked = Path(L"locked.txt");
  ASSERT_TRUE(Write(locked, Random(16, 9)));
  win32::FileHandle h(CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(h);
  EXPECT_EQ(EncryptFile(locked, "pw"), FileResult::SourceUnreadable);
  EXPECT_FALSE(Exists(locked + L".enf"));
  h.reset();
  EXPECT_EQ(EncryptFile(Path(L"absent.txt"), "pw"), FileResult::SourceUnreadable);
  EXPECT_FALSE(Exists(Path(L"absent.txt.enf")));
}

// A read that fails midway is reported, and the partial output, which the call made itself, is
// removed. The source is cut short by another handle while it is being encrypted (the open
// shares writing); if the encryption wins the race, the attempt is repeated.
TEST_F(EnfileTest, ASourceCutShortMidwayReportsFailureAndRemovesThePartialOutput) {
  const std::wstring source = Path(L"midway.bin");
  bool sawFailure = false;
  for (int attempt = 0; attempt < 4 && !sawFailure; ++attempt) {
    DeleteFileW((source + L".enf").c_str());
    ASSERT_TRUE(Write(source, Random(std::size_t{24} << 20, 21)));
    win32::FileHandle cutter(CreateFileW(source.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(cutter);
    const HANDLE h = cutter.get();
    FileResult result = FileResult::Ok;
    std::atomic<bool> done{false};
    std::thread worker([&] {
      result = EncryptFile(source, "pw");
      done = true;
    });
    while (!done && !Exists(source + L".enf")) Sleep(0);
    LARGE_INTEGER cut;
    cut.QuadPart = 1 << 20;
    SetFilePointerEx(h, cut, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    worker.join();
    cutter.reset();
    if (result == FileResult::Ok) continue;  // it was done before the cut
    sawFailure = true;
    EXPECT_EQ(result, FileResult::SourceUnreadable);
    EXPECT_FALSE(Exists(source + L".enf")) << "the partial output is removed";
  }
  EXPECT_TRUE(sawFailure) << "the encryption always finished before the source was cut";
}

TEST_F(EnfileTest, NamesWithoutTheDotAndReadOnlySources) {
  // "reportenf" decrypts to its name minus four characters.
  const std::wstring source = Path(L"repo");
  const Bytes data = Random(9, 11);
  ASSERT_TRUE(Write(source, data));
  ASSERT_EQ(EncryptFile(source, "pw"), FileResult::Ok);
  ASSERT_TRUE(MoveFileW((source + L".enf").c_str(), Path(L"reportenf").c_str()));
  ASSERT_TRUE(DeleteFileW(source.c_str()));
  EXPECT_EQ(DecryptFile(Path(L"reportenf"), "pw"), FileResult::Ok);
  EXPECT_EQ(Read(Path(L"repor")), data);

  const std::wstring readOnly = Path(L"ro.txt");
  ASSERT_TRUE(Write(readOnly, data));
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(EncryptFile(readOnly, "pw"), FileResult::Ok);
}

TEST_F(EnfileTest, LongNamesRoundTripOrFailCleanly) {
  // The longest component the host takes leaves room for ".enf" or not.
  const std::wstring fits = Path(std::wstring(240, L'n') + L".txt");
  const Bytes data = Random(100, 12);
  ASSERT_TRUE(Write(fits, data));
  ASSERT_EQ(EncryptFile(fits, "pw"), FileResult::Ok);
  ASSERT_TRUE(DeleteFileW(fits.c_str()));
  ASSERT_EQ(DecryptFile(fits + L".enf", "pw"), FileResult::Ok);
  EXPECT_EQ(Read(fits), data);

  const std::wstring tooLong = Path(std::wstring(250, L'm') + L".txt");  // 254 characters
  ASSERT_TRUE(Write(tooLong, data));
  EXPECT_EQ(EncryptFile(tooLong, "pw"), FileResult::OutputUncreatable);
  EXPECT_EQ(Read(tooLong), data);
  EXPECT_FALSE(Exists(tooLong + L".enf"));
}

}  // namespace
}  // namespace quintar::enfcrypt
