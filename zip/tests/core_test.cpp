// The ZIP engine's rules, and archives written and read back in memory.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "zip/core/archive.h"
#include "zip/core/command.h"
#include "zip/core/entry.h"

using namespace quintar::zip::core;

namespace {

std::string Narrow(const std::u16string& text) { return ToUtf8(text); }

TEST(ZipNames, NothingEscapesTheTargetFolder) {
  struct Case {
    const char16_t* entry;
    const char16_t* path;  // nullptr: skipped
  } cases[] = {
      {u"../../evil.txt", u"evil.txt"},
      {u"..\\..\\evil.txt", u"evil.txt"},
      {u"/etc/passwd", u"etc\\passwd"},
      {u"\\\\server\\share\\x", u"server\\share\\x"},
      {u"C:\\Windows\\x.dll", u"Windows\\x.dll"},
      {u"a/C:/b", u"a\\b"},
      {u"d:evil", u"evil"},
      {u"a/./b/../c", u"a\\b\\c"},
      {u".../x", u"x"},
      {u"dir/", u"dir"},
      {u"trailing. ./name. ", u"trailing\\name"},
      {u"a<b>c:d\"e|f?g*h\x01.txt", u"a_b_c_d_e_f_g_h_.txt"},
      {u"CON", u"_CON"},
      {u"sub/nul.txt", u"sub\\_nul.txt"},
      {u"com1.log", u"_com1.log"},
      {u"LPT9", u"_LPT9"},
      {u"COM0", u"COM0"},
      {u"console", u"console"},
      {u"", nullptr},
      {u"..", nullptr},
      {u"/./../", nullptr},
      {u"C:", nullptr},
  };
  for (const Case& c : cases) {
    const auto path = SafeRelativePath(c.entry);
    if (c.path == nullptr) {
      EXPECT_FALSE(path) << Narrow(c.entry);
    } else {
      ASSERT_TRUE(path) << Narrow(c.entry);
      EXPECT_EQ(*path, c.path) << Narrow(c.entry);
    }
  }
  EXPECT_TRUE(SafeRelativePath(std::u16string(259, u'n')));
  EXPECT_FALSE(SafeRelativePath(std::u16string(260, u'n'))) << "too long for the device";
  EXPECT_FALSE(SafeRelativePath(std::u16string(200, u'a') + u"/" + std::u16string(60, u'b')));
}

TEST(ZipNames, EntryNamesAndStoredKinds) {
  EXPECT_EQ(EntryName(u"Photos\\2006\\b.jpg", false), u"Photos/2006/b.jpg");
  EXPECT_EQ(EntryName(u"Photos\\2006", true), u"Photos/2006/");
  EXPECT_EQ(EntryName(u"Photos/", true), u"Photos/");
  for (const char16_t* name : {u"photo.ZIP", u"data.gz", u"a.tar.Z", u"x.tgz", u"y.LZH", u"z.arj", u"o.zoo", u"p.Arc", u"a.z"})
    EXPECT_TRUE(IsStoredByName(name)) << Narrow(name);
  for (const char16_t* name : {u"report.doc", u"gz", u"zip", u"notes.gzip", u"x.zipx"})
    EXPECT_FALSE(IsStoredByName(name)) << Narrow(name);
}

TEST(ZipNames, WrittenNamesFlagUtf8AndCarryTheUnicodePath) {
  const EncodedName ascii = EncodeName(u"Photos/a.jpg");
  EXPECT_EQ(ascii.bytes, "Photos/a.jpg");
  EXPECT_FALSE(ascii.utf8);
  EXPECT_TRUE(ascii.extraField.empty());

  const EncodedName wide = EncodeName(u"Fotos/\u00fcber \u65e5\u672c.txt");
  EXPECT_EQ(wide.bytes, "Fotos/\xc3\xbc" "ber \xe6\x97\xa5\xe6\x9c\xac.txt");
  EXPECT_TRUE(wide.utf8);
  ASSERT_EQ(wide.extraField.size(), 9 + wide.bytes.size());
  EXPECT_EQ(wide.extraField.substr(0, 2), "\x75\x70");
  EXPECT_EQ(static_cast<unsigned char>(wide.extraField[2]), 5 + wide.bytes.size());
  EXPECT_EQ(wide.extraField[4], 1);
  EXPECT_EQ(wide.extraField.substr(9), wide.bytes);
  // Read back the way any reader would: with the flag, or through the field alone.
  EXPECT_EQ(DecodeName(wide.bytes, kFlagUtf8, 20, ""), u"Fotos/\u00fcber \u65e5\u672c.txt");
  EXPECT_EQ(DecodeName(wide.bytes, 0, 20, wide.extraField), u"Fotos/\u00fcber \u65e5\u672c.txt");
}

TEST(ZipNames, ReadNamesByFlagFieldHostThenCodePage437) {
  const std::string utf8 = "\xc3\xa9t\xc3\xa9";  // "été"
  EXPECT_EQ(DecodeName(utf8, kFlagUtf8, 0, ""), u"\u00e9t\u00e9");
  EXPECT_EQ(DecodeName(utf8, 0, kHostUnix << 8 | 30, ""), u"\u00e9t\u00e9") << "valid UTF-8 from Unix";
  EXPECT_EQ(DecodeName(utf8, 0, 20, ""), u"\u251c\u2310t\u251c\u2310") << "a DOS archive is code page 437";
  EXPECT_EQ(DecodeName("\x82t\x82", 0, kHostUnix << 8, ""), u"\u00e9t\u00e9") << "not UTF-8: code page 437";
  EXPECT_EQ(DecodeName("\xff\xfe", kFlagUtf8, 0, ""), u"\u00a0\u25a0") << "a false flag does not garble";
  EXPECT_EQ(DecodeName("\xc0\xaf", kFlagUtf8, 0, ""), u"\u2514\u00bb") << "overlong forms are not UTF-8";
  EXPECT_EQ(DecodeName("\xed\xa0\x80", kFlagUtf8, 0, "").size(), 3u) << "nor are surrogates";

  // A Unicode path field for another name (the name was changed since) is not used.
  const EncodedName other = EncodeName(u"\u00e9t\u00e9");
  EXPECT_EQ(DecodeName("ete", 0, 20, other.extraField), u"ete");
  // Fields are walked, and a truncated one ends the walk safely.
  const EncodedName mine = EncodeName(u"caf\u00e9");
  std::string fields = std::string("\x0a\x00\x04\x00\x01\x02\x03\x04", 8) + mine.extraField;
  EXPECT_EQ(DecodeName("cafe", 0, 20, "\x75\x70\xff\x00\x01"), u"cafe");
  EXPECT_EQ(DecodeName(mine.bytes, 0, 20, fields), u"caf\u00e9");
}

TEST(ZipNames, Utf8RoundTripsEveryPlane) {
  const std::u16string text = u"a\u00e9\u20ac\U0001F600z";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"\xd800x"), "\xef\xbf\xbdx") << "a lone surrogate";
  EXPECT_FALSE(FromUtf8("\xf4\x90\x80\x80")) << "past U+10FFFF";
  EXPECT_FALSE(FromUtf8("\xe2\x82")) << "cut short";
}

