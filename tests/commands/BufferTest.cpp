#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "commands/CBreakCommand.h"
#include "commands/CBufferCommand.h"
#include "commands/CColumnCommand.h"
#include "commands/CDefineCommand.h"
#include "interpreter/CSQLProcessor.h"
#include "interpreter/TestSupport.h"

namespace {

CScriptLines Buffer(CSQLProcessor& processor) { return processor.Command<CBufferCommand>().GetLines(); }

CScriptLines Lines(const std::vector<const char*>& lines) {
    CScriptLines out;
    for (const char* line : lines) out.push_back(line);
    return out;
}

TEST(BufferInput, TakesLinesAfterTheCurrentOneUntilAnEmptyLineOrAPeriod) {
    CSQLProcessor processor;
    processor.Command<CBufferCommand>().Keep(Lines({"SELECT a", "FROM t;"}));
    // Lines that would be comments, blank-led text or commands go in as typed.
    EXPECT_TRUE(Feed(processor, {"1", "INPUT", "  , b", "-- a note", "LIST", ""}).size() == 1);
    EXPECT_EQ(Buffer(processor), Lines({"SELECT a", "  , b", "-- a note", "LIST", "FROM t"}));
    EXPECT_EQ(processor.Command<CBufferCommand>().GetCurrent(), 4u);
    Feed(processor, {"I", "WHERE 1 = 1", " . ", "L"});
    EXPECT_EQ(Buffer(processor), Lines({"SELECT a", "  , b", "-- a note", "LIST", "WHERE 1 = 1", "FROM t"}));
    EXPECT_FALSE(processor.Command<CBufferCommand>().IsTakingInput());
}

TEST(BufferInput, SlashOrASemicolonEndsTheInputAndRunsTheBuffer) {
    for (const char* last : {"/", "ORDER BY 1;"}) {
        CSQLProcessor processor;
        processor.Command<CBufferCommand>().Keep(Lines({"SELECT 1 FROM dual;"}));
        const CScriptLines out = Feed(processor, {"INPUT", last});
        // Not connected: the run is tried and answers so.
        EXPECT_EQ(out, SjLines({"データベースに接続されていません。"})) << last;
        EXPECT_FALSE(processor.Command<CBufferCommand>().IsTakingInput());
        EXPECT_EQ(Buffer(processor).back(), std::string(last) == "/" ? "SELECT 1 FROM dual" : "ORDER BY 1");
    }
}

TEST(BufferInput, InABlockOnlyASlashEndsTheInput) {
    CSQLProcessor processor;
    processor.Command<CBufferCommand>().Keep(Lines({"BEGIN", "  NULL;", "END;", "/"}));
    Feed(processor, {"2", "INPUT", "  x := 1;", "  y := 2;"});
    EXPECT_TRUE(processor.Command<CBufferCommand>().IsTakingInput());
    EXPECT_EQ(Buffer(processor), Lines({"BEGIN", "  NULL;", "  x := 1;", "  y := 2;", "END;"}));
}

TEST(BufferLineNumbers, ZeroPutsALineFirstAndAPastNumberPutsItLast) {
    CSQLProcessor processor;
    processor.Command<CBufferCommand>().Keep(Lines({"FROM t"}));
    EXPECT_TRUE(Feed(processor, {"0 SELECT *", "9 WHERE x = 1", "00 -- first"}).empty());
    EXPECT_EQ(Buffer(processor), Lines({"-- first", "SELECT *", "FROM t", "WHERE x = 1"}));
    EXPECT_EQ(Feed(processor, {"9"}), SjLines({"行番号が不正です。"}));
}

TEST(Clear, EveryWordNamedIsClearedAndAnUnknownOneClearsNothing) {
    CSQLProcessor processor;
    Feed(processor, {"BREAK ON deptno", "COMPUTE SUM OF sal ON deptno", "COLUMN sal FORMAT 999"});
    processor.Command<CBufferCommand>().Keep(Lines({"SELECT 1 FROM dual;"}));
    EXPECT_EQ(Feed(processor, {"CLEAR BREAKS COMPUTES NONSENSE"}),
              SjLines({"不明なCLEARオプション\"NONSENSE\"です。"}));
    EXPECT_FALSE(processor.Command<CBreakCommand>().GetBreaks().Breaks().empty());
    EXPECT_TRUE(Feed(processor, {"clear bre comp"}).empty());
    EXPECT_TRUE(processor.Command<CBreakCommand>().GetBreaks().Breaks().empty());
    EXPECT_TRUE(processor.Command<CBreakCommand>().GetBreaks().Computes().empty());
    EXPECT_NE(processor.Command<CColumnCommand>().GetColumns().Find("SAL"), nullptr);
    EXPECT_TRUE(Feed(processor, {"CLEAR COLUMNS SQL"}).empty());
    EXPECT_EQ(processor.Command<CColumnCommand>().GetColumns().Find("SAL"), nullptr);
    EXPECT_TRUE(Buffer(processor).empty());
    EXPECT_EQ(Feed(processor, {"CLEAR"}),
              SjLines({"使用方法: CLEAR {BREAKS|BUFFER|COLUMNS|COMPUTES|SCREEN|SQL|TIMING} ..."}));
}

TEST(ShowSpool, TellsWhetherAndWhereLinesAreSpooled) {
    CSQLProcessor processor;
    EXPECT_EQ(Feed(processor, {"SHOW SPOOL"}), SjLines({"現在スプールしていません。"}));
    const std::string name = ::testing::TempDir() + "show_spool_test";
    Feed(processor, {"SPOOL " + name});
    EXPECT_EQ(Feed(processor, {"show spo"}),
              CScriptLines(Sj("現在") + name + Sj(".lstにスプールしています。")));
    Feed(processor, {"SPOOL OFF"});
    EXPECT_EQ(Feed(processor, {"SHOW SPOOL"}), SjLines({"現在スプールしていません。"}));
}

}  // namespace

namespace {

TEST(BufferInput, EndsWithTheScriptThatStartedIt) {
    const std::string path = ::testing::TempDir() + "input_left_open.sql";
    {
        std::ofstream script(path);
        script << "INPUT\nWHERE 1 = 1\n";
    }
    CSQLProcessor processor;
    processor.Command<CBufferCommand>().Keep(Lines({"SELECT 1 FROM dual;"}));
    Feed(processor, {"@" + path, "DEFINE x = 1"});
    EXPECT_FALSE(processor.Command<CBufferCommand>().IsTakingInput());
    EXPECT_EQ(Buffer(processor), Lines({"SELECT 1 FROM dual", "WHERE 1 = 1"}));
    EXPECT_NE(processor.Command<CDefineCommand>().GetDefines().Find("X"), nullptr);
}

}  // namespace

namespace {

// A word that only begins like RUN, LIST, EDIT, DEL or INPUT is no such
// command: RECOVER must not run the last statement again.
TEST(BufferCommands, OnlyTheirOwnWordsAct) {
    CSQLProcessor processor;
    processor.Command<CBufferCommand>().Keep(Lines({"SELECT 1 FROM dual;"}));
    for (const char* line : {"RECOVER DATABASE", "RUNNING", "LOAD x", "EDITOR", "IMPORT", "/x"})
        EXPECT_EQ(Feed(processor, {line}), SjLines({"不明なコマンドです。"})) << line;
    EXPECT_EQ(Feed(processor, {"LI"}), Lines({"  1* SELECT 1 FROM dual"}));
    EXPECT_EQ(Feed(processor, {"ru;"}),
              CScriptLines({"  1* SELECT 1 FROM dual", Sj("データベースに接続されていません。")}));
}

}  // namespace
