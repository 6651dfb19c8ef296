#include "engine/sqlite/values/CJsonDot.h"

#include <sqlite3.h>

#include "engine/sqlite/CJsonPath.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CJsonReader.h"

namespace {

using Reader = CJsonReader;
using Step = CJsonPath::Step;
using Kind = CJsonPath::Kind;

bool IsMember(const Step& step) { return step.kind == Kind::Member || step.kind == Kind::AnyMember; }
bool IsAny(const Step& step) { return step.kind == Kind::AnyMember || step.kind == Kind::AnyElement; }

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
        if ((IsMember(here) || IsAny(here) || here.index == position) && !Walk(element, steps, next, found))
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
    if (reader.Peek() == '[') return Elements(reader, steps, step, IsMember(here) ? step : step + 1, found);
    // Note: lax mode reads any other value as an array of that one value.
    if (!IsMember(here)) return IsAny(here) || here.index == 0 ? Walk(value, steps, step + 1, found) : true;
    if (!reader.Accept('{')) return true;
    if (reader.Accept('}')) return true;
    do {
        std::string key;
        std::string_view member;
        if (!reader.String(key) || !reader.Accept(':') || !reader.Value(member)) return false;
        if ((IsAny(here) || key == here.name) && !Walk(member, steps, step + 1, found)) return false;
    } while (reader.Accept(','));
    return reader.Accept('}');
}

bool Walk(std::string_view value, const std::vector<std::string>& fields,
          std::vector<std::string_view>& found) {
    std::vector<Step> steps;
    for (const std::string& field : fields) steps.push_back(Step{Kind::Member, field, 0, {}});
    return Walk(value, steps, 0, found);
}

// The steps of a path the engine reads (CJsonPathCheck passed it when
// the statement was read; the text here is UTF-8).
bool Steps(std::string_view path, std::vector<Step>& steps) {
    CJsonPath::Mode mode = CJsonPath::Mode::Default;
    if (!CJsonPath::Read(path, CJsonPath::Encoding::Utf8, mode, steps) || mode == CJsonPath::Mode::Strict)
        return false;
    for (const Step& step : steps)
        if (step.kind != Kind::Member && step.kind != Kind::AnyMember && step.kind != Kind::Element &&
            step.kind != Kind::AnyElement)
            return false;
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
