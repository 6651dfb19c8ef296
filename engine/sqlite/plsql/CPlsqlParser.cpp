#include "engine/sqlite/plsql/CPlsqlParser.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CReturningInto.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/plsql/CCollectionJson.h"
#include "engine/sqlite/plsql/CPlsqlBuiltins.h"
#include "engine/sqlite/plsql/CPlsqlErrors.h"
#include "engine/sqlite/plsql/CPlsqlHost.h"
#include "engine/sqlite/plsql/CPlsqlOverloads.h"
#include "engine/sqlite/plsql/CPlsqlParserEntry.h"
#include "engine/sqlite/values/CFloatValue.h"
#include "engine/sqlite/values/CTimeZone.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Op = CPlsqlExpr::Op;

struct ScalarType {
    const char* name;
    CPlsqlType::Base base;
    long long minimum;
    long long maximum;
    bool notNull;
};

constexpr long long kPlsMax = 2147483647LL;

// Types by name; the ranged ones are PLS_INTEGER's subtypes.
constexpr ScalarType kScalarTypes[] = {
    {"NUMBER", CPlsqlType::Base::Number, 0, 0, false},
    {"NUMERIC", CPlsqlType::Base::Number, 0, 0, false},
    {"DECIMAL", CPlsqlType::Base::Number, 0, 0, false},
    {"DEC", CPlsqlType::Base::Number, 0, 0, false},
    {"FLOAT", CPlsqlType::Base::Number, 0, 0, false},
    {"REAL", CPlsqlType::Base::Number, 0, 0, false},
    {"DOUBLE", CPlsqlType::Base::Number, 0, 0, false},
    {"BINARY_DOUBLE", CPlsqlType::Base::Number, 0, 0, false},
    {"BINARY_FLOAT", CPlsqlType::Base::Number, 0, 0, false},
    {"SIMPLE_DOUBLE", CPlsqlType::Base::Number, 0, 0, true},
    {"SIMPLE_FLOAT", CPlsqlType::Base::Number, 0, 0, true},
    {"INTEGER", CPlsqlType::Base::Integer, 0, 0, false},
    {"INT", CPlsqlType::Base::Integer, 0, 0, false},
    {"SMALLINT", CPlsqlType::Base::Integer, 0, 0, false},
    {"PLS_INTEGER", CPlsqlType::Base::Integer, -kPlsMax, kPlsMax, false},
    {"BINARY_INTEGER", CPlsqlType::Base::Integer, -kPlsMax, kPlsMax, false},
    {"SIMPLE_INTEGER", CPlsqlType::Base::Integer, -kPlsMax - 1, kPlsMax, true},
    {"NATURAL", CPlsqlType::Base::Integer, 0, kPlsMax, false},
    {"NATURALN", CPlsqlType::Base::Integer, 0, kPlsMax, true},
    {"POSITIVE", CPlsqlType::Base::Integer, 1, kPlsMax, false},
    {"POSITIVEN", CPlsqlType::Base::Integer, 1, kPlsMax, true},
    {"SIGNTYPE", CPlsqlType::Base::Integer, -1, 1, false},
    {"VARCHAR2", CPlsqlType::Base::Text, 0, 0, false},
    {"VARCHAR", CPlsqlType::Base::Text, 0, 0, false},
    {"NVARCHAR2", CPlsqlType::Base::Text, 0, 0, false},
    {"STRING", CPlsqlType::Base::Text, 0, 0, false},
    {"LONG", CPlsqlType::Base::Text, 0, 0, false},
    {"CLOB", CPlsqlType::Base::Text, 0, 0, false},
    {"NCLOB", CPlsqlType::Base::Text, 0, 0, false},
    {"RAW", CPlsqlType::Base::Text, 0, 0, false},
    {"ROWID", CPlsqlType::Base::Text, 0, 0, false},
    {"CHAR", CPlsqlType::Base::Char, 0, 0, false},
    {"NCHAR", CPlsqlType::Base::Char, 0, 0, false},
    {"CHARACTER", CPlsqlType::Base::Char, 0, 0, false},
    {"DATE", CPlsqlType::Base::Date, 0, 0, false},
    {"TIMESTAMP", CPlsqlType::Base::Date, 0, 0, false},
    {"BOOLEAN", CPlsqlType::Base::Boolean, 0, 0, false},
    {"SYS_REFCURSOR", CPlsqlType::Base::Cursor, 0, 0, false},
};

// Words that begin something other than an assignment or a call.
constexpr std::string_view kSqlStarts[] = {"SELECT", "WITH", "INSERT", "UPDATE", "DELETE", "MERGE", "LOCK"};

// Constructs refused by name rather than half done.
constexpr std::string_view kRefusedStatements[] = {"PIPE", "PROCEDURE", "FUNCTION"};

// Words a label cannot stand before: the ends of statement sequences.
constexpr std::string_view kSequenceEnds[] = {"END", "EXCEPTION", "ELSE", "ELSIF", "WHEN"};

// Words that begin a declaration other than a variable's or a cursor's.
constexpr std::string_view kNotItems[] = {"TYPE", "SUBTYPE", "PRAGMA", "PROCEDURE", "FUNCTION", "BEGIN"};

// Reserved words that never name anything: one read where a name is due is
// a syntax error.
constexpr std::string_view kNeverOperands[] = {"THEN",  "ELSE",    "ELSIF",     "END",  "LOOP",
                                               "BEGIN", "DECLARE", "EXCEPTION", "WHEN", "IS",
                                               "INTO",  "FROM",    "WHERE"};

// Names that read as values without parentheses (pseudo-columns).
constexpr std::string_view kPseudoColumns[] = {
    "SYSDATE", "SYSTIMESTAMP",   "CURRENT_DATE",    "CURRENT_TIMESTAMP", "USER",
    "UID",     "LOCALTIMESTAMP", "SESSIONTIMEZONE", "DBTIMEZONE"};

struct Comparison {
    const char* pair;
    Op op;
};

constexpr Comparison kComparisons[] = {
    {"<=", Op::LessEqual}, {">=", Op::GreaterEqual}, {"<>", Op::NotEqual},
    {"!=", Op::NotEqual},  {"^=", Op::NotEqual},     {"~=", Op::NotEqual},
};

struct CursorAttribute {
    std::string_view name;
    CPlsqlExpr::Attribute attribute;
};

constexpr CursorAttribute kCursorAttributes[] = {
    {"FOUND", CPlsqlExpr::Attribute::Found},
    {"NOTFOUND", CPlsqlExpr::Attribute::NotFound},
    {"ROWCOUNT", CPlsqlExpr::Attribute::RowCount},
    {"ISOPEN", CPlsqlExpr::Attribute::IsOpen},
};

struct OutputName {
    std::string_view name;
    CPlsqlStmt::OutputCall call;
};

constexpr OutputName kOutputCalls[] = {
    {"PUT", CPlsqlStmt::OutputCall::Put},
    {"PUT_LINE", CPlsqlStmt::OutputCall::PutLine},
    {"NEW_LINE", CPlsqlStmt::OutputCall::NewLine},
    {"ENABLE", CPlsqlStmt::OutputCall::Enable},
    {"DISABLE", CPlsqlStmt::OutputCall::Disable},
    {"GET_LINE", CPlsqlStmt::OutputCall::GetLine},
    {"GET_LINES", CPlsqlStmt::OutputCall::GetLines},
};

// The scanner reads "1..10" as "1." and ".10": the range's dots are given
// back as two symbols.
std::vector<CSqlScanner::Token> RangeTokens(std::string_view text) {
    using Kind = CSqlScanner::Kind;
    std::vector<CSqlScanner::Token> out;
    for (auto token : CSqlScanner::Significant(text)) {
        bool endsInDot =
            token.kind == Kind::Number && token.length > 1 && text[token.begin + token.length - 1] == '.';
        bool nextIsDot = token.begin + token.length < text.size() && text[token.begin + token.length] == '.';
        if (endsInDot && nextIsDot) {
            out.push_back({Kind::Number, token.begin, token.length - 1});
            out.push_back({Kind::Symbol, token.begin + token.length - 1, 1});
            continue;
        }
        bool afterRangeDot = token.kind == Kind::Number && text[token.begin] == '.' && out.size() >= 2 &&
                             out.back().kind == Kind::Symbol && out.back().begin + 1 == token.begin &&
                             text[out.back().begin] == '.' && out[out.size() - 2].kind == Kind::Number;
        if (afterRangeDot) {
            out.push_back({Kind::Symbol, token.begin, 1});
            out.push_back({Kind::Number, token.begin + 1, token.length - 1});
            continue;
        }
        out.push_back(token);
    }
    return out;
}

// RAISE_APPLICATION_ERROR's parameters, in their order.
const std::vector<std::string> kApplicationErrorParameters = {"NUM", "MSG", "KEEPERRORSTACK"};

}  // namespace

CPlsqlParser::CPlsqlParser(std::string_view text, CPlsqlHost& host) : m_text(text), m_host(host) {}

CPlsqlParser::~CPlsqlParser() = default;

void CPlsqlParser::Begin() {
    m_unit = std::make_shared<CPlsqlUnit>();
    Retarget(m_text);
}

void CPlsqlParser::Retarget(std::string_view text) {
    m_text = text;
    m_k = 0;
    m_tokens = RangeTokens(m_text);
    DropSysQualifiers();
    m_end = Token{CSqlScanner::Kind::Space, m_text.size(), 0};
    m_unit->text = std::string(m_text);
    m_unit->lineStarts.assign(1, 0);
    for (std::size_t k = 0; k < m_text.size(); ++k)
        if (m_text[k] == '\n') m_unit->lineStarts.push_back(k + 1);
}

void CPlsqlParser::DropSysQualifiers() {
    // SYS.DBMS_OUTPUT.PUT_LINE: the built-in packages are SYS's, and the
    // schema's name before theirs says nothing more.
    auto word = [&](std::size_t k) { return cp932::ToUpperAscii(TokenText(m_tokens[k])); };
    for (std::size_t k = 0; k + 3 < m_tokens.size(); ++k) {
        if (m_tokens[k].kind != CSqlScanner::Kind::Word || word(k) != "SYS" ||
            (k > 0 && CSqlScanner::IsSymbol(m_text, m_tokens[k - 1], '.')) ||
            !CSqlScanner::IsSymbol(m_text, m_tokens[k + 1], '.') ||
            m_tokens[k + 2].kind != CSqlScanner::Kind::Word ||
            !CSqlScanner::IsSymbol(m_text, m_tokens[k + 3], '.'))
            continue;
        std::string package = word(k + 2);
        if (package.starts_with("DBMS_") || package.starts_with("UTL_"))
            m_tokens.erase(m_tokens.begin() + static_cast<std::ptrdiff_t>(k),
                           m_tokens.begin() + static_cast<std::ptrdiff_t>(k + 2));
    }
}

std::shared_ptr<CPlsqlPackage> CPlsqlParser::ParsePackage(const std::string& owner, std::string_view body,
                                                          CompileError& failure, bool& inBody) {
    inBody = false;
    Begin();
    auto package = std::make_shared<CPlsqlPackage>();
    try {
        Push();
        m_compiling = package;
        OpenPackageFrame("PACKAGE", owner, *package);
        while (Accept("AUTHID")) Name();
        if (!Accept("IS")) Expect("AS");
        while (!AtEnd() && !Is("END")) ParsePackageItem(true);
        Expect("END");
        if (IsName()) Name();
        AcceptSymbol(';');
        for (const auto& [name, entry] : m_scopes.back())
            if (entry.kind == Entry::Kind::Variable)
                package->variables[name] = entry.slot;
            else if (entry.kind == Entry::Kind::Exception)
                package->exceptions[name] = entry.exception;
        package->types = m_types;
        // Note: a heading with errors is reported alone, its body not read.
        FailCollected();
        if (!body.empty()) {
            inBody = true;
            OpenBody("PACKAGE", body);
            while (!AtEnd() && !Is("END") && !Is("BEGIN")) ParsePackageItem(false);
            if (Accept("BEGIN")) m_frame->block->body = ParseBody({"END", "EXCEPTION"});
            if (Accept("EXCEPTION")) ParseHandlers(*m_frame->block);
            Expect("END");
            if (IsName()) Name();
            AcceptSymbol(';');
            CloseBody(*package);
        }
        for (const auto& [name, member] : package->members)
            for (const auto& [referenced, type] : member->dependencies) m_frame->DependsOn(referenced, type);
        package->frame = m_frame;
        CheckGotos();
        FailCollected();
        Pop();
    } catch (const Failure& error) {
        failure = Gathered(error).where;
        return nullptr;
    }
    return package;
}

void CPlsqlParser::OpenPackageFrame(std::string_view word, const std::string& owner, CPlsqlPackage& package) {
    Expect(word);
    package.name = Name();
    if (AcceptSymbol('.')) package.name = Name();
    m_package = package.name;
    m_frame = m_unit;
    m_frame->type = std::string(word);
    m_frame->name = package.name;
    m_frame->qualified = owner.empty() ? package.name : owner + "." + package.name;
    m_frame->block = std::make_unique<CPlsqlBlockNode>();
}

void CPlsqlParser::OpenBody(std::string_view word, std::string_view body) {
    Retarget(body);
    Expect(word);
    Expect("BODY");
    Name();
    if (AcceptSymbol('.')) Name();
    if (!Accept("IS")) Expect("AS");
}

void CPlsqlParser::CloseBody(const CPlsqlPackage& package) {
    if (!AtEnd()) Unexpected();
    // Note: every member without its body is an error of the body.
    for (const auto& [name, member] : package.members) {
        if (member->block) continue;
        try {
            Fail(323, name, 0);
        } catch (const Failure& failure) {
            Collect(failure);
        }
    }
}

void CPlsqlParser::ParsePackageItem(bool heading) {
    if (!Is("PROCEDURE") && !Is("FUNCTION")) {
        ParseGuardedDeclaration(*m_frame->block, Is("CURSOR"));
        return;
    }
    std::size_t nameAt = Peek(1).begin;
    std::shared_ptr<CPlsqlUnit> member;
    try {
        member = ParseHeading(m_frame);
    } catch (Failure& failure) {
        // Note: a member's heading whose types do not resolve ends the
        // package's compile, as a stored subprogram's does.
        if (Collectable(failure) && Resolving(failure.pls)) failure.where.terminated = true;
        throw;
    }
    auto range = m_compiling->members.equal_range(member->name);
    std::shared_ptr<CPlsqlUnit> declared;
    for (auto it = range.first; it != range.second; ++it)
        if (CPlsqlOverloads::SameHeading(*it->second, *member)) declared = it->second;
    if (declared && declared->block)
        Refuse(encoding::Utf8ToCp932("パッケージ内の同名のサブプログラム (") + member->name + ")", nameAt);
    if (declared) {
        // Note: calls compiled before the body hold the declaration's unit.
        *declared = std::move(*member);
        member = declared;
    } else {
        if (heading && range.first == range.second) m_compiling->publicMembers.push_back(member->name);
        m_compiling->members.emplace(member->name, member);
    }
    m_unit = member;
    ParseSubprogramBody(!heading);
    m_unit = m_frame;
}

