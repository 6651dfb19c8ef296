// Partitioned tables: the partitions kept in the catalog, rows refused that
// no partition takes, one partition's rows read and changed, the partition
// DDL with the server's rules and the dictionary's answers. The fixture
// checks the file and reopens it after every schema statement.
#include <sqlite3.h>

#include <vector>

#include "tests/engine/EngineFixture.h"
#include "tests/support/TempDir.h"

namespace {

std::string Code(const std::string& failure) { return failure.substr(0, 9); }

class CPartitionedTableTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("ALTER SESSION SET NLS_DATE_LANGUAGE = AMERICAN");
        Exec(
            "CREATE TABLE sales (prod_id NUMBER(6), time_id DATE NOT NULL, amount NUMBER(10,2)) "
            "PARTITION BY RANGE (time_id) "
            "(PARTITION sales_q1 VALUES LESS THAN (TO_DATE('01-APR-1998','DD-MON-YYYY')) TABLESPACE users, "
            "PARTITION sales_q2 VALUES LESS THAN (TO_DATE('1998-07-01','YYYY-MM-DD')) PCTFREE 5 NOLOGGING)");
    }
    void Sale(const std::string& day, int amount) {
        Exec("INSERT INTO sales VALUES (1, TO_DATE('" + day + "', 'YYYY-MM-DD'), " + std::to_string(amount) +
             ")");
    }
    std::string In(const std::string& partition) {
        return Rows("SELECT NVL(SUM(amount), 0) FROM sales PARTITION (" + partition + ")");
    }
};

TEST_F(CPartitionedTableTest, RowsGoToTheirPartitionAndBeyondTheLastBoundAreRefused) {
    Sale("1998-03-31", 1);
    Sale("1998-04-01", 10);  // at the bound: the next partition
    Sale("1998-06-30", 100);
    EXPECT_EQ(Code(Failure("INSERT INTO sales VALUES (1, DATE '1998-07-01', 5)")), "ORA-14400");
    EXPECT_EQ(Code(Failure("INSERT INTO sales SELECT 1, DATE '1999-01-01', 5 FROM dual")), "ORA-14400");
    EXPECT_EQ(In("sales_q1"), "1");
    EXPECT_EQ(In("sales_q2"), "110");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM sales"), "3");
    EXPECT_EQ(Rows("SELECT SUM(amount) FROM sales PARTITION FOR (DATE '1998-05-05')"), "110");
    EXPECT_EQ(Code(Failure("SELECT * FROM sales PARTITION (sales_q9)")), "ORA-02149");
    EXPECT_EQ(Code(Failure("SELECT * FROM sales SUBPARTITION (s1)")), "ORA-03001");
}

TEST_F(CPartitionedTableTest, UpdatesMoveRowsOnlyWithRowMovement) {
    Sale("1998-01-15", 1);
    EXPECT_EQ(Code(Failure("UPDATE sales SET time_id = DATE '1998-05-01'")), "ORA-14402");
    EXPECT_EQ(Code(Failure("UPDATE sales SET time_id = DATE '2005-05-01'")), "ORA-14400");
    Exec("UPDATE sales SET time_id = DATE '1998-02-01', amount = 2");  // the same partition
    Exec("ALTER TABLE sales ENABLE ROW MOVEMENT");
    Exec("UPDATE sales SET time_id = DATE '1998-05-01'");
    EXPECT_EQ(In("sales_q1") + "/" + In("sales_q2"), "0/2");
    Exec("ALTER TABLE sales DISABLE ROW MOVEMENT");
    EXPECT_EQ(Code(Failure("UPDATE sales SET time_id = DATE '1998-01-01'")), "ORA-14402");
}

TEST_F(CPartitionedTableTest, DmlThroughAPartitionTouchesOnlyItsRows) {
    Sale("1998-01-15", 1);
    Sale("1998-05-15", 10);
    long rows = 0;
    EXPECT_TRUE(m_connection->Execute(
        encoding::Utf8ToCp932("UPDATE sales PARTITION (sales_q2) SET amount = amount * 3"), m_binds, rows));
    EXPECT_EQ(rows, 1);
    Exec("DELETE FROM sales PARTITION (sales_q1) WHERE amount > 0");
    EXPECT_EQ(Rows("SELECT amount FROM sales"), "30");
}

