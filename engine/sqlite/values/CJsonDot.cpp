#include "engine/sqlite/values/CJsonDot.h"

#include <sqlite3.h>

#include "engine/sqlite/SqliteApi.h"
#include "text/Encoding.h"

namespace {

// A reader of one JSON text: each call skips a value and the blanks before it.
class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    void Blanks() {
        while (m_at < m_text.size() &&
               (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }
    bool AtEnd() {
        Blanks();
        return m_at >= m_text.size();
    }
    char Peek() {
        Blanks();
        return m_at < m_text.size() ? m_text[m_at] : '\0';
    }
    bool Accept(char c) {
        if (Peek() != c) return false;
        ++m_at;
        return true;
    }
    // A value: its text, or false when the text is no JSON there.
    bool Value(std::string_view& out) {
        Blanks();
        const std::size_t start = m_at;
        if (!Skip()) return false;
        out = m_text.substr(start, m_at - start);
        return true;
    }
    // A string's content, unescaped (UTF-8).
    bool String(std::string& out) {
        if (!Accept('"')) return false;
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            char c = m_text[m_at++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size()) return false;
            c = m_text[m_at++];
            static constexpr std::string_view kFrom = "\"\\/bfnrt";
            static constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
            if (std::size_t k = kFrom.find(c); k != std::string_view::npos) {
                out += kTo[k];
                continue;
            }
            if (c != 'u' || !Unicode(out)) return false;
        }
        if (m_at >= m_text.size()) return false;
        ++m_at;
        return true;
    }

private:
    bool Hex(unsigned& out) {
        if (m_at + 4 > m_text.size()) return false;
        out = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = m_text[m_at++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return false;
            out = out * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }
    bool Unicode(std::string& out) {
        unsigned code = 0;
        if (!Hex(code)) return false;
        if (code >= 0xD800 && code < 0xDC00 && m_text.substr(m_at, 2) == "\\u") {
            m_at += 2;
            unsigned low = 0;
            if (!Hex(low)) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        encoding::AppendUtf8(static_cast<char32_t>(code), out);
        return true;
    }
    bool Skip() {
        const char c = Peek();
        if (c == '"') {
            std::string ignored;
            return String(ignored);
        }
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++m_at;
            if (Accept(close)) return true;
            do {
                if (c == '{') {
                    std::string key;
                    if (!String(key) || !Accept(':')) return false;
                }
                if (!Skip()) return false;
            } while (Accept(','));
            return Accept(close);
        }
        const std::size_t start = m_at;
        while (m_at < m_text.size() &&
               std::string_view(",:]} \t\r\n").find(m_text[m_at]) == std::string_view::npos)
            ++m_at;
        return m_at > start;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

// One step of a path: a member (any member when `any`), or an array's
// element (any element when `any`).
struct Step {
    bool member = true;
    bool any = false;
    std::string name;
    std::size_t index = 0;
};

bool Walk(std::string_view value, const std::vector<Step>& steps, std::size_t step,
          std::vector<std::string_view>& found);

// An array's elements, each walked from `step` on (the same step again for
// a member step, which reads the elements of an array it meets).
bool Elements(Reader& reader, const std::vector<Step>& steps, std::size_t step, std::size_t next,
              std::vector<std::string_view>& found) {
    reader.Accept('[');
    if (reader.Accept(']')) return true;
    std::size_t position = 0;
    do {
        std::string_view element;
        if (!reader.Value(element)) return false;
        const Step& here = steps[step];
        if ((here.member || here.any || here.index == position) && !Walk(element, steps, next, found))
            return false;
        ++position;
    } while (reader.Accept(','));
    return reader.Accept(']');
}

// The values `steps[step...]` reach from the value `value`.
bool Walk(std::string_view value, const std::vector<Step>& steps, std::size_t step,
          std::vector<std::string_view>& found) {
    if (step == steps.size()) {
        found.push_back(value);
        return true;
    }
    Reader reader(value);
    const Step& here = steps[step];
    if (reader.Peek() == '[') return Elements(reader, steps, step, here.member ? step : step + 1, found);
    // Note: lax mode reads any other value as an array of that one value.
    if (!here.member) return here.any || here.index == 0 ? Walk(value, steps, step + 1, found) : true;
    if (!reader.Accept('{')) return true;
    if (reader.Accept('}')) return true;
    do {
        std::string key;
        std::string_view member;
        if (!reader.String(key) || !reader.Accept(':') || !reader.Value(member)) return false;
        if ((here.any || key == here.name) && !Walk(member, steps, step + 1, found)) return false;
    } while (reader.Accept(','));
    return reader.Accept('}');
}

bool Walk(std::string_view value, const std::vector<std::string>& fields,
          std::vector<std::string_view>& found) {
    std::vector<Step> steps;
    for (const std::string& field : fields) steps.push_back(Step{true, false, field, 0});
    return Walk(value, steps, 0, found);
}

// The steps of a path (see CJsonPathCheck for what the engine reads).
bool Steps(std::string_view path, std::vector<Step>& steps) {
    while (!path.empty() && path.front() == ' ') path.remove_prefix(1);
    while (!path.empty() && path.back() == ' ') path.remove_suffix(1);
    if (path.empty() || path[0] != '$') return false;
    std::size_t at = 1;
    while (at < path.size()) {
        Step step;
        if (path[at] == '[') {
            const std::size_t close = path.find(']', at);
            if (close == std::string_view::npos) return false;
            std::string_view inside = path.substr(at + 1, close - at - 1);
            step.member = false;
            step.any = inside == "*";
            if (!step.any) {
                if (inside.empty() || inside.find_first_not_of("0123456789") != std::string_view::npos)
                    return false;
                step.index = static_cast<std::size_t>(std::stoull(std::string(inside)));
            }
            at = close + 1;
        } else if (path[at] == '.' && at + 1 < path.size() && path[at + 1] == '*') {
            step.any = true;
            at += 2;
        } else if (path[at] == '.' && at + 1 < path.size() && path[at + 1] == '"') {
            const std::size_t close = path.find('"', at + 2);
            if (close == std::string_view::npos) return false;
            step.name = std::string(path.substr(at + 2, close - at - 2));
            at = close + 1;
        } else if (path[at] == '.') {
            const std::size_t end = path.find_first_of(".[", at + 1);
            step.name = std::string(
                path.substr(at + 1, end == std::string_view::npos ? std::string_view::npos : end - at - 1));
            if (step.name.empty()) return false;
            at = end == std::string_view::npos ? path.size() : end;
        } else {
            return false;
        }
        steps.push_back(std::move(step));
    }
    return true;
}

// A value's JSON text without the blanks between its parts.
std::string Compact(std::string_view text) {
    std::string out;
    bool quoted = false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (quoted) {
            out += c;
            if (c == '\\' && k + 1 < text.size()) out += text[++k];
            if (c == '"') quoted = false;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        quoted = c == '"';
        out += c;
    }
    return out;
}

void Dot(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    const std::string document = sqliteapi::TextOf(argv[0]);
    std::vector<std::string> fields;
    for (int k = 1; k < argc; ++k) fields.push_back(sqliteapi::TextOf(argv[k]));
    std::vector<std::string_view> found;
    std::string answer;
    if (!CJsonDot::Find(document, fields, found) || !CJsonDot::Answer(found, answer))
        return sqlite3_result_null(context);
    sqliteapi::ResultText(context, answer);
}

// ORA_JSON_PATH(document, path, mode): see CJsonDot::Register.
void PathValues(sqlite3_context* context, int, sqlite3_value** argv) {
    const std::string mode = sqliteapi::TextOf(argv[2]);
    std::vector<std::string_view> found;
    const std::string document = sqliteapi::TextOf(argv[0]);
    const bool read = sqlite3_value_type(argv[0]) != SQLITE_NULL &&
                      CJsonDot::FindPath(document, sqliteapi::TextOf(argv[1]), found);
    if (mode == "E") return sqlite3_result_int(context, read && !found.empty() ? 1 : 0);
    if (!read || found.empty()) return sqlite3_result_null(context);
    const char first = Reader(found[0]).Peek();
    if (mode == "C" && found.size() == 1 && (first == '{' || first == '[')) {
        return sqliteapi::ResultText(context, Compact(found[0]));
    }
    std::string out = "[";
    for (std::size_t k = 0; k < found.size(); ++k) out += (k > 0 ? "," : "") + Compact(found[k]);
    sqliteapi::ResultText(context, out + "]");
}

}  // namespace

bool CJsonDot::Find(std::string_view document, const std::vector<std::string>& fields,
                    std::vector<std::string_view>& found) {
    Reader whole(document);
    std::string_view value;
    if (!whole.Value(value) || !whole.AtEnd()) return false;
    return Walk(value, fields, found);
}

bool CJsonDot::FindPath(std::string_view document, std::string_view path,
                        std::vector<std::string_view>& found) {
    std::vector<Step> steps;
    Reader whole(document);
    std::string_view value;
    if (!Steps(path, steps) || !whole.Value(value) || !whole.AtEnd()) return false;
    return Walk(value, steps, 0, found);
}

bool CJsonDot::Answer(const std::vector<std::string_view>& found, std::string& out) {
    if (found.empty()) return false;
    if (found.size() > 1) {
        out = "[";
        for (std::size_t k = 0; k < found.size(); ++k) out += (k > 0 ? "," : "") + Compact(found[k]);
        out += "]";
        return true;
    }
    Reader reader(found[0]);
    if (reader.Peek() == '"') return reader.String(out);
    out = Compact(found[0]);
    return true;
}

bool CJsonDot::Register(sqlite3* db) {
    static constexpr sqliteapi::FunctionRule kRules[] = {{"ORA_JSON_DOT", -1, Dot},
                                                         {"ORA_JSON_PATH", 3, PathValues}};
    return sqliteapi::RegisterFunctions(db, kRules, nullptr);
}