void CPlsqlParser::ParsePackageCursor() {
    Expect("CURSOR");
    std::size_t at = Peek().begin;
    std::string name = Name();
    CPlsqlCursorDecl cursor;
    cursor.name = name;
    // Note: the parameters are variables of the package, read by its query.
    Push();
    if (AcceptSymbol('(')) {
        do {
            std::size_t paramAt = Peek().begin;
            std::string param = Name();
            Accept("IN");
            Entry entry;
            entry.slot = NewSlot(param, ParseType());
            entry.package = m_package;
            ExprPtr fallback;
            if (AcceptPair(":=") || Accept("DEFAULT")) fallback = ParseExpr();
            cursor.parameters.push_back(entry.slot);
            cursor.defaults.push_back(std::move(fallback));
            Declare(param, entry, paramAt);
        } while (AcceptSymbol(','));
        ExpectSymbol(')');
    }
    if (Accept("RETURN")) ParseType();
    bool defined = Accept("IS");
    if (defined) {
        std::size_t first = m_k;
        std::size_t end = StatementEnd(first);
        cursor.query = BuildSql(first, end, CPlsqlSql::Kind::Query);
        Compile(*cursor.query, m_tokens[first].begin);
        m_k = end;
    }
    ExpectSymbol(';');
    Pop();
    auto& scope = m_scopes.back();
    auto found = scope.find(name);
    std::shared_ptr<CPlsqlType> type;
    if (found != scope.end()) {
        type = SlotTypeOf(found->second);
        if (type->base != CPlsqlType::Base::Cursor || type->cursorQuery >= 0) Fail(103, name, at);
    } else {
        type = std::make_shared<CPlsqlType>();
        type->base = CPlsqlType::Base::Cursor;
        type->name = name;
        Entry entry;
        entry.slot = NewSlot(name, type);
        entry.constant = true;
        entry.package = m_package;
        Declare(name, entry, at);
    }
    if (!defined) return;
    type->cursorQuery = static_cast<int>(m_frame->cursors.size());
    m_frame->cursors.push_back(std::move(cursor));
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseCursorAttribute(ExprPtr variable) {
    if (!IsSymbol('%') || variable->kind != CPlsqlExpr::Kind::Variable || variable->target.index ||
        variable->target.field >= 0 || TargetType(variable->target)->base != CPlsqlType::Base::Cursor)
        return variable;
    ++m_k;
    std::size_t attributeAt = Peek().begin;
    std::string attribute = Name();
    variable->kind = CPlsqlExpr::Kind::CursorAttribute;
    for (const auto& row : kCursorAttributes)
        if (attribute == row.name) {
            variable->attribute = row.attribute;
            return variable;
        }
    Fail(201, attribute, attributeAt);
}

std::shared_ptr<CPlsqlUnit> CPlsqlParser::ParseHeading(const std::shared_ptr<CPlsqlUnit>& enclosing,
                                                       const std::string& method) {
    auto unit = std::make_shared<CPlsqlUnit>();
    unit->method = method;
    unit->type = Is("FUNCTION") ? "FUNCTION" : "PROCEDURE";
    ++m_k;
    unit->name = Name();
    unit->qualified = enclosing->qualified;
    unit->package = m_package;
    unit->text = enclosing->text;
    unit->lineStarts = enclosing->lineStarts;
    unit->lineOffset = enclosing->lineOffset;
    m_unit = unit;
    Push();
    NameScope(unit->name);
    // Note: SELF is the first parameter of a method that is not STATIC: IN
    // for a function, IN OUT for a procedure or a constructor, unless the
    // heading declares it itself.
    if (!method.empty() && method != "STATIC" && !(IsSymbol('(') && Is("SELF", 1))) {
        CPlsqlUnit::Parameter self;
        self.name = "SELF";
        self.mode = unit->type == "FUNCTION" && method != "CONSTRUCTOR" ? CPlsqlUnit::Mode::In
                                                                        : CPlsqlUnit::Mode::InOut;
        self.slot = NewSlot("SELF", m_object);
        Entry entry;
        entry.slot = self.slot;
        entry.constant = self.mode == CPlsqlUnit::Mode::In;
        Declare("SELF", entry, Peek().begin);
        unit->parameters.push_back(std::move(self));
    }
    if (IsSymbol('(')) ParseParameters();
    if (unit->type == "FUNCTION") {
        Expect("RETURN");
        if (method == "CONSTRUCTOR") {
            Expect("SELF");
            Expect("AS");
            Expect("RESULT");
            unit->returnType = m_object;
        } else {
            unit->returnType = ParseType();
        }
    }
    while (Accept("DETERMINISTIC") || Accept("RESULT_CACHE")) {
    }
    if (Is("PIPELINED")) Refuse("PIPELINED", Peek().begin);
    return unit;
}

void CPlsqlParser::ParseSubprogramBody(bool bodyAllowed) {
    if (!AcceptSymbol(';')) {
        if (!bodyAllowed) Unexpected();
        if (!Accept("IS")) Expect("AS");
        // Note: a GOTO cannot leave a subprogram, so the sequences around it are out of reach.
        // (given back also when the body's compile fails).
        struct Sequences {
            std::vector<int>& current;
            std::vector<int> outer;
            ~Sequences() { current.swap(outer); }
        } sequences{m_sequences, {}};
        sequences.outer.swap(m_sequences);
        m_unit->block = ParseBlock({}, m_unit->name);
        ExpectSymbol(';');
    }
    Pop();
}

void CPlsqlParser::ParseLocalSubprogram() {
    std::size_t at = Peek(1).begin;
    std::shared_ptr<CPlsqlUnit> enclosing = m_unit;
    m_levels.push_back(enclosing.get());
    ++m_level;
    auto unit = ParseHeading(enclosing);
    unit->level = m_level;
    // The name is declared in the block around, so that the body may call itself.
    auto& scope = m_scopes[m_scopes.size() - 2];
    auto found = scope.find(unit->name);
    if (found != scope.end() && found->second.kind != Entry::Kind::Subprogram) Fail(103, unit->name, at);
    if (found == scope.end()) {
        Entry entry;
        entry.kind = Entry::Kind::Subprogram;
        entry.level = m_level - 1;
        found = scope.emplace(unit->name, entry).first;
    }
    std::shared_ptr<CPlsqlUnit> declared;
    for (const auto& other : found->second.units)
        if (CPlsqlOverloads::SameHeading(*other, *unit)) declared = other;
    if (declared && declared->block) Fail(103, unit->name, at);
    if (declared) {
        *declared = std::move(*unit);
        unit = declared;
        m_unit = unit;
    } else {
        found->second.units.push_back(unit);
        enclosing->locals.push_back(unit);
    }
    ParseSubprogramBody(true);
    --m_level;
    m_levels.pop_back();
    m_unit = enclosing;
}

std::shared_ptr<CPlsqlUnit> CPlsqlParser::Parse(CEngineError& error) {
    Begin();
    try {
        Push();
        std::string label;
        if (IsSymbol('<') && IsSymbol('<', 1)) {
            m_k += 2;
            label = Name();
            ExpectSymbol('>');
            ExpectSymbol('>');
            m_labels.push_back({label, -1});
        }
        m_unit->block = ParseBlock(label);
        AcceptSymbol(';');
        if (!AtEnd()) Unexpected();
        CheckGotos();
        FailCollected();
        Pop();
    } catch (const Failure& stopped) {
        Failure failure = Gathered(stopped);
        error.Set(failure.message, static_cast<int>(failure.at));
        error.code = failure.where.refused ? 3001 : 6550;
        return nullptr;
    }
    return std::move(m_unit);
}

std::shared_ptr<CPlsqlType> CPlsqlParser::ParseSchemaType(
    CompileError& failure, std::vector<std::pair<std::string, std::string>>& references) {
    Begin();
    try {
        Push();
        Expect("TYPE");
        if (Is("BODY")) Refuse("CREATE TYPE BODY", Peek().begin);
        std::string name = Name();
        if (AcceptSymbol('.')) name = Name();
        m_unit->name = name;
        m_unit->type = "TYPE";
        Accept("FORCE");
        if (Accept("AUTHID")) Name();
        if (Is("UNDER")) Refuse("UNDER", Peek().begin);
        if (!Accept("AS")) Expect("IS");
        std::size_t at = Peek().begin;
        std::shared_ptr<CPlsqlType> type;
        if (Is("OBJECT")) {
            type = ParseObjectType();
        } else if (Is("TABLE") || Is("VARRAY") || Is("VARYING")) {
            type = ParseCollectionType();
            // Note: INDEX BY is a PL/SQL type only (PLS-00355 on the server).
            if (type->collection == CPlsqlType::CollectionKind::Associative) Fail(355, {}, at);
        } else {
            Unexpected();
        }
        type->name = name;
        for (;;) {
            if (Accept("FINAL") || Accept("INSTANTIABLE") || Accept("PERSISTABLE")) continue;
            if (Is("NOT") && (Is("FINAL", 1) || Is("PERSISTABLE", 1))) {
                type->notFinal = type->notFinal || Is("FINAL", 1);
                m_k += 2;
                continue;
            }
            if (Is("NOT") && Is("INSTANTIABLE", 1)) Refuse("NOT INSTANTIABLE", Peek().begin);
            break;
        }
        AcceptSymbol(';');
        if (!AtEnd()) Unexpected();
        references = m_unit->dependencies;
        Pop();
        return type;
    } catch (const Failure& error) {
        failure = Gathered(error).where;
        return nullptr;
    }
}

std::shared_ptr<CPlsqlType> CPlsqlParser::ParseObjectType() {
    Expect("OBJECT");
    auto type = std::make_shared<CPlsqlType>();
    type->base = CPlsqlType::Base::Record;
    type->object = true;
    ExpectSymbol('(');
    do {
        std::size_t at = Peek().begin;
        if (Is("PRAGMA")) {
            SkipTypeItem();
            continue;
        }
        if (IsMethodStart()) {
            // Note: the heading of a method is compiled with the type's methods (ParseTypeMethods).
            CPlsqlType::Method method;
            method.kind = MethodKind();
            method.function = Is("FUNCTION");
            if (!method.function && !Is("PROCEDURE")) Unexpected();
            ++m_k;
            method.name = Name();
            method.parameters = method.kind == "STATIC" || (IsSymbol('(') && Is("SELF", 1)) ? 0 : 1;
            for (int depth = 0; IsSymbol('(') || depth > 0; ++m_k) {
                if (AtEnd()) Unexpected();
                if (IsSymbol('(') && depth++ == 0) ++method.parameters;
                if (IsSymbol(')')) --depth;
                if (IsSymbol(',') && depth == 1) ++method.parameters;
            }
            bool ordering = method.kind == "MAP" || method.kind == "ORDER";
            for (const auto& other : type->methods)
                if (ordering && (other.kind == "MAP" || other.kind == "ORDER")) Fail(154, {}, at);
            type->methods.push_back(std::move(method));
            SkipTypeItem();
            continue;
        }
        CPlsqlType::Field field;
        field.name = Name();
        for (const auto& other : type->fields)
            if (other.name == field.name) Fail(410, field.name, at);
        field.type = ParseType();
        if (field.type->base == CPlsqlType::Base::Collection &&
            field.type->collection == CPlsqlType::CollectionKind::Associative)
            Fail(355, {}, at);
        type->fields.push_back(std::move(field));
    } while (AcceptSymbol(','));
    ExpectSymbol(')');
    if (type->fields.empty()) Fail(589, {}, Peek().begin);
    return type;
}

std::shared_ptr<CPlsqlType> CPlsqlParser::SchemaTypeNamed(const std::string& name, std::size_t at) {
    bool invalid = false;
    auto type = m_host.SchemaType(name, invalid);
    if (invalid) Fail(905, name, at);
    if (type) m_unit->DependsOn(name, "TYPE");
    return type;
}

std::shared_ptr<CPlsqlUnit> CPlsqlParser::ParseUnit(const std::string& owner, CompileError& failure) {
    Begin();
    try {
        Push();
        m_unit->type = Is("FUNCTION") ? "FUNCTION" : "PROCEDURE";
        ++m_k;
        m_unit->name = Name();
        if (AcceptSymbol('.')) m_unit->name = Name();
        NameScope(m_unit->name);
        m_unit->qualified = owner.empty() ? m_unit->name : owner + "." + m_unit->name;
        ParseUnitHeading();
        for (;;) {
            std::size_t at = Peek().begin;
            if (Is("PIPELINED") || Is("PARALLEL_ENABLE") || Is("AGGREGATE") || Is("EXTERNAL") ||
                Is("LANGUAGE"))
                Refuse(TokenText(Peek()), at);
            if (Accept("AUTHID")) {
                Name();
                continue;
            }
            if (Accept("DETERMINISTIC") || Accept("RESULT_CACHE")) continue;
            break;
        }
        if (!Accept("IS")) Expect("AS");
        m_host.Compiling(m_unit);
        m_unit->block = ParseBlock({}, m_unit->name);
        if (!AtEnd()) ExpectSymbol(';');
        if (!AtEnd()) Unexpected();
        CheckGotos();
        FailCollected();
        Pop();
    } catch (const Failure& error) {
        failure = Gathered(error).where;
        return nullptr;
    }
    return m_unit;
}

std::shared_ptr<CPlsqlUnit> CPlsqlParser::ParseTrigger(const std::string& owner, const std::string& name,
                                                       std::size_t bodyStart,
                                                       const std::vector<CPlsqlType::Field>& columns,
                                                       const std::string& newName, const std::string& oldName,
                                                       CompileError& failure) {
    Begin();
    try {
        Push();
        m_unit->type = "TRIGGER";
        m_unit->name = name;
        m_unit->qualified = owner.empty() ? name : owner + "." + name;
        m_newName = newName;
        m_oldName = oldName;
        auto row = std::make_shared<CPlsqlType>();
        row->base = CPlsqlType::Base::Record;
        row->fields = columns;
        NewSlot(":" + newName, row);
        NewSlot(":" + oldName, row);
        auto boolean = std::make_shared<CPlsqlType>();
        boolean->base = CPlsqlType::Base::Boolean;
        for (const char* flag : {"INSERTING", "UPDATING", "DELETING"}) {
            Entry entry;
            entry.slot = NewSlot(flag, boolean);
            entry.constant = true;
            Declare(flag, entry, 0);
        }
        while (m_k < m_tokens.size() && m_tokens[m_k].begin < bodyStart) ++m_k;
        m_unit->lineOffset = m_unit->LineOf(bodyStart) - 1;
        m_unit->block = ParseBlock({});
        if (!AtEnd()) ExpectSymbol(';');
        if (!AtEnd()) Unexpected();
        CheckGotos();
        FailCollected();
        Pop();
    } catch (const Failure& error) {
        failure = Gathered(error).where;
        return nullptr;
    }
    return m_unit;
}

int CPlsqlParser::RowSlot(const std::string& name) const {
    if (m_newName.empty()) return -1;
    if (name == m_newName) return 0;
    if (name == m_oldName) return 1;
    return -1;
}

void CPlsqlParser::ParseUnitHeading() {
    try {
        if (IsSymbol('(')) ParseParameters();
        if (m_unit->type == "FUNCTION") {
            Expect("RETURN");
            m_unit->returnType = ParseType();
        }
    } catch (Failure& failure) {
        if (Collectable(failure) && Resolving(failure.pls)) failure.where.terminated = true;
        throw;
    }
}

void CPlsqlParser::ParseParameters() {
    ExpectSymbol('(');
    do {
        std::size_t at = Peek().begin;
        CPlsqlUnit::Parameter parameter;
        parameter.name = Name();
        if (Accept("IN"))
            parameter.mode = Accept("OUT") ? CPlsqlUnit::Mode::InOut : CPlsqlUnit::Mode::In;
        else if (Accept("OUT"))
            parameter.mode = CPlsqlUnit::Mode::Out;
        Accept("NOCOPY");
        auto type = ParseType();
        if (AcceptPair(":=") || Accept("DEFAULT")) parameter.fallback = ParseExpr();
        parameter.slot = NewSlot(parameter.name, type);
        Entry entry;
        entry.slot = parameter.slot;
        entry.constant = parameter.mode == CPlsqlUnit::Mode::In;
        Declare(parameter.name, entry, at);
        m_unit->parameters.push_back(std::move(parameter));
    } while (AcceptSymbol(','));
    ExpectSymbol(')');
}

void CPlsqlParser::NoteCall(const CPlsqlUnit& unit) {
    if (&unit == m_unit.get() || unit.level > 0 || (!unit.package.empty() && unit.package == m_package))
        return;
    if (unit.package.empty())
        m_unit->DependsOn(unit.name, unit.type);
    else
        m_unit->DependsOn(unit.package, unit.method.empty() ? "PACKAGE" : "TYPE");
}

std::shared_ptr<CPlsqlUnit> CPlsqlParser::ParseUnitCall(const std::string& name, const std::string& type,
                                                        std::vector<ExprPtr>& args,
                                                        std::vector<CPlsqlTarget>* targets, std::size_t at,
                                                        const SelfArg* self) {
    auto named = Callables(name, at);
    if (named.empty()) return nullptr;
    // A member method named bare inside another one is called on SELF.
    SelfArg implicit;
    bool onSelf = self == nullptr && !named[0]->method.empty() && m_object && !m_unit->method.empty() &&
                  m_unit->method != "STATIC";
    if (onSelf) {
        implicit.target.slot = m_unit->parameters[0].slot;
        implicit.target.at = at;
        implicit.constant = m_unit->parameters[0].mode == CPlsqlUnit::Mode::In;
    }
    std::vector<std::shared_ptr<CPlsqlUnit>> candidates;
    for (const auto& unit : named) {
        bool member = unit->method == "MEMBER" || unit->method == "MAP" || unit->method == "ORDER";
        bool fits = self != nullptr ? (self->made ? unit->method == "CONSTRUCTOR" : member)
                                    : unit->method.empty() || unit->method == "STATIC" || (onSelf && member);
        if (unit->type == type && fits) candidates.push_back(unit);
    }
    if (candidates.empty()) Fail(type == "PROCEDURE" ? 221 : 222, name, at);
    if (onSelf && candidates[0]->method != "STATIC") self = &implicit;
    std::size_t chosen = 0;
    if (candidates.size() > 1)
        chosen = ChooseOverload(candidates, candidates[0]->name, targets != nullptr, at, self);
    args = ParseCallArguments(*candidates[chosen], targets, at, self);
    NoteCall(*candidates[chosen]);
    return candidates[chosen];
}

std::size_t CPlsqlParser::ChooseOverload(const std::vector<std::shared_ptr<CPlsqlUnit>>& candidates,
                                         const std::string& name, bool statement, std::size_t at,
                                         const SelfArg* self) {
    std::size_t start = m_k;
    // Each candidate that takes the arguments: how it fits each of them,
    // by where the argument stands in the text.
    std::vector<std::pair<std::size_t, std::map<std::size_t, CPlsqlOverloads::Match>>> viable;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        m_k = start;
        std::map<std::size_t, CPlsqlOverloads::Match> fits;
        if (FitsArguments(*candidates[k], statement, at, self, fits)) viable.emplace_back(k, std::move(fits));
    }
    m_k = start;
    if (viable.empty()) Fail(306, name, at);
    // Which of two candidates fits better: each argument at least as well, one better.
    auto beats = [](const auto& one, const auto& other) {
        bool better = false;
        for (const auto& [where, match] : one) {
            auto found = other.find(where);
            int compared = found == other.end() ? 0 : CPlsqlOverloads::Compare(match, found->second);
            if (compared < 0) return false;
            better = better || compared > 0;
        }
        return better;
    };
    for (const auto& [index, fits] : viable) {
        bool best = true;
        for (const auto& other : viable)
            if (other.first != index && !beats(fits, other.second)) best = false;
        if (!best) continue;
        // Note: parameters that differ in their modes alone tell no call apart.
        for (const auto& other : candidates)
            if (CPlsqlOverloads::DifferInModesOnly(*other, *candidates[index])) Fail(307, name, at);
        return index;
    }
    Fail(307, name, at);
    return 0;
}

bool CPlsqlParser::FitsArguments(const CPlsqlUnit& unit, bool statement, std::size_t at, const SelfArg* self,
                                 std::map<std::size_t, CPlsqlOverloads::Match>& fits) {
    auto typeOf = [this](const CPlsqlTarget& target) { return TargetType(target); };
    try {
        std::vector<CPlsqlTarget> ignored;
        SelfArg trial;
        if (self != nullptr)
            trial = {self->target, self->made, self->constant, self->value, true, self->name};
        auto args = ParseCallArguments(unit, statement ? &ignored : nullptr, at, self ? &trial : nullptr);
        for (std::size_t p = 0; p < args.size(); ++p) {
            if (!args[p] || (self != nullptr && p == 0)) continue;
            const auto& formal = *unit.slotTypes[static_cast<std::size_t>(unit.parameters[p].slot)];
            auto match = CPlsqlOverloads::Fit(CPlsqlOverloads::OfExpr(*args[p], typeOf), formal);
            if (match.level < 0) return false;
            fits[args[p]->at] = match;
        }
    } catch (const Failure& failure) {
        // Note: a list that names an argument twice, or gives one by
        // position after a named one, is wrong for every candidate.
        if (failure.pls == 312 || failure.pls == 703) throw;
        return false;
    }
    return true;
}

std::shared_ptr<const void> CPlsqlParser::OwnerOf(const std::shared_ptr<CPlsqlUnit>& unit) const {
    // Note: a unit still being compiled (itself, one that calls it back) or
    // a member of the same package is owned elsewhere.
    if (unit == m_unit || !unit->block || unit->level > 0 ||
        (!unit->package.empty() && unit->package == m_package))
        return nullptr;
    if (unit->package.empty()) return unit;
    bool invalid = false;
    return m_host.FindPackage(unit->package, invalid);
}

std::vector<std::shared_ptr<CPlsqlUnit>> CPlsqlParser::Callables(const std::string& name, std::size_t at) {
    bool invalid = false;
    std::size_t dot = name.find('.');
    if (dot == std::string::npos) {
        if (const Entry* entry = Find(name); entry != nullptr && entry->kind == Entry::Kind::Subprogram)
            return entry->units;
        if (m_compiling && m_compiling->members.count(name) > 0) {
            std::vector<std::shared_ptr<CPlsqlUnit>> members;
            auto range = m_compiling->members.equal_range(name);
            for (auto it = range.first; it != range.second; ++it) members.push_back(it->second);
            return members;
        }
    } else {
        std::string packageName = name.substr(0, dot);
        auto package = packageName == m_package ? m_compiling : m_host.FindPackage(packageName, invalid);
        if (invalid) Fail(905, packageName, at);
        if (package) {
            std::string member = name.substr(dot + 1);
            bool visible = package == m_compiling ||
                           std::find(package->publicMembers.begin(), package->publicMembers.end(), member) !=
                               package->publicMembers.end();
            std::vector<std::shared_ptr<CPlsqlUnit>> members;
            auto range = package->members.equal_range(member);
            for (auto it = range.first; it != range.second && visible; ++it) members.push_back(it->second);
            if (members.empty()) Fail(302, member, at);
            return members;
        }
    }
    auto unit = m_host.FindUnit(name, invalid);
    if (invalid) Fail(905, name, at);
    if (!unit) return {};
    return {unit};
}

std::vector<CPlsqlParser::ExprPtr> CPlsqlParser::ParseCallArguments(const CPlsqlUnit& callee,
                                                                    std::vector<CPlsqlTarget>* targets,
                                                                    std::size_t at, const SelfArg* self) {
    std::vector<ExprPtr> args(callee.parameters.size());
    if (targets != nullptr) targets->assign(callee.parameters.size(), CPlsqlTarget());
    std::vector<bool> given(callee.parameters.size(), false);
    std::size_t position = 0;
    if (self != nullptr && !callee.parameters.empty()) {
        bool writes = callee.parameters[0].mode != CPlsqlUnit::Mode::In && !self->made;
        if (writes && (self->constant || targets == nullptr || self->value != nullptr))
            Fail(363, self->name, at);
        args[0] = SelfExpr(*self);
        if (writes) (*targets)[0] = self->target;
        given[0] = true;
        position = 1;
    }
    if (AcceptSymbol('(') && !AcceptSymbol(')')) {
        bool named = false;
        do {
            std::size_t index = position++;
            if (IsName() && IsPair("=>", 1)) {
                std::size_t nameAt = Peek().begin;
                std::string name = Name();
                m_k += 2;
                named = true;
                index = callee.parameters.size();
                for (std::size_t k = 0; k < callee.parameters.size(); ++k)
                    if (callee.parameters[k].name == name) index = k;
                if (index == callee.parameters.size()) Fail(306, callee.name, nameAt);
                if (given[index]) Fail(703, {}, nameAt);
            } else if (named) {
                Fail(312, {}, Peek().begin);
            }
            if (index >= callee.parameters.size() || given[index]) Fail(306, callee.name, at);
            given[index] = true;
            const auto& parameter = callee.parameters[index];
            if (parameter.mode != CPlsqlUnit::Mode::In) {
                if (targets == nullptr) Fail(306, callee.name, at);
                if (!IsName() && Peek().kind != CSqlScanner::Kind::Bind)
                    Fail(363, TokenText(Peek()), Peek().begin);
                std::size_t targetAt = Peek().begin;
                std::size_t save = m_k;
                (*targets)[index] = ParseTarget();
                if (!IsSymbol(',') && !IsSymbol(')')) Fail(363, TokenText(m_tokens[save]), targetAt);
                m_k = save;
            }
            args[index] = ParseExpr();
        } while (AcceptSymbol(','));
        ExpectSymbol(')');
    }
    for (std::size_t k = 0; k < callee.parameters.size(); ++k)
        if (!given[k] && !callee.parameters[k].fallback) Fail(306, callee.name, at);
    return args;
}

// ---- tokens

const CSqlScanner::Token& CPlsqlParser::Peek(std::size_t ahead) const {
    if (m_k + ahead >= m_tokens.size()) return m_end;
    return m_tokens[m_k + ahead];
}

bool CPlsqlParser::Is(std::string_view word, std::size_t ahead) const {
    if (m_k + ahead >= m_tokens.size()) return false;
    const Token& token = m_tokens[m_k + ahead];
    return token.kind == CSqlScanner::Kind::Word && CSqlScanner::Is(m_text, token, word);
}

bool CPlsqlParser::IsSymbol(char symbol, std::size_t ahead) const {
    return m_k + ahead < m_tokens.size() && CSqlScanner::IsSymbol(m_text, m_tokens[m_k + ahead], symbol);
}

bool CPlsqlParser::IsPair(const char* pair, std::size_t ahead) const {
    if (!IsSymbol(pair[0], ahead) || !IsSymbol(pair[1], ahead + 1)) return false;
    return m_tokens[m_k + ahead].begin + 1 == m_tokens[m_k + ahead + 1].begin;
}

bool CPlsqlParser::Accept(std::string_view word) {
    if (!Is(word)) return false;
    ++m_k;
    return true;
}

bool CPlsqlParser::AcceptSymbol(char symbol) {
    if (!IsSymbol(symbol)) return false;
    ++m_k;
    return true;
}

bool CPlsqlParser::AcceptPair(const char* pair) {
    if (!IsPair(pair)) return false;
    m_k += 2;
    return true;
}

void CPlsqlParser::Expect(std::string_view word) {
    if (!Accept(word)) Unexpected();
}

void CPlsqlParser::ExpectSymbol(char symbol) {
    if (!AcceptSymbol(symbol)) Unexpected();
}

void CPlsqlParser::ExpectPair(const char* pair) {
    if (!AcceptPair(pair)) Unexpected();
}

bool CPlsqlParser::IsName(std::size_t ahead) const {
    if (m_k + ahead >= m_tokens.size()) return false;
    auto kind = m_tokens[m_k + ahead].kind;
    return kind == CSqlScanner::Kind::Word || kind == CSqlScanner::Kind::QuotedName;
}

std::string CPlsqlParser::TokenText(const Token& token) const {
    return std::string(m_text.substr(token.begin, token.length));
}

std::string CPlsqlParser::NameText(const Token& token) const {
    std::string written = TokenText(token);
    if (token.kind == CSqlScanner::Kind::QuotedName) return written.substr(1, written.size() - 2);
    return cp932::ToUpperAscii(written);
}

std::string CPlsqlParser::Name() {
    if (!IsName()) Unexpected();
    std::string written = TokenText(m_tokens[m_k++]);
    if (written.front() == '"') return written.substr(1, written.size() - 2);
    return cp932::ToUpperAscii(written);
}

