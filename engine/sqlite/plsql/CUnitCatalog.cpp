#include "engine/sqlite/plsql/CUnitCatalog.h"

#include <sqlite3.h>

#include "engine/sqlite/CTypedText.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Encoding.h"

namespace {

constexpr const char* kTables =
    "CREATE TABLE IF NOT EXISTS TARVEX_UNITS (NAME VARCHAR2(128) NOT NULL, TYPE VARCHAR2(12) NOT NULL, "
    "SOURCE TEXT NOT NULL, STATUS VARCHAR2(7) NOT NULL, CREATED TEXT NOT NULL, PRIMARY KEY (NAME, TYPE));"
    "CREATE TABLE IF NOT EXISTS TARVEX_UNIT_ERRORS (NAME VARCHAR2(128) NOT NULL, TYPE VARCHAR2(12) NOT NULL, "
    "SEQUENCE INTEGER NOT NULL, LINE INTEGER NOT NULL, POSITION INTEGER NOT NULL, TEXT TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS TARVEX_UNIT_ARGUMENTS (NAME VARCHAR2(128) NOT NULL, ARGUMENT_NAME "
    "VARCHAR2(128), POSITION INTEGER NOT NULL, DATA_TYPE VARCHAR2(30), IN_OUT VARCHAR2(9) NOT NULL, "
    "PACKAGE_NAME VARCHAR2(128), OVERLOAD VARCHAR2(40), SEQUENCE INTEGER);"
    "CREATE TABLE IF NOT EXISTS TARVEX_TRIGGERS (TRIGGER_NAME VARCHAR2(128) PRIMARY KEY, TABLE_NAME "
    "VARCHAR2(128) NOT NULL, TRIGGER_TYPE VARCHAR2(16) NOT NULL, TRIGGERING_EVENT VARCHAR2(246) NOT NULL, "
    "WHEN_CLAUSE VARCHAR2(4000), STATUS VARCHAR2(8) NOT NULL);"
    "CREATE TABLE IF NOT EXISTS TARVEX_UNIT_DEPENDENCIES (NAME VARCHAR2(128) NOT NULL, TYPE VARCHAR2(12) NOT "
    "NULL, REFERENCED_NAME VARCHAR2(128) NOT NULL, REFERENCED_TYPE VARCHAR2(12) NOT NULL)";

bool Exec(sqlite3* db, const char* sql, CEngineError& error) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

void BindText(sqlite3_stmt* statement, int index, const std::string& cp932) {
    std::string utf8 = encoding::Cp932ToUtf8(cp932);
    sqlite3_bind_text(statement, index, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

std::string Column(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return encoding::Utf8ToCp932(text != nullptr ? reinterpret_cast<const char*>(text) : "");
}

bool Run(sqlite3* db, const char* sql, std::initializer_list<std::string> texts, CEngineError& error) {
    sqliteapi::Statement statement = sqliteapi::Prepare(db, sql);
    if (!statement) return Exec(db, sql, error);
    int index = 1;
    for (const std::string& text : texts) BindText(statement.get(), index++, text);
    if (sqlite3_step(statement.get()) == SQLITE_DONE) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

}  // namespace

bool CUnitCatalog::Install(sqlite3* db) {
    if (sqlite3_db_readonly(db, "main") == 1) return true;
    sqliteapi::Statement look =
        sqliteapi::Prepare(db, "SELECT 1 FROM main.sqlite_schema WHERE name = 'TARVEX_UNIT_DEPENDENCIES'");
    if (look && sqlite3_step(look.get()) == SQLITE_ROW) {
        look.reset();
        return Upgrade(db);
    }
    look.reset();
    return sqlite3_exec(db, kTables, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool CUnitCatalog::Upgrade(sqlite3* db) {
    // Note: files written before packages' members had arguments lack their columns.
    sqliteapi::Statement look = sqliteapi::Prepare(
        db, "SELECT 1 FROM pragma_table_info('TARVEX_UNIT_ARGUMENTS') WHERE name = 'PACKAGE_NAME'");
    if (!look || sqlite3_step(look.get()) == SQLITE_ROW) return true;
    look.reset();
    return sqlite3_exec(db,
                        "ALTER TABLE main.TARVEX_UNIT_ARGUMENTS ADD COLUMN PACKAGE_NAME VARCHAR2(128); "
                        "ALTER TABLE main.TARVEX_UNIT_ARGUMENTS ADD COLUMN OVERLOAD VARCHAR2(40); "
                        "ALTER TABLE main.TARVEX_UNIT_ARGUMENTS ADD COLUMN SEQUENCE INTEGER",
                        nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool CUnitCatalog::Store(sqlite3* db, const Unit& unit, const std::vector<Error>& errors,
                         const std::vector<Argument>& arguments, CEngineError& error) {
    if (!Run(db, "DELETE FROM main.TARVEX_UNITS WHERE NAME = ?1 AND TYPE = ?2", {unit.name, unit.type},
             error) ||
        !Run(db, "DELETE FROM main.TARVEX_UNIT_ERRORS WHERE NAME = ?1 AND TYPE = ?2", {unit.name, unit.type},
             error) ||
        !ForgetArguments(db, unit, error) ||
        !Run(db,
             "INSERT INTO main.TARVEX_UNITS VALUES (?1, ?2, ?3, ?4, strftime('%Y-%m-%d %H:%M:%S', 'now', "
             "'localtime'))",
             {unit.name, unit.type, CTypedText::Typed(unit.source), unit.valid ? "VALID" : "INVALID"}, error))
        return false;
    for (std::size_t k = 0; k < errors.size(); ++k) {
        sqliteapi::Statement insert =
            sqliteapi::Prepare(db, "INSERT INTO main.TARVEX_UNIT_ERRORS VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        BindText(insert.get(), 1, unit.name);
        BindText(insert.get(), 2, unit.type);
        sqlite3_bind_int(insert.get(), 3, static_cast<int>(k + 1));
        sqlite3_bind_int(insert.get(), 4, errors[k].line);
        sqlite3_bind_int(insert.get(), 5, errors[k].position);
        BindText(insert.get(), 6, errors[k].text);
        if (!insert || sqlite3_step(insert.get()) != SQLITE_DONE) {
            error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
            return false;
        }
    }
    for (const Argument& argument : arguments) {
        sqliteapi::Statement insert = sqliteapi::Prepare(
            db,
            "INSERT INTO main.TARVEX_UNIT_ARGUMENTS (NAME, ARGUMENT_NAME, POSITION, DATA_TYPE, IN_OUT, "
            "PACKAGE_NAME, OVERLOAD, SEQUENCE) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
        BindText(insert.get(), 1, argument.object.empty() ? unit.name : argument.object);
        if (!argument.name.empty()) BindText(insert.get(), 2, argument.name);
        sqlite3_bind_int(insert.get(), 3, argument.position);
        BindText(insert.get(), 4, argument.type);
        BindText(insert.get(), 5, argument.mode);
        if (!argument.package.empty()) BindText(insert.get(), 6, argument.package);
        if (argument.overload > 0) BindText(insert.get(), 7, std::to_string(argument.overload));
        sqlite3_bind_int(insert.get(), 8, argument.sequence);
        if (!insert || sqlite3_step(insert.get()) != SQLITE_DONE) {
            error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
            return false;
        }
    }
    return true;
}

bool CUnitCatalog::ForgetArguments(sqlite3* db, const Unit& unit, CEngineError& error) {
    // Note: a package's members are those of its heading; its body leaves them.
    if (unit.type == "PACKAGE BODY") return true;
    if (unit.type == "PACKAGE")
        return Run(db, "DELETE FROM main.TARVEX_UNIT_ARGUMENTS WHERE PACKAGE_NAME = ?1", {unit.name}, error);
    return Run(db, "DELETE FROM main.TARVEX_UNIT_ARGUMENTS WHERE NAME = ?1 AND PACKAGE_NAME IS NULL",
               {unit.name}, error);
}

bool CUnitCatalog::StoreDependencies(sqlite3* db, const std::string& name, const std::string& type,
                                     const std::vector<std::pair<std::string, std::string>>& references,
                                     CEngineError& error) {
    if (!Run(db, "DELETE FROM main.TARVEX_UNIT_DEPENDENCIES WHERE NAME = ?1 AND TYPE = ?2", {name, type},
             error))
        return false;
    for (const auto& [referenced, kind] : references)
        if (!Run(db, "INSERT INTO main.TARVEX_UNIT_DEPENDENCIES VALUES (?1, ?2, ?3, ?4)",
                 {name, type, referenced, kind}, error))
            return false;
    return true;
}

bool CUnitCatalog::SetValid(sqlite3* db, const std::string& name, const std::string& type,
                            CEngineError& error) {
    return Run(db, "UPDATE main.TARVEX_UNITS SET STATUS = 'VALID' WHERE NAME = ?1 AND TYPE = ?2",
               {name, type}, error) &&
           Run(db, "DELETE FROM main.TARVEX_UNIT_ERRORS WHERE NAME = ?1 AND TYPE = ?2", {name, type}, error);
}

bool CUnitCatalog::StoreTrigger(sqlite3* db, const Trigger& trigger, CEngineError& error) {
    // Note: a trigger replaced, enabled or disabled keeps its place in the
    // order triggers fire in.
    return Run(db,
               "INSERT INTO main.TARVEX_TRIGGERS VALUES (?1, ?2, ?3, ?4, nullif(?5, ''), ?6) ON "
               "CONFLICT (TRIGGER_NAME) DO UPDATE SET TABLE_NAME = excluded.TABLE_NAME, TRIGGER_TYPE = "
               "excluded.TRIGGER_TYPE, TRIGGERING_EVENT = excluded.TRIGGERING_EVENT, WHEN_CLAUSE = "
               "excluded.WHEN_CLAUSE, STATUS = excluded.STATUS",
               {trigger.name, trigger.table, trigger.type, trigger.event, CTypedText::Typed(trigger.when),
                trigger.enabled ? "ENABLED" : "DISABLED"},
               error);
}

std::vector<std::string> CUnitCatalog::TriggersOf(sqlite3* db, const std::string& table) {
    std::vector<std::string> names;
    sqliteapi::Statement find = sqliteapi::Prepare(
        db, "SELECT TRIGGER_NAME FROM main.TARVEX_TRIGGERS WHERE TABLE_NAME = ?1 ORDER BY rowid");
    if (!find) return names;
    std::string utf8 = encoding::Cp932ToUtf8(table);
    sqlite3_bind_text(find.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(find.get()) == SQLITE_ROW)
        names.push_back(
            sqliteapi::Cp932Of(reinterpret_cast<const char*>(sqlite3_column_text(find.get(), 0))));
    return names;
}

bool CUnitCatalog::FindTrigger(sqlite3* db, const std::string& name, Trigger& trigger) {
    sqliteapi::Statement find =
        sqliteapi::Prepare(db, "SELECT TABLE_NAME, STATUS FROM main.TARVEX_TRIGGERS WHERE TRIGGER_NAME = ?1");
    if (!find) return false;
    BindText(find.get(), 1, name);
    if (sqlite3_step(find.get()) != SQLITE_ROW) return false;
    trigger.name = name;
    trigger.table = Column(find.get(), 0);
    trigger.enabled = Column(find.get(), 1) == "ENABLED";
    return true;
}

bool CUnitCatalog::DropTrigger(sqlite3* db, const std::string& name, CEngineError& error) {
    return Run(db, "DELETE FROM main.TARVEX_TRIGGERS WHERE TRIGGER_NAME = ?1", {name}, error) &&
           Run(db, "DELETE FROM main.TARVEX_UNITS WHERE NAME = ?1 AND TYPE = 'TRIGGER'", {name}, error) &&
           Run(db, "DELETE FROM main.TARVEX_UNIT_ERRORS WHERE NAME = ?1 AND TYPE = 'TRIGGER'", {name},
               error) &&
           Run(db, "DELETE FROM main.TARVEX_UNIT_DEPENDENCIES WHERE NAME = ?1 AND TYPE = 'TRIGGER'", {name},
               error);
}

bool CUnitCatalog::Find(sqlite3* db, const std::string& name, Unit& unit, const std::string& type) {
    // Note: without a type, a package's heading stands for it, not its body.
    sqliteapi::Statement find = sqliteapi::Prepare(db,
                                                   "SELECT NAME, TYPE, SOURCE, STATUS FROM main.TARVEX_UNITS "
                                                   "WHERE NAME = ?1 AND (?2 = '' AND TYPE NOT IN "
                                                   "('PACKAGE BODY', 'TYPE BODY') OR TYPE = ?2)");
    if (!find) return false;
    BindText(find.get(), 1, name);
    BindText(find.get(), 2, type);
    if (sqlite3_step(find.get()) != SQLITE_ROW) return false;
    unit.name = Column(find.get(), 0);
    unit.type = Column(find.get(), 1);
    unit.source = CTypedText::UpperWords(Column(find.get(), 2));
    unit.valid = Column(find.get(), 3) == "VALID";
    return true;
}

bool CUnitCatalog::Drop(sqlite3* db, const std::string& name, const std::string& type, CEngineError& error) {
    Unit unit;
    if (!Find(db, name, unit, type)) return false;
    // Note: a package goes with its body.
    std::string also = type == "PACKAGE" ? "PACKAGE BODY" : type == "TYPE" ? "TYPE BODY" : type;
    return Run(db, "DELETE FROM main.TARVEX_UNITS WHERE NAME = ?1 AND TYPE IN (?2, ?3)", {name, type, also},
               error) &&
           Run(db, "DELETE FROM main.TARVEX_UNIT_ERRORS WHERE NAME = ?1 AND TYPE IN (?2, ?3)",
               {name, type, also}, error) &&
           Run(db,
               type == "PACKAGE"
                   ? "DELETE FROM main.TARVEX_UNIT_ARGUMENTS WHERE PACKAGE_NAME = ?1"
                   : "DELETE FROM main.TARVEX_UNIT_ARGUMENTS WHERE NAME = ?1 AND PACKAGE_NAME IS NULL",
               {name}, error) &&
           Run(db, "DELETE FROM main.TARVEX_UNIT_DEPENDENCIES WHERE NAME = ?1 AND TYPE IN (?2, ?3)",
               {name, type, also}, error);
}

std::vector<std::string> CUnitCatalog::Functions(sqlite3* db) {
    std::vector<std::string> names;
    sqliteapi::Statement list =
        sqliteapi::Prepare(db, "SELECT NAME FROM main.TARVEX_UNITS WHERE TYPE = 'FUNCTION'");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW) names.push_back(Column(list.get(), 0));
    return names;
}

bool CUnitCatalog::DropTypedColumns(sqlite3* db, const std::string& name, CEngineError& error) {
    std::vector<std::pair<std::string, std::string>> columns;
    sqliteapi::Statement find = sqliteapi::Prepare(
        db, "SELECT TABLE_NAME, COLUMN_NAME FROM main.TARVEX_COLUMNS WHERE upper(DATA_TYPE) = ?1");
    if (!find) return Exec(db, "SELECT 1 FROM main.TARVEX_COLUMNS", error);
    BindText(find.get(), 1, name);
    while (sqlite3_step(find.get()) == SQLITE_ROW)
        columns.emplace_back(Column(find.get(), 0), Column(find.get(), 1));
    find.reset();
    auto quoted = [](const std::string& text) {
        std::string out = "\"";
        for (char c : encoding::Cp932ToUtf8(text)) out += c == '"' ? std::string("\"\"") : std::string(1, c);
        return out + "\"";
    };
    for (const auto& [table, column] : columns) {
        std::string drop = "ALTER TABLE main." + quoted(table) + " DROP COLUMN " + quoted(column);
        if (!Exec(db, drop.c_str(), error)) return false;
        for (const char* forget :
             {"DELETE FROM main.TARVEX_COLUMNS WHERE TABLE_NAME = ?1 AND COLUMN_NAME = ?2",
              "DELETE FROM main.TARVEX_COLUMN_OPTIONS WHERE TABLE_NAME = ?1 AND COLUMN_NAME = ?2"})
            if (!Run(db, forget, {table, column}, error)) return false;
    }
    return true;
}

bool CUnitCatalog::HasTypeDependents(sqlite3* db, const std::string& name) {
    sqliteapi::Statement find = sqliteapi::Prepare(
        db,
        "SELECT 1 FROM main.TARVEX_UNIT_DEPENDENCIES d JOIN main.TARVEX_UNITS u ON u.NAME = d.NAME AND "
        "u.TYPE "
        "= d.TYPE WHERE d.REFERENCED_NAME = ?1 AND d.REFERENCED_TYPE = 'TYPE' AND d.TYPE = 'TYPE' AND d.NAME "
        "<> ?1 UNION ALL SELECT 1 FROM main.TARVEX_COLUMNS WHERE upper(DATA_TYPE) = ?1");
    if (!find) return false;
    BindText(find.get(), 1, name);
    return sqlite3_step(find.get()) == SQLITE_ROW;
}
