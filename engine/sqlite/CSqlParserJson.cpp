// The SQL/JSON generation functions, read into their calls:
//
//   JSON_OBJECT([KEY] k VALUE|IS|: v [FORMAT JSON], column, t.*, * ...
//               [NULL|ABSENT ON NULL] [RETURNING type])
//   JSON_ARRAY(v [FORMAT JSON], ... [NULL|ABSENT ON NULL] [RETURNING type])
//   JSON_ARRAYAGG(v [FORMAT JSON] [ORDER BY ...] [NULL|ABSENT ON NULL] [RETURNING type])
//   JSON_OBJECTAGG([KEY] k VALUE v [FORMAT JSON] [NULL|ABSENT ON NULL] [RETURNING type])
//
// JSON_OBJECT's and JSON_OBJECTAGG's arguments are keys and values in turn;
// a column named alone is both (kNamedColumn), and a wildcard a Star twice.
#include "engine/sqlite/CSqlParser.h"

bool CSqlParser::JsonConstructor(Expr& call, const std::string& name) {
    const bool object = name == "JSON_OBJECT" || name == "JSON_OBJECTAGG";
    const bool aggregate = name == "JSON_ARRAYAGG" || name == "JSON_OBJECTAGG";
    const bool clausesOnly =
        IsSymbol(')') || ((Is("NULL") || Is("ABSENT")) && Is("ON", 1)) || Is("RETURNING") || Is("STRICT");
    if (!clausesOnly) {
        do {
            if (object ? !JsonObjectEntry(call) : !JsonValueArgument(call)) return false;
        } while (!aggregate && AcceptSymbol(','));
    }
    if (aggregate && call.args.empty()) return FailWith(938);
    if (name == "JSON_ARRAYAGG" && Is("ORDER") && Is("BY", 1)) {
        m_k += 2;
        if (!OrderBy(call.withinGroup)) return false;
    }
    if (!JsonConstructorClauses(call, name) || !ExpectSymbol(')')) return false;
    if (Is("OVER")) return Refuse(name + " ... OVER");
    return true;
}

bool CSqlParser::JsonValueArgument(Expr& call) {
    Expr* value = nullptr;
    if (!Expression(value)) return false;
    call.args.push_back(value);
    call.jsonFlags.push_back(0);
    if (Accept("FORMAT")) {
        if (!Expect("JSON")) return false;
        call.jsonFlags.back() |= Expr::kFormatJson;
    }
    return true;
}

bool CSqlParser::JsonObjectEntry(Expr& call) {
    const std::size_t at = Here();
    // A wildcard: every column of the query, or of one of its sources.
    if (IsSymbol('*') || (IsName() && IsSymbol('.', 1) && IsSymbol('*', 2))) {
        Expr* star = Node(Expr::Kind::Star, at);
        if (!IsSymbol('*')) {
            star->parts.push_back(TokenText(m_k));
            m_k += 2;
        }
        ++m_k;
        call.args.push_back(star);
        call.args.push_back(star);
        call.jsonFlags.insert(call.jsonFlags.end(), {0, 0});
        return true;
    }
    const bool key = Accept("KEY");
    // Note: the key stops before IS, which here separates it from its value.
    Expr* first = nullptr;
    if (!Expression(first, 4)) return false;
    call.args.push_back(first);
    call.jsonFlags.push_back(0);
    // Note: 'k':v written without a blank reads as a bind; here it is the
    // separator and the name after it.
    if (!AtEnd() && m_tokens[m_k].kind == CSqlScanner::Kind::Bind) {
        Expr* value = Node(Expr::Kind::Name, m_tokens[m_k].begin + 1);
        value->parts.push_back(TokenText(m_k).substr(1));
        ++m_k;
        call.args.push_back(value);
        call.jsonFlags.push_back(0);
    } else if (Accept("VALUE") || Accept("IS") || AcceptSymbol(':')) {
        if (!JsonValueArgument(call)) return false;
    } else if (!key && first->kind == Expr::Kind::Name) {
        // A column named alone: its name as written is its key.
        call.args.push_back(first);
        call.jsonFlags.back() = Expr::kNamedColumn;
        call.jsonFlags.push_back(0);
        if (Accept("FORMAT")) {
            if (!Expect("JSON")) return false;
            call.jsonFlags.back() |= Expr::kFormatJson;
        }
    } else {
        return Fail();
    }
    return true;
}

bool CSqlParser::JsonConstructorClauses(Expr& call, const std::string& name) {
    if ((Is("NULL") || Is("ABSENT")) && Is("ON", 1) && Is("NULL", 2)) {
        call.jsonOnNull = Is("NULL") ? 1 : 2;
        m_k += 3;
    }
    if (Accept("RETURNING")) {
        if (!IsName()) return Fail();
        if (!TypeText(call.detail)) return false;
    }
    if (Is("STRICT") || Is("WITH")) return Refuse(name + " (" + std::string(TokenText(m_k)) + ")");
    // Note: WITHOUT UNIQUE KEYS is what the functions do anyway.
    if (Is("WITHOUT") && Is("UNIQUE", 1) && Is("KEYS", 2)) m_k += 3;
    return true;
}
