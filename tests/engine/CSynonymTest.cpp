// CREATE [OR REPLACE] [PUBLIC] SYNONYM and DROP SYNONYM: a synonym reads and
// writes its object's rows, the dictionary lists it as a synonym (and not
// as a view), and the names it takes are checked as the server checks them.
#include "tests/engine/EngineFixture.h"

namespace {

class CSynonymTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE EMP (ID NUMBER, NAME VARCHAR2(10))");
        Exec("INSERT INTO EMP VALUES (1, 'a')");
    }
};

TEST_F(CSynonymTest, ReadsAndWritesItsObject) {
    Exec("CREATE SYNONYM E FOR EMP");
    Exec("CREATE PUBLIC SYNONYM PE FOR scott.emp");
    Exec("INSERT INTO E VALUES (2, 'b')");
    Exec("UPDATE PE SET NAME = 'z' WHERE ID = 1");
    EXPECT_EQ(Rows("SELECT * FROM E ORDER BY ID"), "1,z|2,b");
    EXPECT_EQ(Rows("SELECT SYNONYM_NAME, TABLE_NAME FROM USER_SYNONYMS ORDER BY 1"), "E,EMP|PE,EMP");
    EXPECT_EQ(Rows("SELECT OBJECT_TYPE FROM USER_OBJECTS WHERE OBJECT_NAME = 'E'"), "SYNONYM");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_VIEWS"), "0");
}

TEST_F(CSynonymTest, NamesAreCheckedAndDroppedOnce) {
    Exec("CREATE SYNONYM E FOR EMP");
    EXPECT_EQ(Failure("CREATE SYNONYM E FOR EMP").substr(0, 9), "ORA-00955");
    EXPECT_EQ(Failure("CREATE SYNONYM EMP FOR E").substr(0, 9), "ORA-00955");
    Exec("CREATE OR REPLACE SYNONYM E FOR EMP");
    Exec("DROP SYNONYM E");
    EXPECT_EQ(Failure("DROP SYNONYM E").substr(0, 9), "ORA-01434");
    EXPECT_EQ(Failure("CREATE SYNONYM L FOR EMP@REMOTE").substr(0, 9), "ORA-03001");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_SYNONYMS"), "0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM EMP"), "1");
}

}  // namespace