TEST(ZipTimes, ClampedToTheDosRangeAndNeverDayZero) {
  EXPECT_EQ(DosDateTime({2006, 7, 15, 13, 45, 31}), (26u << 9 | 7 << 5 | 15) << 16 | (13u << 11 | 45 << 5 | 15));
  EXPECT_EQ(DosDateTime({1979, 12, 31, 23, 59, 59}), (1u << 5 | 1) << 16) << "1980-01-01 00:00:00";
  EXPECT_EQ(DosDateTime({1601, 1, 1, 0, 0, 0}), (1u << 5 | 1) << 16);
  EXPECT_EQ(DosDateTime({2108, 1, 1, 0, 0, 0}), (127u << 9 | 12 << 5 | 31) << 16 | (23u << 11 | 59 << 5 | 29));
  const auto back = FromDosDateTime(DosDateTime({2024, 2, 29, 8, 0, 58}));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->year, 2024);
  EXPECT_EQ(back->month, 2);
  EXPECT_EQ(back->day, 29);
  EXPECT_EQ(back->second, 58);
  EXPECT_FALSE(FromDosDateTime(0)) << "day 0 is no date";
  EXPECT_FALSE(FromDosDateTime((43u << 9 | 2 << 5 | 29) << 16)) << "2023 has no 29 February";
  EXPECT_FALSE(FromDosDateTime((1u << 5 | 1) << 16 | 24u << 11));
}

