// Opening the print preview of a long console: the dialog is built, shown
// and its first page painted. Run with QT_QPA_PLATFORM=offscreen where
// there is no display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/CPrintPreviewDlg.h"
#include "bench/BenchSupport.h"
#include "console/CSQLEditor.h"

namespace {

using benchsupport::Fill;

void BM_OpenPreview(benchmark::State& state) {
    CSQLEditor editor;
    Fill(editor, static_cast<int>(state.range(0)));
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    for (auto _ : state) {
        CPrintPreviewDlg dialog(editor, a4, 1);
        dialog.show();
        benchmark::DoNotOptimize(dialog.grab());
        dialog.close();
    }
    state.counters["lines"] = static_cast<double>(editor.GetLineCount());
}
BENCHMARK(BM_OpenPreview)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
