#include "batch/CBatchRunner.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>

#include "batch/CBoundedInput.h"
#include "text/Encoding.h"

namespace {

constexpr char kProgram[] = "tarvex";

constexpr char kUsage[] =
    "使用方法: tarvex [--batch] [ファイル...]\n"
    "ファイルを順に一つのコンソールへ入力として再生し、最後にコンソールの全行を\n"
    "UTF-8 で標準出力に書き出します。ファイルが \"-\" または指定なしのときは\n"
    "標準入力を読みます。EXIT で再生を終えます。\n"
    "  --batch  ウィンドウを開かずに実行する\n"
    "  --help   この説明を表示する\n";

enum class Option { Batch, Help };

struct OptionName {
    const char* name;
    Option option;
};

constexpr OptionName kOptions[] = {
    {"--batch", Option::Batch},
    {"--help", Option::Help},
    {"-h", Option::Help},
};

const OptionName* FindOption(const std::string& arg) {
    for (const auto& row : kOptions)
        if (arg == row.name) return &row;
    return nullptr;
}

bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

}  // namespace

CBatchRunner::CBatchRunner() : m_host(m_editor) {
    m_editor.SetHost(&m_host);
    m_editor.SetStopCheck([this] { return IsClosed(); });
}

CBatchRunner::~CBatchRunner() {
    m_editor.SetStopCheck({});
    m_editor.SetHost(nullptr);
}

bool CBatchRunner::IsClosed() const {
    return m_host.IsCloseRequested() || m_editor.GetProcessor().IsExitRefused();
}

bool CBatchRunner::Replay(std::istream& in, const std::string& name, std::ostream& errors) {
    CBoundedInput bounded(in, kMaxFileBytes, kMaxLineBytes);
    std::istream input(&bounded);
    m_editor.Load(input);
    if (!bounded.Exceeded()) return true;
    errors << kProgram << ": 入力が大きすぎるため読み込みを打ち切りました(1ファイル" << (kMaxFileBytes >> 20)
           << "MBまで、1行" << (kMaxLineBytes >> 20) << "MBまで): " << name << "\n";
    return false;
}

bool CBatchRunner::RunFile(const std::string& name, std::istream& standardInput, std::ostream& errors) {
    try {
        if (name == "-") return Replay(standardInput, name, errors);
        std::error_code error;
        // Note: as for "@", only regular files; a device or a pipe could feed
        // input without end.
        if (std::filesystem::exists(name, error) && !std::filesystem::is_regular_file(name, error)) {
            errors << kProgram << ": 通常のファイルではありません: " << name << "\n";
            return false;
        }
        std::ifstream file(name, std::ios::binary);
        if (!file) {
            errors << kProgram << ": ファイルを開けません: " << name << "\n";
            return false;
        }
        bool whole = Replay(file, name, errors);
        if (file.bad()) {
            errors << kProgram << ": ファイルを読めません: " << name << "\n";
            return false;
        }
        return whole;
    } catch (const std::exception& error) {
        errors << kProgram << ": " << name << ": " << encoding::Cp932ToUtf8(error.what()) << "\n";
    } catch (...) {
        errors << kProgram << ": " << name << ": 実行を中断しました\n";
    }
    // Note: the statement that failed is dropped so the next file starts clean.
    m_editor.GetProcessor().Reset();
    return false;
}

int CBatchRunner::Run(const std::vector<std::string>& files, std::istream& standardInput,
                      std::ostream& output, std::ostream& errors) {
    std::vector<std::string> names = files.empty() ? std::vector<std::string>{"-"} : files;
    bool ok = true;
    for (const auto& name : names) {
        if (IsClosed()) break;
        ok = RunFile(name, standardInput, errors) && ok;
    }
    WriteConsole(output);
    output.flush();
    if (!output) {
        errors << kProgram << ": 出力を書き込めません\n";
        return 1;
    }
    return ReportFailedCommit(errors) && ok ? 0 : 1;
}

bool CBatchRunner::ReportFailedCommit(std::ostream& errors) const {
    const CSQLProcessor& processor = m_editor.GetProcessor();
    if (!processor.HasFailedCommit()) return true;
    errors << kProgram
           << (processor.IsExitRefused()
                   ? ": EXITでコミットできませんでした。コミットされていない変更は取り消されました\n"
                   : ": コミットできなかった変更があります\n");
    return false;
}

void CBatchRunner::WriteConsole(std::ostream& output) const {
    int count = m_editor.GetLineCount();
    for (int i = 0; i < count; ++i) output << encoding::Cp932ToUtf8(m_editor.GetLine(i)) << '\n';
}

int CBatchRunner::Main(const std::vector<std::string>& args, std::istream& standardInput,
                       std::ostream& output, std::ostream& errors) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const auto& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        const OptionName* option = optionsEnded ? nullptr : FindOption(arg);
        if (option != nullptr && option->option == Option::Help) {
            output << kUsage;
            return 0;
        }
        if (option != nullptr) continue;
        if (!optionsEnded && LooksLikeOption(arg)) {
            errors << kProgram << ": 不明なオプションです: " << arg << "\n" << kUsage;
            return 2;
        }
        files.push_back(arg);
    }
    CBatchRunner runner;
    return runner.Run(files, standardInput, output, errors);
}
