// PL/SQL on the embedded database against the stock sqlite3 shell:
//  - a FOR loop summing 1..1,000,000 against the shell's recursive CTE sum;
//  - a FOR loop inserting 100,000 rows against the shell running 100,000
//    INSERT statements in one transaction (the loop parses nothing per row).
// The summary gives both ratios from alternating runs (medians).
// Run: build/bench/bench_plsql [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/sqlite/CSqliteConnection.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLoop = 1000000;
constexpr int kRows = 100000;

fs::path Scratch() {
    static fs::path dir = [] {
        fs::path path = fs::temp_directory_path() / ("tarvex-bench-plsql-" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path);
        ::setenv("TARVEX_HOME", path.c_str(), 1);
        return path;
    }();
    return dir;
}

std::unique_ptr<CSqliteConnection> Connect() {
    Scratch();
    CEngineError error;
    auto connection = CSqliteConnection::Open("", error);
    if (!connection) std::abort();
    return connection;
}

void Execute(CSqliteConnection& connection, const std::string& sql) {
    std::vector<CEngineBind> binds;
    long rows = 0;
    if (!connection.Execute(sql, binds, rows)) {
        std::fprintf(stderr, "%s\n", connection.LastError().message.c_str());
        std::abort();
    }
}

const std::string kLoopBlock =
    "DECLARE n NUMBER := 0; BEGIN FOR i IN 1.." + std::to_string(kLoop) + " LOOP n := n + i; END LOOP; END;";
const std::string kInsertBlock =
    "BEGIN FOR i IN 1.." + std::to_string(kRows) + " LOOP INSERT INTO t VALUES (i, 'x' || i); END LOOP; END;";

void RunShell(const std::string& script) {
    fs::path db = Scratch() / "shell.db";
    fs::remove(db);
    fs::path file = Scratch() / "shell.sql";
    std::ofstream(file) << script;
    std::string command = "sqlite3 '" + db.string() + "' < '" + file.string() + "' > /dev/null";
    if (std::system(command.c_str()) != 0) std::abort();
}

std::string CteScript() {
    return "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < " +
           std::to_string(kLoop) + ") SELECT SUM(i) FROM c;\n";
}

std::string InsertScript() {
    std::string script = "CREATE TABLE t (n NUMBER, s VARCHAR2(20));\nBEGIN;\n";
    for (int i = 1; i <= kRows; ++i)
        script += "INSERT INTO t VALUES (" + std::to_string(i) + ", 'x" + std::to_string(i) + "');\n";
    return script + "COMMIT;\n";
}

void PlsqlLoop() {
    auto connection = Connect();
    Execute(*connection, kLoopBlock);
}

void PlsqlInserts() {
    auto connection = Connect();
    Execute(*connection, "DROP TABLE t");
    Execute(*connection, "CREATE TABLE t (n NUMBER, s VARCHAR2(20))");
    Execute(*connection, kInsertBlock);
    Execute(*connection, "COMMIT");
}

void BM_PlsqlForLoop(benchmark::State& state) {
    for (auto _ : state) PlsqlLoop();
}
BENCHMARK(BM_PlsqlForLoop)->Unit(benchmark::kMillisecond);

void BM_ShellRecursiveSum(benchmark::State& state) {
    const std::string script = CteScript();
    for (auto _ : state) RunShell(script);
}
BENCHMARK(BM_ShellRecursiveSum)->Unit(benchmark::kMillisecond);

void BM_PlsqlInsertLoop(benchmark::State& state) {
    {
        auto connection = Connect();
        std::vector<CEngineBind> binds;
        long rows = 0;
        connection->Execute("CREATE TABLE t (n NUMBER, s VARCHAR2(20))", binds, rows);
    }
    for (auto _ : state) PlsqlInserts();
}
BENCHMARK(BM_PlsqlInsertLoop)->Unit(benchmark::kMillisecond);

void BM_ShellInserts(benchmark::State& state) {
    const std::string script = InsertScript();
    for (auto _ : state) RunShell(script);
}
BENCHMARK(BM_ShellInserts)->Unit(benchmark::kMillisecond);

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The ratio of `ours` to `theirs`, from alternating runs.
double Ratio(const std::function<void()>& ours, const std::function<void()>& theirs) {
    std::vector<double> a;
    std::vector<double> b;
    for (int run = 0; run < 5; ++run) {
        a.push_back(Seconds(ours));
        b.push_back(Seconds(theirs));
    }
    return Median(a) / Median(b);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const std::string cte = CteScript();
    const std::string inserts = InsertScript();
    std::printf("\nSummary (medians of 5 alternating runs; at most 1.0 is the goal)\n");
    std::printf("  FOR loop of %d additions / shell's recursive CTE sum: %.2f\n", kLoop,
                Ratio(PlsqlLoop, [&] { RunShell(cte); }));
    std::printf("  FOR loop of %d INSERTs / shell's %d INSERT statements: %.2f\n", kRows, kRows,
                Ratio(PlsqlInserts, [&] { RunShell(inserts); }));
    fs::remove_all(Scratch());
    return 0;
}