void CPlsqlParser::Fail(int pls, std::string_view arg, std::size_t at) const {
    // Note: a reserved word read where a name is due is a syntax error.
    if (pls == 201 &&
        std::find(std::begin(kNeverOperands), std::end(kNeverOperands), arg) != std::end(kNeverOperands)) {
        auto token = std::lower_bound(m_tokens.begin(), m_tokens.end(), at,
                                      [](const Token& t, std::size_t place) { return t.begin < place; });
        if (token != m_tokens.end() && token->begin == at && token->kind == CSqlScanner::Kind::Word)
            Fail(103, TokenText(*token), at);
    }
    std::string message = CPlsqlErrors::Compile(m_unit->LineOf(at), m_unit->ColumnOf(at), pls, arg);
    CompileError where{m_unit->LineOf(at), m_unit->ColumnOf(at), message.substr(message.find('\n') + 1)};
    // Note: a name the compiler cannot resolve makes it pass over the whole
    // statement, which the server reports as a second error.
    if (Resolving(pls) && m_statementAt != std::string::npos) {
        where.ignoredLine = m_unit->LineOf(m_statementAt);
        where.ignoredColumn = m_unit->ColumnOf(m_statementAt);
        std::string head = CPlsqlErrors::Compile(where.ignoredLine, where.ignoredColumn, 0);
        message += "\n" + head.substr(0, head.find('\n')) + "\nPL/SQL: Statement ignored";
    }
    std::size_t order = where.ignoredLine > 0 ? m_statementAt : at;
    throw Failure{std::move(message), std::move(where), at, pls, order};
}

void CPlsqlParser::Refuse(std::string_view what, std::size_t at) const {
    std::string message = CPlsqlErrors::Text(3001, what);
    CompileError where{m_unit->LineOf(at), m_unit->ColumnOf(at), message};
    where.refused = true;
    where.at = at;
    throw Failure{std::move(message), std::move(where), at, -1, at};
}

void CPlsqlParser::Unexpected() const {
    if (AtEnd()) Fail(103, encoding::Utf8ToCp932("ファイルの終わり"), m_text.size());
    Fail(103, TokenText(Peek()), Peek().begin);
}

// ---- scopes

void CPlsqlParser::Push() {
    m_scopes.emplace_back();
    m_scopeLabels.emplace_back();
}

void CPlsqlParser::Pop() {
    m_scopes.pop_back();
    m_scopeLabels.pop_back();
}

void CPlsqlParser::NameScope(const std::string& label) {
    if (!m_scopeLabels.empty()) m_scopeLabels.back() = label;
}

void CPlsqlParser::SkipScopeQualifier() {
    if (!IsName() || !IsSymbol('.', 1) || !IsName(2)) return;
    std::string label = cp932::ToUpperAscii(TokenText(Peek()));
    // Note: a variable of the label's name (a record) hides it; a subprogram
    // (the one being compiled) does not.
    if (const Entry* named = Find(label); named != nullptr && named->kind != Entry::Kind::Subprogram) return;
    std::string name = cp932::ToUpperAscii(TokenText(Peek(2)));
    for (std::size_t k = m_scopeLabels.size(); k-- > 0;) {
        // Note: a subprogram's parameters and its body's declarations are two scopes of one name.
        if (m_scopeLabels[k] != label || m_scopes[k].count(name) == 0) continue;
        m_k += 2;
        m_qualified = Qualified{k, m_k, name, true};
        return;
    }
}

const CPlsqlParser::Entry* CPlsqlParser::Find(const std::string& name) const {
    // Note: the qualified name is looked up in its scope while it is read.
    if (m_qualified.active && name == m_qualified.name &&
        (m_k == m_qualified.token || m_k == m_qualified.token + 1)) {
        const auto& scope = m_scopes[m_qualified.scope];
        if (auto found = scope.find(name); found != scope.end()) return &found->second;
    }
    for (auto scope = m_scopes.rbegin(); scope != m_scopes.rend(); ++scope) {
        auto found = scope->find(name);
        if (found == scope->end()) continue;
        if (found->second.malformed && found->second.loopIndex) Fail(364, name, UseOf(name));
        if (found->second.malformed) Fail(320, {}, UseOf(name));
        return &found->second;
    }
    return nullptr;
}

std::size_t CPlsqlParser::UseOf(const std::string& name) const {
    // Note: the first place the statement being read names it.
    std::size_t from = m_statementAt == std::string::npos ? Peek().begin : m_statementAt;
    for (const Token& token : m_tokens)
        if (token.begin >= from && token.begin <= Peek().begin &&
            (token.kind == CSqlScanner::Kind::Word || token.kind == CSqlScanner::Kind::QuotedName) &&
            NameText(token) == name)
            return token.begin;
    return Peek().begin;
}

int CPlsqlParser::NewSlot(const std::string& name, std::shared_ptr<CPlsqlType> type) {
    m_unit->slotTypes.push_back(std::move(type));
    m_unit->slotNames.push_back(name);
    return static_cast<int>(m_unit->slotTypes.size() - 1);
}

void CPlsqlParser::Declare(const std::string& name, const Entry& entry, std::size_t at) {
    auto& scope = m_scopes.back();
    if (scope.count(name) > 0) Fail(103, name, at);
    scope[name] = entry;
    scope[name].level = m_level;
}

void CPlsqlParser::Refer(CPlsqlTarget& target, const Entry& entry) const {
    target.slot = entry.slot;
    target.field = entry.field;
    target.package = entry.package;
    target.outer = entry.package.empty() ? m_level - entry.level : 0;
}

const CPlsqlUnit& CPlsqlParser::UnitAt(int level) const {
    return level >= m_level ? *m_unit : *m_levels[static_cast<std::size_t>(level)];
}

// ---- declarations

void CPlsqlParser::ParseDeclarations(CPlsqlBlockNode& block) {
    while (!AtEnd() && !Is("BEGIN")) ParseGuardedDeclaration(block);
    for (const auto& [name, entry] : m_scopes.back())
        for (const auto& unit : entry.units)
            if (!unit->block) Fail(328, name, Peek().begin);
}

void CPlsqlParser::ParseGuardedDeclaration(CPlsqlBlockNode& block, bool packageCursor) {
    Mark mark = MarkState();
    try {
        if (packageCursor)
            ParsePackageCursor();
        else
            ParseDeclaration(block);
    } catch (const Failure& failure) {
        m_k = mark.token;
        // Note: an item is passed over for its names and its query; any
        // other fault of a declaration (PLS-00218...) stops the compile.
        bool passed = failure.pls == 0 || Resolving(failure.pls);
        if (!Collectable(failure) || !passed || !IsItemStart()) throw;
        PassOverItem(failure, mark);
    }
}

bool CPlsqlParser::IsItemStart() const {
    if (!IsName()) return false;
    for (std::string_view word : kNotItems)
        if (Is(word)) return false;
    return true;
}

void CPlsqlParser::PassOverItem(const Failure& failure, const Mark& mark) {
    Restore(mark);
    m_k = mark.token;
    std::size_t at = Peek().begin;
    Accept("CURSOR");
    std::string name = NameText(Peek());
    // Note: the item ignored is the declared type (after the name and CONSTANT).
    std::size_t typeAt = Peek(Is("CONSTANT", 1) ? 2 : 1).begin;
    m_k = StatementEnd(mark.token);
    ExpectSymbol(';');
    Failure item = failure;
    item.order = at;
    if (failure.pls != 0) {
        // Note: the server passes over the declaration ("PL/SQL: Item ignored").
        item.where.ignoredLine = m_unit->LineOf(typeAt);
        item.where.ignoredColumn = m_unit->ColumnOf(typeAt);
        item.where.ignoredText = "PL/SQL: Item ignored";
        item.message = MessageOf(item.where);
    }
    Collect(item);
    Entry entry;
    entry.malformed = true;
    if (m_scopes.back().count(name) == 0) Declare(name, entry, at);
}

std::string CPlsqlParser::MessageOf(const CompileError& error) const {
    auto head = [](int line, int column) {
        std::string message = CPlsqlErrors::Compile(line, column, 0);
        return message.substr(0, message.find('\n'));
    };
    std::string message = head(error.line, error.column) + "\n" + error.text;
    if (error.ignoredLine > 0)
        message += "\n" + head(error.ignoredLine, error.ignoredColumn) + "\n" + error.ignoredText;
    return message;
}

void CPlsqlParser::ParseDeclaration(CPlsqlBlockNode& block) {
    std::size_t at = Peek().begin;
    if (Is("TYPE") || Is("SUBTYPE")) return ParseTypeDeclaration();
    if (Is("CURSOR")) return ParseCursorDeclaration();
    if (Is("PRAGMA")) return ParsePragma();
    if (Is("PROCEDURE") || Is("FUNCTION")) return ParseLocalSubprogram();
    std::string name = Name();
    if (Accept("EXCEPTION")) {
        Entry entry;
        entry.kind = Entry::Kind::Exception;
        entry.exception = NextExceptionId();
        Declare(name, entry, at);
        ExpectSymbol(';');
        return;
    }
    bool constant = Accept("CONSTANT");
    auto type = ParseType();
    bool notNull = false;
    if (Accept("NOT")) {
        Expect("NULL");
        notNull = true;
    }
    if (notNull && !type->notNull) {
        type = std::make_shared<CPlsqlType>(*type);
        type->notNull = true;
    }
    ExprPtr initial;
    if (AcceptPair(":=") || Accept("DEFAULT")) initial = ParseExpr();
    // Note: a NOT NULL variable or a constant needs its value at once (PLS-00218).
    if (!initial && constant) Fail(322, name, at);
    if (!initial && type->notNull) Fail(218, {}, at);
    ExpectSymbol(';');
    Entry entry;
    entry.slot = NewSlot(name, type);
    entry.constant = constant;
    if (m_frame && m_unit == m_frame) entry.package = m_package;
    auto init = std::make_unique<CPlsqlStmt>();
    init->kind = CPlsqlStmt::Kind::Initialise;
    init->at = at;
    init->target.slot = entry.slot;
    init->target.package = entry.package;
    init->type = type;
    if (initial) init->exprs.push_back(std::move(initial));
    block.declarations.push_back(std::move(init));
    Declare(name, entry, at);
}

void CPlsqlParser::ParseTypeDeclaration() {
    bool subtype = Accept("SUBTYPE");
    if (!subtype) Expect("TYPE");
    std::string name = Name();
    Expect("IS");
    std::shared_ptr<CPlsqlType> type;
    if (!subtype && Accept("RECORD")) {
        type = std::make_shared<CPlsqlType>();
        type->base = CPlsqlType::Base::Record;
        ExpectSymbol('(');
        do {
            CPlsqlType::Field field;
            std::size_t fieldAt = Peek().begin;
            field.name = Name();
            field.type = ParseType();
            if (Accept("NOT")) {
                Expect("NULL");
                field.type = std::make_shared<CPlsqlType>(*field.type);
                field.type->notNull = true;
            }
            std::shared_ptr<CPlsqlExpr> initial;
            if (AcceptPair(":=") || Accept("DEFAULT")) initial = ParseExpr();
            // Note: a NOT NULL field needs its default, as a variable does (PLS-00218).
            if (field.type->notNull && !initial) Fail(218, {}, fieldAt);
            type->fields.push_back(std::move(field));
            if (initial) type->fieldDefaults.resize(type->fields.size());
            if (initial) type->fieldDefaults.back() = std::move(initial);
        } while (AcceptSymbol(','));
        ExpectSymbol(')');
    } else if (!subtype && (Is("TABLE") || Is("VARRAY") || Is("VARYING"))) {
        type = ParseCollectionType();
    } else if (!subtype && Accept("REF")) {
        Expect("CURSOR");
        type = std::make_shared<CPlsqlType>();
        type->base = CPlsqlType::Base::Cursor;
        // Note: a strong cursor type's row is not checked against its queries.
        if (Accept("RETURN")) ParseType();
    } else {
        type = std::make_shared<CPlsqlType>(*ParseType());
        if (Accept("RANGE")) {
            ParseExpr();
            ExpectPair("..");
            ParseExpr();
        }
        if (Accept("NOT")) {
            Expect("NULL");
            type->notNull = true;
        }
    }
    type->name = name;
    m_types[name] = type;
    ExpectSymbol(';');
}

void CPlsqlParser::ParseCursorDeclaration() {
    Expect("CURSOR");
    std::size_t at = Peek().begin;
    CPlsqlCursorDecl cursor;
    cursor.name = Name();
    Push();
    if (AcceptSymbol('(')) {
        do {
            std::size_t paramAt = Peek().begin;
            std::string param = Name();
            Accept("IN");
            auto type = ParseType();
            int slot = NewSlot(param, type);
            cursor.parameters.push_back(slot);
            ExprPtr fallback;
            if (AcceptPair(":=") || Accept("DEFAULT")) fallback = ParseExpr();
            cursor.defaults.push_back(std::move(fallback));
            Entry entry;
            entry.slot = slot;
            Declare(param, entry, paramAt);
        } while (AcceptSymbol(','));
        ExpectSymbol(')');
    }
    if (Accept("RETURN")) ParseType();
    Expect("IS");
    std::size_t first = m_k;
    std::size_t end = StatementEnd(first);
    cursor.query = BuildSql(first, end, CPlsqlSql::Kind::Query);
    bool forUpdate = false;
    for (std::size_t k = first; k + 1 < end; ++k)
        forUpdate = forUpdate || (Is("FOR", k - m_k) && Is("UPDATE", k - m_k + 1));
    std::string plain = cursor.query->text;
    if (forUpdate && Is("SELECT")) {
        // Note: a cursor FOR UPDATE carries its rows' ROWID for WHERE CURRENT OF.
        cursor.query->text = "SELECT ROWID AS TARVEX_ROWID, " + plain.substr(6);
        CEngineError ignored;
        if (m_host.Prepare(*cursor.query, ignored)) {
            cursor.query->skip = 1;
            cursor.query->columns.erase(cursor.query->columns.begin());
            cursor.query->columnTypes.erase(cursor.query->columnTypes.begin());
            cursor.query->columnFloats.erase(cursor.query->columnFloats.begin());
            cursor.query->columnFractions.erase(cursor.query->columnFractions.begin());
            cursor.query->columnZones.erase(cursor.query->columnZones.begin());
        } else {
            cursor.query->text = plain;
        }
    }
    if (cursor.query->skip == 0) Compile(*cursor.query, Peek(0).begin);
    m_k = end;
    ExpectSymbol(';');
    Pop();
    Entry entry;
    entry.kind = Entry::Kind::Cursor;
    entry.cursor = static_cast<int>(m_unit->cursors.size());
    m_unit->cursors.push_back(std::move(cursor));
    Declare(m_unit->cursors.back().name, entry, at);
}

void CPlsqlParser::ParsePragma() {
    Expect("PRAGMA");
    std::size_t at = Peek().begin;
    if (Accept("AUTONOMOUS_TRANSACTION"))
        Refuse(encoding::Utf8ToCp932("自律型トランザクション (AUTONOMOUS_TRANSACTION)"), at);
    if (!Accept("EXCEPTION_INIT")) {
        // Note: other pragmas (SERIALLY_REUSABLE, RESTRICT_REFERENCES...) change nothing here.
        while (!AtEnd() && !IsSymbol(';')) ++m_k;
        ExpectSymbol(';');
        return;
    }
    ExpectSymbol('(');
    std::size_t nameAt = Peek().begin;
    std::string name = Name();
    ExpectSymbol(',');
    bool negative = AcceptSymbol('-');
    if (Peek().kind != CSqlScanner::Kind::Number) Unexpected();
    long code = std::atol(TokenText(m_tokens[m_k++]).c_str());
    ExpectSymbol(')');
    ExpectSymbol(';');
    auto& scope = m_scopes.back();
    auto found = scope.find(name);
    if (found == scope.end() || found->second.kind != Entry::Kind::Exception) Fail(201, name, nameAt);
    // Note: SQLCODE 100 stands for ORA-01403, as NO_DATA_FOUND.
    found->second.exception = !negative && code == 100 ? 1403 : static_cast<int>(code);
}

std::shared_ptr<CPlsqlType> CPlsqlParser::ParseCollectionType() {
    auto type = std::make_shared<CPlsqlType>();
    type->base = CPlsqlType::Base::Collection;
    type->collection = CPlsqlType::CollectionKind::Nested;
    if (!Accept("TABLE")) {
        if (!Accept("VARRAY")) {
            Expect("VARYING");
            Expect("ARRAY");
        }
        type->collection = CPlsqlType::CollectionKind::Varray;
        ExpectSymbol('(');
        if (Peek().kind != CSqlScanner::Kind::Number) Unexpected();
        type->varrayLimit = std::atol(TokenText(m_tokens[m_k++]).c_str());
        ExpectSymbol(')');
    }
    Expect("OF");
    type->element = ParseType();
    if (Accept("NOT")) Expect("NULL");
    if (Accept("INDEX")) {
        Expect("BY");
        auto key = ParseType();
        type->collection = CPlsqlType::CollectionKind::Associative;
        type->indexByText = key->base == CPlsqlType::Base::Text;
    }
    return type;
}

const CPlsqlType* CPlsqlParser::CollectionOf(const Entry& entry) const {
    const CPlsqlType* type = SlotTypeOf(entry).get();
    return type->base == CPlsqlType::Base::Collection ? type : nullptr;
}

std::shared_ptr<CPlsqlType> CPlsqlParser::SlotTypeOf(const Entry& entry) const {
    const CPlsqlUnit* unit = &UnitAt(entry.level);
    if (!entry.package.empty() && entry.package == m_package) {
        unit = m_frame.get();
    } else if (!entry.package.empty()) {
        bool invalid = false;
        if (auto package = m_host.FindPackage(entry.package, invalid)) unit = package->frame.get();
    }
    return unit->slotTypes[static_cast<std::size_t>(entry.slot)];
}

std::shared_ptr<CPlsqlType> CPlsqlParser::TargetType(const CPlsqlTarget& target) const {
    Entry entry;
    entry.slot = target.slot;
    entry.package = target.package;
    entry.level = m_level - target.outer;
    return SlotTypeOf(entry);
}

void CPlsqlParser::ParseElement(CPlsqlTarget& target, const CPlsqlType& collection) {
    ExpectSymbol('(');
    target.index = ParseExpr();
    ExpectSymbol(')');
    // Note: an object element's method is left for the caller to call.
    const CPlsqlType* element = collection.element.get();
    if (element != nullptr && element->object && IsSymbol('.') && IsName(1) &&
        element->FieldIndex(NameText(Peek(1))) < 0)
        return;
    if (!AcceptSymbol('.')) return;
    std::size_t fieldAt = Peek().begin;
    std::string field = Name();
    target.field = collection.element ? collection.element->FieldIndex(field) : -1;
    if (target.field < 0) Fail(302, field, fieldAt);
    HeldAttribute(target, element->fields[static_cast<std::size_t>(target.field)].type);
}

// INTERVAL YEAR [(p)] TO MONTH or INTERVAL DAY [(p)] TO SECOND [(s)].
std::shared_ptr<CPlsqlType> CPlsqlParser::ParseIntervalType() {
    auto type = std::make_shared<CPlsqlType>();
    type->base = CPlsqlType::Base::Text;
    type->interval = Accept("YEAR") ? 'Y' : (Expect("DAY"), 'D');
    auto digits = [this](int fallback) {
        if (!AcceptSymbol('(')) return fallback;
        if (Peek().kind != CSqlScanner::Kind::Number) Unexpected();
        int value = std::clamp(std::atoi(TokenText(m_tokens[m_k++]).c_str()), 0, 9);
        ExpectSymbol(')');
        return value;
    };
    type->precision = digits(2);
    Expect("TO");
    Expect(type->interval == 'Y' ? "MONTH" : "SECOND");
    type->fraction = type->interval == 'Y' ? 0 : digits(6);
    type->name = type->interval == 'Y' ? "INTERVAL YEAR TO MONTH" : "INTERVAL DAY TO SECOND";
    return type;
}

std::shared_ptr<CPlsqlType> CPlsqlParser::ParseType() {
    std::size_t at = Peek().begin;
    std::string first = Name();
    if (IsSymbol('.') && m_k + 1 < m_tokens.size()) {
        std::string_view second(m_text.data() + m_tokens[m_k + 1].begin, m_tokens[m_k + 1].length);
        if (auto builtin = CPlsqlBuiltins::Type(first + "." + cp932::ToUpperAscii(second))) {
            m_k += 2;
            return builtin;
        }
    }
    if (auto builtin = CPlsqlBuiltins::Type(first)) return builtin;
    if (IsSymbol('%') || IsSymbol('.')) return ParseAttributeType(first, at);
    if (first == "INTERVAL") return ParseIntervalType();
    if (auto known = m_types.find(first); known != m_types.end()) return known->second;
    auto type = std::make_shared<CPlsqlType>();
    const ScalarType* scalar = nullptr;
    for (const ScalarType& row : kScalarTypes)
        if (first == row.name) scalar = &row;
    if (scalar == nullptr) {
        if (auto schema = SchemaTypeNamed(first, at)) return schema;
        Fail(201, first, at);
    }
    type->name = first;
    type->base = scalar->base;
    type->minimum = scalar->minimum;
    type->maximum = scalar->maximum;
    type->ranged = scalar->maximum != 0;
    type->notNull = scalar->notNull;
    type->lob = first == "CLOB" || first == "NCLOB";
    type->floatWidth = first == "BINARY_DOUBLE" || first == "SIMPLE_DOUBLE" ? CFloatValue::kDouble
                       : first == "BINARY_FLOAT" || first == "SIMPLE_FLOAT" ? CFloatValue::kSingle
                                                                            : 0;
    if (first == "DOUBLE") Accept("PRECISION");
    if (first == "LONG") Accept("RAW");
    if (first == "DATE") type->zone = 'N';
    if (first == "TIMESTAMP") {
        type->fraction = 6;
        if (AcceptSymbol('(')) {
            if (Peek().kind != CSqlScanner::Kind::Number) Unexpected();
            type->fraction = std::clamp(std::atoi(TokenText(m_tokens[m_k++]).c_str()), 0, 9);
            ExpectSymbol(')');
        }
        type->zone = 'N';
        if (Accept("WITH")) {
            type->zone = Accept("LOCAL") ? 'L' : 'Z';
            Expect("TIME");
            Expect("ZONE");
        }
        return type;
    }
    if (AcceptSymbol('(')) {
        auto number = [&]() {
            bool negative = AcceptSymbol('-');
            if (Peek().kind != CSqlScanner::Kind::Number && !IsSymbol('*')) Unexpected();
            long value = IsSymbol('*') ? 38 : std::atol(TokenText(Peek()).c_str());
            ++m_k;
            return negative ? -value : value;
        };
        long size = number();
        if (type->base == CPlsqlType::Base::Number || type->base == CPlsqlType::Base::Integer) {
            type->precision = static_cast<int>(size);
            type->scale = 0;
            if (AcceptSymbol(',')) type->scale = static_cast<int>(number());
        } else {
            type->length = size;
            if (Accept("CHAR")) type->length = size * 2;
            Accept("BYTE");
        }
        ExpectSymbol(')');
    }
    if (type->base == CPlsqlType::Base::Integer && !type->ranged) {
        // Note: INTEGER is NUMBER(38, 0): whole values, rounded into it.
        type->base = CPlsqlType::Base::Number;
        type->scale = 0;
    }
    if (type->base == CPlsqlType::Base::Char && type->length == 0) type->length = 1;
    if (first == "CHARACTER") Accept("VARYING");
    return type;
}