TEST(ZipAttributes, OnlyTheKeptBitsTravel) {
  EXPECT_EQ(ExternalAttributes(0x01 | 0x02 | 0x04 | 0x20 | 0x80 | 0x100 | 0x800), 0x27u);
  EXPECT_EQ(ExternalAttributes(0x10 | 0x100), 0x10u);
  EXPECT_EQ(RestoredAttributes(0x81A40021, 20), 0x21u) << "a DOS archive: the low byte";
  EXPECT_EQ(RestoredAttributes(0100444u << 16, kHostUnix << 8), kReadOnly) << "no owner write";
  EXPECT_EQ(RestoredAttributes(0040755u << 16, kHostUnix << 8), kDirectory);
  EXPECT_EQ(RestoredAttributes(0100644u << 16, kHostUnix << 8), 0u);
  EXPECT_EQ(RestoredAttributes(0xFFFFFFC0, 20), 0u);
}

TEST(ZipProgress, PercentNeverDividesByZeroOrOverflows) {
  EXPECT_EQ(Percent(0, 0), 0u);
  EXPECT_EQ(Percent(5, 0), 0u);
  EXPECT_EQ(Percent(1, 3), 33u);
  EXPECT_EQ(Percent(3, 3), 100u);
  EXPECT_EQ(Percent(9, 3), 100u);
  EXPECT_EQ(Percent(UINT64_MAX / 2, UINT64_MAX), 50u);
  EXPECT_EQ(Percent(6ull << 30, 8ull << 30), 75u);
}

// ---- Archives in memory ----------------------------------------------------------------------

Source FromString(const std::string& bytes) {
  auto at = std::make_shared<std::size_t>(0);
  return [bytes, at](void* buffer, std::size_t size) -> std::int64_t {
    const std::size_t n = std::min(size, bytes.size() - *at);
    std::memcpy(buffer, bytes.data() + *at, n);
    *at += n;
    return static_cast<std::int64_t>(n);
  };
}

struct Read {
  EntryInfo info;
  Outcome outcome;
  std::string bytes;
};

std::vector<Read> ReadAll(const std::string& archive, const std::atomic<bool>* stop = nullptr) {
  MemoryStream stream(archive);
  Reader reader;
  std::vector<Read> all;
  if (!reader.Open(stream)) return all;
  for (bool more = reader.First(); more; more = reader.Next()) {
    Read r;
    reader.Current(r.info);
    r.outcome = reader.ReadCurrent(
        [&](const void* b, std::size_t n) {
          r.bytes.append(static_cast<const char*>(b), n);
          return true;
        },
        stop);
    all.push_back(std::move(r));
  }
  return all;
}

std::string Text(std::size_t size) {
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) text += "line " + std::to_string(i * 7919 % 1000) + " of text\n";
  text.resize(size);
  return text;
}

const std::uint32_t kWhen = DosDateTime({2006, 7, 15, 13, 45, 30});

std::string SampleArchive() {
  MemoryStream out;
  Writer writer;
  EXPECT_TRUE(writer.Create(out));
  EXPECT_TRUE(writer.AddFolder({u"Photos/", kWhen, kDirectory | kHidden}));
  const std::string text = Text(300000);
  EXPECT_EQ(writer.AddFile({u"Photos/notes.txt", kWhen, kReadOnly | kArchive}, false, text.size(), FromString(text),
                           nullptr),
            Outcome::Done);
  EXPECT_EQ(writer.AddFile({u"Photos/\u00fcber.zip", kWhen, 0}, true, 5, FromString("PK\x03\x04!"), nullptr),
            Outcome::Done);
  EXPECT_EQ(writer.AddFile({u"Photos/empty", kWhen, 0}, false, 0, FromString(""), nullptr), Outcome::Done);
  PackedEntry packed;
  packed.meta = {u"Photos/packed.txt", kWhen, kArchive};
  EXPECT_EQ(Pack(FromString(text), false, packed, nullptr), Outcome::Done);
  EXPECT_LT(packed.data.size(), text.size() / 4);
  EXPECT_TRUE(writer.AddPacked(packed));
  EXPECT_TRUE(writer.Close());
  return out.bytes();
}

