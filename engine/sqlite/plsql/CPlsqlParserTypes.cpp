// PL/SQL: the methods of object types (CREATE TYPE ... AS OBJECT with
// MEMBER, STATIC, CONSTRUCTOR, MAP and ORDER methods, and CREATE TYPE BODY),
// compiled as a package named after the type, and the calls of them.
#include <algorithm>

#include "engine/sqlite/plsql/CPlsqlHost.h"
#include "engine/sqlite/plsql/CPlsqlOverloads.h"
#include "engine/sqlite/plsql/CPlsqlParser.h"
#include "engine/sqlite/plsql/CPlsqlParserEntry.h"
#include "text/Cp932.h"

namespace {

// What a method's heading begins with, after FINAL and its like.
constexpr std::string_view kMethodKinds[] = {"MEMBER", "STATIC", "CONSTRUCTOR"};

}  // namespace

std::shared_ptr<CPlsqlPackage> CPlsqlParser::ParseTypeMethods(const std::string& owner,
                                                              const std::shared_ptr<CPlsqlType>& type,
                                                              std::string_view body, CompileError& failure,
                                                              bool& inBody) {
    inBody = false;
    Begin();
    auto package = std::make_shared<CPlsqlPackage>();
    try {
        Push();
        m_compiling = package;
        OpenPackageFrame("TYPE", owner, *package);
        m_object = type;
        m_types[package->name] = type;
        while (!AtEnd() && !Is("OBJECT")) ++m_k;
        Expect("OBJECT");
        ExpectSymbol('(');
        do {
            if (IsMethodStart())
                ParseMethodItem(true);
            else
                SkipTypeItem();
        } while (AcceptSymbol(','));
        ExpectSymbol(')');
        if (!body.empty()) {
            inBody = true;
            OpenBody("TYPE", body);
            while (!AtEnd() && !Is("END")) ParseMethodItem(false);
            Expect("END");
            AcceptSymbol(';');
            CloseBody(*package);
        }
        for (const auto& [name, member] : package->members)
            for (const auto& [referenced, kind] : member->dependencies)
                if (referenced != package->name) m_frame->DependsOn(referenced, kind);
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

bool CPlsqlParser::IsMethodStart() const {
    if (Is("NOT")) return Is("FINAL", 1) || Is("INSTANTIABLE", 1) || Is("OVERRIDING", 1);
    return std::any_of(std::begin(kMethodKinds), std::end(kMethodKinds), [this](auto w) { return Is(w); }) ||
           Is("MAP") || Is("ORDER") || Is("OVERRIDING") || Is("FINAL") || Is("INSTANTIABLE");
}

std::string CPlsqlParser::MethodKind() {
    for (;;) {
        std::size_t at = Peek().begin;
        // Note: overriding needs a supertype (UNDER), which is refused by name.
        if (Is("OVERRIDING")) Refuse("OVERRIDING", at);
        if (Is("NOT") && Is("INSTANTIABLE", 1)) Refuse("NOT INSTANTIABLE", at);
        if (Is("NOT") && (Is("FINAL", 1) || Is("OVERRIDING", 1))) {
            m_k += 2;
            continue;
        }
        if (Accept("FINAL") || Accept("INSTANTIABLE")) continue;
        break;
    }
    if (Accept("MAP") || Accept("ORDER")) {
        std::string kind = NameText(m_tokens[m_k - 1]);
        Expect("MEMBER");
        return kind;
    }
    for (std::string_view kind : kMethodKinds)
        if (Accept(kind)) return std::string(kind);
    Unexpected();
}

void CPlsqlParser::SkipTypeItem() {
    int depth = 0;
    for (; !AtEnd(); ++m_k) {
        if (IsSymbol('(')) ++depth;
        if (IsSymbol(')') && depth-- == 0) return;
        if (IsSymbol(',') && depth == 0) return;
    }
}

void CPlsqlParser::ParseMethodItem(bool heading) {
    std::string kind = MethodKind();
    if (!Is("FUNCTION") && !Is("PROCEDURE")) Unexpected();
    std::size_t nameAt = Peek(1).begin;
    // Note: the attributes are named bare as fields of SELF (its slot is the
    // method's first); a parameter of the same name hides one.
    Push();
    if (kind != "STATIC") {
        bool constant = Is("FUNCTION") && kind != "CONSTRUCTOR";
        for (std::size_t k = 0; k < m_object->fields.size(); ++k) {
            Entry entry;
            entry.slot = 0;
            entry.field = static_cast<int>(k);
            entry.constant = constant;
            entry.level = m_level;
            m_scopes.back()[m_object->fields[k].name] = entry;
        }
    }
    auto method = ParseHeading(m_frame, kind);
    if (kind == "CONSTRUCTOR" && (method->type != "FUNCTION" || method->name != m_package))
        Fail(306, method->name, nameAt);
    auto range = m_compiling->members.equal_range(method->name);
    std::shared_ptr<CPlsqlUnit> declared;
    for (auto it = range.first; it != range.second; ++it)
        if (CPlsqlOverloads::SameHeading(*it->second, *method)) declared = it->second;
    if ((declared && declared->block) || (declared && heading)) Fail(103, method->name, nameAt);
    if (!declared && !heading) Fail(538, method->name, nameAt);
    if (declared) {
        // Note: calls compiled before the body hold the heading's unit.
        *declared = std::move(*method);
        method = declared;
    } else {
        if (range.first == range.second) m_compiling->publicMembers.push_back(method->name);
        m_compiling->members.emplace(method->name, method);
    }
    m_unit = method;
    if (heading)
        Pop();
    else
        ParseSubprogramBody(true);
    Pop();
    m_unit = m_frame;
}

CPlsqlParser::ExprPtr CPlsqlParser::SelfExpr(const SelfArg& self) const {
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->at = self.target.at;
    if (self.made) {
        // A user constructor begins with an object whose attributes are NULL.
        expr->kind = CPlsqlExpr::Kind::Constructor;
        expr->type = self.made;
        for (std::size_t k = 0; k < self.made->fields.size(); ++k) {
            auto none = std::make_unique<CPlsqlExpr>();
            none->at = expr->at;
            expr->args.push_back(std::move(none));
        }
        return expr;
    }
    if (self.value != nullptr) {
        if (self.trial) return std::make_unique<CPlsqlExpr>();
        return std::move(*self.value);
    }
    expr->kind = CPlsqlExpr::Kind::Variable;
    expr->target = self.target;
    return expr;
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseObjectSuffix(ExprPtr expr) {
    while (IsSymbol('.') && IsName(1) &&
           (expr->kind == CPlsqlExpr::Kind::Call || expr->kind == CPlsqlExpr::Kind::Constructor ||
            expr->kind == CPlsqlExpr::Kind::Field)) {
        auto type = ObjectTypeOf(*expr);
        if (!type) break;
        ++m_k;
        std::size_t at = Peek().begin;
        std::string name = NameText(Peek());
        if (int field = type->FieldIndex(name); field >= 0) {
            ++m_k;
            auto read = std::make_unique<CPlsqlExpr>();
            read->kind = CPlsqlExpr::Kind::Field;
            read->at = at;
            read->type = type;
            read->target.field = field;
            read->args.push_back(std::move(expr));
            expr = std::move(read);
            continue;
        }
        SelfArg self;
        self.target.at = expr->at;
        ExprPtr owned = std::move(expr);
        self.value = &owned;
        expr = ParseMemberCall(self, *type, at);
    }
    return expr;
}

bool CPlsqlParser::ConstructedTypeNamed(const std::string& name) {
    if (m_object && name == m_package) return true;
    if (auto known = m_types.find(name); known != m_types.end()) return known->second->object;
    return m_host.HasSchemaType(name);
}

std::shared_ptr<CPlsqlPackage> CPlsqlParser::MethodsOf(const std::string& type, std::size_t at) {
    if (type == m_package && m_object) return m_compiling;
    bool invalid = false;
    auto package = m_host.FindPackage(type, invalid);
    if (invalid) Fail(905, type, at);
    return package;
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseMemberCall(const CPlsqlTarget& target, bool constant,
                                                    const CPlsqlType& type, std::size_t at) {
    SelfArg self;
    self.target = target;
    self.constant = constant;
    return ParseMemberCall(self, type, at);
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseMemberCall(SelfArg& self, const CPlsqlType& type, std::size_t at) {
    std::string method = Name();
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->at = self.target.at;
    if (!MethodsOf(type.name, at)) Fail(302, method, at);
    auto callee = ParseUnitCall(type.name + "." + method, "FUNCTION", expr->args, nullptr, at, &self);
    if (!callee) Fail(302, method, at);
    expr->kind = CPlsqlExpr::Kind::Call;
    expr->owner = OwnerOf(callee);
    expr->callee = callee;
    return expr;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseHeldMemberStatement(const Entry& entry, std::size_t at) {
    if (entry.kind != Entry::Kind::Variable || CollectionOf(entry) != nullptr) return nullptr;
    const std::size_t save = m_k;
    SelfArg self;
    self.target.at = at;
    Refer(self.target, entry);
    self.constant = entry.constant;
    self.name = NameText(Peek());
    ++m_k;
    auto type = SlotTypeOf(entry);
    std::shared_ptr<CPlsqlType> field;
    if (entry.field >= 0) {
        field = type->fields[static_cast<std::size_t>(entry.field)].type;
    } else if (IsSymbol('.') && IsName(1) && type->FieldIndex(NameText(Peek(1))) >= 0) {
        self.target.field = type->FieldIndex(NameText(Peek(1)));
        field = type->fields[static_cast<std::size_t>(self.target.field)].type;
        m_k += 2;
    }
    auto holder = field && field->object ? HeldAttribute(self.target, field, true) : nullptr;
    if (!holder || !holder->object || !IsSymbol('.') || !IsName(1) || !IsMethodCallEnd(2)) {
        m_k = save;
        return nullptr;
    }
    ++m_k;
    return MemberStatement(self, *holder, at);
}

bool CPlsqlParser::IsMethodCallEnd(std::size_t ahead) const {
    return IsSymbol('(', ahead) || IsSymbol(';', ahead);
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::MemberStatement(SelfArg& self, const CPlsqlType& type,
                                                          std::size_t at) {
    auto statement = std::make_unique<CPlsqlStmt>();
    statement->at = at;
    std::size_t methodAt = Peek().begin;
    std::string method = Name();
    if (!MethodsOf(type.name, methodAt)) Fail(302, method, methodAt);
    auto callee = ParseUnitCall(type.name + "." + method, "PROCEDURE", statement->exprs, &statement->into,
                                methodAt, &self);
    if (!callee) Fail(302, method, methodAt);
    statement->kind = CPlsqlStmt::Kind::Call;
    statement->owner = OwnerOf(callee);
    statement->callee = callee;
    EndStatement();
    return statement;
}

std::unique_ptr<CPlsqlStmt> CPlsqlParser::ParseMemberStatement(const Entry& entry, std::size_t at) {
    SelfArg self;
    self.target.at = at;
    Refer(self.target, entry);
    self.constant = entry.constant;
    self.name = NameText(Peek());
    auto type = SlotTypeOf(entry);
    m_k += 2;
    return MemberStatement(self, *type, at);
}

CPlsqlParser::ExprPtr CPlsqlParser::ParseUserConstructor(const std::shared_ptr<CPlsqlType>& type,
                                                         std::size_t at) {
    bool any = std::any_of(type->methods.begin(), type->methods.end(),
                           [](const CPlsqlType::Method& method) { return method.kind == "CONSTRUCTOR"; });
    if (!any || !MethodsOf(type->name, at)) return nullptr;
    std::size_t save = m_k;
    SelfArg self;
    self.made = type;
    self.target.at = at;
    auto expr = std::make_unique<CPlsqlExpr>();
    expr->at = at;
    try {
        auto callee =
            ParseUnitCall(type->name + "." + type->name, "FUNCTION", expr->args, nullptr, at, &self);
        expr->kind = CPlsqlExpr::Kind::Call;
        expr->owner = OwnerOf(callee);
        expr->callee = callee;
        return expr;
    } catch (const Failure&) {
        // Note: the attributes' own constructor stands beside the user's ones.
        m_k = save;
        std::size_t count = ParseArguments().size();
        m_k = save;
        if (count == type->fields.size()) return nullptr;
        throw;
    }
}

std::shared_ptr<CPlsqlType> CPlsqlParser::ObjectTypeOf(const CPlsqlExpr& expr) const {
    std::shared_ptr<CPlsqlType> type;
    if (expr.kind == CPlsqlExpr::Kind::Variable && expr.target.field < 0 && expr.target.bind.empty() &&
        expr.target.slot >= 0) {
        type = TargetType(expr.target);
        if (type && expr.target.index) type = type->element;
    } else if (expr.kind == CPlsqlExpr::Kind::Constructor)
        type = expr.type;
    else if (auto callee = expr.callee.lock(); expr.kind == CPlsqlExpr::Kind::Call && callee)
        type = callee->returnType;
    else if (expr.kind == CPlsqlExpr::Kind::Field && expr.type)
        type = expr.type->fields[static_cast<std::size_t>(expr.target.field)].type;
    return type && type->object ? type : nullptr;
}

CPlsqlParser::ExprPtr CPlsqlParser::ObjectComparison(CPlsqlExpr::Op op, ExprPtr& left, ExprPtr& right,
                                                     std::size_t at) {
    auto type = ObjectTypeOf(*left);
    if (!type) return nullptr;
    auto other = ObjectTypeOf(*right);
    if (!other || other->name != type->name) Fail(382, {}, right->at);
    auto package = MethodsOf(type->name, at);
    if (!package) Fail(526, {}, at);
    std::shared_ptr<CPlsqlUnit> map;
    std::shared_ptr<CPlsqlUnit> order;
    for (const auto& member : package->members) {
        if (member.second->method == "MAP") map = member.second;
        if (member.second->method == "ORDER") order = member.second;
    }
    if (!map && !order) Fail(526, {}, at);
    auto call = [&](const std::shared_ptr<CPlsqlUnit>& unit, ExprPtr self, ExprPtr with) {
        NoteCall(*unit);
        auto expr = std::make_unique<CPlsqlExpr>();
        expr->kind = CPlsqlExpr::Kind::Call;
        expr->at = self->at;
        expr->callee = unit;
        expr->owner = OwnerOf(unit);
        expr->nullSelf = true;
        expr->args.push_back(std::move(self));
        if (with) expr->args.push_back(std::move(with));
        expr->args.resize(unit->parameters.size());
        return expr;
    };
    if (map) return Binary(op, call(map, std::move(left), nullptr), call(map, std::move(right), nullptr), at);
    auto zero = std::make_unique<CPlsqlExpr>();
    zero->at = at;
    zero->literal = CPlsqlValue::Integer(0);
    return Binary(op, call(order, std::move(left), std::move(right)), std::move(zero), at);
}
