#include "fileops/core/archive.h"

#include <gtest/gtest.h>

#include "fileops/core/fileops_core.h"

namespace quintar::fileops::core {
namespace {

TEST(ArchiveCommands, CommandStringsQuoteEveryPathAndMarkFoldersWithStar) {
  const ArchiveSource sources[] = {{u"\\Docs", u"X", true}, {u"\\Docs", u"a b.txt", false}};
  EXPECT_EQ(CompressCommand(u"\\Temp\\out.zip", u"\\Docs", sources),
            u"a \"\\Temp\\out.zip\" \"\\Docs\\\" \"\\Docs\\X\\*\" \"\\Docs\\a b.txt\" ");
  const ArchiveSource atRoot[] = {{u"", u"f", false}};
  EXPECT_EQ(CompressCommand(u"\\r.zip", u"", atRoot), u"a \"\\r.zip\" \"\\\" \"\\f\" ");
  EXPECT_EQ(ExtractCommand(u"\\Temp\\r.zip", u"\\Temp\\r\\"), u"e \"\\Temp\\r.zip\" \"\\Temp\\r\\\"");
  EXPECT_EQ(ArchiveKindOf(u"a.Zip"), kArchiveZip);
  EXPECT_EQ(ArchiveKindOf(u"a.LZH"), kArchiveLzh);
  EXPECT_EQ(ArchiveKindOf(u"a.zip.txt"), 0);
  EXPECT_EQ(ArchiveKindOf(u"zip"), 0);
}

TEST(ArchiveCommands, TheFolderStemComesFromTheFileNameOnly) {
  EXPECT_EQ(ExtractTarget(u"\\Temp", u"report.zip", true), u"\\Temp\\report\\");
  EXPECT_EQ(ExtractTarget(u"\\Temp", u"report.zip", false), u"\\Temp\\");
  EXPECT_EQ(ExtractTarget(u"", u"a.b.zip", true), u"\\a.b\\");
  EXPECT_EQ(ExtractTarget(u"\\My.Docs", u"arc", true), u"\\My.Docs\\arc\\");
  EXPECT_EQ(ExtractTarget(u"\\T", u".zip", true), u"\\T\\.zip\\");
  EXPECT_FALSE(ExtractTarget(u"\\" + std::u16string(250, u'd'), u"abcdefghij.zip", true));
}

TEST(ArchiveCommands, AnArchiveInsideWhatItCompressesIsCaught) {
  const ArchiveSource sources[] = {{u"\\DOCS", u"X", true}, {u"\\DOCS", u"A.TXT", false}};
  EXPECT_TRUE(ArchiveAmongSources(u"\\DOCS\\X\\OUT.ZIP", sources));
  EXPECT_TRUE(ArchiveAmongSources(u"\\DOCS\\A.TXT", sources));
  EXPECT_FALSE(ArchiveAmongSources(u"\\DOCS\\XY.ZIP", sources));
  EXPECT_FALSE(ArchiveAmongSources(u"\\DOCS\\OUT.ZIP", sources));
}

}  // namespace
}  // namespace quintar::fileops::core