TEST(ZipArchive, WrittenEntriesReadBackWithNamesTimesAttributesAndBytes) {
  const std::string archive = SampleArchive();
  const auto all = ReadAll(archive);
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[0].info.name, u"Photos/");
  EXPECT_TRUE(all[0].info.folder);
  EXPECT_EQ(all[0].info.attributes, kDirectory | kHidden);
  EXPECT_EQ(all[1].info.name, u"Photos/notes.txt");
  EXPECT_EQ(all[1].info.method, 8);
  EXPECT_EQ(all[1].info.attributes, kReadOnly | kArchive);
  EXPECT_EQ(all[1].info.dosTime, kWhen);
  EXPECT_EQ(all[1].bytes, Text(300000));
  EXPECT_EQ(all[2].info.name, u"Photos/\u00fcber.zip");
  EXPECT_EQ(all[2].info.method, 0) << "already compressed: stored";
  EXPECT_EQ(all[2].bytes, std::string("PK\x03\x04!"));
  EXPECT_EQ(all[3].bytes, "");
  EXPECT_FALSE(all[3].info.folder);
  EXPECT_EQ(all[4].bytes, Text(300000));
  for (const Read& r : all) EXPECT_EQ(r.outcome, Outcome::Done) << Narrow(r.info.name);
  EXPECT_EQ(*all[2].info.safePath, u"Photos\\\u00fcber.zip");
}

// Pieces deflated apart, each primed with what precedes it, are one stream for every reader, and
// barely larger than the entry deflated whole.
TEST(ZipArchive, PiecesDeflatedApartMakeOneEntry) {
  const std::string text = Text(2500000);
  constexpr std::size_t kPiece = 1 << 20;
  MemoryStream out;
  Writer writer;
  ASSERT_TRUE(writer.Create(out));
  ASSERT_TRUE(writer.Begin({u"big.txt", kWhen, 0}, false, text.size()));
  PieceDeflater deflater;  // one for every piece: reset between them
  std::uint32_t crc = 0;
  std::size_t packedBytes = 0;
  for (std::size_t at = 0; at < text.size(); at += kPiece) {
    const std::string_view bytes = std::string_view(text).substr(at, kPiece);
    std::string piece;
    ASSERT_EQ(deflater.Deflate(std::string_view(text).substr(0, at), bytes, at + kPiece >= text.size(), piece, nullptr),
              Outcome::Done);
    crc = at == 0 ? Crc32(0, bytes) : Crc32Combine(crc, Crc32(0, bytes), static_cast<std::uint32_t>(bytes.size()));
    packedBytes += piece.size();
    ASSERT_TRUE(writer.Append(piece.data(), piece.size()));
  }
  EXPECT_EQ(crc, Crc32(0, text));
  ASSERT_TRUE(writer.End(text.size(), crc));
  std::string empty;
  ASSERT_TRUE(writer.Begin({u"empty.txt", kWhen, 0}, false, 0));
  ASSERT_EQ(deflater.Deflate({}, {}, true, empty, nullptr), Outcome::Done);
  ASSERT_TRUE(writer.Append(empty.data(), empty.size()) && writer.End(0, Crc32(0, {})));
  ASSERT_TRUE(writer.Close());

  const auto all = ReadAll(out.bytes());
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].outcome, Outcome::Done);
  EXPECT_TRUE(all[0].bytes == text) << "the pieces inflate to the entry";
  EXPECT_EQ(all[1].outcome, Outcome::Done);
  EXPECT_EQ(all[1].bytes, "");
  PackedEntry whole;
  ASSERT_EQ(Pack(FromString(text), false, whole, nullptr), Outcome::Done);
  EXPECT_LE(packedBytes, whole.data.size() + whole.data.size() / 1000 + 64);

  std::atomic<bool> stop{true};
  std::string stopped;
  EXPECT_EQ(deflater.Deflate({}, text, true, stopped, &stop), Outcome::Stopped);
}