TEST_F(CPartitionedTableTest, InsertsThroughAPartitionTakeOnlyItsRows) {
    Exec("INSERT INTO sales PARTITION (sales_q1) VALUES (1, DATE '1998-01-10', 1)");
    Exec("INSERT INTO sales PARTITION (sales_q2) (time_id, amount) VALUES (DATE '1998-05-10', 10)");
    Exec("INSERT INTO sales PARTITION FOR (DATE '1998-05-01') VALUES (1, DATE '1998-06-10', 100)");
    EXPECT_EQ(Code(Failure("INSERT INTO sales PARTITION (sales_q1) VALUES (1, DATE '1998-05-10', 5)")),
              "ORA-14401");
    EXPECT_EQ(Code(Failure("INSERT INTO sales PARTITION (sales_q2) VALUES (1, DATE '2001-01-01', 5)")),
              "ORA-14401");
    // A query's rows are refused all or none, as the statement is one.
    EXPECT_EQ(Code(Failure("INSERT INTO sales PARTITION (sales_q1) SELECT 1, time_id - 30, 1000 FROM sales")),
              "ORA-14401");
    Exec("INSERT INTO sales PARTITION (sales_q1) SELECT 1, time_id - 120, 1000 FROM sales WHERE amount = 10");
    EXPECT_EQ(Code(Failure("INSERT INTO sales PARTITION (nowhere) VALUES (1, DATE '1998-01-10', 5)")),
              "ORA-02149");
    EXPECT_EQ(In("sales_q1") + "/" + In("sales_q2"), "1001/110");
    Exec("CREATE TABLE flat (a NUMBER)");
    EXPECT_EQ(Code(Failure("INSERT INTO flat PARTITION (p) VALUES (1)")), "ORA-14501");
}

TEST_F(CPartitionedTableTest, ExchangeSwapsAPartitionsRowsWithAStagingTable) {
    Sale("1998-01-15", 1);
    Sale("1998-05-15", 10);
    Exec("CREATE TABLE staging (p NUMBER(6), t DATE NOT NULL, a NUMBER(10,2))");
    Exec("INSERT INTO staging VALUES (2, DATE '1998-02-01', 200)");
    Exec("INSERT INTO staging VALUES (2, DATE '1998-03-01', 300)");
    Exec(
        "ALTER TABLE sales EXCHANGE PARTITION sales_q1 WITH TABLE staging INCLUDING INDEXES WITH VALIDATION");
    EXPECT_EQ(In("sales_q1") + "/" + In("sales_q2"), "500/10");
    EXPECT_EQ(Rows("SELECT p || ':' || a FROM staging"), "1:1");
    // Rows of another partition are refused WITH VALIDATION and change nothing.
    EXPECT_EQ(Code(Failure("ALTER TABLE sales EXCHANGE PARTITION sales_q2 WITH TABLE staging")), "ORA-14099");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM staging"), "1");
    struct Case {
        const char* staging;
        const char* code;
    };
    const Case cases[] = {
        {"CREATE TABLE s1 (p NUMBER(6), t DATE)", "ORA-14096"},
        {"CREATE TABLE s1 (p NUMBER(6), t DATE, a NUMBER(12,2))", "ORA-14097"},
        {"CREATE TABLE s1 (p NUMBER(6), t TIMESTAMP, a NUMBER(10,2))", "ORA-14097"},
        {"CREATE TABLE s1 (p NUMBER(6), t DATE, a VARCHAR2(10))", "ORA-14097"},
    };
    for (const Case& c : cases) {
        Exec(c.staging);
        EXPECT_EQ(Code(Failure("ALTER TABLE sales EXCHANGE PARTITION sales_q2 WITH TABLE s1")), c.code)
            << c.staging;
        Exec("DROP TABLE s1");
    }
    EXPECT_EQ(Code(Failure("ALTER TABLE sales EXCHANGE PARTITION sales_q2 WITH TABLE nowhere")), "ORA-00942");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales EXCHANGE PARTITION nowhere WITH TABLE staging")), "ORA-02149");
    Exec("ALTER TABLE staging READ ONLY");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales EXCHANGE PARTITION sales_q1 WITH TABLE staging")), "ORA-12081");
    Exec("ALTER TABLE staging READ WRITE");
    Exec("ALTER TABLE sales READ ONLY");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales EXCHANGE PARTITION sales_q1 WITH TABLE staging")), "ORA-12081");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales TRUNCATE PARTITION sales_q1")), "ORA-12081");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales DROP PARTITION sales_q1")), "ORA-12081");
    // Bounds may still change on a READ ONLY table.
    Exec("ALTER TABLE sales ADD PARTITION sales_q3 VALUES LESS THAN (DATE '1998-10-01')");
    EXPECT_EQ(In("sales_q1") + "/" + In("sales_q2"), "500/10");
}

