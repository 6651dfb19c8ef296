// A report of 100,000 rows through the console model on the embedded
// database: the same query laid out plainly, and with a number format, a
// break and a computed sum on every group. The summary gives the ratio
// (median of alternating runs).
// Run: build/bench/bench_report
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "console/CSQLEditor.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRows = 100000;

fs::path Home() { return benchsupport::Home("tarvex-bench-report"); }

using benchsupport::Type;

// A table R of kRows rows in 97 cities, made once.
void MakeTable() {
    static bool made = [] {
        Home();
        CSQLEditor editor;
        Type(editor, "CONNECT bench/bench@REPORT");
        Type(editor, "CREATE TABLE R (ID NUMBER(10), CITY VARCHAR2(12), SAL NUMBER(9,2));");
        Type(editor,
             "INSERT INTO R WITH C(N) AS (SELECT 1 FROM DUAL UNION ALL SELECT N + 1 FROM C WHERE N < " +
                 std::to_string(kRows) + ") SELECT N, 'CITY' || MOD(N, 97), N * 1.25 FROM C;");
        Type(editor, "COMMIT;");
        return true;
    }();
    (void)made;
}

const std::vector<std::string> kReportCommands = {
    "COLUMN SAL FORMAT 999,999,990.99 HEADING 'Salary'",
    "BREAK ON CITY SKIP 1",
    "COMPUTE SUM OF SAL ON CITY",
};

const char kQuery[] = "SELECT CITY, ID, SAL FROM R ORDER BY CITY, ID;";

double RunQuery(bool report) {
    CSQLEditor editor;
    Type(editor, "CONNECT bench/bench@REPORT");
    if (report)
        for (const auto& command : kReportCommands) Type(editor, command);
    const auto start = std::chrono::steady_clock::now();
    Type(editor, kQuery);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    benchmark::DoNotOptimize(editor.GetLineCount());
    return ms;
}

void BM_QueryPlain(benchmark::State& state) {
    MakeTable();
    for (auto _ : state) state.SetIterationTime(RunQuery(false) / 1000.0);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_QueryPlain)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

void BM_QueryReport(benchmark::State& state) {
    MakeTable();
    for (auto _ : state) state.SetIterationTime(RunQuery(true) / 1000.0);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_QueryReport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    MakeTable();
    std::vector<double> plain, report;
    for (int k = 0; k < 5; ++k) {
        plain.push_back(RunQuery(false));
        report.push_back(RunQuery(true));
    }
    std::printf("report/plain: %.2f (plain %.1f ms, report %.1f ms; goal: at most 1.30)\n",
                Median(report) / Median(plain), Median(plain), Median(report));
    fs::remove_all(Home());
    return 0;
}