// Sets a 16-bit field of the only entry in its local header and its central header (whose
// place the end record gives).
void Patch(std::string& archive, std::size_t localOffset, std::size_t centralOffset, std::uint16_t value) {
  const std::size_t end = archive.size() - 22;
  const auto byte = [&](std::size_t at) { return static_cast<std::size_t>(static_cast<unsigned char>(archive[at])); };
  const std::size_t central = byte(end + 16) | byte(end + 17) << 8 | byte(end + 18) << 16 | byte(end + 19) << 24;
  for (std::size_t at : {localOffset, central + centralOffset}) {
    archive[at] = static_cast<char>(value & 0xFF);
    archive[at + 1] = static_cast<char>(value >> 8);
  }
}

std::string OneFile(const std::string& content, bool stored) {
  MemoryStream out;
  Writer writer;
  writer.Create(out);
  writer.AddFile({u"a.txt", kWhen, 0}, stored, content.size(), FromString(content), nullptr);
  writer.Close();
  return out.bytes();
}

TEST(ZipArchive, DamagedOrForeignEntriesAreRefusedNotPassedOn) {
  const std::string content = Text(200000);
  std::string flipped = OneFile(content, true);
  flipped[30 + 5 + 1000] ^= 0x40;  // a data byte of the stored entry
  auto all = ReadAll(flipped);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].outcome, Outcome::Corrupt) << "the CRC tells";

  std::string bzip2 = OneFile(content, false);
  Patch(bzip2, 8, 10, 12);
  all = ReadAll(bzip2);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].info.method, 12);
  EXPECT_EQ(all[0].outcome, Outcome::Unsupported);
  EXPECT_TRUE(all[0].bytes.empty()) << "no raw bzip2 bytes as if they were data";

  std::string encrypted = OneFile(content, false);
  Patch(encrypted, 6, 8, kFlagEncrypted);
  all = ReadAll(encrypted);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].outcome, Outcome::Unsupported);
  EXPECT_TRUE(all[0].bytes.empty());

  std::string cut = OneFile(content, false);
  const std::size_t central = cut.find("PK\x01\x02");
  cut.erase(central - 100, 100);  // the last of the deflated data: offsets after it no longer fit
  MemoryStream stream(cut);
  Reader reader;
  if (reader.Open(stream) && reader.First()) {
    EXPECT_NE(reader.ReadCurrent([](const void*, std::size_t) { return true; }, nullptr), Outcome::Done);
  }
  EXPECT_TRUE(ReadAll("not a zip at all").empty());
  MemoryStream empty;
  Writer none;
  ASSERT_TRUE(none.Create(empty));
  ASSERT_TRUE(none.Close());
  MemoryStream emptyIn(empty.bytes());
  Reader emptyReader;
  EXPECT_TRUE(emptyReader.Open(emptyIn)) << empty.bytes().size();
  EXPECT_EQ(emptyReader.Count(), 0u);
  EXPECT_TRUE(ReadAll("").empty());
}

TEST(ZipArchive, StopsAreHonouredAndShortSourcesFail) {
  std::atomic<bool> stop{true};
  auto all = ReadAll(SampleArchive(), &stop);
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[1].outcome, Outcome::Stopped);
  EXPECT_TRUE(all[1].bytes.empty());

  MemoryStream out;
  Writer writer;
  ASSERT_TRUE(writer.Create(out));
  const std::string text = Text(1000);
  EXPECT_EQ(writer.AddFile({u"a", kWhen, 0}, false, text.size(), FromString(text), &stop), Outcome::Stopped);
  EXPECT_EQ(writer.AddFile({u"b", kWhen, 0}, false, 2000, FromString(text), nullptr), Outcome::ReadFailed)
      << "the file shrank while it was read";
  EXPECT_EQ(writer.AddFile({u"c", kWhen, 0}, false, 10, [](void*, std::size_t) -> std::int64_t { return -1; },
                           nullptr),
            Outcome::ReadFailed);
  EXPECT_FALSE(writer.Close()) << "an archive with a broken entry is no success";
}

