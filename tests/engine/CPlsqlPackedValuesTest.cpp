// Collections that BULK COLLECT fills keep their scalars packed: every value
// comes back as it went in, and the collection answers its methods and
// changes as any collection does (the PL/SQL Language Reference's rules).
#include <gtest/gtest.h>

#include "engine/sqlite/plsql/CPlsqlPackedValues.h"
#include "tests/engine/EngineFixture.h"

namespace {

class PackedCollectionTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("BEGIN DBMS_OUTPUT.ENABLE(NULL); END;");
        Exec("CREATE TABLE nums (n NUMBER, s VARCHAR2(10), d DATE)");
        Exec("INSERT INTO nums VALUES (1, 'one', DATE '2024-01-02')");
        Exec("INSERT INTO nums VALUES (2.5, NULL, NULL)");
        Exec("INSERT INTO nums VALUES (-3, 'さん', DATE '1999-12-31')");
        Exec("COMMIT");
    }

public:
    std::string Block(const std::string& body) {
        return OutputOf(
            "DECLARE TYPE nt IS TABLE OF NUMBER; TYPE st IS TABLE OF VARCHAR2(10) INDEX BY PLS_INTEGER; "
            "TYPE dt IS TABLE OF DATE; n nt; s st; d dt; k PLS_INTEGER; BEGIN SELECT n, s, d BULK COLLECT "
            "INTO n, s, d FROM nums ORDER BY ROWID; " +
            body + " END;");
    }
};

}  // namespace

TEST(PlsqlPackedValues, EveryKindOfValueComesBackAsItWentIn) {
    CNumberDecimal half;
    ASSERT_TRUE(CNumberDecimal::FromText("-0.5", half));
    const CPlsqlValue values[] = {
        CPlsqlValue(),
        CPlsqlValue::Integer(0),
        CPlsqlValue::Integer(-9223372036854775807LL),
        CPlsqlValue::Decimal(half),
        CPlsqlValue::Text(""),
        CPlsqlValue::Text("\x93\xfa\x96\x7b"),
        CPlsqlValue::Text(std::string(200000, 'x')),
        CPlsqlValue::Date("2024-02-29 23:59:58"),
        CPlsqlValue::Date("2024-02-29 23:59:58.120000000", 2),
        CPlsqlValue::Bool(true),
        CPlsqlValue::Bool(false),
    };
    CPlsqlPackedValues packed;
    // Note: enough values to fill several chunks.
    for (int round = 0; round < 3000; ++round)
        for (const CPlsqlValue& value : values) ASSERT_TRUE(packed.Append(value));
    ASSERT_EQ(packed.Size(), 3000 * std::size(values));
    for (std::size_t k = 0; k < packed.Size(); k += 997) {
        const CPlsqlValue& want = values[k % std::size(values)];
        CPlsqlValue got = packed.At(k);
        ASSERT_EQ(got.GetKind(), want.GetKind()) << k;
        EXPECT_EQ(got.IsInteger(), want.IsInteger()) << k;
        EXPECT_EQ(got.IntegerValue(), want.IntegerValue()) << k;
        EXPECT_EQ(got.TextValue(), want.TextValue()) << k;
        EXPECT_EQ(got.Fraction(), want.Fraction()) << k;
        if (want.GetKind() == CPlsqlValue::Kind::Number) {
            EXPECT_EQ(got.NumberText(), want.NumberText()) << k;
        }
    }
}

TEST_F(PackedCollectionTest, ABulkCollectedCollectionAnswersAndChangesAsAnyOther) {
    const char* cases[][2] = {
        {"dbms_output.put_line(n.COUNT || s.COUNT || d.COUNT || n.FIRST || n.LAST || NVL(n.NEXT(3), 0) || "
         "n.PRIOR(1) || n.NEXT(-7) || n.PRIOR(99));",
         "33313013"},
        {"dbms_output.put_line(n(2) || '/' || NVL(s(2), 'null') || '/' || s(3) || '/' || TO_CHAR(d(1), "
         "'YYYY-MM-DD'));",
         "2.5/null/さん/2024-01-02"},
        {"k := n.FIRST; WHILE k IS NOT NULL LOOP dbms_output.put(n(k) || ' '); k := n.NEXT(k); END LOOP; "
         "dbms_output.new_line;",
         "1 2.5 -3 "},
        {"n(2) := 20; n.EXTEND; n(4) := 4; dbms_output.put_line(n(1) + n(2) + n(4) || ' ' || n.COUNT);",
         "25 4"},
        {"n.DELETE(2); dbms_output.put_line(n.COUNT || ' ' || n.NEXT(1) || ' ' || CASE WHEN n.EXISTS(2) THEN "
         "'y' ELSE 'n' END);",
         "2 3 n"},
        {"n.TRIM; dbms_output.put_line(n.COUNT || n.LAST);", "22"},
        {"s(10) := 'ten'; dbms_output.put_line(s.COUNT || s.LAST || s(10));", "410ten"},
        // A copy is its own: changing it leaves the first as it was.
        {"DECLARE c nt; BEGIN c := n; c(1) := 100; dbms_output.put_line(n(1) || ' ' || c(1)); END;", "1 100"},
        {"dbms_output.put_line(n(4));", "ERROR ORA-06533: 添字がカウントを超えています。|ORA-06512: 行1"},
        {"dbms_output.put_line(s(4));", "ERROR ORA-01403: データが見つかりません。|ORA-06512: 行1"},
    };
    for (const auto& c : cases) EXPECT_EQ(Block(c[0]), c[1]) << c[0];
}

TEST_F(PackedCollectionTest, BulkCollectValuesPassTheElementTypesRules) {
    EXPECT_EQ(OutputOf("DECLARE TYPE t IS TABLE OF VARCHAR2(3); v t; BEGIN SELECT s BULK COLLECT INTO v FROM "
                       "nums; END;")
                  .substr(0, 16),
              "ERROR ORA-06502:");
    EXPECT_EQ(
        OutputOf("DECLARE TYPE t IS TABLE OF NUMBER(3); v t; BEGIN SELECT n BULK COLLECT INTO v FROM nums "
                 "ORDER BY ROWID; dbms_output.put_line(v(2)); END;"),
        "3");
    // LIMIT fills a new collection each FETCH.
    EXPECT_EQ(
        OutputOf("DECLARE TYPE t IS TABLE OF NUMBER; v t; CURSOR c IS SELECT n FROM nums ORDER BY ROWID; "
                 "BEGIN OPEN c; LOOP FETCH c BULK COLLECT INTO v LIMIT 2; dbms_output.put(v.COUNT || "
                 "':' || v(v.LAST) || ' '); EXIT WHEN c%NOTFOUND; END LOOP; CLOSE c; dbms_output.new_line; "
                 "END;"),
        "2:2.5 1:-3 ");
}
