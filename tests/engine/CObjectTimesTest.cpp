// USER_OBJECTS' CREATED, LAST_DDL_TIME and TIMESTAMP, as the schema
// statements set them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <string>

#include "engine/sqlite/CObjectTimes.h"
#include "tests/engine/EngineFixture.h"

namespace {

struct ChangedCase {
    const char* sql;
    const char* answer;  // name/type/renamed from/declaration
};

TEST(CObjectTimesChangedBy, NamesTheObjectAStatementChanges) {
    const ChangedCase cases[] = {
        {"ALTER TABLE emp ADD (x NUMBER)", "EMP///1"},
        {"alter table scott.\"Emp\" modify (x number)", "Emp///1"},
        {"ALTER TABLE emp RENAME TO staff", "STAFF//EMP/1"},
        {"RENAME emp TO staff", "STAFF//EMP/1"},
        {"ALTER INDEX emp_i REBUILD", "EMP_I/INDEX//1"},
        {"ALTER TRIGGER emp_t DISABLE", "EMP_T/TRIGGER//1"},
        {"ALTER PACKAGE BODY pay COMPILE", "PAY///0"},
        {"ALTER PROCEDURE p COMPILE", "P///0"},
        {"TRUNCATE TABLE emp", "EMP///0"},
        {"CREATE OR REPLACE FORCE VIEW v AS SELECT 1 x FROM dual", "V///1"},
        {"CREATE OR REPLACE EDITIONABLE PACKAGE BODY pay AS END;", "PAY///1"},
        {"CREATE OR REPLACE TRIGGER t BEFORE INSERT ON emp BEGIN NULL; END;", "T/TRIGGER//1"},
        {"CREATE TABLE emp (x NUMBER)", "///1"},
        {"DROP TABLE emp", "///1"},
    };
    for (const ChangedCase& c : cases) {
        CObjectTimes::Changed changed = CObjectTimes::ChangedBy(c.sql);
        EXPECT_EQ(changed.name + "/" + changed.type + "/" + changed.renamedFrom + "/" +
                      (changed.declaration ? "1" : "0"),
                  c.answer)
            << c.sql;
    }
}

class ObjectTimes : public EngineFixture {
protected:
    ~ObjectTimes() override { unsetenv("TARVEX_CLOCK"); }
    void At(const char* time) { setenv("TARVEX_CLOCK", time, 1); }
    // CREATED, LAST_DDL_TIME and TIMESTAMP of the object, '|' between.
    std::string Times(const std::string& name, const std::string& type = "TABLE") {
        return Rows(
            "SELECT TO_CHAR(created, 'DD HH24:MI') || '|' || TO_CHAR(last_ddl_time, 'DD HH24:MI') || "
            "'|' || timestamp FROM user_objects WHERE object_name = '" +
            name + "' AND object_type = '" + type + "'");
    }
};

TEST_F(ObjectTimes, MadeChangedRenamedAndReplaced) {
    At("2024-05-06 07:00:00");
    Exec("CREATE TABLE emp (id NUMBER PRIMARY KEY)");
    Exec("CREATE VIEW emp_v AS SELECT id FROM emp");
    Exec("CREATE PROCEDURE touch AS BEGIN NULL; END;");
    At("2024-05-07 08:30:00");
    Exec("INSERT INTO emp VALUES (1)");
    Exec("ALTER TABLE emp ADD (name VARCHAR2(10))");
    EXPECT_EQ(Times("EMP"), "06 07:00|07 08:30|2024-05-07:08:30:00");
    // A failed statement changes no time.
    At("2024-05-08 09:00:00");
    EXPECT_NE(Failure("ALTER TABLE emp ADD (name NUMBER)"), "OK");
    EXPECT_EQ(Times("EMP"), "06 07:00|07 08:30|2024-05-07:08:30:00");
    // Compiling changes the last DDL, not the declaration's time.
    Exec("ALTER PROCEDURE touch COMPILE");
    EXPECT_EQ(Times("TOUCH", "PROCEDURE"), "06 07:00|08 09:00|2024-05-06:07:00:00");
    Exec("CREATE OR REPLACE VIEW emp_v AS SELECT id, name FROM emp");
    EXPECT_EQ(Times("EMP_V", "VIEW"), "06 07:00|08 09:00|2024-05-08:09:00:00");
    At("2024-05-09 10:00:00");
    Exec("RENAME emp TO staff");
    EXPECT_EQ(Times("STAFF"), "06 07:00|09 10:00|2024-05-09:10:00:00");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_objects WHERE object_name = 'EMP'"), "0");
    // Made again after a drop: a new object.
    Exec("DROP VIEW emp_v");
    Exec("CREATE VIEW emp_v AS SELECT id FROM staff");
    EXPECT_EQ(Times("EMP_V", "VIEW"), "09 10:00|09 10:00|2024-05-09:10:00:00");
    Exec("CREATE SEQUENCE emp_s");
    EXPECT_EQ(Times("EMP_S", "SEQUENCE"), "09 10:00|09 10:00|2024-05-09:10:00:00");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM staff"), "1");
}

TEST(ObjectTimesOfOldFiles, ObjectsMadeBeforeHaveNoneUntilChanged) {
    TempHome home;
    EngineFixture::WriteRaw(home.Path("old.db"), "CREATE TABLE \"OLD_T\" (\"ID\" NUMBER)");
    setenv("TARVEX_CLOCK", "2024-05-06 07:00:00", 1);
    CEngineError error;
    auto connection = CSqliteConnection::Open("old", error);
    ASSERT_NE(connection, nullptr) << error.message;
    ASSERT_EQ(EngineFixture::RunOn(*connection, "CREATE TABLE new_t (id NUMBER)"), "OK");
    const std::string times =
        "SELECT object_name || ':' || NVL(TO_CHAR(created, 'DD'), '-') || ':' || "
        "NVL(TO_CHAR(last_ddl_time, 'DD'), '-') FROM user_objects ORDER BY 1";
    EXPECT_EQ(EngineFixture::RowsOn(*connection, times), "NEW_T:06:06|OLD_T:-:-");
    setenv("TARVEX_CLOCK", "2024-05-07 07:00:00", 1);
    ASSERT_EQ(EngineFixture::RunOn(*connection, "TRUNCATE TABLE old_t"), "OK");
    EXPECT_EQ(EngineFixture::RowsOn(*connection, times), "NEW_T:06:06|OLD_T:-:07");
    unsetenv("TARVEX_CLOCK");
}

}  // namespace