TEST_F(CPartitionedTableTest, IntervalTablesMakeAPartitionForEachIntervalARowNeeds) {
    Exec(
        "CREATE TABLE orders (id NUMBER, ordered DATE) PARTITION BY RANGE (ordered) "
        "INTERVAL (NUMTOYMINTERVAL(1, 'MONTH')) STORE IN (users) "
        "(PARTITION p_before VALUES LESS THAN (DATE '2024-01-01'))");
    Exec("INSERT INTO orders VALUES (1, DATE '2023-12-31')");
    Exec("INSERT INTO orders VALUES (2, DATE '2024-03-15')");  // makes March
    Exec("INSERT INTO orders VALUES (3, TO_DATE('2024-01-31 23:59:59', 'YYYY-MM-DD HH24:MI:SS'))");
    Exec("INSERT INTO orders VALUES (4, DATE '2024-03-01')");  // March is there
    Exec("INSERT INTO orders VALUES (5, DATE '2024-04-01')");  // at a bound: April
    EXPECT_EQ(Rows("SELECT interval FROM user_part_tables WHERE table_name = 'ORDERS'"),
              "NUMTOYMINTERVAL(1, 'MONTH')");
    // Positions follow the bounds; names the order the partitions were made.
    EXPECT_EQ(Rows("SELECT partition_position || ':' || partition_name || ':' || interval || ':' || "
                   "substr(high_value, 11, 10) FROM user_tab_partitions WHERE table_name = 'ORDERS' "
                   "ORDER BY partition_position"),
              "1:P_BEFORE:NO:2024-01-01|2:SYS_P2:YES:2024-02-01|3:SYS_P1:YES:2024-04-01|"
              "4:SYS_P3:YES:2024-05-01");
    EXPECT_EQ(Rows("SELECT id FROM orders PARTITION (sys_p1) ORDER BY id"), "2|4");
    EXPECT_EQ(Rows("SELECT id FROM orders PARTITION FOR (DATE '2024-01-10')"), "3");
    // A row no interval takes (below the first bound goes to the range part).
    Exec("INSERT INTO orders VALUES (6, DATE '1990-01-01')");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM orders PARTITION (p_before)"), "2");
    // A refused statement takes back the partitions it made.
    EXPECT_EQ(Code(Failure("INSERT INTO orders SELECT 7, DATE '2030-06-01' FROM dual UNION ALL SELECT 1 / 0, "
                           "DATE '2031-06-01' FROM dual")),
              "ORA-01476");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_tab_partitions WHERE table_name = 'ORDERS'"), "4");
    EXPECT_EQ(Code(Failure("ALTER TABLE orders ADD PARTITION p9 VALUES LESS THAN (DATE '2040-01-01')")),
              "ORA-14760");
    EXPECT_EQ(Code(Failure("ALTER TABLE orders DROP PARTITION p_before")), "ORA-14758");
    Exec("ALTER TABLE orders DROP PARTITION sys_p2");
    Exec("INSERT INTO orders VALUES (9, DATE '2024-01-05')");
    EXPECT_EQ(Rows("SELECT partition_name FROM user_tab_partitions WHERE table_name = 'ORDERS' AND "
                   "partition_position = 2"),
              "SYS_P4");
    // Days, and the forms the server refuses.
    Exec(
        "CREATE TABLE events (at TIMESTAMP) PARTITION BY RANGE (at) INTERVAL (NUMTODSINTERVAL(7, 'DAY')) "
        "(PARTITION p0 VALUES LESS THAN (TIMESTAMP '2024-01-01 00:00:00'))");
    Exec("INSERT INTO events VALUES (TIMESTAMP '2024-01-20 12:00:00')");
    EXPECT_EQ(Rows("SELECT substr(high_value, 11, 19) FROM user_tab_partitions WHERE table_name = 'EVENTS' "
                   "AND interval = 'YES'"),
              "2024-01-22 00:00:00");
    struct Case {
        const char* sql;
        const char* code;
    };
    const Case cases[] = {
        {"CREATE TABLE i1 (a DATE, b DATE) PARTITION BY RANGE (a, b) INTERVAL (NUMTOYMINTERVAL(1, 'MONTH')) "
         "(PARTITION p VALUES LESS THAN (DATE '2024-01-01', DATE '2024-01-01'))",
         "ORA-14750"},
        {"CREATE TABLE i2 (a VARCHAR2(10)) PARTITION BY RANGE (a) INTERVAL (NUMTOYMINTERVAL(1, 'MONTH')) "
         "(PARTITION p VALUES LESS THAN ('a'))",
         "ORA-14751"},
        {"CREATE TABLE i3 (a DATE) PARTITION BY RANGE (a) INTERVAL (NUMTOYMINTERVAL(1, 'MONTH')) "
         "(PARTITION p VALUES LESS THAN (MAXVALUE))",
         "ORA-14761"},
        {"CREATE TABLE i4 (a DATE) PARTITION BY RANGE (a) INTERVAL (5) (PARTITION p VALUES LESS THAN "
         "(DATE '2024-01-01'))",
         "ORA-14752"},
        {"CREATE TABLE i5 (a DATE) PARTITION BY LIST (a) INTERVAL (NUMTOYMINTERVAL(1, 'MONTH')) "
         "(PARTITION p VALUES (DATE '2024-01-01'))",
         "ORA-14752"},
        {"CREATE TABLE i6 (a NUMBER) PARTITION BY RANGE (a) INTERVAL (100) (PARTITION p VALUES LESS THAN "
         "(100))",
         "ORA-03001"},
    };
    for (const Case& c : cases) EXPECT_EQ(Code(Failure(c.sql)), c.code) << c.sql;
}

