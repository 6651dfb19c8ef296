#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"
#include "oracle/OSession.h"
#include "tests/support/TempDir.h"

using Rows = std::vector<std::vector<std::string>>;

// Every row of a query, each value as GetFieldValue gives it; a failed
// open gives one row holding "ERROR: " and the error text.
inline Rows Query(ODatabase& database, const std::string& sql) {
    ODynaset dynaset;
    if (dynaset.Open(database, sql.c_str()) != OSUCCESS) return {{"ERROR: " + database.GetErrorText()}};
    Rows rows;
    char buffer[1000];
    while (!dynaset.IsEOF()) {
        std::vector<std::string> row;
        for (int k = 0; k < dynaset.GetFieldCount(); ++k) {
            dynaset.GetFieldValue(k, buffer, sizeof buffer);
            row.push_back(buffer);
        }
        rows.push_back(row);
        dynaset.MoveNext();
    }
    return rows;
}

inline std::string Scalar(ODatabase& database, const std::string& sql) {
    Rows rows = Query(database, sql);
    return rows.empty() || rows[0].empty() ? "<no rows>" : rows[0][0];
}

// One console's session and database, opened on a database name.
struct Console {
    OSession session;
    ODatabase database;

    explicit Console(const char* name = "") {
        session.Open();
        database.Open(session, name, "SCOTT", "TIGER");
    }
    bool Exec(const std::string& sql) { return database.ExecuteSQL(sql.c_str()) == OSUCCESS; }
};

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_session.Open(), OSUCCESS);
        ASSERT_EQ(m_database.Open(m_session, "", "SCOTT", "TIGER"), OSUCCESS) << m_database.GetErrorText();
    }

    void Exec(const std::string& sql) {
        ASSERT_EQ(m_database.ExecuteSQL(sql.c_str()), OSUCCESS) << sql << "\n" << m_database.GetErrorText();
    }
    // Runs a statement that must fail; returns its error position.
    int Fail(const std::string& sql) {
        EXPECT_NE(m_database.ExecuteSQL(sql.c_str()), OSUCCESS) << sql;
        EXPECT_NE(m_database.GetErrorText(), "") << sql;
        return m_database.ServerErrorSQLPos();
    }
    std::string Scalar(const std::string& sql) { return ::Scalar(m_database, sql); }

    TempHome m_home;
    OSession m_session;
    ODatabase m_database;
};
