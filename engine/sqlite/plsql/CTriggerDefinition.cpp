#include "engine/sqlite/plsql/CTriggerDefinition.h"

#include "engine/sqlite/CSqlScanner.h"
#include "text/Cp932.h"

namespace {

using Token = CSqlScanner::Token;

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text), m_tokens(CSqlScanner::Significant(text)) {}

    bool Is(std::string_view word, std::size_t ahead = 0) const {
        return m_k + ahead < m_tokens.size() && CSqlScanner::Is(m_text, m_tokens[m_k + ahead], word);
    }
    bool Accept(std::string_view word) {
        if (!Is(word)) return false;
        ++m_k;
        return true;
    }
    bool IsSymbol(char symbol) const {
        return m_k < m_tokens.size() && CSqlScanner::IsSymbol(m_text, m_tokens[m_k], symbol);
    }
    std::string Name() {
        if (m_k >= m_tokens.size()) return {};
        std::string_view written = m_text.substr(m_tokens[m_k].begin, m_tokens[m_k].length);
        ++m_k;
        if (written.size() >= 2 && written.front() == '"')
            return std::string(written.substr(1, written.size() - 2));
        return cp932::ToUpperAscii(written);
    }
    // A name that may be qualified by its schema.
    std::string QualifiedName() {
        std::string name = Name();
        if (IsSymbol('.')) {
            ++m_k;
            name = Name();
        }
        return name;
    }
    std::size_t At() const { return m_k < m_tokens.size() ? m_tokens[m_k].begin : m_text.size(); }
    bool AtEnd() const { return m_k >= m_tokens.size(); }
    // The text of a parenthesised group (without its parentheses).
    std::string Group() {
        if (!IsSymbol('(')) return {};
        int depth = 0;
        std::size_t first = m_k;
        for (; m_k < m_tokens.size(); ++m_k) {
            if (CSqlScanner::IsSymbol(m_text, m_tokens[m_k], '(')) ++depth;
            if (CSqlScanner::IsSymbol(m_text, m_tokens[m_k], ')') && --depth == 0) break;
        }
        if (m_k >= m_tokens.size()) return {};
        std::size_t from = m_tokens[first].begin + 1;
        std::string inner(m_text.substr(from, m_tokens[m_k].begin - from));
        ++m_k;
        return inner;
    }
    void Next() { ++m_k; }

private:
    std::string_view m_text;
    std::vector<Token> m_tokens;
    std::size_t m_k = 0;
};

bool Refuse(std::string& what, std::size_t& at, std::string name, std::size_t where) {
    what = std::move(name);
    at = where;
    return false;
}

}  // namespace

bool CTriggerDefinition::Read(std::string_view text, CTriggerDefinition& out, std::string& what,
                              std::size_t& at) {
    Reader reader(text);
    reader.Accept("TRIGGER");
    out.nameAt = reader.At();
    out.name = reader.QualifiedName();
    if (reader.Accept("BEFORE")) {
        out.timing = "BEFORE";
    } else if (reader.Accept("AFTER")) {
        out.timing = "AFTER";
    } else if (reader.Accept("INSTEAD")) {
        if (!reader.Accept("OF")) return Refuse(what, at, "TRIGGER", reader.At());
        // Note: an INSTEAD OF trigger fires for each row of its view.
        out.timing = "INSTEAD OF";
        out.forEachRow = true;
    } else if (reader.Is("FOR")) {
        return Refuse(what, at, "COMPOUND TRIGGER", reader.At());
    } else {
        return Refuse(what, at, "TRIGGER", reader.At());
    }
    do {
        std::size_t eventAt = reader.At();
        std::string event = reader.Name();
        if (event != "INSERT" && event != "UPDATE" && event != "DELETE")
            return Refuse(what, at, event + " TRIGGER", eventAt);
        out.events.push_back(event);
        if (event == "UPDATE" && reader.Accept("OF")) {
            do out.updateColumns.push_back(reader.Name());
            while (reader.IsSymbol(',') && (reader.Next(), true));
        }
    } while (reader.Accept("OR"));
    if (!reader.Accept("ON")) return Refuse(what, at, "TRIGGER", reader.At());
    if (reader.Is("DATABASE") || reader.Is("SCHEMA")) return Refuse(what, at, "SYSTEM TRIGGER", reader.At());
    out.table = reader.QualifiedName();
    if (reader.Accept("REFERENCING")) {
        for (;;) {
            if (reader.Accept("NEW")) {
                reader.Accept("AS");
                out.newName = reader.Name();
            } else if (reader.Accept("OLD")) {
                reader.Accept("AS");
                out.oldName = reader.Name();
            } else if (reader.Is("PARENT")) {
                return Refuse(what, at, "REFERENCING PARENT", reader.At());
            } else {
                break;
            }
        }
    }
    if (reader.Accept("FOR")) {
        if (!reader.Accept("EACH") || !reader.Accept("ROW")) return Refuse(what, at, "TRIGGER", reader.At());
        out.forEachRow = true;
    }
    for (bool again = true; again;) {
        again = false;
        if (reader.Accept("ENABLE")) again = true;
        if (reader.Accept("DISABLE")) {
            out.enabled = false;
            again = true;
        }
        bool follows = reader.Is("FOLLOWS");
        if (reader.Accept("FOLLOWS") || reader.Accept("PRECEDES")) {
            out.orderAt = reader.At();
            auto& names = follows ? out.follows : out.precedes;
            do names.push_back(reader.QualifiedName());
            while (reader.IsSymbol(',') && (reader.Next(), true));
            again = true;
        }
    }
    if (reader.Accept("WHEN")) out.when = reader.Group();
    if (reader.Is("COMPOUND")) return Refuse(what, at, "COMPOUND TRIGGER", reader.At());
    if (reader.Is("CALL")) return Refuse(what, at, "CALL TRIGGER", reader.At());
    if (!reader.Is("BEGIN") && !reader.Is("DECLARE")) return Refuse(what, at, "TRIGGER", reader.At());
    out.bodyStart = reader.At();
    return true;
}

std::string CTriggerDefinition::TriggerType() const {
    if (timing == "INSTEAD OF") return timing;
    return timing + (forEachRow ? " EACH ROW" : " STATEMENT");
}

std::string CTriggerDefinition::Event() const {
    std::string out;
    for (const std::string& event : events) out += (out.empty() ? "" : " OR ") + event;
    return out;
}