TEST_F(CPartitionedTableTest, AddDropTruncateAndRenameFollowTheServersRules) {
    Sale("1998-01-15", 1);
    Sale("1998-05-15", 10);
    Exec("ALTER TABLE sales ADD PARTITION sales_q3 VALUES LESS THAN (TO_DATE('1998-10-01','YYYY-MM-DD'))");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales ADD PARTITION early VALUES LESS THAN (DATE '1990-01-01')")),
              "ORA-14074");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales ADD PARTITION sales_q1 VALUES LESS THAN (DATE '2000-01-01')")),
              "ORA-14012");
    Exec("ALTER TABLE sales ADD PARTITION sales_max VALUES LESS THAN (MAXVALUE)");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales ADD PARTITION more VALUES LESS THAN (DATE '2030-01-01')")),
              "ORA-14074");
    Sale("2020-01-01", 1000);
    Exec("ALTER TABLE sales TRUNCATE PARTITION sales_max");
    Exec("ALTER TABLE sales RENAME PARTITION sales_q3 TO sales_autumn");
    Exec("ALTER TABLE sales DROP PARTITION sales_q1");
    EXPECT_EQ(Rows("SELECT SUM(amount) FROM sales"), "10");
    EXPECT_EQ(Rows("SELECT partition_name || ':' || partition_position FROM user_tab_partitions "
                   "WHERE table_name = 'SALES' ORDER BY partition_position"),
              "SALES_Q2:1|SALES_AUTUMN:2|SALES_MAX:3");
    // The rows below the first bound now go to the first partition left.
    Sale("1997-01-01", 7);
    EXPECT_EQ(In("sales_q2"), "17");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales DROP PARTITION nothing")), "ORA-02149");
    Exec("ALTER TABLE sales DROP PARTITION sales_autumn, sales_max");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales DROP PARTITION sales_q2")), "ORA-14083");
}

