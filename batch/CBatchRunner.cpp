#include "batch/CBatchRunner.h"

#include <chrono>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <istream>
#include <ostream>
#include <thread>

#include "batch/CInterruptWatcher.h"
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

void CBatchRunner::Replay(std::istream& in) { m_editor.Load(in); }

void CBatchRunner::Interrupt() {
    if (++m_interrupts > 1) m_interrupted = true;
    m_editor.GetDatabase().Cancel();
}

bool CBatchRunner::RunFile(const std::string& name, std::istream& standardInput, std::ostream& errors) {
    try {
        if (name == "-") {
            Replay(standardInput);
            return true;
        }
        std::ifstream file(name, std::ios::binary);
        if (!file) {
            errors << kProgram << ": ファイルを開けません: " << name << "\n";
            return false;
        }
        Replay(file);
        if (file.bad()) {
            errors << kProgram << ": ファイルを読めません: " << name << "\n";
            return false;
        }
        return true;
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
    if (m_interrupted) {
        // Note: the program ends here; its transaction is not kept.
        m_editor.GetDatabase().Close();
    }
    WriteConsole(output);
    output.flush();
    if (!output) {
        errors << kProgram << ": 出力を書き込めません\n";
        return 1;
    }
    if (m_interrupted) return kInterruptedStatus;
    return ok ? 0 : 1;
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
    std::atomic<bool> finished{false};
    CInterruptWatcher watcher([&runner] { runner.Interrupt(); },
                              [&runner, &finished] {
                                  runner.Interrupt();
                                  // Note: a call that does not give way to the cancel
                                  // must not keep the program; the server rolls back
                                  // what a vanished client leaves.
                                  for (int n = 0; n < 50 && !finished; ++n)
                                      std::this_thread::sleep_for(std::chrono::milliseconds(100));
                                  if (!finished) std::_Exit(kInterruptedStatus);
                              });
    const int status = runner.Run(files, standardInput, output, errors);
    finished = true;
    return status;
}
