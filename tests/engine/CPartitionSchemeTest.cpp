// The rule that maps a row's key to a partition: RANGE bounds (a key equal
// to a bound belongs to the next partition), keys of several columns,
// MAXVALUE and NULL, LIST values with DEFAULT, HASH spread.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/sqlite/warehouse/CPartitionCatalog.h"
#include "engine/sqlite/warehouse/CPartitionScheme.h"

namespace {

using Value = CPartitionValue;
using Scheme = CPartitionScheme;

Value N(const std::string& digits) { return Value::Number(digits); }
Value T(const std::string& text) { return Value::Text(text); }
Value Null() { return Value(); }

Scheme Range(std::vector<CPartitionKey> bounds) {
    Scheme scheme;
    scheme.method = Scheme::Method::Range;
    for (std::size_t k = 0; k < bounds.size(); ++k)
        scheme.partitions.push_back({"P" + std::to_string(k), "", {bounds[k]}, false});
    return scheme;
}

struct Case {
    CPartitionKey key;
    int partition;
};

void Expect(const Scheme& scheme, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        std::string shown;
        for (const Value& v : c.key) shown += std::to_string(static_cast<int>(v.kind)) + ":" + v.bytes + " ";
        EXPECT_EQ(scheme.Locate(c.key), c.partition) << shown;
    }
}

TEST(CPartitionScheme, RangeKeyAtABoundGoesToTheNextPartition) {
    Scheme scheme = Range({{N("100")}, {N("200")}});
    Expect(scheme, {{{N("-5")}, 0},
                    {{N("99.99")}, 0},
                    {{N("100")}, 1},
                    {{N("100.0001")}, 1},
                    {{N("199")}, 1},
                    {{N("200")}, -1},
                    {{N("1E30")}, -1},
                    {{Null()}, -1}});
}

TEST(CPartitionScheme, RangeComparesLongNumbersByEveryDigit) {
    Scheme scheme = Range({{N("12345678901234567890.5")}, {Value::Max()}});
    Expect(scheme, {{{N("12345678901234567890.4999")}, 0}, {{N("12345678901234567890.5")}, 1}});
}

TEST(CPartitionScheme, RangeOfDatesKeptAsTextComparesByBytes) {
    Scheme scheme = Range({{T("1996-01-01 00:00:00")}, {T("1997-01-01 00:00:00")}});
    Expect(scheme, {{{T("1995-12-31 23:59:59")}, 0},
                    {{T("1996-01-01 00:00:00")}, 1},
                    {{T("1996-12-31 23:59:59")}, 1},
                    {{T("1997-01-01 00:00:00")}, -1}});
}

TEST(CPartitionScheme, MaxvalueTakesNullAndEveryValue) {
    Scheme scheme = Range({{N("10")}, {Value::Max()}});
    Expect(scheme, {{{N("10")}, 1}, {{Null()}, 1}, {{N("1E100")}, 1}, {{T("text")}, 1}});
}

TEST(CPartitionScheme, RangeOfSeveralColumnsComparesColumnByColumn) {
    // (year, quarter) < (2000, 3), < (2000, MAXVALUE), < (MAXVALUE, MAXVALUE)
    Scheme scheme = Range({{N("2000"), N("3")}, {N("2000"), Value::Max()}, {Value::Max(), Value::Max()}});
    Expect(scheme, {{{N("1999"), N("9")}, 0},
                    {{N("2000"), N("2")}, 0},
                    {{N("2000"), N("3")}, 1},
                    {{N("2000"), Null()}, 1},
                    {{N("2001"), N("1")}, 2},
                    {{Null(), N("1")}, 2}});
}

TEST(CPartitionScheme, ListFindsTheListedValueThenDefault) {
    Scheme scheme;
    scheme.method = Scheme::Method::List;
    scheme.partitions = {{"EAST", "", {{T("NY")}, {T("NJ")}}, false},
                         {"NONE", "", {{Null()}}, false},
                         {"WEST", "", {{T("CA")}}, false}};
    Expect(scheme, {{{T("NJ")}, 0}, {{T("CA")}, 2}, {{Null()}, 1}, {{T("TX")}, -1}, {{T("nj")}, -1}});
    scheme.partitions.push_back({"REST", "", {}, true});
    Expect(scheme, {{{T("TX")}, 3}, {{T("NY")}, 0}});
}

TEST(CPartitionScheme, ListOfSeveralColumnsMatchesWholeTuples) {
    Scheme scheme;
    scheme.method = Scheme::Method::List;
    scheme.partitions = {{"A", "", {{T("X"), N("1")}, {T("Y"), N("2")}}, false}};
    Expect(scheme, {{{T("X"), N("1")}, 0}, {{T("Y"), N("2")}, 0}, {{T("X"), N("2")}, -1}});
}

TEST(CPartitionScheme, HashSpreadsKeysOverEveryPartitionTheSameWayEachTime) {
    for (int count : {1, 3, 4, 5, 8}) {
        Scheme scheme;
        scheme.method = Scheme::Method::Hash;
        for (int k = 0; k < count; ++k) scheme.partitions.push_back({"P" + std::to_string(k), "", {}, false});
        std::set<int> used;
        for (int key = 1; key <= 200; ++key) {
            int where = scheme.Locate({N(std::to_string(key))});
            ASSERT_GE(where, 0);
            ASSERT_LT(where, count);
            EXPECT_EQ(scheme.Locate({N(std::to_string(key))}), where);
            used.insert(where);
        }
        EXPECT_EQ(static_cast<int>(used.size()), count) << count << " partitions";
        // The same number written otherwise is the same key.
        EXPECT_EQ(scheme.Locate({N("7")}), scheme.Locate({N("7.000")}));
    }
}

TEST(CPartitionScheme, BoundsSurviveTheirTextInTheCatalog) {
    std::vector<CPartitionKey> tuples = {{N("-12.5"), T("a,b;c"), Null(), Value::Max()},
                                         {T(std::string("\x82\xa0", 2))}};
    EXPECT_EQ(CPartitionCatalog::Decode(CPartitionCatalog::Encode(tuples)), tuples);
    EXPECT_TRUE(CPartitionCatalog::Decode("").empty());
}

}  // namespace
