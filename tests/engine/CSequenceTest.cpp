// Sequences keep the limits and options CREATE and ALTER SEQUENCE give
// them: NEXTVAL stops at MAXVALUE (or MINVALUE going down) unless the
// sequence cycles, and the dictionary shows what was given.
#include "tests/engine/EngineFixture.h"

namespace {

class CSequenceTest : public EngineFixture {
protected:
    // The next `count` values of `sequence`, joined by ','; an error ends them.
    std::string Next(const std::string& sequence, int count) {
        std::string out;
        for (int k = 0; k < count; ++k) {
            std::string value = Rows("SELECT " + sequence + ".NEXTVAL FROM DUAL");
            out += (k > 0 ? "," : "") + value.substr(0, value.rfind("ERROR ORA", 0) == 0 ? 15 : value.size());
            if (value.rfind("ERROR", 0) == 0) break;
        }
        return out;
    }
};

TEST_F(CSequenceTest, ValuesRunBetweenTheLimits) {
    struct Case {
        const char* create;
        int count;
        const char* values;
    } cases[] = {
        {"CREATE SEQUENCE S START WITH 8 MAXVALUE 9 NOCACHE NOCYCLE", 4, "8,9,ERROR ORA-08004"},
        {"CREATE SEQUENCE S MINVALUE 5 MAXVALUE 7 CYCLE CACHE 2", 5, "5,6,7,5,6"},
        {"CREATE SEQUENCE S INCREMENT BY -2 MINVALUE -4 MAXVALUE 0 CYCLE", 5, "0,-2,-4,0,-2"},
        {"CREATE SEQUENCE S INCREMENT BY -1", 2, "-1,-2"},
        {"CREATE SEQUENCE S START WITH 3 INCREMENT BY 5 MAXVALUE 12", 3, "3,8,ERROR ORA-08004"},
        {"create sequence s maxvalue 9999999999999999999999999999 nomaxvalue order", 2, "1,2"},
    };
    for (const Case& c : cases) {
        Exec(c.create);
        EXPECT_EQ(Next("S", c.count), c.values) << c.create;
        Exec("DROP SEQUENCE S");
    }
}

TEST_F(CSequenceTest, LimitsThatLeaveNoRoomAreRefused) {
    struct Case {
        const char* create;
        const char* code;
    } cases[] = {
        {"CREATE SEQUENCE S START WITH 10 MAXVALUE 5", "ORA-04008"},
        {"CREATE SEQUENCE S START WITH 1 MINVALUE 5", "ORA-04006"},
        {"CREATE SEQUENCE S MINVALUE 10 MAXVALUE 5", "ORA-04004"},
        {"CREATE SEQUENCE S CACHE 1", "ORA-04010"},
        {"CREATE SEQUENCE S MAXVALUE X", "ORA-01722"},
        {"CREATE SEQUENCE S NONSENSE", "ORA-00933"},
    };
    for (const Case& c : cases) EXPECT_EQ(Failure(c.create).substr(0, 9), c.code) << c.create;
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_SEQUENCES"), "0");
}

TEST_F(CSequenceTest, AlterMovesALimitAndTheDictionaryShowsThem) {
    Exec("CREATE SEQUENCE S START WITH 2 MAXVALUE 2");
    EXPECT_EQ(Next("S", 2), "2,ERROR ORA-08004");
    Exec("ALTER SEQUENCE S MAXVALUE 20 CYCLE");
    EXPECT_EQ(Next("S", 1), "3");
    Exec("CREATE SEQUENCE D INCREMENT BY -1 NOCACHE");
    EXPECT_EQ(Rows("SELECT SEQUENCE_NAME, MIN_VALUE, MAX_VALUE, INCREMENT_BY, CYCLE_FLAG, CACHE_SIZE, "
                   "LAST_NUMBER FROM USER_SEQUENCES ORDER BY 1"),
              "D,-999999999999999999999999999,-1,-1,N,0,-1|S,1,20,1,Y,20,4");
    // A sequence made again has the defaults, not what the dropped one had.
    Exec("DROP SEQUENCE S");
    Exec("CREATE SEQUENCE S");
    EXPECT_EQ(Rows("SELECT MAX_VALUE, CYCLE_FLAG FROM USER_SEQUENCES WHERE SEQUENCE_NAME = 'S'"),
              "9999999999999999999999999999,N");
}

}  // namespace