TEST_F(CPartitionedTableTest, SplitAndMergeMoveOnlyTheBounds) {
    Sale("1998-02-01", 1);
    Sale("1998-03-01", 10);
    Exec(
        "ALTER TABLE sales SPLIT PARTITION sales_q1 AT (DATE '1998-03-01') INTO (PARTITION jan_feb, "
        "PARTITION mar)");
    EXPECT_EQ(In("jan_feb") + "/" + In("mar"), "1/10");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales SPLIT PARTITION sales_q2 AT (DATE '2001-01-01')")),
              "ORA-14080");
    EXPECT_EQ(Code(Failure("ALTER TABLE sales MERGE PARTITIONS jan_feb, sales_q2 INTO PARTITION x")),
              "ORA-14274");
    Exec("ALTER TABLE sales MERGE PARTITIONS jan_feb, mar INTO PARTITION sales_q1");
    EXPECT_EQ(In("sales_q1"), "11");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_tab_partitions WHERE table_name = 'SALES'"), "2");
}

TEST_F(CPartitionedTableTest, DictionaryDescribesPartitionsKeysAndLocalIndexes) {
    Exec("CREATE BITMAP INDEX sales_time_bix ON sales (time_id) LOCAL NOLOGGING");
    Sale("1998-01-15", 1);
    Exec("BEGIN DBMS_STATS.GATHER_TABLE_STATS(USER, 'SALES'); END;");
    EXPECT_EQ(Rows("SELECT partitioning_type, partition_count, partitioning_key_count FROM user_part_tables"),
              "RANGE,2,1");
    EXPECT_EQ(
        Rows("SELECT partition_name, num_rows, high_value FROM user_tab_partitions ORDER BY 1"),
        "SALES_Q1,1,TO_DATE(' 1998-04-01 00:00:00', 'SYYYY-MM-DD HH24:MI:SS', 'NLS_CALENDAR=GREGORIAN')|"
        "SALES_Q2,0,TO_DATE(' 1998-07-01 00:00:00', 'SYYYY-MM-DD HH24:MI:SS', 'NLS_CALENDAR=GREGORIAN')");
    EXPECT_EQ(
        Rows("SELECT name, object_type, column_name, column_position FROM user_part_key_columns ORDER BY 2"),
        "SALES_TIME_BIX,INDEX,TIME_ID,1|SALES,TABLE,TIME_ID,1");
    EXPECT_EQ(Rows("SELECT locality, alignment FROM user_part_indexes"), "LOCAL,PREFIXED");
    EXPECT_EQ(Rows("SELECT partition_name FROM user_ind_partitions ORDER BY partition_position"),
              "SALES_Q1|SALES_Q2");
    EXPECT_EQ(
        Rows("SELECT subobject_name FROM user_objects WHERE object_type = 'TABLE PARTITION' ORDER BY 1"),
        "SALES_Q1|SALES_Q2");
    EXPECT_EQ(Rows("SELECT partitioned FROM user_tables WHERE table_name = 'SALES'"), "YES");
    Exec("DROP INDEX sales_time_bix");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_ind_partitions"), "0");
}

