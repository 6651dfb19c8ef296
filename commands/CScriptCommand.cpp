#include "commands/CScriptCommand.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "commands/CDefineCommand.h"
#include "commands/CWheneverCommand.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "text/ScriptText.h"

namespace {

// The same file reached by different spellings gives the same identity.
std::string FileIdentity(const std::string& path) {
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(std::filesystem::path(path), error);
    return error ? path : canonical.string();
}

std::string FolderOf(const std::string& identity) {
    return std::filesystem::path(identity).parent_path().string();
}

bool HasExtension(const std::string& name) { return std::filesystem::path(name).has_extension(); }

bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string CScriptCommand::Resolve(const std::string& name, bool nested) const {
    std::string path = name;
    const std::string& folder = m_chain.empty() ? m_baseFolder : m_chain.back().folder;
    if (nested && !folder.empty() && !name.empty() && std::filesystem::path(name).is_relative())
        path = (std::filesystem::path(folder) / name).string();
    if (!path.empty() && !HasExtension(path) && IsFile(path + ".sql")) return path + ".sql";
    return path;
}

// A script that cannot be run is an operating-system failure.
CScriptLines CScriptCommand::Notice(CCommandContext& context, Message message, const std::string& name) {
    context.Command<CWheneverCommand>().OnOsError(context);
    return CScriptLines(MessageText(message) + name);
}

// Note: the statement that holds the "@" line is put aside first, so the
// script's lines start statements of their own; one the script leaves
// unfinished stays for the lines typed next.
CScriptLines CScriptCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    const std::vector<std::string> words = textparse::SplitWords(args.Typed(0));
    const std::string name = words.empty() ? std::string() : words[0];
    const bool nested = args.fixed != nullptr;
    const std::string path = Resolve(name, nested);
    const std::string identity = FileIdentity(path);
    const auto same = [&](const Frame& frame) { return frame.identity == identity; };
    if (!path.empty() && std::any_of(m_chain.begin(), m_chain.end(), same))
        return Notice(context, Message::ScriptCycle, name);
    if (m_chain.size() >= kMaxDepth) return Notice(context, Message::ScriptTooDeep, name);
    CScriptLines lines;
    std::size_t badLine = 0;
    switch (CScriptLines::ReadScript(path, lines, context.GetScriptEncoding(), badLine)) {
        case CScriptLines::ReadResult::CannotOpen:
            return Notice(context, Message::ScriptCannotOpen, name);
        case CScriptLines::ReadResult::Unconvertible:
            return Notice(context, Message::ScriptUnreadable, name + ": " + scripttext::RefusalText(badLine));
        case CScriptLines::ReadResult::Ok:
            break;
    }
    CDefineCommand& defines = context.Command<CDefineCommand>();
    for (std::size_t k = 1; k < words.size(); ++k) defines.Define(std::to_string(k), words[k]);
    if (m_chain.empty()) m_linesRun = 0;
    context.ResetStatement();
    m_chain.push_back({identity, FolderOf(identity)});
    CScriptLines out;
    for (const auto& line : lines) {
        if (m_linesRun >= kMaxLines) {
            // Note: said once, by the script that reached the bound.
            if (m_linesRun++ == kMaxLines) out.push_back(MessageText(Message::ScriptTooLarge) + name);
            break;
        }
        ++m_linesRun;
        if (!context.RunScriptLine(line, out)) break;
    }
    m_chain.pop_back();
    context.EndScriptRun();
    return out;
}
