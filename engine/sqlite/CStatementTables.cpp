#include "engine/sqlite/CStatementTables.h"

#include <algorithm>

#include "engine/sqlite/CSqlParser.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqlTree.h"
#include "text/Cp932.h"

namespace {

class Walker {
public:
    explicit Walker(std::vector<std::string>& out) : m_out(out) {}

    void Statement(const CSqlStatement& statement) {
        Name(statement.table);
        Select(statement.query);
        for (const CSqlExpr* value : statement.values) Expr(value);
        Expr(statement.where);
        for (const CSqlStatement& part : statement.parts) Statement(part);
    }

private:
    void Name(const std::vector<std::string_view>& parts) {
        if (parts.empty()) return;
        std::string_view written = parts.back();
        std::string name = written.size() >= 2 && written.front() == '"'
                               ? std::string(written.substr(1, written.size() - 2))
                               : cp932::ToUpperAscii(written);
        if (std::find(m_out.begin(), m_out.end(), name) == m_out.end()) m_out.push_back(std::move(name));
    }

    void Select(const CSqlSelect* select) {
        for (; select != nullptr; select = select->next) {
            for (const auto& with : select->with) Select(with.query);
            for (const auto& item : select->items) Expr(item.expr);
            for (const auto& item : select->from) {
                Name(item.table);
                Select(item.query);
                Expr(item.on);
            }
            for (const CSqlExpr* expr : {select->where, select->having, select->startWith, select->connectBy})
                Expr(expr);
            for (const CSqlExpr* expr : select->groupBy) Expr(expr);
        }
    }

    void Expr(const CSqlExpr* expr) {
        if (expr == nullptr) return;
        for (const CSqlExpr* arg : expr->args) Expr(arg);
        Select(expr->query);
    }

    std::vector<std::string>& m_out;
};

}  // namespace

bool CStatementTables::Of(std::string_view sql, std::vector<std::string>& out) {
    auto tokens = CSqlScanner::Significant(sql);
    CSqlArena arena;
    CSqlStatement statement;
    CSqlParser::Failure failure;
    CSqlParser parser(sql, tokens, arena);
    if (!parser.Parse(statement, failure)) return false;
    Walker(out).Statement(statement);
    return true;
}
