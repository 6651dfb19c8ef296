#include "batch/CBatchRunner.h"

#include <chrono>
#include <cstdlib>
#include <exception>
#include <filesystem>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <istream>
#include <ostream>
#include <thread>

#include "batch/CBoundedInput.h"
#include "batch/CInterruptWatcher.h"
#include "batch/CTerminalEcho.h"
#include "commands/CDefineCommand.h"
#include "commands/CScriptCommand.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

constexpr char kProgram[] = "tarvex";

constexpr char kUsage[] =
    "使用方法: tarvex [--batch] [--encoding cp932|utf-8] [ファイル...]\n"
    "ファイルを順に一つのコンソールへ入力として再生し、最後にコンソールの全行を\n"
    "UTF-8 で標準出力に書き出します。ファイルが \"-\" または指定なしのときは\n"
    "標準入力を読みます。EXIT で再生を終えます。\n"
    "  --batch     ウィンドウを開かずに実行する\n"
    "  --encoding  ファイルの文字コードを指定する (cp932 または utf-8; 既定は内容から判断)\n"
    "  --define NAME=VALUE  最初のファイルの前に置換変数を定義する\n"
    "ファイルの後の -- に続く引数は、置換変数 &1 &2 ... になります。\n"
    "  --help      この説明を表示する\n"
    "  --version   版を表示する\n";

enum class Option { Batch, Help, Version, Encoding, Define };

struct OptionName {
    const char* name;
    Option option;
};

constexpr OptionName kOptions[] = {
    {"--batch", Option::Batch},     {"--help", Option::Help},         {"-h", Option::Help},
    {"--version", Option::Version}, {"--encoding", Option::Encoding}, {"--define", Option::Define},
};

const OptionName* FindOption(const std::string& arg) {
    for (const auto& row : kOptions)
        if (arg == row.name) return &row;
    return nullptr;
}

bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

