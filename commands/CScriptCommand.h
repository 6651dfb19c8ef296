#pragma once

#include <string>
#include <utility>
#include <vector>

#include "commands/CCommand.h"
#include "interpreter/Messages.h"

// @file [arg ...], @@file [arg ...], START file [arg ...]: runs the lines
// of a script file as if typed, one by one; the arguments become the
// substitution variables 1, 2, ... A name without an extension finds
// name.sql; "@@" names a file in the folder of the script that holds it.
class CScriptCommand : public CCommand {
public:
    // The row's fixed argument is "NESTED" for "@@".
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;

    // The folder "@@" names files in while no script is running: that of
    // the file being replayed into the console ("": the current folder).
    void SetBaseFolder(std::string folder) { m_baseFolder = std::move(folder); }

    // How deep scripts are running now (0: none).
    std::size_t GetDepth() const { return m_chain.size(); }

    // Nesting limit, and the lines one typed line may run through scripts.
    static constexpr std::size_t kMaxDepth = 32;
    static constexpr std::size_t kMaxLines = 10'000'000;

private:
    struct Frame {
        std::string identity;
        std::string folder;
    };

    // The file `name` names: with ".sql" when it has no extension and that
    // file exists; under the calling script's folder for "@@".
    std::string Resolve(const std::string& name, bool nested) const;
    CScriptLines Notice(CCommandContext& context, Message message, const std::string& name);

    std::vector<Frame> m_chain;
    std::string m_baseFolder;
    // Lines run since the outermost script began.
    std::size_t m_linesRun = 0;
};
