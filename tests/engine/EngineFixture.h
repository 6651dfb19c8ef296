#pragma once

// A fresh default database on the embedded engine, with statements and
// queries written in UTF-8 as the tests are. After every schema statement,
// done or refused, the file must be sound: it passes SQLite's integrity and
// foreign key checks, a connection opened anew reads every table with the
// rows the file holds (this connection holds no other after such a
// statement), and a refused statement changed no row of the file.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/sqlite/CSqliteConnection.h"
#include "engine/sqlite/CSqliteName.h"
#include "tests/support/TempDir.h"
#include "text/Encoding.h"

class EngineFixture : public ::testing::Test {
public:
    // The first column of every row of `sql` on `db`, joined.
    static std::string One(sqlite3* db, const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            return std::string("ERROR ") + sqlite3_errmsg(db);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            out += text != nullptr ? reinterpret_cast<const char*>(text) : "-";
        }
        sqlite3_finalize(statement);
        return out;
    }

    // The rows of `sql` on `connection`, with no binds, as Rows gives them.
    static std::string RowsOn(CSqliteConnection& connection, const std::string& sql) {
        std::vector<CEngineBind> none;
        return RowsOf(connection, sql, none);
    }
    static std::string RowsOf(CSqliteConnection& connection, const std::string& sql,
                              std::vector<CEngineBind>& binds) {
        CEngineResult result;
        if (!connection.Query(encoding::Utf8ToCp932(sql), binds, result))
            return "ERROR " + encoding::Cp932ToUtf8(connection.LastError().message);
        std::string out;
        for (std::size_t row = 0; row < result.RowCount(); ++row) {
            if (row > 0) out += "|";
            for (std::size_t column = 0; column < result.Columns().size(); ++column) {
                if (column > 0) out += ",";
                out += result.IsNull(row, column) ? std::string("-")
                                                  : encoding::Cp932ToUtf8(result.Value(row, column));
            }
        }
        return out;
    }
    // "OK", or the message of the failure of `sql` on `connection`, with no binds.
    static std::string RunOn(CSqliteConnection& connection, const std::string& sql) {
        std::vector<CEngineBind> none;
        long rows = 0;
        if (connection.Execute(encoding::Utf8ToCp932(sql), none, rows)) return "OK";
        return encoding::Cp932ToUtf8(connection.LastError().message);
    }
    // Runs `sql` straight on the SQLite file at `path`, as an earlier
    // version of the engine might have left it.
    static void WriteRaw(const std::string& path, const char* sql) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
        sqlite3_close(raw);
    }

    // The words of `text`, split at blanks: a list of names written as one line.
    static std::vector<std::string> Words(const std::string& text) {
        std::vector<std::string> words;
        std::istringstream in(text);
        for (std::string word; in >> word;) words.push_back(word);
        return words;
    }

    // One(db, sql) on the SQLite file at `path`, opened to read only.
    static std::string OneIn(const std::string& path, const std::string& sql) {
        sqlite3* db = nullptr;
        std::string out = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
                              ? One(db, sql)
                              : "cannot open";
        sqlite3_close(db);
        return out;
    }