// Holds only what is not zero, so that an archive past 4 GiB of zeros costs no memory.
class SparseStream final : public Stream {
 public:
  std::size_t Read(void* buffer, std::size_t size) override {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, end_ > at_ ? end_ - at_ : 0));
    std::memset(buffer, 0, n);
    for (const auto& [offset, bytes] : kept_) {
      const std::uint64_t from = std::max(offset, at_), to = std::min(offset + bytes.size(), at_ + n);
      if (from < to) std::memcpy(static_cast<char*>(buffer) + (from - at_), bytes.data() + (from - offset), to - from);
    }
    at_ += n;
    return n;
  }
  std::size_t Write(const void* buffer, std::size_t size) override {
    const char* bytes = static_cast<const char*>(buffer);
    if (std::any_of(bytes, bytes + size, [](char c) { return c != 0; })) kept_[at_] = std::string(bytes, size);
    else kept_.erase(at_);
    at_ += size;
    end_ = std::max(end_, at_);
    return size;
  }
  bool Seek(std::int64_t offset, Origin origin) override {
    const std::int64_t base = origin == Origin::Begin ? 0 : origin == Origin::Current ? static_cast<std::int64_t>(at_)
                                                                                      : static_cast<std::int64_t>(end_);
    if (base + offset < 0) return false;
    at_ = static_cast<std::uint64_t>(base + offset);
    return true;
  }
  std::uint64_t Tell() override { return at_; }
  bool Failed() const override { return false; }
  std::string Head(std::size_t n) {
    std::string bytes(n, '\0');
    const std::uint64_t at = at_;
    at_ = 0;
    Read(bytes.data(), n);
    at_ = at;
    return bytes;
  }

 private:
  std::map<std::uint64_t, std::string> kept_;
  std::uint64_t at_ = 0, end_ = 0;
};

TEST(ZipArchive, FilesOfFourGibibytesOrMoreAreWrittenAsZip64) {
  constexpr std::uint64_t kSize = (4ull << 30) + 12345;
  std::uint64_t given = 0;
  Source zeros = [&](void* buffer, std::size_t size) -> std::int64_t {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, kSize - given));
    std::memset(buffer, 0, n);
    given += n;
    return static_cast<std::int64_t>(n);
  };
  SparseStream archive;
  Writer writer;
  ASSERT_TRUE(writer.Create(archive));
  ASSERT_EQ(writer.AddFile({u"big.bin", kWhen, 0}, true, kSize, zeros, nullptr), Outcome::Done);
  ASSERT_EQ(writer.AddFile({u"after.txt", kWhen, 0}, false, 5, FromString("after"), nullptr), Outcome::Done);
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(archive.Head(6)[4], 45) << "the local header needs ZIP64";
  archive.Seek(0, Stream::Origin::Begin);
  Reader reader;
  ASSERT_TRUE(reader.Open(archive));
  ASSERT_TRUE(reader.First());
  EntryInfo info;
  ASSERT_TRUE(reader.Current(info));
  EXPECT_EQ(info.size, kSize);
  EXPECT_EQ(info.compressedSize, kSize);
  ASSERT_TRUE(reader.Next());
  ASSERT_TRUE(reader.Current(info));
  EXPECT_EQ(info.name, u"after.txt");
  std::string after;
  EXPECT_EQ(reader.ReadCurrent(
                [&](const void* b, std::size_t n) {
                  after.append(static_cast<const char*>(b), n);
                  return true;
                },
                nullptr),
            Outcome::Done)
      << "found past 4 GiB";
  EXPECT_EQ(after, "after");
}

TEST(ZipNames, OnlyPlainRelativeNamesPassTheStrictReader) {
  for (const char16_t* name : {u"a.txt", u"Sub/", u"Sub/b c.txt", u"Sub\\d.txt", u"..a/b..", u".hidden"})
    EXPECT_TRUE(IsPlainRelativeName(name)) << Narrow(name);
  for (const char16_t* name :
       {u"", u"/", u"../x", u"a/../../x", u"/abs.txt", u"\\abs.txt", u"C:/x", u"a//b", u"./x", u"a/.", u"x:y"})
    EXPECT_FALSE(IsPlainRelativeName(name)) << Narrow(name);
}

