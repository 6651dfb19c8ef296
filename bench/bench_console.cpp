// The whole road, measured three ways on the same data:
//  - the library: a console model connected to the embedded database;
//  - the batch runner: `tarvex --batch` as a process, output to /dev/null;
//  - the stock sqlite3 shell on the same database file, for the ratio.
// Run: build/bench/bench_console [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "console/CSQLEditor.h"

namespace fs = std::filesystem;

namespace {

constexpr int kQueryRows = 100000;
constexpr int kInserts = 10000;

fs::path Home() {
    static fs::path home = [] {
        fs::path dir = fs::temp_directory_path() / ("tarvex-bench-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        ::setenv("TARVEX_HOME", dir.c_str(), 1);
        return dir;
    }();
    return home;
}

void Type(CSQLEditor& editor, const std::string& line) {
    editor.InsertText(line);
    editor.Submit();
}

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::abort();
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
            "INSERT INTO Q WITH RECURSIVE C(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM C WHERE N < " +
                std::to_string(kQueryRows) +
                ") SELECT N, 'NAME' || N, 'CITY' || (N % 97), N * 1.25, 'SOME NOTE TEXT ' || N FROM C;\n"
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
        "D VARCHAR2(4000));\nINSERT INTO W WITH RECURSIVE C(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM C "
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

}  // namespace

BENCHMARK_MAIN();
