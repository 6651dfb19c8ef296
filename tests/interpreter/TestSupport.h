#pragma once

#include <string>
#include <vector>

#include "interpreter/CConsoleHost.h"
#include "interpreter/CSQLProcessor.h"
#include "tests/support/Sj.h"
#include "text/CScriptLines.h"

inline CScriptLines SjLines(const std::vector<const char*>& utf8) {
    CScriptLines out;
    for (const char* line : utf8) out.push_back(Sj(line));
    return out;
}

// Feeds lines through the console's protocol and collects every output.
inline CScriptLines Feed(CSQLProcessor& processor, const std::vector<std::string>& lines) {
    CScriptLines all;
    for (const auto& line : lines) {
        if (processor.IsSkippedLine(line)) continue;
        processor.AddLine(line);
        if (!processor.IsComplete()) continue;
        CScriptLines out;
        processor.Execute(out);
        all.Append(out);
        processor.Reset();
    }
    return all;
}

// A host that records what it is asked; on Return it submits `recalled`
// through the processor, as the console does with a recalled line.
class RecordingHost : public CConsoleHost {
public:
    explicit RecordingHost(CSQLProcessor& processor) : m_processor(processor) {}
    void SendKey(Key key) override {
        events += key == Key::Up ? "U" : "R";
        if (key != Key::Return) return;
        linesWhenSubmitted = m_processor.GetLines();
        if (!recalled.empty()) nestedOutput.Append(Feed(m_processor, {recalled}));
    }
    void SendCommand(Command) override { events += "C"; }
    void PostClose() override { events += "X"; }

    std::string events;
    std::string recalled;
    CScriptLines nestedOutput;
    CScriptLines linesWhenSubmitted;

private:
    CSQLProcessor& m_processor;
};
