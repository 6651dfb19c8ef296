#include <gtest/gtest.h>

#include "report/CSpoolFile.h"
#include "report/ReportMessages.h"
#include "tests/support/Sj.h"
#include "tests/support/TempDir.h"

using Lines = std::vector<std::string>;

TEST(CSpoolFileTest, WritesLinesAsTheConsoleSavesThem) {
    testfiles::TempDir dir;
    CSpoolFile spool;
    EXPECT_EQ(spool.Command("", false), Lines{Sj("現在スプールしていません。")});
    EXPECT_EQ(spool.Command(dir.Path("report"), false), Lines{});
    EXPECT_EQ(spool.Command("", false),
              Lines{Sj("現在%sにスプールしています。").replace(4, 2, dir.Path("report.lst"))});
    EXPECT_EQ(spool.Write(Sj("部署  "), false), "");
    EXPECT_EQ(spool.Write("x  ", true), "");
    EXPECT_EQ(spool.Command("off", false), Lines{});
    EXPECT_EQ(testfiles::Read(dir.Path("report.lst")), Sj("部署  ") + "\r\nx\r\n");
    // APPEND keeps, UTF-8 asked for converts, CREATE refuses an existing file.
    EXPECT_EQ(spool.Command(dir.Path("report.lst") + " APP", true), Lines{});
    spool.Write(Sj("表"), false);
    EXPECT_EQ(spool.Close(), "");
    EXPECT_EQ(testfiles::Read(dir.Path("report.lst")), Sj("部署  ") + "\r\nx\r\n表\r\n");
    EXPECT_EQ(spool.Command(dir.Path("report.lst") + " CREATE", false),
              Lines{ReportText(ReportMessage::SpoolExists, dir.Path("report.lst"))});
    EXPECT_FALSE(spool.IsOpen());
    EXPECT_EQ(spool.Command(dir.Path("out.txt") + " SIDEWAYS", false),
              Lines{ReportText(ReportMessage::SpoolUsage)});
}

TEST(CSpoolFileTest, FailuresAreToldNotLost) {
    CSpoolFile spool;
    const Lines refused = spool.Command("/nonexistent-dir/x.lst", false);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].rfind(ReportText(ReportMessage::SpoolOpenFailed, "/nonexistent-dir/x.lst", ""), 0),
              0u);
    EXPECT_EQ(spool.Command("/", false),
              Lines{ReportText(ReportMessage::SpoolOpenFailed, "/", Sj("Is a directory"))});
    EXPECT_FALSE(spool.IsOpen());
    // A full disk: the write is told, and spooling stops.
    testfiles::TempDir dir;
    std::filesystem::create_symlink("/dev/full", dir.Path("full.lst"));
    ASSERT_EQ(spool.Open(dir.Path("full"), CSpoolFile::Mode::Append, false), "");
    std::string told;
    for (int k = 0; k < 10000 && told.empty(); ++k) told = spool.Write(std::string(100, 'x'), false);
    if (told.empty()) told = spool.Flush();
    EXPECT_EQ(told.rfind(ReportText(ReportMessage::SpoolWriteFailed, dir.Path("full.lst"), ""), 0), 0u);
    EXPECT_FALSE(spool.IsOpen());
}

TEST(CSpoolFileTest, ExtensionOnlyWhenTheNameHasNone) {
    EXPECT_EQ(CSpoolFile::WithExtension("out"), "out.lst");
    EXPECT_EQ(CSpoolFile::WithExtension("out.txt"), "out.txt");
    EXPECT_EQ(CSpoolFile::WithExtension("dir.d/out"), "dir.d/out.lst");
    EXPECT_EQ(CSpoolFile::WithExtension(".hidden"), ".hidden.lst");
}
