// The whole road, measured three ways on the same data:
//  - the library: a console model connected to the embedded database;
//  - the batch runner: `tarvex --batch` as a process, output to /dev/null;
//  - the stock sqlite3 shell on the same database file, for the ratio.
// At the end a summary gives the ratios against the shell (alternating runs,
// medians), the time of a DESCRIBE, the peak memory of a large query against
// its console text and the cost per statement of a short and a long script.
// Run: build/bench/bench_console [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/BenchSupport.h"
#include "console/CSQLEditor.h"

namespace fs = std::filesystem;

namespace {

constexpr int kQueryRows = 100000;
constexpr int kInserts = 10000;
constexpr int kMillionRows = 1000000;

// Figures the summary reports, by name.
std::map<std::string, double>& Figures() {
    static std::map<std::string, double> figures;
    return figures;
}

fs::path Home() { return benchsupport::Home("tarvex-bench"); }

using benchsupport::Type;

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::abort();
}

// Runs `command` under the shell; the peak resident size of the process
// tree it waited for, in bytes.
double RunMeasured(const std::string& command) {
    pid_t child = ::fork();
    if (child < 0) std::abort();
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::abort();
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A table Q of kQueryRows rows and five columns in the default database.
fs::path QueryDatabase() {
    static fs::path db = [] {
        fs::path home = Home();
        fs::path script = home / "setup-query.sql";
        WriteFile(
            script,
            "CONNECT bench/bench\n"
            "CREATE TABLE Q (ID NUMBER(10), NAME VARCHAR2(20), CITY VARCHAR2(12), SAL NUMBER(8,2), "
            "NOTE VARCHAR2(30));\n"
            "INSERT INTO Q WITH C(N) AS (SELECT 1 FROM DUAL UNION ALL SELECT N + 1 FROM C WHERE N < " +
                std::to_string(kQueryRows) +
                ") SELECT N, 'NAME' || N, 'CITY' || MOD(N, 97), N * 1.25, 'SOME NOTE TEXT ' || N FROM C;\n"
                "COMMIT;\nEXIT\n");
        Run(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > /dev/null");
        for (const auto& entry : fs::directory_iterator(home))
            if (entry.path().extension() == ".db") return entry.path();
        std::abort();
    }();
    return db;
}

void BM_QueryLibrary(benchmark::State& state) {
    QueryDatabase();
    for (auto _ : state) {
        CSQLEditor editor;
        Type(editor, "CONNECT bench/bench");
        Type(editor, "SELECT * FROM Q;");
        benchmark::DoNotOptimize(editor.GetLineCount());
    }
    state.SetItemsProcessed(state.iterations() * kQueryRows);
}
BENCHMARK(BM_QueryLibrary)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_QueryBatch(benchmark::State& state) {
    QueryDatabase();
    fs::path script = Home() / "query.sql";
    WriteFile(script, "CONNECT bench/bench\nSELECT * FROM Q;\n");
    for (auto _ : state) Run(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > /dev/null");
    state.SetItemsProcessed(state.iterations() * kQueryRows);
}
BENCHMARK(BM_QueryBatch)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_QuerySqliteShell(benchmark::State& state) {
    fs::path db = QueryDatabase();
    for (auto _ : state) Run("sqlite3 -column -header '" + db.string() + "' 'SELECT * FROM Q;' > /dev/null");
    state.SetItemsProcessed(state.iterations() * kQueryRows);
}
BENCHMARK(BM_QuerySqliteShell)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Wide columns holding one character each: the console's memory follows
// what the values hold, not the declared widths. Reported as the batch
// process's peak resident size.
void BM_WideQueryBatchMemory(benchmark::State& state) {
    fs::path home = Home();
    fs::path setup = home / "setup-wide.sql";
    WriteFile(
        setup,
        "CONNECT bench/bench@WIDE\nCREATE TABLE W (A VARCHAR2(4000), B VARCHAR2(4000), C VARCHAR2(4000), "
        "D VARCHAR2(4000));\nINSERT INTO W WITH C(N) AS (SELECT 1 FROM DUAL UNION ALL SELECT N + 1 FROM C "
        "WHERE N < " +
            std::to_string(kQueryRows) + ") SELECT 'A', 'B', 'C', 'D' FROM C;\nCOMMIT;\nEXIT\n");
    Run(std::string(TARVEX_BIN) + " --batch '" + setup.string() + "' > /dev/null");
    fs::path script = home / "wide.sql";
    WriteFile(script, "CONNECT bench/bench@WIDE\nSELECT * FROM W;\n");
    for (auto _ : state) Run(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > /dev/null");
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.SetItemsProcessed(state.iterations() * kQueryRows);
}
BENCHMARK(BM_WideQueryBatchMemory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

std::string InsertLines(const std::string& table) {
    std::string text;
    for (int i = 0; i < kInserts; ++i)
        text += "INSERT INTO " + table + " VALUES (" + std::to_string(i) + ", 'NAME" + std::to_string(i) +
                "', " + std::to_string(i % 1000) + ".5);\n";
    text += "COMMIT;\n";
    return text;
}

void BM_InsertScriptBatch(benchmark::State& state) {
    fs::path home = Home();
    static int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string table = "I" + std::to_string(round++);
        fs::path script = home / "inserts.sql";
        WriteFile(script, "CONNECT bench/bench@INSERTS\nCREATE TABLE " + table +
                              " (ID NUMBER, NAME VARCHAR2(20), SAL NUMBER(8,2));\n" + InsertLines(table));
        state.ResumeTiming();
        Run(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > /dev/null");
    }
    state.SetItemsProcessed(state.iterations() * kInserts);
}
BENCHMARK(BM_InsertScriptBatch)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_InsertScriptSqliteShell(benchmark::State& state) {
    fs::path home = Home();
    fs::path db = home / "stock-shell.sqlite";
    static int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string table = "I" + std::to_string(round++);
        fs::path script = home / "inserts-stock.sql";
        WriteFile(script, "CREATE TABLE " + table +
                              " (ID NUMBER, NAME VARCHAR2(20), SAL NUMBER(8,2));\nBEGIN;\n" +
                              InsertLines(table));
        state.ResumeTiming();
        Run("sqlite3 '" + db.string() + "' < '" + script.string() + "' > /dev/null");
    }
    state.SetItemsProcessed(state.iterations() * kInserts);
}
BENCHMARK(BM_InsertScriptSqliteShell)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Scripts of single-row INSERTs whose rows hold values other than plain
// literals (NULL, a DATE literal, a conversion of literals, negative
// numbers): each kind should cost about what a row of plain literals does.
constexpr const char* kRowKinds[] = {
    "{i}, 'NAME{i}', {i}.5, NULL",
    "{i}, 'NAME{i}', -{i}.5, NULL",
    "{i}, NULL, {i}.5, DATE '2020-01-02'",
    "{i}, 'NAME{i}', {i}.5, TO_DATE('2020-01-02', 'YYYY-MM-DD')",
    "TO_NUMBER('{i}'), TO_CHAR({i}), {i}.5, TIMESTAMP '2020-01-02 03:04:05'",
};

std::string KindLine(std::string_view pattern, const std::string& number) {
    std::string line;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (pattern.compare(k, 3, "{i}") == 0) {
            line += number;
            k += 2;
        } else {
            line += pattern[k];
        }
    }
    return line;
}

void BM_InsertKindsBatch(benchmark::State& state) {
    const std::string_view pattern = kRowKinds[state.range(0)];
    fs::path script = Home() / "insert-kinds.sql";
    static int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string table = "K" + std::to_string(round++);
        std::string text = "CONNECT bench/bench@KINDS\nCREATE TABLE " + table +
                           " (ID NUMBER, NAME VARCHAR2(20), SAL NUMBER(8,2), DT DATE);\n";
        for (int i = 0; i < kInserts; ++i)
            text +=
                "INSERT INTO " + table + " VALUES (" + KindLine(pattern, std::to_string(i % 1000)) + ");\n";
        text += "COMMIT;\n";
        WriteFile(script, text);
        state.ResumeTiming();
        Run(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > /dev/null");
    }
    state.SetItemsProcessed(state.iterations() * kInserts);
}
BENCHMARK(BM_InsertKindsBatch)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

double Millis(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    Run(command);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

constexpr int kRounds = 7;

// Runs a script of ours and the shell's command alternately, kRounds each,
// and keeps the medians of both as the figures `name`.ours and `name`.shell.
void AlternateMedians(const std::string& name, const fs::path& script, const std::string& shell) {
    std::vector<double> ours;
    std::vector<double> theirs;
    for (int round = 0; round < kRounds; ++round) {
        ours.push_back(Millis(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > /dev/null"));
        theirs.push_back(Millis(shell + " > /dev/null"));
    }
    Figures()[name + ".ours"] = Median(ours);
    Figures()[name + ".shell"] = Median(theirs);
}

// The ratios of the summary: tarvex and the shell alternately, the median
// of kRounds each, so that a change of the machine's load hits both.
void BM_QueryRatio(benchmark::State& state) {
    fs::path db = QueryDatabase();
    fs::path script = Home() / "query.sql";
    WriteFile(script, "CONNECT bench/bench\nSELECT * FROM Q;\n");
    for (auto _ : state)
        AlternateMedians("query", script, "sqlite3 -column -header '" + db.string() + "' 'SELECT * FROM Q;'");
}
BENCHMARK(BM_QueryRatio)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_InsertRatio(benchmark::State& state) {
    fs::path home = Home();
    fs::path db = home / "stock-shell-ratio.sqlite";
    static int round = 0;
    for (auto _ : state) {
        std::vector<double> ours;
        std::vector<double> theirs;
        for (int n = 0; n < kRounds; ++n) {
            std::string table = "R" + std::to_string(round++);
            fs::path script = home / "ratio-inserts.sql";
            fs::path stock = home / "ratio-inserts-stock.sql";
            WriteFile(script, "CONNECT bench/bench@RATIO\nCREATE TABLE " + table +
                                  " (ID NUMBER, NAME VARCHAR2(20), SAL NUMBER(8,2));\n" + InsertLines(table));
            WriteFile(stock, "CREATE TABLE " + table +
                                 " (ID NUMBER, NAME VARCHAR2(20), SAL NUMBER(8,2));\nBEGIN;\n" +
                                 InsertLines(table));
            ours.push_back(
                Millis(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > /dev/null"));
            theirs.push_back(Millis("sqlite3 '" + db.string() + "' < '" + stock.string() + "' > /dev/null"));
        }
        Figures()["insert.ours"] = Median(ours);
        Figures()["insert.shell"] = Median(theirs);
    }
}
BENCHMARK(BM_InsertRatio)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// A million NUMBER(12,2) amounts in database SUMS, and the same values as
// REAL in a file of the stock shell.
fs::path SumDatabases() {
    static fs::path stock = [] {
        const std::string limit = std::to_string(kMillionRows);
        const std::string rows = "WITH RECURSIVE C(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM C WHERE N < " +
                                 limit + ") SELECT (N * 7919 % 100000000) / 100";
        fs::path script = Home() / "setup-sums.sql";
        WriteFile(
            script,
            "CONNECT bench/bench@SUMS\nCREATE TABLE S (AMOUNT NUMBER(12,2));\nINSERT INTO S WITH C(N) AS "
            "(SELECT 1 FROM DUAL UNION ALL SELECT N + 1 FROM C WHERE N < " +
                limit + ") SELECT MOD(N * 7919, 100000000) / 100 FROM C;\nCOMMIT;\nEXIT\n");
        Run(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > /dev/null");
        fs::path db = Home() / "stock-sums.sqlite";
        Run("sqlite3 '" + db.string() + "' 'CREATE TABLE S (AMOUNT REAL); INSERT INTO S " + rows +
            ".0 FROM C;'");
        return db;
    }();
    return stock;
}

// SUM over the million amounts: exact decimal here, floating point in the shell.
void BM_SumRatio(benchmark::State& state) {
    fs::path db = SumDatabases();
    fs::path script = Home() / "sum.sql";
    WriteFile(script, "CONNECT bench/bench@SUMS\nSELECT SUM(AMOUNT) FROM S;\n");
    for (auto _ : state)
        AlternateMedians("sum", script, "sqlite3 '" + db.string() + "' 'SELECT SUM(AMOUNT) FROM S;'");
}
BENCHMARK(BM_SumRatio)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// A table M of kMillionRows rows and five columns in database MILLION.
void MillionDatabase() {
    static bool made = [] {
        fs::path script = Home() / "setup-million.sql";
        WriteFile(
            script,
            "CONNECT bench/bench@MILLION\n"
            "CREATE TABLE M (ID NUMBER(10), NAME VARCHAR2(20), CITY VARCHAR2(12), SAL NUMBER(8,2), "
            "NOTE VARCHAR2(30));\n"
            "INSERT INTO M WITH C(N) AS (SELECT 1 FROM DUAL UNION ALL SELECT N + 1 FROM C WHERE N < " +
                std::to_string(kMillionRows) +
                ") SELECT N, 'NAME' || N, 'CITY' || MOD(N, 97), N * 1.25, 'SOME NOTE TEXT ' || N FROM C;\n"
                "COMMIT;\nEXIT\n");
        Run(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > /dev/null");
        return true;
    }();
    (void)made;
}

// DESCRIBE of the million-row table, in the library (one statement each).
void BM_DescribeMillion(benchmark::State& state) {
    MillionDatabase();
    CSQLEditor editor;
    Type(editor, "CONNECT bench/bench@MILLION");
    for (auto _ : state) {
        Type(editor, "DESCRIBE M");
        benchmark::DoNotOptimize(editor.GetLineCount());
    }
}
BENCHMARK(BM_DescribeMillion)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The million-row query in --batch: peak resident size against the console
// text it writes.
void BM_MillionQueryBatchMemory(benchmark::State& state) {
    MillionDatabase();
    fs::path script = Home() / "million.sql";
    fs::path text = Home() / "million.txt";
    WriteFile(script, "CONNECT bench/bench@MILLION\nSELECT * FROM M;\n");
    double peak = 0;
    for (auto _ : state)
        peak = RunMeasured(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > '" +
                           text.string() + "'");
    double bytes = static_cast<double>(fs::file_size(text));
    state.counters["peak_rss_mb"] = peak / 1048576.0;
    state.counters["text_mb"] = bytes / 1048576.0;
    Figures()["memory"] = peak / bytes;
    fs::remove(text);
}
BENCHMARK(BM_MillionQueryBatchMemory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Scripts of N single-row INSERTs (one transaction): the cost per
// statement should not grow with N.
void BM_StatementsBatch(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    fs::path script = Home() / ("statements-" + std::to_string(count) + ".sql");
    static int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string table = "L" + std::to_string(round++);
        std::string text =
            "CONNECT bench/bench@LINEAR\nCREATE TABLE " + table + " (ID NUMBER, NAME VARCHAR2(20));\n";
        for (int i = 0; i < count; ++i)
            text += "INSERT INTO " + table + " VALUES (" + std::to_string(i) + ", 'N" + std::to_string(i) +
                    "');\n";
        text += "ROLLBACK;\n";
        WriteFile(script, text);
        state.ResumeTiming();
        Run(std::string(TARVEX_BIN) + " --batch '" + script.string() + "' > /dev/null");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_StatementsBatch)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// Keeps the median real time of each benchmark for the summary.
class CSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            // Note: every benchmark here reports milliseconds.
            Figures()[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }
};

void PrintRatio(const char* title, const std::string& ours, const std::string& theirs) {
    auto& figures = Figures();
    if (figures.count(ours) == 0 || figures.count(theirs) == 0) return;
    std::printf("%-44s %6.2fx  (%.1f ms / %.1f ms)\n", title, figures[ours] / figures[theirs], figures[ours],
                figures[theirs]);
}

void PrintSummary() {
    auto& figures = Figures();
    std::printf("\nSummary (tarvex / sqlite3 shell, whole process)\n");
    PrintRatio("query 100,000 rows x 5 columns to stdout", "query.ours", "query.shell");
    PrintRatio("script of 10,000 INSERTs + COMMIT", "insert.ours", "insert.shell");
    PrintRatio("SUM of 1,000,000 NUMBER(12,2) (shell: REAL)", "sum.ours", "sum.shell");
    if (figures.count("BM_DescribeMillion/iterations:5/real_time"))
        std::printf("%-44s %6.3f ms\n", "DESCRIBE of a 1,000,000-row table",
                    figures["BM_DescribeMillion/iterations:5/real_time"]);
    if (figures.count("memory"))
        std::printf("%-44s %6.2fx the console text\n", "peak memory, 1,000,000 rows x 5 columns",
                    figures["memory"]);
    const std::string shortRun = "BM_StatementsBatch/10000/iterations:1/real_time";
    const std::string longRun = "BM_StatementsBatch/100000/iterations:1/real_time";
    if (figures.count(shortRun) && figures.count(longRun))
        std::printf("%-44s %6.2fx (per statement, 100,000 vs 10,000)\n", "linearity",
                    (figures[longRun] / 100000.0) / (figures[shortRun] / 10000.0));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    CSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintSummary();
    return 0;
}