protected:
    void SetUp() override {
        CEngineError error;
        m_connection = CSqliteConnection::Open("", error);
        ASSERT_NE(m_connection, nullptr) << error.message;
    }
    void Exec(const std::string& sql) { EXPECT_EQ(Failure(sql), "OK") << sql; }
    // "OK", or the message of the failure.
    std::string Failure(const std::string& sql) {
        long rows = 0;
        bool schema = IsSchemaStatement(sql) && !m_connection->HasUncommittedWork();
        std::string before = schema ? FileRows() : std::string();
        bool ok = m_connection->Execute(encoding::Utf8ToCp932(sql), m_binds, rows);
        std::string outcome = ok ? std::string("OK") : Error();
        if (IsSchemaStatement(sql) && !m_connection->HasUncommittedWork()) {
            CheckFile(sql);
            if (schema && !ok) {
                EXPECT_EQ(FileRows(), before) << "a refused statement changed rows: " << sql;
            }
        }
        return outcome;
    }
    // The rows, values joined by ',' and rows by '|'; NULL as "-".
    std::string Rows(const std::string& sql) { return Rows(*m_connection, sql); }
    std::string Rows(CSqliteConnection& connection, const std::string& sql) {
        return RowsOf(connection, sql, m_binds);
    }
    // A statement or block run: the lines DBMS_OUTPUT printed joined by '|',
    // or "ERROR " and the message (its lines joined by '|').
    std::string OutputOf(const std::string& text) {
        long rows = 0;
        bool ok = m_connection->Execute(encoding::Utf8ToCp932(text), m_binds, rows);
        std::string out;
        for (const std::string& line : m_connection->TakeServerOutput())
            out += (out.empty() ? "" : "|") + encoding::Cp932ToUtf8(line);
        if (ok) return out;
        std::string message = Error();
        for (char& c : message)
            if (c == '\n') c = '|';
        return "ERROR " + message;
    }
    // The message in UTF-8.
    std::string Error() const { return encoding::Cp932ToUtf8(m_connection->LastError().message); }
    // The server type each column of `sql` is described with, joined by ','.
    std::string TypesOf(const std::string& sql) {
        CEngineResult result;
        if (!m_connection->Query(encoding::Utf8ToCp932(sql), m_binds, result)) return "ERROR " + Error();
        std::string out;
        for (const CEngineColumn& column : result.Columns())
            out += (out.empty() ? "" : ",") + std::to_string(column.serverType);
        return out;
    }

    static bool IsSchemaStatement(const std::string& sql) {
        std::size_t at = sql.find_first_not_of(" \n\t(");
        std::string first;
        while (at < sql.size() && std::isalpha(static_cast<unsigned char>(sql[at])))
            first += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[at++])));
        return first == "CREATE" || first == "ALTER" || first == "DROP" || first == "COMMENT" ||
               first == "TRUNCATE" || first == "RENAME";
    }

    // Every row of every table of the file as another connection reads it.
    std::string FileRows() {
        sqlite3* db = nullptr;
        std::string out;
        if (sqlite3_open_v2(m_connection->Path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            return "cannot open";
        }
        for (const std::string& table : Tables(db)) {
            out += table + ":";
            sqlite3_stmt* rows = nullptr;
            std::string sql = "SELECT * FROM \"" + table + "\" ORDER BY 1, 2";
            if (sqlite3_prepare_v2(db, sql.c_str(), -1, &rows, nullptr) != SQLITE_OK)
                sqlite3_prepare_v2(db, ("SELECT * FROM \"" + table + "\" ORDER BY 1").c_str(), -1, &rows,
                                   nullptr);
            while (rows != nullptr && sqlite3_step(rows) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(rows); ++c) {
                    const unsigned char* text = sqlite3_column_text(rows, c);
                    out += text != nullptr ? reinterpret_cast<const char*>(text) : "-";
                    out += ",";
                }
                out += "|";
            }
            sqlite3_finalize(rows);
            out += "\n";
        }
        sqlite3_close(db);
        return out;
    }

    static std::vector<std::string> Tables(sqlite3* db) {
        std::vector<std::string> tables;
        sqlite3_stmt* list = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                           "ORDER BY name",
                           -1, &list, nullptr);
        while (list != nullptr && sqlite3_step(list) == SQLITE_ROW)
            tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
        sqlite3_finalize(list);
        return tables;
    }

    void CheckFile(const std::string& after) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(m_connection->Path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        EXPECT_EQ(One(db, "PRAGMA integrity_check"), "ok") << after;
        EXPECT_EQ(One(db, "SELECT count(*) FROM pragma_foreign_key_check"), "0") << after;
        std::vector<std::string> tables = Tables(db);
        std::vector<std::string> counts;
        for (const std::string& table : tables)
            counts.push_back(One(db, "SELECT count(*) FROM \"" + table + "\""));
        sqlite3_close(db);
        CEngineError error;
        auto reopened = CSqliteConnection::Open("", error);
        ASSERT_NE(reopened, nullptr) << after << ": " << error.message;
        for (std::size_t k = 0; k < tables.size(); ++k) {
            if (tables[k].rfind("TARVEX", 0) == 0) continue;
            // Note: the name SQLite keeps is read back to the server's name.
            std::string name = encoding::Cp932ToUtf8(CSqliteName::NameOf(encoding::Utf8ToCp932(tables[k])));
            std::string count = "SELECT COUNT(*) FROM \"" + name + "\"";
            EXPECT_EQ(Rows(*reopened, count), counts[k]) << after;
        }
    }

    TempHome m_home;
    std::vector<CEngineBind> m_binds;
    std::unique_ptr<CSqliteConnection> m_connection;
};

// A statement and its answer: the rows it reads (Rows) or its outcome
// (Failure), whole or as a prefix where the test says so.
struct SqlCase {
    const char* sql;
    const char* answer;
};

// A block and the lines its DBMS_OUTPUT printed ('|' between), or its error.
struct BlockCase {
    const char* block;
    const char* answer;
};

// A fresh database whose blocks' DBMS_OUTPUT lines are kept (OutputOf).
class OutputFixture : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("BEGIN DBMS_OUTPUT.ENABLE; END;");
    }
};
