#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "filemanager/core/startup.h"

namespace quintar::folderon::core {
namespace {

TEST(CommandLine, FolderSwitchQuotesAndPlainLines) {
  EXPECT_EQ(ParseCommandLine(u"/FOLDER:\\My Documents"), u"\\My Documents");
  EXPECT_EQ(ParseCommandLine(u"/FOLDER:\"\\My Documents\""), u"\\My Documents");
  EXPECT_EQ(ParseCommandLine(u"\"\\Program Files\\Zek\" \\ignored"), u"\\Program Files\\Zek");
  EXPECT_EQ(ParseCommandLine(u"\"\\Temp"), u"\\Temp");  // no closing quote: the rest
  EXPECT_EQ(ParseCommandLine(u"\\Storage Card\\Photos"), u"\\Storage Card\\Photos");
  EXPECT_EQ(ParseCommandLine(u"  \\Temp  "), u"\\Temp");
  // The switch is case-sensitive: another spelling is a whole-line folder.
  EXPECT_EQ(ParseCommandLine(u"/folder:\\Temp"), u"/folder:\\Temp");
}

TEST(CommandLine, RootTrailingBackslashesAndRefusals) {
  EXPECT_EQ(ParseCommandLine(u"\\"), u"");  // the root
  EXPECT_EQ(ParseCommandLine(u"/FOLDER:\\"), u"");
  EXPECT_EQ(ParseCommandLine(u"\\Temp\\\\"), u"\\Temp");
  EXPECT_EQ(ParseCommandLine(u""), std::nullopt);
  EXPECT_EQ(ParseCommandLine(u"   "), std::nullopt);
  EXPECT_EQ(ParseCommandLine(u"/FOLDER:"), std::nullopt);
  EXPECT_EQ(ParseCommandLine(u"\"\""), std::nullopt);
  EXPECT_EQ(ParseCommandLine(std::u16string(u"\\a\0b", 4)), std::nullopt);
  const std::u16string longest = u"\\" + std::u16string(258, u'x');
  EXPECT_EQ(ParseCommandLine(longest), longest);
  EXPECT_EQ(ParseCommandLine(longest + u"y"), std::nullopt);
  EXPECT_EQ(ParseCommandLine(u"/FOLDER:" + longest + u"\\"), longest);
}

// The receiver gets exactly `bytes` bytes: an exact-size heap copy lets the sanitizer catch any
// read past the end.
std::optional<std::u16string> Receive(std::uint64_t tag, const void* src, std::size_t bytes, std::size_t shift = 0) {
  auto buf = std::make_unique<unsigned char[]>(bytes + shift);
  if (bytes) std::memcpy(buf.get() + shift, src, bytes);
  return ReadOpenFolderRequest(tag, bytes ? buf.get() + shift : nullptr, bytes);
}

TEST(CopyData, SenderAndReceiverAgree) {
  const std::u16string payload = OpenFolderPayload(u"\\My Documents");
  const std::size_t bytes = payload.size() * 2;
  EXPECT_EQ(bytes, (13u + 1u) * 2u);
  EXPECT_EQ(Receive(kCopyDataOpenFolder, payload.data(), bytes), u"\\My Documents");
  EXPECT_EQ(Receive(kCopyDataOpenFolder, payload.data(), bytes, 1), u"\\My Documents");  // unaligned
  const std::u16string root = OpenFolderPayload(u"");
  EXPECT_EQ(Receive(kCopyDataOpenFolder, root.data(), 2), u"");
}

TEST(CopyData, RefusesWrongTagLengthOrMissingTerminator) {
  const std::u16string payload = OpenFolderPayload(u"\\Temp");
  const std::size_t bytes = payload.size() * 2;
  EXPECT_EQ(Receive(564, payload.data(), bytes), std::nullopt);
  EXPECT_EQ(Receive(0, payload.data(), bytes), std::nullopt);
  EXPECT_EQ(Receive(kCopyDataOpenFolder + (1ull << 32), payload.data(), bytes), std::nullopt);
  EXPECT_EQ(ReadOpenFolderRequest(kCopyDataOpenFolder, nullptr, bytes), std::nullopt);
  EXPECT_EQ(ReadOpenFolderRequest(kCopyDataOpenFolder, payload.data(), 0), std::nullopt);
  EXPECT_EQ(Receive(kCopyDataOpenFolder, payload.data(), bytes - 1), std::nullopt);  // odd
  EXPECT_EQ(Receive(kCopyDataOpenFolder, payload.data(), bytes - 2), std::nullopt);  // no zero
}

TEST(CopyData, LengthLimitIsFiveHundredTwentyBytes) {
  std::u16string full(259, u'a');
  full[0] = u'\\';
  full.push_back(u'\0');
  ASSERT_EQ(full.size() * 2, 520u);
  EXPECT_EQ(Receive(kCopyDataOpenFolder, full.data(), 520), full.substr(0, 259));
  std::u16string over = full;
  over.back() = u'b';
  over.push_back(u'\0');
  EXPECT_EQ(Receive(kCopyDataOpenFolder, over.data(), 522), std::nullopt);
  std::u16string noZero(260, u'c');
  EXPECT_EQ(Receive(kCopyDataOpenFolder, noZero.data(), 520), std::nullopt);
}

TEST(CopyData, TextEndsAtTheFirstZero) {
  const char16_t data[] = {u'\\', u'A', u'\0', u'B', u'\0'};
  EXPECT_EQ(Receive(kCopyDataOpenFolder, data, sizeof data), u"\\A");
}

}  // namespace
}  // namespace quintar::folderon::core
