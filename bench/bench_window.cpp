// The window on a long console: a full window painted per frame (at rest,
// and while lines keep arriving), a key typed, and Tab completion on a
// schema of many tables. Run with QT_QPA_PLATFORM=offscreen where there is
// no display: build/bench/bench_window [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "app/CCompletion.h"
#include "app/CVantorDoc.h"
#include "app/CVantorView.h"
#include "bench/BenchSupport.h"
#include "console/CSQLEditor.h"

namespace {

using benchsupport::Fill;

// A view of 1600 x 1000 on a console of `lines` lines, scrolled to its end.
struct Window {
    CVantorDoc document;
    CVantorView view{document};
    explicit Window(int lines) {
        Fill(*document.GetEditor(), lines);
        view.resize(1600, 1000);
        view.show();
        view.OnInitialUpdate();
    }
    void Paint() {
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
};

void BM_PaintFullWindow(benchmark::State& state) {
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state) window.Paint();
    state.counters["lines"] = window.document.GetEditor()->GetLineCount();
}
BENCHMARK(BM_PaintFullWindow)->Arg(1)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A frame while output streams in: ten new lines reach the console, the
// view takes them and paints the window at the end of the console.
void BM_PaintWhileStreaming(benchmark::State& state) {
    Window window(static_cast<int>(state.range(0)));
    CSQLEditor& editor = *window.document.GetEditor();
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            editor.InsertText("REM streamed");
            editor.Submit();
        }
        window.view.Refresh();
        window.Paint();
    }
}
BENCHMARK(BM_PaintWhileStreaming)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One key typed at the end of the input line (model, copy and caret).
void BM_TypeKey(benchmark::State& state) {
    Window window(static_cast<int>(state.range(0)));
    int typed = 0;
    for (auto _ : state) {
        window.view.TypeText(QStringLiteral("a"));
        if (++typed == 200) {  // keeps the line short
            state.PauseTiming();
            window.view.PlayKey(EditorKey::Home, true);
            window.view.PlayKey(EditorKey::Delete, false);
            typed = 0;
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_TypeKey)->Arg(1)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Tab on a schema of `tables` tables of four columns each: the dictionary
// read and the word completed, as one Tab does.
void BM_CompleteOnSchema(benchmark::State& state) {
    CSQLEditor editor;
    const int tables = static_cast<int>(state.range(0));
    std::string script = "CONNECT u/p@bench" + std::to_string(::getpid()) + "\n";
    for (int i = 0; i < tables; ++i)
        script += "CREATE TABLE sales_" + std::to_string(i) +
                  " (id NUMBER, name VARCHAR2(20), amount NUMBER, sold DATE);\n";
    std::istringstream in(script);
    editor.Load(in);
    CCompletion completion;
    std::size_t candidates = 0;
    for (auto _ : state) {
        completion.SetNames(CCompletion::ReadNames(editor.GetDatabase()));
        candidates = completion.Complete("SELECT * FROM sales_12", 22).candidates.size();
    }
    state.counters["candidates"] = static_cast<double>(candidates);
}
BENCHMARK(BM_CompleteOnSchema)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("tarvex-bench-window-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    setenv("TARVEX_HOME", home.c_str(), 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(home);
    return 0;
}
