#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineTypes.h"

class CSqliteConnection;
struct sqlite3_stmt;
enum class CSqlType;

// INSERT, UPDATE or DELETE ... RETURNING expressions INTO :binds, typed as
// plain SQL: the statement runs, and the values of the one row it touched
// go to the console's bind variables. A statement touching several rows
// fails with ORA-01422 and changes nothing; one touching none sets the
// variables to NULL.
class CReturningInto {
public:
    struct Clause {
        std::size_t at = std::string::npos;  // the RETURNING keyword; npos when none
        std::string expressions;             // between RETURNING and INTO
        std::vector<std::string> targets;    // the bind names after INTO, without ":"
    };

    // The clause closing `sql` (CP932); `at` npos when the statement has no
    // RETURNING ... INTO :bind list at its top level.
    static Clause Find(std::string_view sql);

    // The table `sql` writes (INSERT INTO t, UPDATE t, DELETE [FROM] t) as
    // the catalog names it; "" when it names none.
    static std::string Target(std::string_view sql);
    // The RETURNING `expressions` of the statement `sql` with the names of
    // its table and of the table's alias taken off the columns they qualify
    // (UPDATE t x ... RETURNING x.v gives v): they are read from that
    // table alone, which is named otherwise there.
    static std::string Unqualified(std::string_view sql, std::string_view expressions);
    // The query (UTF-8) reading `columns` (CP932) back from the rows of
    // `table` that `which` picks (a WHERE or ORDER BY tail).
    static std::string ReadBackText(const std::string& table, const std::string& columns,
                                    const std::string& which);

    // Whether `sql` (without its RETURNING clause) is an INSERT whose rows
    // come from a query: it has no VALUES at its top level. The server takes
    // RETURNING only with VALUES.
    static bool InsertsQuery(std::string_view sql);

    explicit CReturningInto(CSqliteConnection& connection) : m_connection(connection) {}
    // Runs `sql` with its clause; errors as the connection's.
    bool Run(const std::string& sql, const Clause& clause, std::vector<CEngineBind>& binds,
             long& rowsProcessed);

private:
    // The returned row's values as the binds take them; false (ORA-01722)
    // when a number variable is given text that is no number.
    bool Read(sqlite3_stmt* statement, const std::vector<CSqlType>& types,
              const std::vector<CEngineBind*>& targets, std::vector<CEngineBind>& values);

    // Whether `value` fits the variable `target`; false (ORA-06502) when a
    // text is longer than the variable's declared bytes.
    bool Fits(const CEngineBind& target, const CEngineBind& value);

    // The values of the row of `table` (CP932) that `which` (a WHERE or
    // ORDER BY tail) picks, as stored.
    bool ReadBack(const std::string& table, const std::string& expressions, const std::string& which,
                  const std::vector<CSqlType>& types, const std::vector<CEngineBind*>& targets,
                  std::vector<CEngineBind>& values);

    CSqliteConnection& m_connection;
};