// A replay's console only grows: the heap grows in large steps and keeps
// what it has, rather than giving memory back and faulting it in again.
void TuneHeapForGrowth() {
#ifdef __GLIBC__
    mallopt(M_TOP_PAD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

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
    return m_host.IsCloseRequested() || m_interrupted || m_editor.GetProcessor().IsExitRefused();
}

bool CBatchRunner::Replay(std::istream& in, const std::string& name, std::ostream& errors) {
    CBoundedInput bounded(in, kMaxFileBytes, kMaxLineBytes);
    std::istream input(&bounded);
    std::string refusal;
    if (!m_editor.Load(input, &refusal)) {
        errors << kProgram << ": " << name << ": " << encoding::Cp932ToUtf8(refusal) << "\n";
        return false;
    }
    if (!bounded.Exceeded()) return true;
    errors << kProgram << ": 入力が大きすぎるため読み込みを打ち切りました(1ファイル" << (kMaxFileBytes >> 20)
           << "MBまで、1行" << (kMaxLineBytes >> 20) << "MBまで): " << name << "\n";
    return false;
}

void CBatchRunner::Interrupt() {
    if (++m_interrupts > 1) m_interrupted = true;
    m_editor.GetDatabase().Cancel();
}

bool CBatchRunner::RunFile(const std::string& name, std::istream& standardInput, std::ostream& errors) {
    // Note: "@@" in a file names files beside it, as in a script run by "@".
    const std::string folder =
        name == "-" ? std::string() : std::filesystem::path(name).parent_path().string();
    CScriptCommand& scripts = m_editor.GetProcessor().Command<CScriptCommand>();
    scripts.SetBaseFolder(folder);
    const bool whole = RunFileIn(name, standardInput, errors);
    scripts.SetBaseFolder({});
    return whole;
}

bool CBatchRunner::RunFileIn(const std::string& name, std::istream& standardInput, std::ostream& errors) {
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
    // Note: answers to prompts come from standard input; when the script is
    // read from there too, nothing is left for them.
    m_host.SetInput(&standardInput, &standardInput == &std::cin && isatty(STDIN_FILENO) != 0);
    m_host.SetPromptOutput(&errors);
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
    bool committed = ReportFailedCommit(errors);
    int status = m_host.GetExitStatus();
    // Note: a failed commit always fails the run, even after WHENEVER ... EXIT SUCCESS.
    if (!committed) return status > 0 ? status : 1;
    if (status >= 0) return status;
    return ok ? 0 : 1;
}

void CBatchRunner::Define(const std::vector<std::pair<std::string, std::string>>& defines,
                          const std::vector<std::string>& arguments) {
    CDefineCommand& variables = m_editor.GetProcessor().Command<CDefineCommand>();
    const auto local = [](const std::string& text) {
        std::string out;
        return encoding::IsAscii(text) || !encoding::Utf8ToCp932Strict(text, out) ? text : out;
    };
    for (const auto& [name, value] : defines) variables.Define(cp932::ToUpper(local(name)), local(value));
    for (std::size_t k = 0; k < arguments.size(); ++k)
        variables.Define(std::to_string(k + 1), local(arguments[k]));
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
    // Note: written in large blocks rather than as one, so that a large
    // console is not held a second time in UTF-8.
    constexpr std::size_t kBlock = std::size_t{4} << 20;
    std::string block;
    block.reserve(kBlock + (kBlock >> 2));
    std::string line;
    // Note: a script's feedback lines repeat, so the last line that needed
    // converting is kept with its UTF-8.
    std::string converted;
    std::string convertedUtf8;
    const int count = m_editor.GetLineCount();
    for (int i = 0; i < count; ++i) {
        m_editor.ReadLine(i, line);
        if (encoding::IsAscii(line)) {
            block += line;
        } else {
            if (line != converted) {
                convertedUtf8.clear();
                encoding::AppendCp932ToUtf8(line, convertedUtf8);
                converted.swap(line);
            }
            block += convertedUtf8;
        }
        block += '\n';
        if (block.size() < kBlock) continue;
        output.write(block.data(), static_cast<std::streamsize>(block.size()));
        block.clear();
    }
    output.write(block.data(), static_cast<std::streamsize>(block.size()));
}

int CBatchRunner::Main(const std::vector<std::string>& args, std::istream& standardInput,
                       std::ostream& output, std::ostream& errors) {
    std::vector<std::string> files;
    std::vector<std::string> scriptArgs;
    std::vector<std::pair<std::string, std::string>> defines;
    scripttext::Encoding scriptEncoding = scripttext::Encoding::Auto;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // Note: after a file, "--" begins the script's arguments; before
        // any, it only ends the options (a file may then begin with "-").
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            if (!files.empty()) {
                scriptArgs.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
                break;
            }
            continue;
        }
        const OptionName* option = optionsEnded ? nullptr : FindOption(arg);
        if (option != nullptr && option->option == Option::Help) {
            output << kUsage;
            return 0;
        }
        if (option != nullptr && option->option == Option::Version) {
            output << kVersionLine << "\n";
            return 0;
        }
        if (option != nullptr && option->option == Option::Encoding) {
            if (i + 1 >= args.size() || !scripttext::ParseEncoding(args[i + 1], scriptEncoding)) {
                errors << kProgram << ": --encoding には cp932 か utf-8 を指定してください\n" << kUsage;
                return 2;
            }
            ++i;
            continue;
        }
        if (option != nullptr && option->option == Option::Define) {
            const std::size_t equals = i + 1 < args.size() ? args[i + 1].find('=') : std::string::npos;
            if (equals == std::string::npos || equals == 0) {
                errors << kProgram << ": --define には NAME=VALUE を指定してください\n" << kUsage;
                return 2;
            }
            defines.emplace_back(args[i + 1].substr(0, equals), args[i + 1].substr(equals + 1));
            ++i;
            continue;
        }
        if (option != nullptr) continue;
        if (!optionsEnded && LooksLikeOption(arg)) {
            errors << kProgram << ": 不明なオプションです: " << arg << "\n" << kUsage;
            return 2;
        }
        files.push_back(arg);
    }
    TuneHeapForGrowth();
    CBatchRunner runner;
    runner.GetEditor().SetScriptEncoding(scriptEncoding);
    runner.Define(defines, scriptArgs);
    std::atomic<bool> finished{false};
    CInterruptWatcher watcher([&runner] { runner.Interrupt(); },
                              [&runner, &finished] {
                                  runner.Interrupt();
                                  // Note: a call that does not give way to the cancel
                                  // must not keep the program; the server rolls back
                                  // what a vanished client leaves.
                                  for (int n = 0; n < 50 && !finished; ++n)
                                      std::this_thread::sleep_for(std::chrono::milliseconds(100));
                                  if (finished) return;
                                  CTerminalEcho::Restore();
                                  std::_Exit(kInterruptedStatus);
                              });
    const int status = runner.Run(files, standardInput, output, errors);
    finished = true;
    return status;
}

bool CBatchRunner::OwnsCommandLine(const std::vector<std::string>& args) {
    bool batch = false;
    bool own = false;
    bool file = false;
    for (const auto& arg : args) {
        if (arg == "--") {
            // Note: "--" after a file begins the script's arguments.
            own = own || file;
            break;
        }
        if (arg == "--version") return true;
        if (arg == "--pdf" || arg == "--screenshot") return false;
        batch = batch || arg == "--batch";
        own = own || arg == "--encoding" || arg == "--define";
        file = file || !LooksLikeOption(arg);
    }
    return batch && own;
}