std::shared_ptr<CPlsqlType> CPlsqlParser::ParseAttributeType(const std::string& first, std::size_t at) {
    std::string column;
    if (AcceptSymbol('.')) column = Name();
    if (!column.empty() && !IsSymbol('%')) {
        // pkg.type: a type a package's heading declares.
        auto package = PackageNamed(first, at);
        auto found = package->types.find(column);
        if (found == package->types.end()) Fail(302, column, at);
        return found->second;
    }
    ExpectSymbol('%');
    std::size_t attributeAt = Peek().begin;
    std::string attribute = Name();
    if (attribute == "TYPE" && column.empty()) {
        const Entry* entry = Find(first);
        if (entry == nullptr || entry->kind != Entry::Kind::Variable) Fail(201, first, at);
        auto type = std::make_shared<CPlsqlType>(*SlotTypeOf(*entry));
        // Note: %TYPE takes the type, not the NOT NULL of a variable... except its own.
        return type;
    }
    if (attribute == "ROWTYPE" && column.empty()) {
        if (const Entry* entry = Find(first); entry != nullptr && entry->kind == Entry::Kind::Cursor)
            return RowTypeOf(*UnitAt(entry->level).cursors[static_cast<std::size_t>(entry->cursor)].query);
    }
    std::vector<CPlsqlType::Field> fields;
    if (!m_host.TableColumns(first, fields)) Fail(201, first, at);
    m_unit->DependsOn(first, "TABLE");
    if (attribute == "ROWTYPE" && column.empty()) {
        auto type = std::make_shared<CPlsqlType>();
        type->base = CPlsqlType::Base::Record;
        type->name = first;
        type->fields = std::move(fields);
        return type;
    }
    if (attribute != "TYPE") Fail(201, attribute, attributeAt);
    for (const auto& field : fields)
        if (field.name == column) return std::make_shared<CPlsqlType>(*field.type);
    Fail(302, column, at);
}

std::shared_ptr<CPlsqlType> CPlsqlParser::RowType(const std::vector<std::string>& columns) const {
    auto type = std::make_shared<CPlsqlType>();
    type->base = CPlsqlType::Base::Record;
    for (const std::string& column : columns)
        type->fields.push_back({column, std::make_shared<CPlsqlType>()});
    return type;
}

std::shared_ptr<CPlsqlType> CPlsqlParser::RowTypeOf(const CPlsqlSql& query) const {
    auto type = RowType(query.columns);
    // Note: a TIMESTAMP column gives its field its type (a DATE's stays open).
    for (std::size_t k = 0; k < type->fields.size() && k < query.columnFractions.size(); ++k) {
        if (query.columnFractions[k] < 0) continue;
        auto stamp = std::make_shared<CPlsqlType>();
        stamp->base = CPlsqlType::Base::Date;
        stamp->fraction = query.columnFractions[k];
        stamp->zone = query.columnZones[k] ? 'Z' : 0;
        type->fields[k].type = stamp;
    }
    return type;
}

// ---- statements

std::unique_ptr<CPlsqlBlockNode> CPlsqlParser::ParseBlock(std::string label, const std::string& scopeName) {
    auto block = std::make_unique<CPlsqlBlockNode>();
    block->label = std::move(label);
    Push();
    NameScope(scopeName.empty() ? block->label : scopeName);
    if (Accept("DECLARE") || !Is("BEGIN")) ParseDeclarations(*block);
    Expect("BEGIN");
    block->body = ParseBody({"EXCEPTION", "END"});
    if (block->body.empty()) Unexpected();
    if (Accept("EXCEPTION")) ParseHandlers(*block);
    Expect("END");
    if (IsName() && !Is("IF") && !Is("LOOP") && !Is("CASE")) Name();
    Pop();
    return block;
}

