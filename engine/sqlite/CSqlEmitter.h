#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CLiteralStore.h"
#include "engine/sqlite/CSqlTree.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/values/CValueType.h"

// Writes the SQLite text of a parsed statement with the server's meaning:
// names resolved against the catalog (a missing table or column fails at its
// token), values converted as the server converts them (text compared with
// a number becomes a number, with a date a date; CHAR compared blank-padded),
// NULL sorted last ascending, ROWNUM counted as rows are accepted, outer
// joins written "(+)" made LEFT JOINs, MINUS, date literals, and every value
// stored into a column checked and rounded by its declared type.
class CSqlEmitter {
public:
    struct Failure {
        std::size_t at = 0;
        int code = 0;
        std::string name;               // CP932
        std::vector<std::string> args;  // what follows the name in the message
    };

    // `stored`: the text is the body of a view or trigger kept in the file.
    CSqlEmitter(std::string_view text, CSqliteCatalog& catalog, bool stored = false)
        : m_text(text), m_catalog(catalog), m_stored(stored) {}

    bool Emit(const CSqlStatement& statement, std::string& out, Failure& failure);
    // A row every name of the statement may read, as NAME.COLUMN (a
    // trigger's NEW and OLD); before Emit.
    void AddRowSource(std::string name, const std::vector<CSqliteCatalog::Column>& columns);
    // The static types of the result columns of a query, after Emit.
    const std::vector<CValueType>& ResultTypes() const { return m_resultTypes; }
    // The number of query blocks that count ROWNUM.
    int RownumBlocks() const { return m_rownumBlocks; }

    // A literal written as a numbered parameter, for the caller to bind.
    struct LiteralSlot {
        std::size_t at = 0;  // the literal's offset in the text
        CSqliteCatalog::Column column;
        std::string table;  // upper case
        CLiteralStore::Value value;
    };
    // From now on, literals stored by CLiteralStore are written as "?n"
    // ("CAST(?n AS REAL)" for a floating-point number) and kept in `slots`
    // in the order of n.
    void CollectLiterals(std::vector<LiteralSlot>* slots) { m_slots = slots; }
    // After Emit: the statement is an INSERT ... VALUES whose every value
    // went to `slots`.
    bool ValuesAllLiterals() const { return m_valuesAllLiterals; }

private:
    // A column a source offers or a query produces (name upper-cased).
    struct Typed {
        std::string name;
        CValueType type;
    };
    struct Source {
        std::string name;  // alias, else table name (upper)
        std::vector<Typed> columns;
        bool known = false;
    };
    struct Scope {
        std::vector<Source> sources;
        std::vector<Typed> aliases;  // for ORDER BY
        int rownumBlock = -1;
        bool inWhere = false;
        bool usingJoin = false;
    };
    struct Cte {
        std::string name;
        std::vector<Typed> columns;
    };

    bool Fail(std::size_t at, int code, std::string_view name = {});
    std::string_view Span(std::size_t at, std::size_t end) const { return m_text.substr(at, end - at); }

    bool Query(const CSqlSelect& query, std::string& out, std::vector<Typed>* columns);
    bool Block(const CSqlSelect& block, std::string& out, std::vector<Typed>* columns, bool orderedForRownum);
    bool FromSources(const CSqlSelect& block, Scope& scope, std::vector<std::string>& texts);
    bool TableSource(const CSqlFromItem& item, Source& source, std::string& text);
    bool OrderItems(const std::vector<CSqlExpr::OrderItem>& items, std::string& out);

    CSqlType Expr(const CSqlExpr* expr, std::string& out);
    CSqlType Name(const CSqlExpr& expr, std::string& out);
    CSqlType Call(const CSqlExpr& expr, std::string& out);
    // A stored function of the file (PL/SQL), called by its name.
    CSqlType StoredCall(const std::string& name, const CSqlExpr& expr, std::string& out);
    CSqlType Special(const CSqlExpr& expr, std::string& out);
    CSqlType Binary(const CSqlExpr& expr, std::string& out);
    CSqlType Compare(std::string_view op, const CSqlExpr* left, const CSqlExpr* right, std::string& out);
    CSqlType Case(const CSqlExpr& expr, std::string& out);
    CSqlType Quantified(const CSqlExpr& expr, std::string& out);
    static void Convert(CSqlType lt, CSqlType rt, std::string& left, std::string& right);
    CSqlType DateLiteral(const CSqlExpr& expr, std::string& out);
    bool Resolve(const CSqlExpr& expr, CSqlType& type, CValueType* full = nullptr);
    // The static type of a select item of type `kind`, with the length of
    // text where the tree tells it.
    CValueType Describe(const CSqlExpr& expr, CSqlType kind);
    // The length of a text expression where its parts tell it; 0 otherwise.
    long TextLength(const CSqlExpr& expr);
    bool UsesRownum(const CSqlExpr* expr) const;
    // START WITH ... CONNECT BY over the one table of `block`: its source
    // text becomes the rows of the hierarchy, depth first.
    bool Hierarchy(const CSqlSelect& block, std::vector<std::string>& texts);
    CSqlType Prior(const CSqlExpr& expr, std::string& out);
    bool CarriedColumns(const CSqlSelect& block, std::string& start, std::string& step);
    // SYS_CONNECT_BY_PATH or CONNECT_BY_ROOT, read from the hierarchy's rows.
    CSqlType HierarchyColumn(const CSqlExpr& expr, std::string& out);

    bool Insert(const CSqlStatement& statement, std::string& out);
    // The target of an UPDATE or DELETE, written after `verb` with its scope
    // opened; null (the failure set) when the table is unknown.
    const std::vector<CSqliteCatalog::Column>* OpenTarget(const CSqlStatement& statement, const char* verb,
                                                          std::string& out);
    // Writes the WHERE clause and closes the target's scope.
    bool CloseTarget(const CSqlStatement& statement, std::string& out);
    bool Update(const CSqlStatement& statement, std::string& out);
    bool Delete(const CSqlStatement& statement, std::string& out);
    bool Store(const CSqliteCatalog::Column& column, std::string_view table, const CSqlExpr* value,
               std::string& out);
    // A literal stored by the column's rules as the statement is compiled;
    // false when the value is no literal the rules take at once.
    static bool IsDefault(const CSqlExpr& value);
    bool StoreLiteral(const CSqliteCatalog::Column& column, std::string_view table, const CSqlExpr& value,
                      std::string& out);

    std::string_view m_text;
    CSqliteCatalog& m_catalog;
    bool m_stored;
    std::vector<Scope> m_scopes;
    Scope m_lastScope;
    bool m_inOrderBy = false;
    std::vector<Cte> m_ctes;
    std::vector<CValueType> m_resultTypes;
    int m_rownumBlocks = 0;
    bool m_failed = false;
    Failure m_failure;
    // Where LEVEL is read: no hierarchy, its first rows, a step to a child
    // (PRIOR reads the parent), its rows.
    enum class Level { None, Start, Step, Rows };
    Level m_level = Level::None;
    bool m_prior = false;
    std::string m_hierarchy;  // the name of the hierarchy's table in a step
    struct HierarchyColumnRow {
        const CSqlExpr* node;
        std::string name;
        CSqlType type;
    };
    std::vector<HierarchyColumnRow> m_hierarchyColumns;
    std::vector<LiteralSlot>* m_slots = nullptr;
    bool m_valuesAllLiterals = false;
};