TEST(ArchiverCommand, QuotesDelimitAndABackslashNeverEscapes) {
  EXPECT_EQ(SplitArguments(u"a  \"\\My Docs\\\" x\"y z\"\t\"\""),
            (std::vector<std::u16string>{u"a", u"\\My Docs\\", u"xy z", u""}));
  auto add = ParseArchiverCommand(u"a \"\\Temp\\a b.zip\" \"\\Docs\\\" \"\\Docs\\x.txt\" \"\\docs\\Sub\\*\" ");
  ASSERT_EQ(add.error, CommandError::None) << Narrow(CommandErrorText(add));
  EXPECT_EQ(add.command.verb, ArchiverCommand::Verb::Add);
  EXPECT_EQ(add.command.archive, u"\\Temp\\a b.zip");
  EXPECT_EQ(add.command.folder, u"\\Docs");
  ASSERT_EQ(add.command.sources.size(), 2u);
  EXPECT_EQ(add.command.sources[1].path, u"\\docs\\Sub");
  EXPECT_TRUE(add.command.sources[1].contents);
  EXPECT_EQ(RelativeTo(add.command.folder, add.command.sources[1].path), u"Sub");
  // The root as base: its children are "\name".
  auto root = ParseArchiverCommand(u"A \"\\r.zip\" \"\\\" \"\\My Documents\\*.*\"");
  ASSERT_EQ(root.error, CommandError::None);
  EXPECT_EQ(root.command.folder, u"");
  EXPECT_EQ(RelativeTo(u"", root.command.sources[0].path), u"My Documents");
  auto extract = ParseArchiverCommand(u"e \"\\Temp\\a.zip\" \"\\Temp\\a\\\"");
  ASSERT_EQ(extract.error, CommandError::None);
  EXPECT_EQ(extract.command.folder, u"\\Temp\\a");
  EXPECT_FALSE(RelativeTo(u"\\Docs", u"\\Docsx\\y"));
  EXPECT_FALSE(RelativeTo(u"\\Docs", u"\\Docs"));
}

TEST(ArchiverCommand, AnythingOffTheDeviceOrOutsideTheBaseIsRefused) {
  const std::u16string tooLong = u"\\" + std::u16string(259, u'x');
  const std::pair<std::u16string, CommandError> cases[] = {
      {u"", CommandError::Empty},
      {u"x \"\\a.zip\" \"\\\"", CommandError::UnknownVerb},
      {u"e", CommandError::MissingArchive},
      {u"e \"\\a.zip\"", CommandError::MissingFolder},
      {u"a \"\\a.zip\" \"\\Docs\\\"", CommandError::NoSources},
      {u"e \"C:\\a.zip\" \"\\t\\\"", CommandError::BadPath},
      {u"e \"\\a.zip\" \"\\\\host\\share\\\"", CommandError::BadPath},
      {u"e \"\\a.zip\" \"\\Temp\\..\\Windows\\\"", CommandError::BadPath},
      {u"e \"" + tooLong + u"\" \"\\t\\\"", CommandError::BadPath},
      {u"e \"\\a.zip\" \"\\t\\\" extra", CommandError::BadPath},
      {u"a \"\\a.zip\" \"\\Docs\\\" \"\\Other\\x\"", CommandError::BadPath},
      {u"a \"\\a.zip\" \"\\Docs\\\" \"\\Docs\"", CommandError::BadPath},
      {u"a \"\\a.zip\" \"\\Docs\\\" \"\\Docs\\*.txt\"", CommandError::Wildcard},
      {u"e \"\\*.zip\" \"\\t\\\"", CommandError::Wildcard},
  };
  for (const auto& [line, error] : cases) {
    const ParsedCommand parsed = ParseArchiverCommand(line);
    EXPECT_EQ(parsed.error, error) << Narrow(line);
    EXPECT_FALSE(CommandErrorText(parsed).empty());
  }
}

}  // namespace