TEST_F(CPartitionedTableTest, ListAndHashTables) {
    Exec(
        "CREATE TABLE cust (id NUMBER, region VARCHAR2(10)) PARTITION BY LIST (region) (PARTITION east "
        "VALUES ('NY', 'NJ'), PARTITION nulls VALUES (NULL), PARTITION rest VALUES (DEFAULT))");
    Exec("INSERT INTO cust VALUES (1, 'NJ')");
    Exec("INSERT INTO cust VALUES (2, NULL)");
    Exec("INSERT INTO cust VALUES (3, 'TX')");
    EXPECT_EQ(Rows("SELECT id FROM cust PARTITION (east)") + Rows("SELECT id FROM cust PARTITION (nulls)") +
                  Rows("SELECT id FROM cust PARTITION (rest)"),
              "123");
    EXPECT_EQ(Code(Failure("ALTER TABLE cust ADD PARTITION west VALUES ('CA')")), "ORA-14323");
    EXPECT_EQ(Rows("SELECT high_value FROM user_tab_partitions WHERE table_name = 'CUST' ORDER BY "
                   "partition_position"),
              "'NY', 'NJ'|NULL|DEFAULT");
    Exec("ALTER TABLE cust MOVE PARTITION east TABLESPACE users");
    Exec("ALTER TABLE cust MODIFY PARTITION east ADD VALUES ('CT')");
    // TX's row is in the DEFAULT partition; NY is listed already.
    EXPECT_EQ(Code(Failure("ALTER TABLE cust MODIFY PARTITION east ADD VALUES ('TX')")), "ORA-14324");
    EXPECT_EQ(Code(Failure("ALTER TABLE cust MODIFY PARTITION nulls ADD VALUES ('NY')")), "ORA-14312");
    Exec("INSERT INTO cust VALUES (4, 'CT')");
    EXPECT_EQ(Rows("SELECT id FROM cust PARTITION (east) ORDER BY id"), "1|4");
    Exec("CREATE TABLE h (id NUMBER) PARTITION BY HASH (id) PARTITIONS 4");
    Exec("INSERT INTO h SELECT LEVEL FROM dual CONNECT BY LEVEL <= 40");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_tab_partitions WHERE table_name = 'H' AND high_value IS NULL"),
              "4");
    std::string total = Rows(
        "SELECT (SELECT COUNT(*) FROM h PARTITION (sys_p1)) + (SELECT COUNT(*) FROM h PARTITION (sys_p2)) + "
        "(SELECT COUNT(*) FROM h PARTITION (sys_p3)) + (SELECT COUNT(*) FROM h PARTITION (sys_p4)) FROM "
        "dual");
    EXPECT_EQ(total, "40");
    EXPECT_EQ(Code(Failure("ALTER TABLE h DROP PARTITION sys_p1")), "ORA-14255");
    Exec("ALTER TABLE h COALESCE PARTITION");
    EXPECT_EQ(Rows("SELECT (SELECT COUNT(*) FROM h PARTITION (sys_p1)) + (SELECT COUNT(*) FROM h PARTITION "
                   "(sys_p2)) + (SELECT COUNT(*) FROM h PARTITION (sys_p3)) FROM dual"),
              "40");
    EXPECT_EQ(Code(Failure("SELECT * FROM h PARTITION (sys_p4)")), "ORA-02149");
    EXPECT_EQ(Code(Failure("ALTER TABLE cust COALESCE PARTITION")), "ORA-14259");
}

TEST_F(CPartitionedTableTest, MistakesAreRefusedAndChangeNothing) {
    EXPECT_EQ(
        Code(Failure("CREATE TABLE t1 (a NUMBER) PARTITION BY RANGE (b) (PARTITION p VALUES LESS THAN (1))")),
        "ORA-00904");
    EXPECT_EQ(Code(Failure("CREATE TABLE t2 (a NUMBER) PARTITION BY RANGE (a) "
                           "(PARTITION p2 VALUES LESS THAN (20), PARTITION p1 VALUES LESS THAN (10))")),
              "ORA-14037");
    EXPECT_EQ(
        Code(Failure("CREATE TABLE t3 (a NUMBER, b NUMBER) PARTITION BY RANGE (a) SUBPARTITION BY HASH (b) "
                     "SUBPARTITIONS 4 (PARTITION p VALUES LESS THAN (10))")),
        "ORA-03001");
    EXPECT_EQ(Code(Failure("CREATE TABLE t4 (a NUMBER) PARTITION BY RANGE (a) "
                           "(PARTITION p VALUES LESS THAN (1, 2))")),
              "ORA-14017");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_tables WHERE table_name LIKE 'T_'"), "0");
    Exec("CREATE TABLE plain (a NUMBER)");
    EXPECT_EQ(Code(Failure("CREATE INDEX plain_ix ON plain (a) LOCAL")), "ORA-14016");
    EXPECT_EQ(Code(Failure("ALTER TABLE plain DROP PARTITION p")), "ORA-14501");
}

