#include "app/CLaunchOptions.h"

#include <ostream>

#include "batch/CBatchRunner.h"

namespace {

constexpr char kProgram[] = "tarvex";

constexpr char kUsage[] =
    "使用方法: tarvex [ファイル...]\n"
    "         tarvex --batch [--pdf 出力.pdf] [ファイル...]\n"
    "ウィンドウを開き、ファイルを入力として再生します。\n"
    "  --batch       ウィンドウを開かずに実行し、コンソールを UTF-8 で標準出力に書き出す\n"
    "  --pdf 出力    さらにコンソールを印刷して PDF ファイルに書き出す\n"
    "  --help        この説明を表示する\n";

}  // namespace

const char* CLaunchOptions::Usage() { return kUsage; }

CLaunchOptions CLaunchOptions::Parse(const std::vector<std::string>& args) {
    CLaunchOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--batch") {
            options.batch = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if ((arg == "--pdf" || arg == "--screenshot") && i + 1 < args.size()) {
            (arg == "--pdf" ? options.pdf : options.screenshot) = args[++i];
        } else if (arg == "--pdf" || arg == "--screenshot") {
            options.error = "ファイル名がありません: " + arg;
        } else {
            options.error = "不明なオプションです: " + arg;
        }
        if (!options.error.empty()) break;
    }
    return options;
}

bool CLaunchOptions::NeedsWindow() const { return !help && error.empty() && (!batch || !pdf.empty()); }

int CLaunchOptions::RunWithoutWindow(const std::vector<std::string>& args, std::istream& standardInput,
                                     std::ostream& output, std::ostream& errors) const {
    if (help) {
        output << kUsage;
        return 0;
    }
    if (!error.empty()) {
        errors << kProgram << ": " << error << "\n" << kUsage;
        return 2;
    }
    // Note: the batch runner gets the command line as it was.
    return CBatchRunner::Main(args, standardInput, output, errors);
}