CPlsqlBody CPlsqlParser::ParseBody(std::initializer_list<std::string_view> enders) {
    CPlsqlBody body;
    m_sequences.push_back(m_nextSequence++);
    while (!AtEnd()) {
        for (std::string_view ender : enders)
            if (Is(ender)) {
                m_sequences.pop_back();
                return body;
            }
        body.push_back(ParseStatement());
    }
    Unexpected();
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseGoto() {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->kind = CPlsqlStmt::Kind::Goto;
    statement->at = Peek().begin;
    Expect("GOTO");
    std::size_t at = Peek().begin;
    statement->label = Name();
    m_gotos.push_back({statement->label, at, statement->at, m_sequences});
    EndStatement();
    return statement;
}

void CPlsqlParser::CheckGotos() {
    for (const GotoMark& mark : m_gotos) {
        bool named = false;
        bool reached = false;
        for (const LabelMark& label : m_labels) {
            if (label.name != mark.label) continue;
            named = true;
            reached = reached || std::find(mark.sequences.begin(), mark.sequences.end(), label.sequence) !=
                                     mark.sequences.end();
        }
        if (reached) continue;
        // Note: every GOTO that cannot reach its label is an error of its own.
        m_statementAt = mark.statementAt;
        try {
            Fail(named ? 375 : 201, mark.label, mark.at);
        } catch (const Failure& failure) {
            Collect(failure);
        }
    }
}

void CPlsqlParser::ParseHandlers(CPlsqlBlockNode& block) {
    while (Accept("WHEN")) {
        CPlsqlHandler handler;
        do {
            std::size_t at = Peek().begin;
            if (Accept("OTHERS")) {
                handler.others = true;
                continue;
            }
            handler.exceptions.push_back(ExceptionNamed(at));
        } while (Accept("OR"));
        Expect("THEN");
        handler.body = ParseBody({"WHEN", "END"});
        block.handlers.push_back(std::move(handler));
    }
    if (block.handlers.empty()) Unexpected();
}

int CPlsqlParser::NextExceptionId() {
    // Note: user exceptions are numbered below zero, apart from every other
    // unit's, so that a package's exception raised in one unit is told from
    // a block's own in another.
    static std::atomic<int> next{-1};
    int id = next.fetch_sub(1);
    if (id == std::numeric_limits<int>::min() + 1) next = -1;
    return id;
}

std::shared_ptr<CPlsqlPackage> CPlsqlParser::PackageNamed(const std::string& name, std::size_t at) {
    bool invalid = false;
    auto package = name == m_package ? m_compiling : m_host.FindPackage(name, invalid);
    if (invalid) Fail(905, name, at);
    if (!package) Fail(201, name, at);
    if (package != m_compiling) m_unit->DependsOn(name, "PACKAGE");
    return package;
}

int CPlsqlParser::ExceptionNamed(std::size_t at) {
    std::string name = Name();
    if (const Entry* entry = Find(name); entry != nullptr && entry->kind == Entry::Kind::Exception)
        return entry->exception;
    if (IsSymbol('.') && IsName(1)) {
        ++m_k;
        std::size_t memberAt = Peek().begin;
        std::string member = Name();
        auto package = PackageNamed(name, at);
        auto found = package->exceptions.find(member);
        if (found == package->exceptions.end()) Fail(302, member, memberAt);
        return found->second;
    }
    int code = CPlsqlErrors::Predefined(name);
    if (code == 0) Fail(201, name, at);
    return code;
}

void CPlsqlParser::EndStatement() { ExpectSymbol(';'); }

CPlsqlParser::Nesting::Nesting(CPlsqlParser& parser) : m_parser(parser) {
    // Note: a program nested deeper than this is refused, not a crash.
    constexpr int kMaxNesting = 200;
    if (++m_parser.m_nesting > kMaxNesting) {
        --m_parser.m_nesting;
        m_parser.Fail(123, {}, m_parser.Peek().begin);
    }
}

CPlsqlParser::Nesting::~Nesting() { --m_parser.m_nesting; }

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseStatement() {
    Nesting nesting(*this);
    std::size_t outer = m_statementAt;
    m_statementAt = Peek().begin;
    Mark mark = MarkState();
    std::unique_ptr<CPlsqlStmt> statement;
    try {
        statement = ParseStatementAt();
    } catch (const Failure& failure) {
        if (!Collectable(failure)) throw;
        Collect(failure);
        Restore(mark);
        m_k = PassOver(mark.token);
        EndStatement();
        statement = std::make_unique<CPlsqlStmt>();
        statement->at = m_statementAt;
    }
    m_statementAt = outer;
    return statement;
}

CPlsqlParser::Mark CPlsqlParser::MarkState() const {
    return {m_k,     m_scopes.size(), m_loops.size(), m_sequences.size(), m_levels.size(), m_gotos.size(),
            m_level, m_unit};
}

void CPlsqlParser::Restore(const Mark& mark) {
    m_scopes.resize(mark.scopes);
    m_scopeLabels.resize(mark.scopes);
    m_loops.resize(mark.loops);
    m_sequences.resize(mark.sequences);
    m_levels.resize(mark.levels);
    m_gotos.resize(mark.gotos);
    m_level = mark.level;
    m_unit = mark.unit;
    m_qualified.active = false;
}

bool CPlsqlParser::Resolving(int pls) {
    static constexpr int kResolving[] = {201, 221, 222, 302, 306, 307, 320, 363, 364, 375, 703, 905};
    return std::find(std::begin(kResolving), std::end(kResolving), pls) != std::end(kResolving);
}

bool CPlsqlParser::Collectable(const Failure& failure) {
    return !failure.where.refused && failure.pls != 103 && failure.pls != 123;
}

void CPlsqlParser::Collect(const Failure& failure) { m_collected.push_back(failure); }

std::size_t CPlsqlParser::PassOver(std::size_t first) {
    // What each construct open around the cursor is: a block's declarations
    // (D), its statements (B), a subprogram's heading (H), IF, LOOP, CASE.
    std::vector<char> open;
    int depth = 0;
    for (std::size_t k = first; k < m_tokens.size(); ++k) {
        const Token& token = m_tokens[k];
        if (CSqlScanner::IsSymbol(m_text, token, '(')) ++depth;
        if (CSqlScanner::IsSymbol(m_text, token, ')')) --depth;
        bool semicolon = CSqlScanner::IsSymbol(m_text, token, ';');
        if (semicolon && depth > 0) {
            // Note: a bracket left open at the statement's end.
            m_k = k;
            Unexpected();
        }
        if (depth > 0) continue;
        if (semicolon) {
            if (open.empty()) return k;
            if (open.back() == 'H') open.pop_back();
            continue;
        }
        if (token.kind != CSqlScanner::Kind::Word) continue;
        std::string word = cp932::ToUpperAscii(TokenText(token));
        if (word == "DECLARE" || word == "PROCEDURE" || word == "FUNCTION") {
            open.push_back(word == "DECLARE" ? 'D' : 'H');
        } else if ((word == "IS" || word == "AS") && !open.empty() && open.back() == 'H') {
            open.back() = 'D';
        } else if (word == "BEGIN") {
            if (open.empty() || open.back() != 'D') open.push_back('B');
            open.back() = 'B';
        } else if (word == "IF" || word == "LOOP" || word == "CASE") {
            open.push_back(word[0]);
        } else if (word == "END" && !open.empty()) {
            char closed = open.back();
            open.pop_back();
            if (k + 1 < m_tokens.size() && m_tokens[k + 1].kind == CSqlScanner::Kind::Word && closed != 'B' &&
                closed != 'D')
                ++k;
        } else if (open.empty() &&
                   std::find(std::begin(kSequenceEnds), std::end(kSequenceEnds), word) !=
                       std::end(kSequenceEnds) &&
                   word != "WHEN") {
            // Note: a statement not ended by its ";" is a syntax error.
            m_k = k;
            Unexpected();
        }
    }
    m_k = m_tokens.size();
    Unexpected();
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseGuardedExpr(std::string_view until) {
    std::size_t first = m_k;
    try {
        return ParseExpr();
    } catch (const Failure& failure) {
        std::size_t k = Collectable(failure) ? GuardEnd(first, until) : std::string::npos;
        // Note: without its `until` the statement is passed over whole.
        if (k == std::string::npos) throw;
        Collect(failure);
        m_k = k;
        auto none = std::make_unique<CPlsqlExpr>();
        none->at = m_tokens[first].begin;
        return none;
    }
}

std::size_t CPlsqlParser::GuardEnd(std::size_t first, std::string_view until) const {
    int cases = 0;
    int depth = 0;
    for (std::size_t k = first; k < m_tokens.size(); ++k) {
        const Token& token = m_tokens[k];
        if (CSqlScanner::IsSymbol(m_text, token, '(')) ++depth;
        if (CSqlScanner::IsSymbol(m_text, token, ')')) --depth;
        if (CSqlScanner::IsSymbol(m_text, token, ';') || depth < 0) break;
        if (token.kind != CSqlScanner::Kind::Word || depth > 0) continue;
        if (CSqlScanner::Is(m_text, token, "CASE")) ++cases;
        if (CSqlScanner::Is(m_text, token, "END") && cases > 0) --cases;
        if (cases == 0 && CSqlScanner::Is(m_text, token, until)) return k;
    }
    return std::string::npos;
}

void CPlsqlParser::FailCollected() {
    if (m_collected.empty()) return;
    Failure first = m_collected.front();
    m_collected.erase(m_collected.begin());
    throw first;
}

CPlsqlParser::Failure CPlsqlParser::Gathered(const Failure& stopped) const {
    if (!Collectable(stopped) || m_collected.empty()) return stopped;
    std::vector<const Failure*> all;
    for (const Failure& failure : m_collected) all.push_back(&failure);
    all.push_back(&stopped);
    std::stable_sort(all.begin(), all.end(),
                     [](const Failure* a, const Failure* b) { return a->order < b->order; });
    Failure gathered = *all.front();
    for (std::size_t k = 1; k < all.size(); ++k) {
        gathered.message += "\n" + all[k]->message;
        gathered.where.others.push_back(all[k]->where);
    }
    return gathered;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseStatementAt() {
    std::size_t at = Peek().begin;
    std::vector<std::string> labels;
    while (IsSymbol('<') && IsSymbol('<', 1)) {
        m_k += 2;
        labels.push_back(Name());
        ExpectSymbol('>');
        ExpectSymbol('>');
        m_labels.push_back({labels.back(), m_sequences.empty() ? -1 : m_sequences.back()});
    }
    if (labels.empty()) return ParseUnlabelled(at);
    for (std::string_view end : kSequenceEnds)
        if (Is(end)) Unexpected();
    if (AtEnd()) Unexpected();
    std::unique_ptr<CPlsqlStmt> statement;
    if (Is("LOOP") || Is("WHILE") || Is("FOR")) {
        statement = Is("FOR") ? ParseFor(labels.back()) : ParseLoop(labels.back());
    } else if (Is("BEGIN") || Is("DECLARE")) {
        statement = std::make_unique<CPlsqlStmt>();
        statement->kind = CPlsqlStmt::Kind::Block;
        statement->at = at;
        statement->block = ParseBlock(labels.back());
        EndStatement();
    } else {
        statement = ParseUnlabelled(Peek().begin);
    }
    statement->labels = std::move(labels);
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseUnlabelled(std::size_t at) {
    for (std::string_view refused : kRefusedStatements)
        if (Is(refused)) Refuse(std::string(refused), at);
    if (Is("BEGIN") || Is("DECLARE")) {
        auto statement = std::make_unique<CPlsqlStmt>();
        statement->kind = CPlsqlStmt::Kind::Block;
        statement->at = at;
        statement->block = ParseBlock({});
        EndStatement();
        return statement;
    }
    if (Accept("NULL")) {
        EndStatement();
        auto statement = std::make_unique<CPlsqlStmt>();
        statement->at = at;
        return statement;
    }
    if (Is("IF")) return ParseIf();
    if (Is("CASE")) return ParseCase();
    if (Is("LOOP") || Is("WHILE")) return ParseLoop({});
    if (Is("FOR")) return ParseFor({});
    if (Is("FORALL")) return ParseForAll();
    if (Is("GOTO")) return ParseGoto();
    if (Is("EXIT")) return ParseExit(false);
    if (Is("CONTINUE")) return ParseExit(true);
    for (std::string_view word : kSqlStarts)
        if (Is(word)) return ParseSqlStatement(Is("SELECT") || Is("WITH"));
    if (IsSymbol('(') && Is("SELECT", 1)) return ParseSqlStatement(true);
    if (Is("COMMIT") || Is("ROLLBACK") || Is("SAVEPOINT") || (Is("SET") && Is("TRANSACTION", 1)))
        return ParseTransaction();
    if (Is("OPEN") || Is("FETCH") || Is("CLOSE")) return ParseCursorStatement();
    if (Is("EXECUTE") && Is("IMMEDIATE", 1)) return ParseExecuteImmediate();
    if (Is("RAISE")) return ParseRaise();
    if (Accept("RETURN")) {
        auto statement = std::make_unique<CPlsqlStmt>();
        statement->kind = CPlsqlStmt::Kind::Return;
        statement->at = at;
        bool function = m_unit->type == "FUNCTION";
        // Note: a constructor's RETURN gives SELF back, whatever it names.
        bool constructor = m_unit->method == "CONSTRUCTOR" && m_unit->block == nullptr;
        if (constructor && IsSymbol(';')) {
            auto self = std::make_unique<CPlsqlExpr>();
            self->kind = CPlsqlExpr::Kind::Variable;
            self->at = at;
            self->target.slot = m_unit->parameters[0].slot;
            self->target.at = at;
            statement->exprs.push_back(std::move(self));
            function = false;
        } else if (function == IsSymbol(';')) {
            Fail(function ? 503 : 372, {}, at);
        }
        if (function) statement->exprs.push_back(ParseExpr());
        EndStatement();
        return statement;
    }
    return ParseNameStatement();
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseIf() {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->kind = CPlsqlStmt::Kind::If;
    statement->at = Peek().begin;
    Expect("IF");
    do {
        statement->exprs.push_back(ParseGuardedExpr("THEN"));
        Expect("THEN");
        statement->bodies.push_back(ParseBody({"ELSIF", "ELSE", "END"}));
    } while (Accept("ELSIF"));
    if (Accept("ELSE")) {
        statement->hasElse = true;
        statement->bodies.push_back(ParseBody({"END"}));
    }
    Expect("END");
    Expect("IF");
    EndStatement();
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseCase() {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->kind = CPlsqlStmt::Kind::Case;
    statement->at = Peek().begin;
    Expect("CASE");
    // exprs[0] is the selector or null (searched CASE).
    statement->exprs.push_back(Is("WHEN") ? nullptr : ParseGuardedExpr("WHEN"));
    while (Accept("WHEN")) {
        statement->exprs.push_back(ParseGuardedExpr("THEN"));
        Expect("THEN");
        statement->bodies.push_back(ParseBody({"WHEN", "ELSE", "END"}));
    }
    if (statement->bodies.empty()) Unexpected();
    if (Accept("ELSE")) {
        statement->hasElse = true;
        statement->bodies.push_back(ParseBody({"END"}));
    }
    Expect("END");
    Expect("CASE");
    if (IsName()) Name();
    EndStatement();
    return statement;
}

void CPlsqlParser::EndLoop(const std::string& label) {
    Expect("END");
    Expect("LOOP");
    if (!label.empty() && IsName()) Name();
    EndStatement();
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseLoop(std::string label) {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->at = Peek().begin;
    statement->label = label;
    statement->kind = CPlsqlStmt::Kind::Loop;
    if (Accept("WHILE")) {
        statement->kind = CPlsqlStmt::Kind::While;
        statement->exprs.push_back(ParseGuardedExpr("LOOP"));
    }
    Expect("LOOP");
    m_loops.push_back(label);
    statement->bodies.push_back(ParseBody({"END"}));
    m_loops.pop_back();
    EndLoop(label);
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseFor(std::string label) {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->at = Peek().begin;
    statement->label = label;
    Expect("FOR");
    std::size_t indexAt = Peek().begin;
    std::string index = Name();
    Expect("IN");
    Push();
    NameScope(label);
    Entry entry;
    entry.constant = true;
    if (Accept("REVERSE")) statement->reverse = true;
    bool query = IsSymbol('(') && (Is("SELECT", 1) || Is("WITH", 1));
    const Entry* cursor = IsName() && !IsSymbol('.', 1) ? Find(NameText(Peek())) : nullptr;
    ExprPtr packaged;
    if (!query && IsName() && IsSymbol('.', 1) && IsName(2) && Find(NameText(Peek())) == nullptr) {
        // FOR r IN pkg.cursor: another package's cursor.
        std::size_t save = m_k;
        std::size_t at = Peek().begin;
        std::string packageName = Name();
        packaged = PackageVariable(packageName, at);
        if (!packaged || TargetType(packaged->target)->base != CPlsqlType::Base::Cursor) {
            packaged.reset();
            m_k = save;
        }
    }
    if (packaged) {
        statement->kind = CPlsqlStmt::Kind::ForCursor;
        statement->target = packaged->target;
        int query = TargetType(statement->target)->cursorQuery;
        bool invalid = false;
        std::shared_ptr<CPlsqlPackage> package;
        if (statement->target.package != m_package)
            package = m_host.FindPackage(statement->target.package, invalid);
        const CPlsqlUnit* frame = package ? package->frame.get() : m_frame.get();
        std::vector<std::string> columns;
        if (frame != nullptr && query >= 0)
            columns = frame->cursors[static_cast<std::size_t>(query)].query->columns;
        statement->packageCursor = true;
        if (IsSymbol('(')) statement->exprs = ParseArguments();
        entry.slot = NewSlot(index, RowType(columns));
    } else if (query) {
        statement->kind = CPlsqlStmt::Kind::ForCursor;
        ParseLoopQuery(*statement, entry, index);
    } else if (cursor != nullptr && cursor->kind == Entry::Kind::Variable && !cursor->package.empty() &&
               SlotTypeOf(*cursor)->base == CPlsqlType::Base::Cursor) {
        // A package's cursor: opened, fetched row by row and closed by the loop.
        statement->kind = CPlsqlStmt::Kind::ForCursor;
        Refer(statement->target, *cursor);
        statement->target.at = Peek().begin;
        ++m_k;
        int query = SlotTypeOf(*cursor)->cursorQuery;
        statement->packageCursor = true;
        if (IsSymbol('(')) statement->exprs = ParseArguments();
        std::vector<std::string> columns;
        if (query >= 0) columns = m_frame->cursors[static_cast<std::size_t>(query)].query->columns;
        entry.slot = NewSlot(index, RowType(columns));
    } else if (cursor != nullptr && cursor->kind == Entry::Kind::Cursor) {
        statement->kind = CPlsqlStmt::Kind::ForCursor;
        statement->cursor = cursor->cursor;
        statement->cursorOuter = m_level - cursor->level;
        ++m_k;
        const auto& declared = UnitAt(cursor->level).cursors[static_cast<std::size_t>(cursor->cursor)];
        if (IsSymbol('(')) statement->exprs = ParseCursorArguments(declared, cursor->level);
        entry.slot = NewSlot(index, RowTypeOf(*declared.query));
    } else {
        statement->kind = CPlsqlStmt::Kind::ForRange;
        ParseLoopBounds(*statement);
        auto type = std::make_shared<CPlsqlType>();
        type->base = CPlsqlType::Base::Integer;
        type->name = "PLS_INTEGER";
        entry.slot = NewSlot(index, type);
    }
    statement->slot = entry.slot;
    Declare(index, entry, indexAt);
    Expect("LOOP");
    m_loops.push_back(label);
    statement->bodies.push_back(ParseBody({"END"}));
    m_loops.pop_back();
    Pop();
    EndLoop(label);
    return statement;
}

void CPlsqlParser::ParseLoopQuery(CPlsqlStmt& statement, Entry& entry, const std::string& index) {
    std::size_t open = m_k;
    int depth = 0;
    std::size_t close = open;
    for (; close < m_tokens.size(); ++close) {
        if (CSqlScanner::IsSymbol(m_text, m_tokens[close], '(')) ++depth;
        if (CSqlScanner::IsSymbol(m_text, m_tokens[close], ')') && --depth == 0) break;
    }
    if (close >= m_tokens.size()) Unexpected();
    Mark mark = MarkState();
    try {
        statement.sql = BuildSql(open + 1, close, CPlsqlSql::Kind::Query);
        Compile(*statement.sql, m_tokens[open + 1].begin);
        entry.slot = NewSlot(index, RowTypeOf(*statement.sql));
    } catch (const Failure& failure) {
        // Note: the query that fails is passed over; the loop's body is
        // compiled still, its record of no known shape (PLS-00364 at a use).
        if (!Collectable(failure)) throw;
        Collect(failure);
        Restore(mark);
        entry.malformed = true;
        entry.loopIndex = true;
        entry.slot = NewSlot(index, RowType({}));
    }
    m_k = close + 1;
}

void CPlsqlParser::ParseLoopBounds(CPlsqlStmt& statement) {
    std::size_t first = m_k;
    try {
        statement.exprs.push_back(ParseExpr());
        ExpectPair("..");
        statement.exprs.push_back(ParseExpr());
    } catch (const Failure& failure) {
        // Note: bounds that do not resolve pass over the loop's heading; its
        // body is compiled still.
        std::size_t loop = Collectable(failure) ? GuardEnd(first, "LOOP") : std::string::npos;
        if (loop == std::string::npos) throw;
        Collect(failure);
        m_k = loop;
        statement.exprs.clear();
        for (int bound = 0; bound < 2; ++bound) {
            statement.exprs.push_back(std::make_unique<CPlsqlExpr>());
            statement.exprs.back()->at = m_tokens[first].begin;
        }
    }
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseForAll() {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->kind = CPlsqlStmt::Kind::ForAll;
    statement->at = Peek().begin;
    Expect("FORALL");
    std::size_t indexAt = Peek().begin;
    std::string index = Name();
    Expect("IN");
    if (Is("INDICES") || Is("VALUES")) {
        statement->bounds = Is("INDICES") ? CPlsqlStmt::Bounds::Indices : CPlsqlStmt::Bounds::Values;
        ++m_k;
        Expect("OF");
        std::size_t at = Peek().begin;
        std::string name = Name();
        const Entry* collection = Find(name);
        if (collection == nullptr || collection->kind != Entry::Kind::Variable || !CollectionOf(*collection))
            Fail(201, name, at);
        Refer(statement->target, *collection);
        statement->target.at = at;
        if (statement->bounds == CPlsqlStmt::Bounds::Indices && Accept("BETWEEN")) {
            statement->exprs.push_back(ParseAdditive());
            Expect("AND");
            statement->exprs.push_back(ParseAdditive());
        }
    } else {
        statement->exprs.push_back(ParseExpr());
        ExpectPair("..");
        statement->exprs.push_back(ParseExpr());
    }
    if (Accept("SAVE")) {
        Expect("EXCEPTIONS");
        statement->saveExceptions = true;
    }
    Push();
    auto type = std::make_shared<CPlsqlType>();
    type->base = CPlsqlType::Base::Integer;
    type->name = "PLS_INTEGER";
    Entry entry;
    entry.constant = true;
    entry.slot = NewSlot(index, type);
    statement->slot = entry.slot;
    Declare(index, entry, indexAt);
    std::size_t end = StatementEnd(m_k);
    if (!Is("INSERT") && !Is("UPDATE") && !Is("DELETE") && !Is("MERGE")) Unexpected();
    statement->sql = BuildSql(m_k, end, CPlsqlSql::Kind::Dml);
    Compile(*statement->sql, statement->at);
    m_k = end;
    EndStatement();
    Pop();
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseExit(bool isContinue) {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->at = Peek().begin;
    statement->kind = isContinue ? CPlsqlStmt::Kind::Continue : CPlsqlStmt::Kind::Exit;
    ++m_k;
    if (m_loops.empty()) Fail(376, {}, statement->at);
    if (IsName() && !Is("WHEN")) {
        std::size_t at = Peek().begin;
        statement->label = Name();
        if (std::find(m_loops.begin(), m_loops.end(), statement->label) == m_loops.end())
            Fail(201, statement->label, at);
    }
    if (Accept("WHEN")) statement->exprs.push_back(ParseExpr());
    EndStatement();
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseSqlStatement(bool query) {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->kind = CPlsqlStmt::Kind::Sql;
    statement->at = Peek().begin;
    bool merge = Is("MERGE");
    std::size_t end = StatementEnd(m_k);
    statement->sql = BuildSql(m_k, end, query ? CPlsqlSql::Kind::Query : CPlsqlSql::Kind::Dml);
    if (query && statement->sql->into.empty()) Fail(428, {}, statement->at);
    statement->sql->merge = merge;
    Compile(*statement->sql, statement->at);
    m_k = end;
    EndStatement();
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseTransaction() {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->at = Peek().begin;
    if (Accept("SET")) {
        // Note: SET TRANSACTION changes nothing on the embedded database.
        while (!AtEnd() && !IsSymbol(';')) ++m_k;
        EndStatement();
        return statement;
    }
    if (Accept("COMMIT")) {
        statement->kind = CPlsqlStmt::Kind::Commit;
        Accept("WORK");
    } else if (Accept("SAVEPOINT")) {
        statement->kind = CPlsqlStmt::Kind::Savepoint;
        statement->name = Name();
    } else {
        Expect("ROLLBACK");
        Accept("WORK");
        statement->kind = CPlsqlStmt::Kind::Rollback;
        if (Accept("TO")) {
            Accept("SAVEPOINT");
            statement->kind = CPlsqlStmt::Kind::RollbackTo;
            statement->name = Name();
        }
    }
    EndStatement();
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseCursorStatement() {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->at = Peek().begin;
    statement->kind = Is("OPEN")    ? CPlsqlStmt::Kind::Open
                      : Is("FETCH") ? CPlsqlStmt::Kind::Fetch
                                    : CPlsqlStmt::Kind::Close;
    ++m_k;
    std::size_t at = Peek().begin;
    if (statement->kind == CPlsqlStmt::Kind::Open && Peek().kind == CSqlScanner::Kind::Bind) {
        statement->target = ParseTarget();
        return ParseOpenFor(std::move(statement));
    }
    if (IsName() && IsSymbol('.', 1) && Find(NameText(Peek())) == nullptr) {
        std::string packageName = Name();
        ExprPtr variable = PackageVariable(packageName, at);
        if (!variable || TargetType(variable->target)->base != CPlsqlType::Base::Cursor)
            Fail(201, packageName, at);
        statement->target = variable->target;
        return ParseCursorVariableUse(std::move(statement), false);
    }
    std::string name = Name();
    const Entry* entry = Find(name);
    if (entry != nullptr && entry->kind == Entry::Kind::Variable &&
        SlotTypeOf(*entry)->base == CPlsqlType::Base::Cursor) {
        // Note: an IN parameter's cursor is fetched from, not opened.
        Refer(statement->target, *entry);
        statement->target.at = at;
        bool packaged = SlotTypeOf(*entry)->cursorQuery >= 0 || !entry->package.empty();
        if (statement->kind == CPlsqlStmt::Kind::Open && entry->constant && !packaged) Fail(363, name, at);
        return ParseCursorVariableUse(std::move(statement), !packaged);
    }
    if (entry == nullptr || entry->kind != Entry::Kind::Cursor) Fail(201, name, at);
    statement->cursor = entry->cursor;
    statement->cursorOuter = m_level - entry->level;
    if (statement->kind == CPlsqlStmt::Kind::Open) {
        if (Is("FOR")) Refuse("OPEN ... FOR", at);
        const auto& declared = UnitAt(entry->level).cursors[static_cast<std::size_t>(entry->cursor)];
        if (IsSymbol('(')) statement->exprs = ParseCursorArguments(declared, entry->level);
    }
    if (statement->kind == CPlsqlStmt::Kind::Fetch) ParseFetchInto(*statement);
    EndStatement();
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseCursorVariableUse(std::unique_ptr<CPlsqlStmt> statement,
                                                                 bool variable) {
    if (statement->kind == CPlsqlStmt::Kind::Open && (variable || Is("FOR")))
        return ParseOpenFor(std::move(statement));
    // OPEN of a package's cursor runs its declared query with its arguments.
    if (statement->kind == CPlsqlStmt::Kind::Open) {
        statement->kind = CPlsqlStmt::Kind::OpenFor;
        statement->packageCursor = true;
        if (IsSymbol('(')) statement->exprs = ParseArguments();
    }
    if (statement->kind == CPlsqlStmt::Kind::Fetch) ParseFetchInto(*statement);
    EndStatement();
    return statement;
}

void CPlsqlParser::ParseFetchInto(CPlsqlStmt& statement) {
    if (Accept("BULK")) {
        Expect("COLLECT");
        statement.bulk = true;
    }
    Expect("INTO");
    statement.into = ParseTargets();
    if (statement.bulk && Accept("LIMIT")) statement.exprs.push_back(ParseExpr());
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseOpenFor(std::unique_ptr<CPlsqlStmt> statement) {
    statement->kind = CPlsqlStmt::Kind::OpenFor;
    Expect("FOR");
    if (Is("SELECT") || Is("WITH") || (IsSymbol('(') && Is("SELECT", 1))) {
        std::size_t end = StatementEnd(m_k);
        statement->sql = BuildSql(m_k, end, CPlsqlSql::Kind::Query);
        Compile(*statement->sql, m_tokens[m_k].begin);
        m_k = end;
    } else {
        // OPEN ... FOR text [USING values]: the text's query is compiled when it runs.
        statement->exprs.push_back(ParseExpr());
        if (Accept("USING")) {
            do {
                Accept("IN");
                statement->exprs.push_back(ParseExpr());
            } while (AcceptSymbol(','));
        }
    }
    EndStatement();
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseExecuteImmediate() {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->kind = CPlsqlStmt::Kind::ExecuteImmediate;
    statement->at = Peek().begin;
    m_k += 2;
    statement->exprs.push_back(ParseExpr());
    if (Accept("BULK")) {
        Expect("COLLECT");
        statement->bulk = true;
        if (!Is("INTO")) Unexpected();
    }
    if (Accept("INTO")) statement->into = ParseTargets();
    if (Accept("USING")) {
        do {
            bool in = Accept("IN");
            int mode = Accept("OUT") ? (in ? 2 : 1) : 0;
            statement->usingModes.push_back(mode);
            statement->usingOut.emplace_back();
            if (mode != 0) {
                // Note: an OUT argument is a variable, read as well for IN OUT.
                std::size_t save = m_k;
                statement->usingOut.back() = ParseTarget();
                m_k = save;
            }
            statement->exprs.push_back(ParseExpr());
        } while (AcceptSymbol(','));
    }
    if (Accept("RETURNING") || Accept("RETURN")) {
        if (!statement->into.empty()) Unexpected();
        if (Accept("BULK")) {
            Expect("COLLECT");
            statement->bulk = true;
        }
        Expect("INTO");
        statement->into = ParseTargets();
    }
    EndStatement();
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseRaise() {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->kind = CPlsqlStmt::Kind::Raise;
    statement->at = Peek().begin;
    Expect("RAISE");
    if (!IsSymbol(';')) {
        statement->exception = ExceptionNamed(Peek().begin);
    }
    EndStatement();
    return statement;
}

bool CPlsqlParser::MethodNamed(const std::string& name, CPlsqlExpr::Method& method) {
    struct Row {
        const char* name;
        CPlsqlExpr::Method method;
    };
    static constexpr Row kMethods[] = {
        {"COUNT", CPlsqlExpr::Method::Count},   {"FIRST", CPlsqlExpr::Method::First},
        {"LAST", CPlsqlExpr::Method::Last},     {"NEXT", CPlsqlExpr::Method::Next},
        {"PRIOR", CPlsqlExpr::Method::Prior},   {"EXISTS", CPlsqlExpr::Method::Exists},
        {"LIMIT", CPlsqlExpr::Method::Limit},   {"EXTEND", CPlsqlExpr::Method::Extend},
        {"DELETE", CPlsqlExpr::Method::Delete}, {"TRIM", CPlsqlExpr::Method::Trim},
    };
    for (const Row& row : kMethods)
        if (name == row.name) {
            method = row.method;
            return true;
        }
    return false;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseCollectionStatement(const Entry& entry) {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->at = Peek().begin;
    if (IsSymbol('.', 1)) {
        m_k += 2;
        std::size_t methodAt = Peek().begin;
        std::string method = Name();
        statement->kind = CPlsqlStmt::Kind::CollectionMethod;
        Refer(statement->target, entry);
        if (!MethodNamed(method, statement->method) || (statement->method != CPlsqlExpr::Method::Extend &&
                                                        statement->method != CPlsqlExpr::Method::Delete &&
                                                        statement->method != CPlsqlExpr::Method::Trim))
            Fail(302, method, methodAt);
        if (IsSymbol('(')) statement->exprs = ParseArguments();
        EndStatement();
        return statement;
    }
    statement->kind = CPlsqlStmt::Kind::Assign;
    statement->target = ParseTarget();
    ExpectPair(":=");
    statement->exprs.push_back(ParseExpr());
    EndStatement();
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseNameStatement() {
    std::size_t at = Peek().begin;
    SkipScopeQualifier();
    if (IsName() && IsSymbol('.', 1) && IsName(2) && Find(NameText(Peek())) == nullptr) {
        std::size_t save = m_k;
        std::string packageName = Name();
        if (ExprPtr variable = PackageVariable(packageName, at); variable && IsPair(":=")) {
            auto statement = std::make_unique<CPlsqlStmt>();
            statement->kind = CPlsqlStmt::Kind::Assign;
            statement->at = at;
            statement->target = variable->target;
            statement->type = TargetType(statement->target);
            if (statement->target.field >= 0)
                statement->type =
                    statement->type->fields[static_cast<std::size_t>(statement->target.field)].type;
            m_k += 2;
            statement->exprs.push_back(ParseExpr());
            EndStatement();
            return statement;
        }
        m_k = save;
    }
    if (IsName() && IsSymbol('.', 1) && IsName(2)) {
        const Entry* entry = Find(NameText(Peek()));
        if (entry != nullptr && entry->kind == Entry::Kind::Variable && entry->field < 0 &&
            SlotTypeOf(*entry)->object && SlotTypeOf(*entry)->FieldIndex(NameText(Peek(2))) < 0)
            return ParseMemberStatement(*entry, at);
        if (entry != nullptr)
            if (auto call = ParseHeldMemberStatement(*entry, at)) return call;
    }
    if (IsName()) {
        const Entry* entry = Find(NameText(Peek()));
        if (entry != nullptr && entry->kind == Entry::Kind::Variable && CollectionOf(*entry) != nullptr &&
            (IsSymbol('(', 1) || (IsSymbol('.', 1) && IsName(2))))
            return ParseCollectionStatement(*entry);
    }
    if (Peek().kind == CSqlScanner::Kind::Bind || (IsName() && (IsPair(":=", 1) || IsSymbol('.', 1)))) {
        std::size_t save = m_k;
        if (Peek().kind == CSqlScanner::Kind::Bind || !IsSymbol('.', 1) ||
            Find(NameText(Peek())) != nullptr) {
            auto statement = std::make_unique<CPlsqlStmt>();
            statement->kind = CPlsqlStmt::Kind::Assign;
            statement->at = at;
            statement->target = ParseTarget();
            if (!m_newName.empty() && statement->target.slot == 1) Fail(49, ":" + m_oldName, at);
            if (!m_newName.empty() && statement->target.slot == 0) m_unit->assignsNew = true;
            if (AcceptPair(":=")) {
                if (statement->target.slot >= 0) {
                    auto type = TargetType(statement->target);
                    if (statement->target.field >= 0)
                        type = type->fields[static_cast<std::size_t>(statement->target.field)].type;
                    statement->type = type;
                }
                statement->exprs.push_back(ParseExpr());
                EndStatement();
                return statement;
            }
            m_k = save;
        }
    }
    std::string name = Name();
    while (AcceptSymbol('.')) name += "." + Name();
    if (const Entry* entry = Find(name); entry != nullptr && entry->kind == Entry::Kind::Variable)
        Fail(103, TokenText(Peek()), Peek().begin);
    return ParseCall(name, at);
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseCall(const std::string& name, std::size_t at) {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->at = at;
    if (name == "RAISE_APPLICATION_ERROR") {
        statement->kind = CPlsqlStmt::Kind::RaiseApplicationError;
        statement->exprs = ParseArgumentsByName(kApplicationErrorParameters, name);
        CheckApplicationError(statement->exprs, name, at);
        EndStatement();
        return statement;
    }
    if (name.rfind("DBMS_OUTPUT.", 0) == 0) {
        std::string call = name.substr(12);
        for (const OutputName& output : kOutputCalls) {
            if (call != output.name) continue;
            statement->kind = CPlsqlStmt::Kind::Output;
            statement->output = output.call;
            if (IsSymbol('(')) {
                if (output.call == CPlsqlStmt::OutputCall::GetLine ||
                    output.call == CPlsqlStmt::OutputCall::GetLines) {
                    ExpectSymbol('(');
                    statement->into.push_back(ParseTarget());
                    ExpectSymbol(',');
                    statement->into.push_back(ParseTarget());
                    ExpectSymbol(')');
                    bool lines = TargetType(statement->into[0])->base == CPlsqlType::Base::Collection;
                    if ((output.call == CPlsqlStmt::OutputCall::GetLines) != lines) Fail(306, call, at);
                } else {
                    statement->exprs = ParseArguments();
                }
            }
            bool needs =
                output.call == CPlsqlStmt::OutputCall::Put || output.call == CPlsqlStmt::OutputCall::PutLine;
            if (needs && statement->exprs.size() != 1) Fail(306, call, at);
            CheckBuiltinArguments(call, nullptr, statement->exprs, at);
            EndStatement();
            return statement;
        }
        Fail(302, call, at);
    }
    if (std::size_t dot = name.find('.'); dot != std::string::npos) {
        bool known = false;
        const auto* builtin = CPlsqlBuiltins::Find(name.substr(0, dot), name.substr(dot + 1), known);
        if (builtin != nullptr) {
            if (!builtin->procedure) Fail(221, name, at);
            statement->kind = CPlsqlStmt::Kind::Builtin;
            statement->exception = static_cast<int>(builtin->id);
            if (IsSymbol('('))
                statement->exprs = builtin->params != nullptr ? ParseNamedArguments(builtin->params, name, at)
                                                              : ParseArguments();
            int count = static_cast<int>(statement->exprs.size());
            if (count < builtin->minArgs || count > builtin->maxArgs) Fail(306, name, at);
            CheckBuiltinArguments(name.substr(dot + 1), builtin, statement->exprs, at);
            if (builtin->writesFirst && statement->exprs[0]->kind != CPlsqlExpr::Kind::Variable) {
                std::size_t first = statement->exprs[0]->at;
                auto token = std::find_if(m_tokens.begin(), m_tokens.end(),
                                          [first](const CSqlScanner::Token& t) { return t.begin == first; });
                Fail(363, token != m_tokens.end() ? TokenText(*token) : std::string(), first);
            }
            if (builtin->writesFirst && !m_newName.empty() && statement->exprs[0]->target.slot == 0)
                m_unit->assignsNew = true;
            EndStatement();
            return statement;
        }
        if (known) Fail(302, name.substr(dot + 1), at);
    }
    if (auto callee = ParseUnitCall(name, "PROCEDURE", statement->exprs, &statement->into, at)) {
        statement->kind = CPlsqlStmt::Kind::Call;
        statement->owner = OwnerOf(callee);
        statement->callee = callee;
        EndStatement();
        return statement;
    }
    Fail(201, name, at);
}

// ---- targets and expressions

CPlsqlTarget CPlsqlParser::ParseTarget() {
    CPlsqlTarget target;
    target.at = Peek().begin;
    if (Peek().kind == CSqlScanner::Kind::Bind) {
        target.bind = cp932::ToUpperAscii(CSqlScanner::BindName(m_text, Peek()));
        ++m_k;
        if (int row = RowSlot(target.bind); row >= 0) {
            std::string shown = target.bind;
            target.bind.clear();
            target.slot = row;
            ExpectSymbol('.');
            std::string field = Name();
            target.field = m_unit->slotTypes[static_cast<std::size_t>(row)]->FieldIndex(field);
            if (target.field < 0) Fail(49, shown + "." + field, target.at);
            // Note: INTO and OUT arguments write :NEW as an assignment does.
            if (row == 0 && !m_newName.empty()) m_unit->assignsNew = true;
        }
        return target;
    }
    SkipScopeQualifier();
    std::string name = Name();
    const Entry* entry = Find(name);
    if (entry == nullptr || entry->kind != Entry::Kind::Variable) Fail(201, name, target.at);
    if (entry->constant) Fail(363, name, target.at);
    Refer(target, *entry);
    if (const CPlsqlType* collection = CollectionOf(*entry); collection != nullptr && IsSymbol('(')) {
        ParseElement(target, *collection);
        return target;
    }
    if (entry->field >= 0) {
        HeldAttribute(target, SlotTypeOf(*entry)->fields[static_cast<std::size_t>(entry->field)].type);
        return target;
    }
    if (AcceptSymbol('.')) {
        std::size_t fieldAt = Peek().begin;
        std::string field = Name();
        auto type = SlotTypeOf(*entry);
        target.field = type->FieldIndex(field);
        if (target.field < 0) Fail(302, field, fieldAt);
        HeldAttribute(target, type->fields[static_cast<std::size_t>(target.field)].type);
    }
    return target;
}

std::shared_ptr<CPlsqlType> CPlsqlParser::HeldAttribute(CPlsqlTarget& target,
                                                        const std::shared_ptr<CPlsqlType>& field,
                                                        bool methods) {
    std::shared_ptr<CPlsqlType> holder = field;
    while (holder && holder->object && IsSymbol('.') && IsName(1)) {
        std::size_t at = Peek(1).begin;
        int index = holder->FieldIndex(NameText(Peek(1)));
        // Note: a name no attribute has may be a method of the object here.
        if (index < 0 && methods) return holder;
        ++m_k;
        std::string name = Name();
        if (index < 0) Fail(302, name, at);
        if (target.attribute < 0) {
            target.attribute = index;
            target.object = holder;
        } else {
            target.deeper.push_back(index);
        }
        holder = holder->fields[static_cast<std::size_t>(index)].type;
    }
    return holder;
}

CPlsqlParser::ExprPtr CPlsqlParser::HeldPath(ExprPtr expr, const std::shared_ptr<CPlsqlType>& field,
                                             bool constant) {
    auto holder = HeldAttribute(expr->target, field, true);
    if (!holder || !holder->object || !IsSymbol('.') || !IsName(1)) return expr;
    ++m_k;
    return ParseMemberCall(expr->target, constant, *holder, Peek().begin);
}

std::vector<CPlsqlTarget> CPlsqlParser::ParseTargets() {
    std::vector<CPlsqlTarget> targets;
    do targets.push_back(ParseTarget());
    while (AcceptSymbol(','));
    return targets;
}

std::vector<CPlsqlParser::ExprPtr> CPlsqlParser::ParseArguments() {
    std::vector<ExprPtr> args;
    ExpectSymbol('(');
    if (AcceptSymbol(')')) return args;
    do {
        if (IsName() && IsPair("=>", 1)) Refuse(encoding::Utf8ToCp932("名前付きの引数"), Peek().begin);
        args.push_back(ParseExpr());
    } while (AcceptSymbol(','));
    ExpectSymbol(')');
    return args;
}

std::vector<CPlsqlParser::ExprPtr> CPlsqlParser::ParseCursorArguments(const CPlsqlCursorDecl& cursor,
                                                                      int level) {
    std::vector<std::string> names;
    for (int slot : cursor.parameters)
        names.push_back(UnitAt(level).slotNames[static_cast<std::size_t>(slot)]);
    return ParseArgumentsByName(names, cursor.name);
}

std::vector<CPlsqlParser::ExprPtr> CPlsqlParser::ParseArgumentsByName(const std::vector<std::string>& names,
                                                                      const std::string& call) {
    std::vector<ExprPtr> args;
    std::size_t at = Peek().begin;
    ExpectSymbol('(');
    if (AcceptSymbol(')')) return args;
    std::size_t position = 0;
    bool named = false;
    do {
        std::size_t argumentAt = Peek().begin;
        if (IsName() && IsPair("=>", 1)) {
            auto found = std::find(names.begin(), names.end(), NameText(Peek()));
            if (found == names.end()) Fail(306, call, argumentAt);
            position = static_cast<std::size_t>(found - names.begin());
            named = true;
            m_k += 3;
        } else if (named) {
            // Note: a positional argument after a named one is refused, as the server does.
            Fail(312, {}, argumentAt);
        }
        if (args.size() <= position) args.resize(position + 1);
        if (args[position] && named) Fail(703, {}, argumentAt);
        if (args[position]) Fail(306, call, at);
        args[position++] = ParseExpr();
    } while (AcceptSymbol(','));
    ExpectSymbol(')');
    return args;
}

// The arguments of a built-in member whose parameters may be named: in
// the order of `params` (names by commas), a parameter left out as NULL.
std::vector<CPlsqlParser::ExprPtr> CPlsqlParser::ParseNamedArguments(std::string_view params,
                                                                     const std::string& call,
                                                                     std::size_t at) {
    std::vector<std::string> names;
    for (std::size_t from = 0; from <= params.size();) {
        std::size_t comma = std::min(params.find(',', from), params.size());
        names.emplace_back(params.substr(from, comma - from));
        from = comma + 1;
    }
    std::vector<ExprPtr> args;
    ExpectSymbol('(');
    if (AcceptSymbol(')')) return args;
    std::size_t position = 0;
    do {
        if (IsName() && IsPair("=>", 1)) {
            std::string name = NameText(Peek());
            auto found = std::find(names.begin(), names.end(), name);
            if (found == names.end()) Fail(306, call, at);
            position = static_cast<std::size_t>(found - names.begin());
            m_k += 3;
        }
        if (args.size() <= position) args.resize(position + 1);
        args[position++] = ParseExpr();
    } while (AcceptSymbol(','));
    ExpectSymbol(')');
    for (auto& arg : args)
        if (!arg) {
            arg = std::make_unique<CPlsqlExpr>();
            arg->kind = CPlsqlExpr::Kind::Literal;
            arg->at = at;
        }
    return args;
}

void CPlsqlParser::CheckApplicationError(const std::vector<ExprPtr>& args, const std::string& call,
                                         std::size_t at) {
    using Family = CPlsqlOverloads::Family;
    if (args.size() < 2 || args.size() > kApplicationErrorParameters.size() || !args[0] || !args[1])
        Fail(306, call, at);
    auto typeOf = [this](const CPlsqlTarget& target) { return TargetType(target); };
    for (std::size_t k = 0; k < args.size(); ++k) {
        Family family = CPlsqlOverloads::OfExpr(*args[k], typeOf).family;
        // Note: the number takes what converts to BINARY_INTEGER (a DATE does
        // not); the message what converts to VARCHAR2.
        bool number = family == Family::Number || family == Family::Text;
        bool text = number || family == Family::Date;
        bool fits = family == Family::Unknown || (k == 0   ? number
                                                  : k == 1 ? text
                                                           : family == Family::Boolean);
        if (!fits) Fail(306, call, at);
    }
}

void CPlsqlParser::CheckBuiltinArguments(const std::string& call, const CPlsqlBuiltins::Member* member,
                                         const std::vector<ExprPtr>& args, std::size_t at) {
    using Family = CPlsqlOverloads::Family;
    auto typeOf = [this](const CPlsqlTarget& target) { return TargetType(target); };
    for (std::size_t k = 0; k < args.size(); ++k) {
        Family family = args[k] ? CPlsqlOverloads::OfExpr(*args[k], typeOf).family : Family::Unknown;
        bool scalar = family == Family::Number || family == Family::Text || family == Family::Date;
        if (family == Family::Unknown) continue;
        if (CPlsqlBuiltins::TakesBoolean(member, k) ? family != Family::Boolean : !scalar)
            Fail(306, call, at);
    }
}

CPlsqlParser::ExprPtr CPlsqlParser::Binary(Op op, ExprPtr left, ExprPtr right, std::size_t at) {
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->kind = CPlsqlExpr::Kind::Binary;
    expr->op = op;
    expr->at = at;
    expr->args.push_back(std::move(left));
    if (right) expr->args.push_back(std::move(right));
    return expr;
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseExpr() {
    Nesting nesting(*this);
    return ParseOr();
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseOr() {
    auto left = ParseAnd();
    while (Is("OR")) {
        std::size_t at = Peek().begin;
        ++m_k;
        left = Binary(Op::Or, std::move(left), ParseAnd(), at);
    }
    return left;
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseAnd() {
    auto left = ParseNot();
    while (Is("AND")) {
        std::size_t at = Peek().begin;
        ++m_k;
        left = Binary(Op::And, std::move(left), ParseNot(), at);
    }
    return left;
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseNot() {
    if (Is("NOT")) {
        Nesting nesting(*this);
        std::size_t at = Peek().begin;
        ++m_k;
        auto expr = Binary(Op::Not, ParseNot(), nullptr, at);
        expr->kind = CPlsqlExpr::Kind::Unary;
        return expr;
    }
    return ParseComparison();
}

bool CPlsqlParser::IsCharValue(const CPlsqlExpr& expr) const {
    if (expr.kind == CPlsqlExpr::Kind::Literal) return expr.literal.GetKind() == CPlsqlValue::Kind::Text;
    if (expr.kind != CPlsqlExpr::Kind::Variable || expr.target.slot < 0) return false;
    std::shared_ptr<CPlsqlType> type = TargetType(expr.target);
    const CPlsqlType* seen = type.get();
    if (seen != nullptr && expr.target.index) seen = seen->element.get();
    if (seen != nullptr && expr.target.field >= 0 &&
        static_cast<std::size_t>(expr.target.field) < seen->fields.size())
        seen = seen->fields[static_cast<std::size_t>(expr.target.field)].type.get();
    return seen != nullptr && seen->base == CPlsqlType::Base::Char;
}

bool CPlsqlParser::IsCollectionValue(const CPlsqlExpr& expr) const {
    using M = CPlsqlExpr::Multiset;
    if (expr.kind == CPlsqlExpr::Kind::Multiset)
        return expr.multiset == M::Set || expr.multiset == M::Union || expr.multiset == M::Intersect ||
               expr.multiset == M::Except;
    if (expr.kind == CPlsqlExpr::Kind::Constructor) return expr.type && !expr.type->object;
    if (expr.kind != CPlsqlExpr::Kind::Variable || expr.target.slot < 0 || expr.target.index ||
        expr.target.field >= 0)
        return false;
    std::shared_ptr<CPlsqlType> type = TargetType(expr.target);
    return type && (type->collection == CPlsqlType::CollectionKind::Nested ||
                    type->collection == CPlsqlType::CollectionKind::Varray);
}

CPlsqlParser::ExprPtr CPlsqlParser::MultisetOf(CPlsqlExpr::Multiset multiset, ExprPtr left, ExprPtr right,
                                               std::size_t at) const {
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->kind = CPlsqlExpr::Kind::Multiset;
    expr->multiset = multiset;
    expr->at = at;
    expr->args.push_back(std::move(left));
    if (right) expr->args.push_back(std::move(right));
    return expr;
}

CPlsqlParser::ExprPtr CPlsqlParser::Comparing(Op op, ExprPtr left, ExprPtr right, std::size_t at) {
    if (ExprPtr compared = ObjectComparison(op, left, right, at)) return compared;
    if ((op == Op::Equal || op == Op::NotEqual) && IsCollectionValue(*left)) {
        auto expr = MultisetOf(CPlsqlExpr::Multiset::Equal, std::move(left), std::move(right), at);
        expr->negated = op == Op::NotEqual;
        return expr;
    }
    // Note: two CHAR values compare blank-padded ('ab' = 'ab   '); a
    // VARCHAR2 on either side compares as written.
    bool padded = IsCharValue(*left) && IsCharValue(*right);
    auto expr = Binary(op, std::move(left), std::move(right), at);
    expr->padded = padded;
    return expr;
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseComparison() {
    std::size_t first = m_k;
    auto left = ParseAdditive();
    std::size_t at = Peek().begin;
    for (const Comparison& comparison : kComparisons)
        if (AcceptPair(comparison.pair))
            return Comparing(comparison.op, std::move(left), ParseAdditive(), at);
    if (AcceptSymbol('=')) return Comparing(Op::Equal, std::move(left), ParseAdditive(), at);
    if (AcceptSymbol('<')) return Comparing(Op::Less, std::move(left), ParseAdditive(), at);
    if (AcceptSymbol('>')) return Comparing(Op::Greater, std::move(left), ParseAdditive(), at);
    if (Accept("IS")) {
        bool negated = Accept("NOT");
        bool empty = Is("EMPTY");
        if (empty || (Is("A") && Is("SET", 1))) {
            m_k += empty ? 1 : 2;
            auto expr = MultisetOf(empty ? CPlsqlExpr::Multiset::Empty : CPlsqlExpr::Multiset::ASet,
                                   std::move(left), nullptr, at);
            expr->negated = negated;
            return expr;
        }
        auto expr = std::make_unique<CPlsqlExpr>();
        expr->kind = CPlsqlExpr::Kind::IsNull;
        expr->at = at;
        expr->negated = negated;
        if (Accept("NAN"))
            expr->floatTest = 'N';
        else if (Accept("INFINITE"))
            expr->floatTest = 'I';
        else
            Expect("NULL");
        expr->args.push_back(std::move(left));
        return expr;
    }
    if (Is("MEMBER") || Is("SUBMULTISET") || (Is("NOT") && (Is("MEMBER", 1) || Is("SUBMULTISET", 1)))) {
        bool negated = Accept("NOT");
        bool member = Accept("MEMBER");
        if (!member) Expect("SUBMULTISET");
        Accept("OF");
        auto expr = MultisetOf(member ? CPlsqlExpr::Multiset::Member : CPlsqlExpr::Multiset::Submultiset,
                               std::move(left), ParseAdditive(), at);
        expr->negated = negated;
        return expr;
    }
    bool negated = Is("NOT") && (Is("BETWEEN", 1) || Is("IN", 1) || Is("LIKE", 1));
    if (negated) ++m_k;
    if (Accept("BETWEEN")) {
        auto expr = std::make_unique<CPlsqlExpr>();
        expr->kind = CPlsqlExpr::Kind::Between;
        expr->at = at;
        expr->negated = negated;
        expr->args.push_back(std::move(left));
        expr->args.push_back(ParseAdditive());
        Expect("AND");
        expr->args.push_back(ParseAdditive());
        return expr;
    }
    if (Accept("IN")) {
        auto expr = std::make_unique<CPlsqlExpr>();
        expr->kind = CPlsqlExpr::Kind::In;
        expr->at = at;
        expr->negated = negated;
        expr->args.push_back(std::move(left));
        for (auto& arg : ParseArguments()) expr->args.push_back(std::move(arg));
        expr->padded = std::all_of(expr->args.begin(), expr->args.end(),
                                   [this](const ExprPtr& arg) { return IsCharValue(*arg); });
        return expr;
    }
    if (Is("LIKE")) {
        // Note: LIKE runs as the engine's own, its operands bound.
        ++m_k;
        ParseAdditive();
        if (Accept("ESCAPE")) ParseAdditive();
        auto like = SqlCall(first);
        like->predicate = true;
        return like;
    }
    return left;
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseAdditive() {
    auto left = ParseMultiplicative();
    for (;;) {
        std::size_t at = Peek().begin;
        if (AcceptPair("||"))
            left = Binary(Op::Concat, std::move(left), ParseMultiplicative(), at);
        else if (AcceptSymbol('+'))
            left = Binary(Op::Add, std::move(left), ParseMultiplicative(), at);
        else if (AcceptSymbol('-'))
            left = Binary(Op::Subtract, std::move(left), ParseMultiplicative(), at);
        else if (Is("MULTISET"))
            left = ParseMultisetOperator(std::move(left), at);
        else
            return left;
    }
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseMultisetOperator(ExprPtr left, std::size_t at) {
    struct Word {
        std::string_view name;
        CPlsqlExpr::Multiset multiset;
    };
    static constexpr Word kOperators[] = {{"UNION", CPlsqlExpr::Multiset::Union},
                                          {"INTERSECT", CPlsqlExpr::Multiset::Intersect},
                                          {"EXCEPT", CPlsqlExpr::Multiset::Except}};
    ++m_k;
    for (const Word& word : kOperators)
        if (Accept(word.name)) {
            bool distinct = Accept("DISTINCT");
            if (!distinct) Accept("ALL");
            auto expr = MultisetOf(word.multiset, std::move(left), ParseMultiplicative(), at);
            expr->distinct = distinct;
            return expr;
        }
    Unexpected();
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseMultiplicative() {
    auto left = ParseUnary();
    for (;;) {
        std::size_t at = Peek().begin;
        if (IsSymbol('*') && !IsPair("**")) {
            ++m_k;
            left = Binary(Op::Multiply, std::move(left), ParseUnary(), at);
        } else if (AcceptSymbol('/')) {
            left = Binary(Op::Divide, std::move(left), ParseUnary(), at);
        } else if (Accept("MOD")) {
            left = Binary(Op::Mod, std::move(left), ParseUnary(), at);
        } else {
            return left;
        }
    }
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseUnary() {
    std::size_t at = Peek().begin;
    if (AcceptSymbol('-')) {
        Nesting nesting(*this);
        auto expr = Binary(Op::Negate, ParseUnary(), nullptr, at);
        expr->kind = CPlsqlExpr::Kind::Unary;
        return expr;
    }
    if (AcceptSymbol('+')) {
        Nesting nesting(*this);
        return ParseUnary();
    }
    return ParsePower();
}

CPlsqlParser::ExprPtr CPlsqlParser::ParsePower() {
    std::size_t first = m_k;
    auto left = ParsePrimary();
    // Note: AT LOCAL and AT TIME ZONE run as the engine's own, their
    // operands bound.
    if (Is("AT") && (Is("LOCAL", 1) || (Is("TIME", 1) && Is("ZONE", 2)))) {
        const bool local = Is("LOCAL", 1);
        m_k += local ? 2 : 3;
        if (!local) ParsePrimary();
        left = SqlCall(first);
    }
    std::size_t at = Peek().begin;
    if (AcceptPair("**")) return Binary(Op::Power, std::move(left), ParseUnary(), at);
    return left;
}

CPlsqlParser::ExprPtr CPlsqlParser::ParsePrimary() {
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->at = Peek().begin;
    if (AtEnd()) Unexpected();
    const Token& token = Peek();
    if (token.kind == CSqlScanner::Kind::Number) {
        std::string written = TokenText(token);
        // Note: a last f/F or d/D makes the literal a BINARY_FLOAT or BINARY_DOUBLE.
        const char last = written.back();
        const int width = last == 'f' || last == 'F'   ? CFloatValue::kSingle
                          : last == 'd' || last == 'D' ? CFloatValue::kDouble
                                                       : 0;
        double value = 0;
        if (width != 0) {
            if (!CFloatValue::Parse(std::string_view(written).substr(0, written.size() - 1), value))
                Unexpected();
            expr->literal = CPlsqlValue::Float(value, width);
            ++m_k;
            return expr;
        }
        CNumberDecimal number;
        if (!CNumberDecimal::FromText(written, number)) Unexpected();
        expr->literal = CPlsqlValue::Decimal(number);
        ++m_k;
        return expr;
    }
    if (token.kind == CSqlScanner::Kind::String) {
        expr->literal = CPlsqlValue::Text(CSqlScanner::LiteralText(TokenText(token)));
        ++m_k;
        return expr;
    }
    if (token.kind == CSqlScanner::Kind::Bind) {
        expr->kind = CPlsqlExpr::Kind::Variable;
        // Note: reading :NEW in an expression does not change it.
        bool assignsNew = m_unit->assignsNew;
        expr->target = ParseTarget();
        m_unit->assignsNew = assignsNew;
        return expr;
    }
    if (AcceptSymbol('(')) {
        if (Is("SELECT")) Refuse(encoding::Utf8ToCp932("式の中の副問合せ"), expr->at);
        auto inner = ParseExpr();
        ExpectSymbol(')');
        return inner;
    }
    if (Accept("NULL")) return expr;
    if (Is("TRUE") || Is("FALSE")) {
        expr->literal = CPlsqlValue::Bool(Is("TRUE"));
        ++m_k;
        return expr;
    }
    if (Is("CASE")) return ParseCaseExpr();
    if ((Is("DATE") || Is("TIMESTAMP")) && Peek(1).kind == CSqlScanner::Kind::String) {
        std::size_t first = m_k;
        m_k += 2;
        return SqlCall(first);
    }
    if (Is("INTERVAL") && Peek(1).kind == CSqlScanner::Kind::String) return ParseIntervalLiteral();
    if (!IsName()) Unexpected();
    return ParseNamed();
}

// INTERVAL 'text' field [(p)] [TO field [(s)]]: evaluated as SQL evaluates it.
CPlsqlParser::ExprPtr CPlsqlParser::ParseIntervalLiteral() {
    std::size_t first = m_k;
    m_k += 2;
    auto digits = [this]() {
        if (!AcceptSymbol('(')) return;
        while (!AtEnd() && !IsSymbol(')')) ++m_k;
        ExpectSymbol(')');
    };
    Name();
    digits();
    if (Accept("TO")) {
        Name();
        digits();
    }
    return SqlCall(first);
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseCaseExpr() {
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->kind = CPlsqlExpr::Kind::Case;
    expr->at = Peek().begin;
    Expect("CASE");
    if (!Is("WHEN")) {
        expr->hasSelector = true;
        expr->args.push_back(ParseExpr());
    }
    while (Accept("WHEN")) {
        expr->args.push_back(ParseExpr());
        Expect("THEN");
        expr->args.push_back(ParseExpr());
    }
    if (Accept("ELSE")) {
        expr->hasElse = true;
        expr->args.push_back(ParseExpr());
    }
    Expect("END");
    return expr;
}

std::shared_ptr<CPlsqlType> CPlsqlParser::ConstructedType(const std::string& name, const Entry* entry,
                                                          std::size_t at) {
    if (!IsSymbol('(')) return nullptr;
    if (m_object && name == m_package && entry == nullptr) return m_object;
    if (auto known = m_types.find(name);
        known != m_types.end() && known->second->base == CPlsqlType::Base::Collection)
        return known->second;
    if (entry != nullptr) return nullptr;
    auto schema = SchemaTypeNamed(name, at);
    return schema && (schema->object || schema->base == CPlsqlType::Base::Collection) ? schema : nullptr;
}

// UPDATING('column') in a trigger: a flag of its own, set when it fires.
CPlsqlParser::ExprPtr CPlsqlParser::ParseUpdatingColumn(std::size_t at) {
    ExpectSymbol('(');
    const CSqlScanner::Token& token = Peek();
    if (token.kind != CSqlScanner::Kind::String) Unexpected();
    std::string column = cp932::ToUpperAscii(CSqlScanner::LiteralText(TokenText(token)));
    ++m_k;
    ExpectSymbol(')');
    int slot = -1;
    for (const auto& [known, name] : m_unit->updatingColumns)
        if (name == column) slot = known;
    if (slot < 0) {
        auto boolean = std::make_shared<CPlsqlType>();
        boolean->base = CPlsqlType::Base::Boolean;
        slot = NewSlot("UPDATING(" + column + ")", boolean);
        m_unit->updatingColumns.emplace_back(slot, column);
    }
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->at = at;
    expr->kind = CPlsqlExpr::Kind::Variable;
    expr->target.slot = slot;
    expr->target.at = at;
    return expr;
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseNamed() { return ParseObjectSuffix(ParseNamedValue()); }

CPlsqlParser::ExprPtr CPlsqlParser::ParseNamedValue() {
    // NEW type(...): the type's constructor.
    if (Is("NEW") && IsName(1) && IsSymbol('(', 2) && Find("NEW") == nullptr &&
        ConstructedTypeNamed(NameText(Peek(1))))
        ++m_k;
    std::size_t at = Peek().begin;
    SkipScopeQualifier();
    std::size_t first = m_k;
    std::string name = Name();
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->at = at;
    if (name == "SQL" && IsSymbol('%')) {
        ++m_k;
        std::size_t attributeAt = Peek().begin;
        std::string attribute = Name();
        expr->kind = CPlsqlExpr::Kind::CursorAttribute;
        if (attribute == "BULK_ROWCOUNT" || attribute == "BULK_EXCEPTIONS")
            return ParseBulkAttribute(std::move(expr), attribute);
        for (const CursorAttribute& row : kCursorAttributes)
            if (attribute == row.name) {
                expr->attribute = row.attribute;
                return expr;
            }
        Fail(201, attribute, attributeAt);
    }
    const Entry* entry = Find(name);
    if (entry != nullptr && name == "UPDATING" && !m_newName.empty() && entry->level == m_level &&
        IsSymbol('('))
        return ParseUpdatingColumn(at);
    if (entry == nullptr && name == "SET" && IsSymbol('(')) {
        ++m_k;
        auto set = MultisetOf(CPlsqlExpr::Multiset::Set, ParseExpr(), nullptr, at);
        ExpectSymbol(')');
        return set;
    }
    if (entry == nullptr && name == "CARDINALITY" && IsSymbol('(') && IsName(1) && IsSymbol(')', 2)) {
        const Entry* collection = Find(NameText(Peek(1)));
        if (collection == nullptr || collection->kind != Entry::Kind::Variable ||
            CollectionOf(*collection) == nullptr)
            Fail(306, name, at);
        expr->kind = CPlsqlExpr::Kind::CollectionMethod;
        expr->method = CPlsqlExpr::Method::Cardinality;
        expr->target.at = Peek(1).begin;
        Refer(expr->target, *collection);
        m_k += 3;
        return expr;
    }
    if (entry != nullptr && entry->kind == Entry::Kind::Cursor && IsSymbol('%')) {
        ++m_k;
        std::size_t attributeAt = Peek().begin;
        std::string attribute = Name();
        expr->kind = CPlsqlExpr::Kind::CursorAttribute;
        expr->cursor = entry->cursor;
        expr->cursorOuter = m_level - entry->level;
        for (const CursorAttribute& row : kCursorAttributes)
            if (attribute == row.name) {
                expr->attribute = row.attribute;
                return expr;
            }
        Fail(201, attribute, attributeAt);
    }
    if (entry != nullptr && entry->kind == Entry::Kind::Variable && CollectionOf(*entry) != nullptr) {
        expr->target.at = at;
        Refer(expr->target, *entry);
        if (IsSymbol('(')) {
            expr->kind = CPlsqlExpr::Kind::Variable;
            ParseElement(expr->target, *CollectionOf(*entry));
            auto element = CollectionOf(*entry)->element;
            if (element && element->object && expr->target.field < 0 && IsSymbol('.') && IsName(1)) {
                ++m_k;
                return ParseMemberCall(expr->target, true, *element, Peek().begin);
            }
            return expr;
        }
        if (IsSymbol('.') && IsName(1)) {
            ParseMethodCall(*expr);
            return expr;
        }
        expr->kind = CPlsqlExpr::Kind::Variable;
        return expr;
    }
    if (auto made = ConstructedType(name, entry, at)) {
        if (made->object)
            if (ExprPtr user = ParseUserConstructor(made, at)) return user;
        expr->kind = CPlsqlExpr::Kind::Constructor;
        expr->type = made;
        expr->args = ParseArguments();
        // Note: an object's constructor takes every attribute, in order.
        if (made->object && expr->args.size() != made->fields.size()) Fail(306, name, at);
        return expr;
    }
    if (entry != nullptr && entry->kind == Entry::Kind::Variable && IsSymbol('%') &&
        SlotTypeOf(*entry)->base == CPlsqlType::Base::Cursor) {
        ++m_k;
        std::size_t attributeAt = Peek().begin;
        std::string attribute = Name();
        expr->kind = CPlsqlExpr::Kind::CursorAttribute;
        Refer(expr->target, *entry);
        expr->target.at = at;
        for (const CursorAttribute& row : kCursorAttributes)
            if (attribute == row.name) {
                expr->attribute = row.attribute;
                return expr;
            }
        Fail(201, attribute, attributeAt);
    }
    if (entry != nullptr && entry->kind == Entry::Kind::Variable) {
        m_k = first;
        expr->kind = CPlsqlExpr::Kind::Variable;
        bool constant = entry->constant;
        expr->target.at = at;
        Refer(expr->target, *entry);
        ++m_k;
        if (entry->field < 0 && AcceptSymbol('.')) {
            std::size_t fieldAt = Peek().begin;
            auto type = SlotTypeOf(*entry);
            std::string field = NameText(Peek());
            if (type->object && type->FieldIndex(field) < 0)
                return ParseMemberCall(expr->target, constant, *type, fieldAt);
            field = Name();
            expr->target.field = type->FieldIndex(field);
            if (expr->target.field < 0) Fail(302, field, fieldAt);
            // Note: the field's type is read before the expression is given away.
            auto fieldType = type->fields[static_cast<std::size_t>(expr->target.field)].type;
            return HeldPath(std::move(expr), fieldType, constant);
        }
        if (entry->field >= 0 && IsSymbol('.'))
            return HeldPath(std::move(expr),
                            SlotTypeOf(*entry)->fields[static_cast<std::size_t>(entry->field)].type,
                            constant);
        return expr;
    }
    if (name == "SQLCODE") {
        expr->kind = CPlsqlExpr::Kind::SqlCode;
        return expr;
    }
    if (name == "SQLERRM") {
        expr->kind = CPlsqlExpr::Kind::SqlErrm;
        if (IsSymbol('(')) expr->args = ParseArguments();
        return expr;
    }
    if (entry != nullptr && entry->kind != Entry::Kind::Subprogram) Fail(201, name, at);
    if (IsSymbol('.') && IsName(1)) {
        if (ExprPtr variable = PackageVariable(name, at)) return ParseCursorAttribute(std::move(variable));
        // SYS.ODCINUMBERLIST(...): a constructor of the server's own lists.
        if (auto list = CPlsqlBuiltins::Type(name + "." + NameText(Peek(1)));
            list && list->base == CPlsqlType::Base::Collection && IsSymbol('(', 2)) {
            m_k += 2;
            expr->kind = CPlsqlExpr::Kind::Constructor;
            expr->type = list;
            expr->args = ParseArguments();
            return expr;
        }
        bool invalid = false;
        if (auto package = name == m_package ? m_compiling : m_host.FindPackage(name, invalid)) {
            std::string member = NameText(Peek(1));
            m_k += 2;
            // pkg.collection_type(...): the package's collection type's constructor.
            if (auto type = package->types.find(member); type != package->types.end() &&
                                                         type->second->base == CPlsqlType::Base::Collection &&
                                                         IsSymbol('(')) {
                expr->kind = CPlsqlExpr::Kind::Constructor;
                expr->type = type->second;
                expr->args = ParseArguments();
                return expr;
            }
            auto callee = ParseUnitCall(name + "." + member, "FUNCTION", expr->args, nullptr, at);
            expr->kind = CPlsqlExpr::Kind::Call;
            expr->owner = OwnerOf(callee);
            expr->callee = callee;
            return expr;
        }
        if (invalid) Fail(905, name, at);
        bool known = false;
        std::string member = NameText(Peek(1));
        if (const CPlsqlValue* constant = CPlsqlBuiltins::Constant(name, member)) {
            m_k += 2;
            expr->kind = CPlsqlExpr::Kind::Literal;
            expr->literal = *constant;
            return expr;
        }
        if (const auto* builtin = CPlsqlBuiltins::Find(name, member, known)) {
            m_k += 2;
            if (builtin->procedure) Fail(222, name + "." + member, at);
            expr->kind = CPlsqlExpr::Kind::Builtin;
            expr->builtin = static_cast<int>(builtin->id);
            if (IsSymbol('(')) expr->args = ParseArguments();
            int count = static_cast<int>(expr->args.size());
            if (count < builtin->minArgs || count > builtin->maxArgs) Fail(306, member, at);
            CheckBuiltinArguments(member, builtin, expr->args, at);
            return expr;
        }
        if (known) Fail(302, member, Peek(1).begin);
        // A sequence's next or current value, read as SQL reads it.
        if (member == "NEXTVAL" || member == "CURRVAL") {
            m_k += 2;
            return SqlCall(first);
        }
    }
    if (!IsSymbol('.')) {
        if (auto callee = ParseUnitCall(name, "FUNCTION", expr->args, nullptr, at)) {
            expr->kind = CPlsqlExpr::Kind::Call;
            expr->owner = OwnerOf(callee);
            expr->callee = callee;
            return expr;
        }
    }
    while (IsSymbol('.') && IsName(1)) {
        m_k += 2;
    }
    if (IsSymbol('(') && first + 1 == m_k) {
        // Note: the arguments are PL/SQL expressions where they read as such
        // (a built-in package's value, a stored function), bound by place.
        std::size_t save = m_k;
        try {
            auto args = ParseArguments();
            auto expr = std::make_unique<CPlsqlExpr>();
            expr->kind = CPlsqlExpr::Kind::SqlCall;
            expr->at = at;
            expr->sql = std::make_unique<CPlsqlSql>();
            expr->sql->kind = CPlsqlSql::Kind::Query;
            expr->sql->at = at;
            std::string call = TokenText(m_tokens[first]) + "(";
            // Note: a TIMESTAMP argument is cast to its type, so that SQL takes it as
            // one (TO_CHAR of it writes it by NLS_TIMESTAMP_FORMAT).
            const bool toChar = CSqlScanner::Is(m_text, m_tokens[first], "TO_CHAR");
            if (toChar && args.size() >= 2) expr->failure = FractionDigits(*args[0], *args[1]);
            for (std::size_t k = 0; k < args.size(); ++k) {
                std::string param = "TARVEX_P" + std::to_string(k + 1);
                call += (k > 0 ? ", " : "") + TypedBind(param, *args[k]);
                expr->sql->paramNames.push_back(param);
            }
            expr->sql->text = "SELECT " + call + ") FROM DUAL";
            expr->args = std::move(args);
            Compile(*expr->sql, expr->at);
            return expr;
        } catch (const Failure&) {
            m_k = save;
        }
    }
    // Note: a package's member that is neither ours nor SQL's (DBMS_LOB's
    // readers, a unit of the owner) is an identifier not declared.
    if (IsSymbol('(') && m_k == first + 3) {
        std::string head = NameText(m_tokens[first]);
        if (head != "DBMS_LOB" && head != m_host.Owner())
            Fail(201, head + "." + NameText(m_tokens[first + 2]), at);
    }
    if (IsSymbol('(')) {
        int depth = 0;
        for (; !AtEnd(); ++m_k) {
            if (IsSymbol('(')) ++depth;
            if (IsSymbol(')') && --depth == 0) break;
        }
        if (AtEnd()) Unexpected();
        ++m_k;
        return SqlCall(first);
    }
    if (std::find(std::begin(kPseudoColumns), std::end(kPseudoColumns), name) != std::end(kPseudoColumns))
        return SqlCall(first);
    // BINARY_DOUBLE_NAN, BINARY_FLOAT_INFINITY, ...: read as SQL reads them.
    if (first + 1 == m_k && (name.starts_with("BINARY_DOUBLE_") || name.starts_with("BINARY_FLOAT_")))
        return SqlCall(first);
    Fail(201, name, at);
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseBulkAttribute(ExprPtr expr, const std::string& attribute) {
    if (attribute == "BULK_ROWCOUNT") {
        expr->attribute = CPlsqlExpr::Attribute::BulkRowCount;
        ExpectSymbol('(');
        expr->args.push_back(ParseExpr());
        ExpectSymbol(')');
        return expr;
    }
    if (AcceptSymbol('.')) {
        std::size_t at = Peek().begin;
        if (Name() != "COUNT") Fail(302, TokenText(m_tokens[m_k - 1]), at);
        expr->attribute = CPlsqlExpr::Attribute::BulkErrors;
        return expr;
    }
    ExpectSymbol('(');
    expr->args.push_back(ParseExpr());
    ExpectSymbol(')');
    ExpectSymbol('.');
    std::size_t at = Peek().begin;
    std::string field = Name();
    if (field != "ERROR_INDEX" && field != "ERROR_CODE") Fail(302, field, at);
    expr->attribute =
        field == "ERROR_INDEX" ? CPlsqlExpr::Attribute::ErrorIndex : CPlsqlExpr::Attribute::ErrorCode;
    return expr;
}

CPlsqlParser::ExprPtr CPlsqlParser::PackageVariable(const std::string& name, std::size_t at) {
    bool invalid = false;
    auto package = name == m_package ? m_compiling : m_host.FindPackage(name, invalid);
    if (invalid) Fail(905, name, at);
    if (!package) return nullptr;
    std::string member = NameText(Peek(1));
    auto found = package->variables.find(member);
    if (found == package->variables.end()) return nullptr;
    m_k += 2;
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->kind = CPlsqlExpr::Kind::Variable;
    expr->at = at;
    expr->target.at = at;
    expr->target.slot = found->second;
    expr->target.package = package->name;
    auto type = TargetType(expr->target);
    if (type->base == CPlsqlType::Base::Collection && IsSymbol('(')) {
        ParseElement(expr->target, *type);
        return expr;
    }
    if (type->base == CPlsqlType::Base::Collection && IsSymbol('.') && IsName(1)) {
        ParseMethodCall(*expr);
        return expr;
    }
    if (AcceptSymbol('.')) {
        std::size_t fieldAt = Peek().begin;
        std::string field = Name();
        expr->target.field = TargetType(expr->target)->FieldIndex(field);
        if (expr->target.field < 0) Fail(302, field, fieldAt);
    }
    return expr;
}

std::string CPlsqlParser::FloatBind(const std::string& name, const CPlsqlExpr& argument) const {
    int width = argument.kind == CPlsqlExpr::Kind::Literal ? argument.literal.FloatWidth() : 0;
    if (argument.kind == CPlsqlExpr::Kind::Variable && argument.target.bind.empty() &&
        argument.target.slot >= 0 && argument.target.field < 0 && !argument.target.index) {
        const auto type = TargetType(argument.target);
        width = type ? type->floatWidth : 0;
    }
    // Note: SQL takes a floating value as of its type, so that it computes
    // and shows it as one.
    if (width == 0) return ":" + name;
    return "CAST(:" + name + (width == CFloatValue::kSingle ? " AS BINARY_FLOAT)" : " AS BINARY_DOUBLE)");
}

int CPlsqlParser::FractionDigits(const CPlsqlExpr& value, CPlsqlExpr& model) const {
    int digits = 0;
    if (model.kind != CPlsqlExpr::Kind::Literal || model.literal.GetKind() != CPlsqlValue::Kind::Text ||
        !DatetimeDigits(value, digits))
        return 0;
    // Note: a DATE has no fraction of a second to write.
    if (digits < 0) return CDateFormat::NamesFraction(model.literal.TextValue()) ? 1821 : 0;
    if (digits >= 0 && digits < 9)
        model.literal = CPlsqlValue::Text(CDateFormat::WithFractionDigits(model.literal.TextValue(), digits));
    return 0;
}

std::shared_ptr<CPlsqlType> CPlsqlParser::VariableType(const CPlsqlExpr& value) const {
    std::shared_ptr<CPlsqlType> type;
    if (value.kind == CPlsqlExpr::Kind::Variable && value.target.bind.empty() && value.target.attribute < 0) {
        type = TargetType(value.target);
        // A collection's element: the element's type.
        if (value.target.index)
            type = type && type->base == CPlsqlType::Base::Collection ? type->element : nullptr;
        // A record's field: the field's own type.
        const auto field = static_cast<std::size_t>(value.target.field);
        if (type && value.target.field >= 0)
            type = type->base == CPlsqlType::Base::Record && field < type->fields.size()
                       ? type->fields[field].type
                       : nullptr;
    }
    return type;
}

bool CPlsqlParser::DatetimeDigits(const CPlsqlExpr& value, int& digits) const {
    std::shared_ptr<CPlsqlType> type = VariableType(value);
    if (value.kind == CPlsqlExpr::Kind::Call)
        if (auto callee = value.callee.lock()) type = callee->returnType;
    if (type) {
        digits = type->fraction;
        return type->base == CPlsqlType::Base::Date;
    }
    // SYSTIMESTAMP, CURRENT_TIMESTAMP and LOCALTIMESTAMP keep six digits;
    // SYSDATE and CURRENT_DATE none.
    struct Named {
        std::string_view sql;
        int digits;
    };
    static constexpr Named kNamed[] = {{"SELECT (SYSTIMESTAMP) FROM DUAL", 6},
                                       {"SELECT (CURRENT_TIMESTAMP) FROM DUAL", 6},
                                       {"SELECT (LOCALTIMESTAMP) FROM DUAL", 6},
                                       {"SELECT (SYSDATE) FROM DUAL", -1},
                                       {"SELECT (CURRENT_DATE) FROM DUAL", -1}};
    if (value.kind != CPlsqlExpr::Kind::SqlCall || !value.sql) return false;
    const std::string text = cp932::ToUpperAscii(value.sql->text);
    for (const Named& row : kNamed)
        if (row.sql == text) return digits = row.digits, true;
    return false;
}

std::string CPlsqlParser::TypedBind(const std::string& name, const CPlsqlExpr& argument) const {
    // Note: a value SQL computes (a TIMESTAMP literal too) keeps the type it is described with.
    if (argument.kind == CPlsqlExpr::Kind::SqlCall && argument.sql &&
        argument.sql->columnFractions.size() == 1 && argument.sql->columnFractions[0] >= 0)
        return "CAST(:" + name + " AS TIMESTAMP(" + std::to_string(argument.sql->columnFractions[0]) + ")" +
               (argument.sql->columnZones[0] ? " WITH TIME ZONE" : "") + ")";
    const auto type = VariableType(argument);
    if (!type || type->base != CPlsqlType::Base::Date || type->fraction < 0) return FloatBind(name, argument);
    return "CAST(:" + name + " AS TIMESTAMP(" + std::to_string(type->fraction) + ")" +
           (type->zone == 'Z' ? " WITH TIME ZONE" : "") + ")";
}

CPlsqlParser::ExprPtr CPlsqlParser::SqlCall(std::size_t first) {
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->kind = CPlsqlExpr::Kind::SqlCall;
    expr->at = m_tokens[first].begin;
    expr->sql = BuildSql(first, m_k, CPlsqlSql::Kind::Query);
    // Note: bracketed, since a select list takes a condition only so.
    expr->sql->text = "SELECT (" + expr->sql->text + ") FROM DUAL";
    try {
        Compile(*expr->sql, expr->at);
    } catch (const Failure& failure) {
        FailUnknownFunction(failure, first, m_k);
        throw;
    }
    return expr;
}

void CPlsqlParser::FailUnknownFunction(const Failure& failure, std::size_t first, std::size_t end) const {
    if (failure.pls != 0) return;
    const std::string shown = failure.where.text.substr(failure.where.text.find(':') + 2);
    for (std::size_t k = first; k + 1 < end && k + 1 < m_tokens.size(); ++k) {
        const Token& token = m_tokens[k];
        if (token.kind != CSqlScanner::Kind::Word || !CSqlScanner::IsSymbol(m_text, m_tokens[k + 1], '(') ||
            (k > 0 && CSqlScanner::IsSymbol(m_text, m_tokens[k - 1], '.')))
            continue;
        const std::string name = NameText(token);
        if (shown == COraError::Text(100904, {name})) Fail(201, name, token.begin);
    }
}

// ---- SQL inside the block

std::size_t CPlsqlParser::StatementEnd(std::size_t first) const {
    int depth = 0;
    for (std::size_t k = first; k < m_tokens.size(); ++k) {
        if (CSqlScanner::IsSymbol(m_text, m_tokens[k], '(')) ++depth;
        if (CSqlScanner::IsSymbol(m_text, m_tokens[k], ')')) --depth;
        if (depth <= 0 && CSqlScanner::IsSymbol(m_text, m_tokens[k], ';')) return k;
    }
    return m_tokens.size();
}

void CPlsqlParser::CollectColumns(std::size_t first, std::size_t end) {
    m_columns.clear();
    for (std::size_t k = first; k < end; ++k) {
        if (m_tokens[k].kind != CSqlScanner::Kind::Word) continue;
        std::vector<CPlsqlType::Field> fields;
        std::string table = NameText(m_tokens[k]);
        if (!m_host.TableColumns(table, fields)) continue;
        m_unit->DependsOn(table, "TABLE");
        for (const auto& field : fields) m_columns.push_back(field.name);
    }
}

std::unique_ptr<CPlsqlSql> CPlsqlParser::BuildSql(std::size_t first, std::size_t end, CPlsqlSql::Kind kind) {
    auto sql = std::make_unique<CPlsqlSql>();
    sql->kind = kind;
    sql->at = first < m_tokens.size() ? m_tokens[first].begin : m_text.size();
    if (first >= end) Unexpected();
    CollectColumns(first, end);
    std::string& out = sql->text;
    std::size_t copied = m_tokens[first].begin;
    int depth = 0;
    // Copies the unit's text up to `to`, noting where it came from.
    auto copyTo = [&](std::size_t to) {
        sql->spans.emplace_back(out.size(), copied);
        out.append(m_text.substr(copied, to - copied));
    };
    auto addParam = [&](std::size_t from, std::size_t to, CPlsqlTarget target) {
        copyTo(m_tokens[from].begin);
        std::string name = "TARVEX_P" + std::to_string(sql->params.size() + 1);
        // Note: EXTRACT(field FROM variable) reads the variable's type: a
        // DATE has no time fields (ORA-30076).
        bool extracted = from >= first + 4 && CSqlScanner::Is(m_text, m_tokens[from - 1], "FROM") &&
                         CSqlScanner::IsSymbol(m_text, m_tokens[from - 3], '(') &&
                         CSqlScanner::Is(m_text, m_tokens[from - 4], "EXTRACT");
        const auto type = extracted ? TargetType(target) : nullptr;
        bool date = type && type->base == CPlsqlType::Base::Date && type->fraction < 0;
        out += date ? "CAST(:" + name + " AS DATE)" : ":" + name;
        sql->paramNames.push_back(name);
        sql->params.push_back(std::move(target));
        copied = m_tokens[to].begin + m_tokens[to].length;
    };
    std::size_t returningAt = std::string::npos;
    bool first_select = CSqlScanner::Is(m_text, m_tokens[first], "SELECT") ||
                        CSqlScanner::Is(m_text, m_tokens[first], "WITH");
    // The closing brackets of object constructors written as their attributes.
    std::vector<std::size_t> unwrapped;
    for (std::size_t k = first; k < end; ++k) {
        const Token& token = m_tokens[k];
        if (std::find(unwrapped.begin(), unwrapped.end(), k) != unwrapped.end()) {
            copyTo(token.begin);
            copied = token.begin + token.length;
            continue;
        }
        if (first_select && depth == 0 && !sql->bulk && sql->into.empty() && UnwrapConstructor(k, end)) {
            // SELECT obj_t(a, b) INTO: the attributes, into the object's fields.
            copyTo(token.begin);
            copied = m_tokens[k + 1].begin + m_tokens[k + 1].length;
            unwrapped.push_back(MatchingBracket(k + 1, end));
            ++k;
            continue;
        }
        if (CSqlScanner::IsSymbol(m_text, token, '(')) ++depth;
        if (CSqlScanner::IsSymbol(m_text, token, ')')) --depth;
        bool into =
            token.kind == CSqlScanner::Kind::Word && CSqlScanner::Is(m_text, token, "INTO") && depth == 0;
        bool bulk =
            token.kind == CSqlScanner::Kind::Word && CSqlScanner::Is(m_text, token, "BULK") && depth == 0;
        if (bulk && k + 2 < end && CSqlScanner::Is(m_text, m_tokens[k + 1], "COLLECT") &&
            CSqlScanner::Is(m_text, m_tokens[k + 2], "INTO")) {
            sql->bulk = true;
            copyTo(token.begin);
            copied = m_tokens[k + 2].begin;
            continue;
        }
        if (bulk) Refuse("BULK", token.begin);
        if (sql->bulk && CSqlScanner::Is(m_text, token, "COLLECT")) continue;
        bool returning =
            k > first &&
            (CSqlScanner::Is(m_text, token, "RETURNING") || CSqlScanner::Is(m_text, token, "RETURN")) &&
            depth == 0;
        if (returning && !sql->returning) {
            sql->returning = true;
            copyTo(token.begin);
            returningAt = out.size();
            copied = token.begin + token.length;
        }
        if (into && (first_select || sql->returning)) {
            if (!sql->bulk) copyTo(token.begin);
            std::size_t save = m_k;
            m_k = k + 1;
            sql->into = ParseTargets();
            k = m_k - 1;
            m_k = save;
            copied = k + 1 < m_tokens.size() ? m_tokens[k + 1].begin : m_text.size();
            if (k + 1 >= end) copied = m_tokens[k].begin + m_tokens[k].length;
            continue;
        }
        if (token.kind == CSqlScanner::Kind::Bind) {
            CPlsqlTarget target;
            target.at = token.begin;
            target.bind = cp932::ToUpperAscii(CSqlScanner::BindName(m_text, token));
            std::size_t last = k;
            if (int row = RowSlot(target.bind);
                row >= 0 && k + 2 < end && CSqlScanner::IsSymbol(m_text, m_tokens[k + 1], '.')) {
                std::string field = NameText(m_tokens[k + 2]);
                target.field = m_unit->slotTypes[static_cast<std::size_t>(row)]->FieldIndex(field);
                if (target.field < 0) Fail(49, target.bind + "." + field, token.begin);
                target.bind.clear();
                target.slot = row;
                last = k + 2;
            }
            addParam(k, last, target);
            k = last;
            continue;
        }
        if (token.kind != CSqlScanner::Kind::Word && token.kind != CSqlScanner::Kind::QuotedName) continue;
        // UPDATE ... SET ROW = record: each column of the table from the
        // record's field of its place.
        if (depth == 0 && k + 3 < end && CSqlScanner::Is(m_text, token, "SET") &&
            CSqlScanner::Is(m_text, m_tokens[k + 1], "ROW") &&
            CSqlScanner::IsSymbol(m_text, m_tokens[k + 2], '=') &&
            CSqlScanner::Is(m_text, m_tokens[first], "UPDATE")) {
            const Entry* record = Find(NameText(m_tokens[k + 3]));
            std::shared_ptr<CPlsqlType> type =
                record != nullptr && record->kind == Entry::Kind::Variable ? SlotTypeOf(*record) : nullptr;
            std::size_t tableToken =
                CSqlScanner::IsSymbol(m_text, m_tokens[first + 2], '.') ? first + 3 : first + 1;
            std::vector<CPlsqlType::Field> columns;
            if (type == nullptr || type->base != CPlsqlType::Base::Record ||
                !m_host.TableColumns(NameText(m_tokens[tableToken]), columns))
                Fail(382, {}, m_tokens[k + 3].begin);
            if (columns.size() != type->fields.size()) Fail(382, {}, m_tokens[k + 3].begin);
            copyTo(token.begin);
            out += "SET ";
            for (std::size_t f = 0; f < columns.size(); ++f) {
                CPlsqlTarget target;
                target.at = m_tokens[k + 3].begin;
                Refer(target, *record);
                target.field = static_cast<int>(f);
                std::string name = "TARVEX_P" + std::to_string(sql->params.size() + 1);
                out += (f > 0 ? ", " : "") + columns[f].name + " = :" + name;
                sql->paramNames.push_back(name);
                sql->params.push_back(std::move(target));
            }
            copied = m_tokens[k + 3].begin + m_tokens[k + 3].length;
            k += 3;
            continue;
        }
        // INSERT ... VALUES record: the record's fields in their order.
        if (depth == 0 && k + 2 == end && CSqlScanner::Is(m_text, token, "VALUES") &&
            m_tokens[k + 1].kind == CSqlScanner::Kind::Word) {
            const Entry* record = Find(NameText(m_tokens[k + 1]));
            std::shared_ptr<CPlsqlType> type =
                record != nullptr && record->kind == Entry::Kind::Variable ? SlotTypeOf(*record) : nullptr;
            if (type != nullptr && type->base == CPlsqlType::Base::Record) {
                copyTo(m_tokens[k + 1].begin);
                out += "(";
                for (std::size_t f = 0; f < type->fields.size(); ++f) {
                    CPlsqlTarget target;
                    target.at = m_tokens[k + 1].begin;
                    Refer(target, *record);
                    target.field = static_cast<int>(f);
                    std::string name = "TARVEX_P" + std::to_string(sql->params.size() + 1);
                    out += (f > 0 ? ", :" : ":") + name;
                    sql->paramNames.push_back(name);
                    sql->params.push_back(std::move(target));
                }
                out += ")";
                copied = m_tokens[k + 1].begin + m_tokens[k + 1].length;
                k = k + 1;
                continue;
            }
        }
        if (CSqlScanner::Is(m_text, token, "CURRENT") && k + 2 < end &&
            CSqlScanner::Is(m_text, m_tokens[k + 1], "OF")) {
            const Entry* cursor = Find(NameText(m_tokens[k + 2]));
            if (cursor == nullptr || cursor->kind != Entry::Kind::Cursor)
                Fail(201, TokenText(m_tokens[k + 2]), m_tokens[k + 2].begin);
            copyTo(token.begin);
            out += "ROWID ";
            copied = token.begin;
            CPlsqlTarget target;
            target.at = token.begin;
            target.cursor = cursor->cursor;
            target.outer = m_level - cursor->level;
            std::string name = "TARVEX_P" + std::to_string(sql->params.size() + 1);
            out += "= :" + name;
            sql->paramNames.push_back(name);
            sql->params.push_back(std::move(target));
            copied = m_tokens[k + 2].begin + m_tokens[k + 2].length;
            k += 2;
            continue;
        }
        bool table = CSqlScanner::Is(m_text, token, "TABLE");
        if ((table || CSqlScanner::Is(m_text, token, "CARDINALITY")) && k + 3 < end &&
            CSqlScanner::IsSymbol(m_text, m_tokens[k + 1], '(') &&
            CSqlScanner::IsSymbol(m_text, m_tokens[k + 3], ')')) {
            // TABLE(collection): its elements as the rows of a JSON document;
            // CARDINALITY(collection) counts the document's elements.
            const Entry* entry = Find(NameText(m_tokens[k + 2]));
            if (entry != nullptr && entry->kind == Entry::Kind::Variable && CollectionOf(*entry) != nullptr) {
                CPlsqlTarget target;
                target.at = m_tokens[k + 2].begin;
                Refer(target, *entry);
                target.json = true;
                copyTo(token.begin);
                std::string name = "TARVEX_P" + std::to_string(sql->params.size() + 1);
                out += table ? "JSON_TABLE(:" + name + ", '$[*]' COLUMNS (" +
                                   CCollectionJson::Columns(*CollectionOf(*entry)) + "))"
                             : "CARDINALITY(:" + name + ")";
                sql->paramNames.push_back(name);
                sql->params.push_back(std::move(target));
                copied = m_tokens[k + 3].begin + m_tokens[k + 3].length;
                k += 3;
                continue;
            }
        }
        if (k > first && CSqlScanner::IsSymbol(m_text, m_tokens[k - 1], '.')) continue;
        if (k + 1 < end && CSqlScanner::IsSymbol(m_text, m_tokens[k + 1], '(')) {
            const Entry* element = Find(NameText(token));
            if (element == nullptr || element->kind != Entry::Kind::Variable ||
                CollectionOf(*element) == nullptr)
                continue;
            CPlsqlTarget target;
            target.at = token.begin;
            Refer(target, *element);
            std::size_t save = m_k;
            m_k = k + 1;
            ParseElement(target, *CollectionOf(*element));
            std::size_t last = m_k - 1;
            m_k = save;
            addParam(k, last, target);
            k = last;
            continue;
        }
        std::string written = TokenText(token);
        std::string name =
            written.front() == '"' ? written.substr(1, written.size() - 2) : cp932::ToUpperAscii(written);
        const Entry* entry = Find(name);
        if (entry == nullptr || entry->kind != Entry::Kind::Variable) continue;
        // Note: in SQL a column's name wins over a PL/SQL variable's.
        if (std::find(m_columns.begin(), m_columns.end(), name) != m_columns.end()) continue;
        CPlsqlTarget target;
        target.at = token.begin;
        Refer(target, *entry);
        // Note: a collection reaches SQL as its JSON document (MEMBER OF v, v MULTISET UNION w).
        target.json = CollectionOf(*entry) != nullptr;
        std::size_t last = k;
        auto type = SlotTypeOf(*entry);
        if (type->object && entry->field < 0 && k + 2 < end &&
            CSqlScanner::IsSymbol(m_text, m_tokens[k + 1], '.') &&
            type->FieldIndex(NameText(m_tokens[k + 2])) < 0) {
            // An object's method in SQL: called where the statement's values are bound.
            std::size_t save = m_k;
            m_k = k + 2;
            target.value = ParseMemberCall(target, entry->constant, *type, m_tokens[k + 2].begin);
            last = m_k - 1;
            m_k = save;
            addParam(k, last, target);
            k = last;
            continue;
        }
        if (type->base == CPlsqlType::Base::Record && k + 2 < end &&
            CSqlScanner::IsSymbol(m_text, m_tokens[k + 1], '.')) {
            std::string field = NameText(m_tokens[k + 2]);
            target.field = type->FieldIndex(field);
            if (target.field < 0) Fail(302, field, m_tokens[k + 2].begin);
            last = k + 2;
            // Note: a field's object reaches SQL as its document, its attribute as a value.
            auto held = type->fields[static_cast<std::size_t>(target.field)].type;
            while (held && held->object && last + 2 < end &&
                   CSqlScanner::IsSymbol(m_text, m_tokens[last + 1], '.') &&
                   held->FieldIndex(NameText(m_tokens[last + 2])) >= 0) {
                int index = held->FieldIndex(NameText(m_tokens[last + 2]));
                if (target.attribute < 0) {
                    target.attribute = index;
                    target.object = held;
                } else {
                    target.deeper.push_back(index);
                }
                held = held->fields[static_cast<std::size_t>(index)].type;
                last += 2;
            }
            if (held && held->object && target.attribute < 0) target.json = true;
        }
        // Note: a whole object reaches SQL as its document (see CObjectText::Document).
        if (type->object && target.field < 0) target.json = true;
        addParam(k, last, target);
        k = last;
    }
    const Token& last = m_tokens[end - 1];
    if (copied < last.begin + last.length) copyTo(last.begin + last.length);
    for (const CPlsqlTarget& param : sql->params) sql->paramFloats.push_back(ParamFloatWidth(param));
    if (returningAt != std::string::npos) {
        // Note: RETURNING goes to the engine after the statement is compiled.
        const std::string_view whole(out);
        sql->returningText =
            CReturningInto::Unqualified(whole.substr(0, returningAt), whole.substr(returningAt));
        out.resize(returningAt);
    }
    return sql;
}

int CPlsqlParser::ParamFloatWidth(const CPlsqlTarget& target) const {
    if (!target.bind.empty()) return RowSlot(target.bind) >= 0 ? 0 : m_host.BindFloatWidth(target.bind);
    if (target.slot < 0 || target.index || target.json || target.object || target.cursor >= 0) return 0;
    const auto type = TargetType(target);
    if (!type) return 0;
    if (target.field < 0) return type->floatWidth;
    if (type->base != CPlsqlType::Base::Record ||
        static_cast<std::size_t>(target.field) >= type->fields.size())
        return 0;
    const auto& field = type->fields[static_cast<std::size_t>(target.field)].type;
    return field ? field->floatWidth : 0;
}

std::size_t CPlsqlParser::MatchingBracket(std::size_t open, std::size_t end) const {
    int depth = 0;
    for (std::size_t k = open; k < end; ++k) {
        if (CSqlScanner::IsSymbol(m_text, m_tokens[k], '(')) ++depth;
        if (CSqlScanner::IsSymbol(m_text, m_tokens[k], ')') && --depth == 0) return k;
    }
    return end;
}

bool CPlsqlParser::UnwrapConstructor(std::size_t k, std::size_t end) {
    const Token& token = m_tokens[k];
    if (token.kind != CSqlScanner::Kind::Word || k + 1 >= end ||
        !CSqlScanner::IsSymbol(m_text, m_tokens[k + 1], '(') ||
        (k > 0 && CSqlScanner::IsSymbol(m_text, m_tokens[k - 1], '.')))
        return false;
    std::string name = NameText(token);
    if (Find(name) != nullptr || CPlsqlBuiltins::Type(name)) return false;
    // Note: only a name the select list could not mean otherwise (no
    // function of the engine has a schema type's name).
    if (!m_host.HasSchemaType(name)) return false;
    auto type = SchemaTypeNamed(name, token.begin);
    return type && type->object && MatchingBracket(k + 1, end) < end;
}

void CPlsqlParser::Compile(CPlsqlSql& sql, std::size_t at) {
    CEngineError error;
    // Note: a MERGE runs as the statements it makes, compiled where it runs;
    // here it is only checked.
    if (sql.merge ? m_host.CheckMerge(sql, error) : m_host.Prepare(sql, error)) return;
    // Note: the SQL's own error stands at the name it failed on, as the
    // server's "PL/SQL: ORA-00942" line does, and the statement is passed
    // over ("PL/SQL: SQL Statement ignored" at its start).
    std::size_t place = SourceOf(sql, error.position, at);
    auto head = [this](std::size_t where) {
        std::string message = CPlsqlErrors::Compile(m_unit->LineOf(where), m_unit->ColumnOf(where), 0);
        return message.substr(0, message.find('\n'));
    };
    std::string text = encoding::Utf8ToCp932("PL/SQL: ") + error.message.substr(0, error.message.find('\n'));
    CompileError where{m_unit->LineOf(place), m_unit->ColumnOf(place), text};
    where.ignoredLine = m_unit->LineOf(at);
    where.ignoredColumn = m_unit->ColumnOf(at);
    where.ignoredText = "PL/SQL: SQL Statement ignored";
    std::string message = head(place) + "\n" + text + "\n" + head(at) + "\n" + where.ignoredText;
    throw Failure{std::move(message), std::move(where), place, 0, at};
}

std::size_t CPlsqlParser::SourceOf(const CPlsqlSql& sql, int position, std::size_t at) const {
    if (position < 0 || sql.spans.empty()) return at;
    auto offset = static_cast<std::size_t>(position);
    auto span = std::upper_bound(sql.spans.begin(), sql.spans.end(), offset,
                                 [](std::size_t value, const auto& piece) { return value < piece.first; });
    if (span == sql.spans.begin()) return at;
    --span;
    std::size_t source = span->second + (offset - span->first);
    return source >= at && source < m_text.size() ? source : at;
}

// ---- the unit

void CPlsqlUnit::DependsOn(const std::string& name, const std::string& type) {
    std::pair<std::string, std::string> dependency{name, type};
    if (std::find(dependencies.begin(), dependencies.end(), dependency) == dependencies.end())
        dependencies.push_back(std::move(dependency));
}

int CPlsqlUnit::LineOf(std::size_t at) const {
    auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), at);
    return static_cast<int>(next - lineStarts.begin()) - lineOffset;
}

int CPlsqlUnit::ColumnOf(std::size_t at) const {
    auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), at);
    return static_cast<int>(at - *(next - 1)) + 1;
}

// ".method[(arguments)]" of a collection in an expression: EXTEND, DELETE
// and TRIM change the collection and are statements, not values.
void CPlsqlParser::ParseMethodCall(CPlsqlExpr& expr) {
    ++m_k;
    std::size_t methodAt = Peek().begin;
    std::string method = Name();
    expr.kind = CPlsqlExpr::Kind::CollectionMethod;
    if (!MethodNamed(method, expr.method) || expr.method == CPlsqlExpr::Method::Extend ||
        expr.method == CPlsqlExpr::Method::Delete || expr.method == CPlsqlExpr::Method::Trim)
        Fail(302, method, methodAt);
    if (IsSymbol('(')) expr.args = ParseArguments();
}