TEST_F(CPartitionedTableTest, RenamedAndDroppedTablesTakeTheirPartitions) {
    Exec("RENAME sales TO sales_hist");
    EXPECT_EQ(Code(Failure("INSERT INTO sales_hist VALUES (1, DATE '2010-01-01', 1)")), "ORA-14400");
    Exec("INSERT INTO sales_hist VALUES (1, DATE '1998-01-01', 1)");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM sales_hist PARTITION (sales_q1)"), "1");
    Exec("DROP TABLE sales_hist PURGE");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_tab_partitions"), "0");
    Exec("CREATE TABLE sales_hist (a NUMBER)");
    Exec("INSERT INTO sales_hist VALUES (5)");
}

TEST_F(CPartitionedTableTest, TablesMadeFromAQueryAndRenamedKeysKeepTheirRule) {
    Exec(
        "CREATE TABLE big PARTITION BY RANGE (n) (PARTITION low VALUES LESS THAN (5), "
        "PARTITION high VALUES LESS THAN (MAXVALUE)) AS SELECT LEVEL n FROM dual CONNECT BY LEVEL <= 9");
    EXPECT_EQ(
        Rows("SELECT COUNT(*) FROM big PARTITION (low)") + Rows("SELECT COUNT(*) FROM big PARTITION (high)"),
        "45");
    EXPECT_EQ(Code(Failure("CREATE TABLE small PARTITION BY RANGE (n) (PARTITION low VALUES LESS THAN (5)) "
                           "AS SELECT LEVEL n FROM dual CONNECT BY LEVEL <= 9")),
              "ORA-14400");
    Exec("ALTER TABLE sales RENAME COLUMN time_id TO sold_on");
    Sale("1998-02-02", 4);
    EXPECT_EQ(In("sales_q1"), "4");
    EXPECT_EQ(Rows("SELECT column_name FROM user_part_key_columns WHERE name = 'SALES'"), "SOLD_ON");
    EXPECT_EQ(Code(Failure("INSERT INTO sales VALUES (1, DATE '2001-01-01', 1)")), "ORA-14400");
}

TEST(CPartitionCatalogFile, AFileWrittenBeforeIntervalsOpensAndIsConvertedOnce) {
    TempHome home;
    {
        CEngineError error;
        auto connection = CSqliteConnection::Open("OLD", error);
        ASSERT_NE(connection, nullptr) << error.message;
        for (const char* sql : {"CREATE TABLE p (n NUMBER) PARTITION BY RANGE (n) (PARTITION low VALUES LESS "
                                "THAN (10), PARTITION high VALUES LESS THAN (MAXVALUE))",
                                "INSERT INTO p VALUES (50)", "COMMIT"})
            ASSERT_EQ(EngineFixture::RunOn(*connection, sql), "OK") << sql;
    }
    // As the version before wrote it: no table of intervals.
    EngineFixture::WriteRaw(home.Path("old.db"),
                            "DROP TABLE TARVEX_PART_INTERVALS; PRAGMA user_version = 7;");
    CEngineError error;
    auto connection = CSqliteConnection::Open("OLD", error);
    ASSERT_NE(connection, nullptr) << error.message;
    auto answer = [&](const char* sql) { return EngineFixture::RowsOn(*connection, sql); };
    EXPECT_EQ(answer("SELECT partition_name FROM user_tab_partitions ORDER BY partition_position"),
              "LOW|HIGH");
    EXPECT_EQ(answer("SELECT COUNT(*) FROM p PARTITION (high)"), "1");
    ASSERT_EQ(
        EngineFixture::RunOn(*connection,
                             "CREATE TABLE d (t DATE) PARTITION BY RANGE (t) INTERVAL (NUMTODSINTERVAL(1, "
                             "'DAY')) (PARTITION p0 VALUES LESS THAN (DATE '2024-01-01'))"),
        "OK");
    ASSERT_EQ(EngineFixture::RunOn(*connection, "INSERT INTO d VALUES (DATE '2024-01-05')"), "OK");
    EXPECT_EQ(answer("SELECT COUNT(*) FROM user_tab_partitions WHERE table_name = 'D'"), "2");
}

}  // namespace
