#include <gtest/gtest.h>

#include <memory>

#include "engine/sqlite/plsql/CCollectionJson.h"

namespace {

std::shared_ptr<CPlsqlType> Scalar(CPlsqlType::Base base, int precision = 0, int scale = CPlsqlType::kNoScale,
                                   long length = 0) {
    auto type = std::make_shared<CPlsqlType>();
    type->base = base;
    type->precision = precision;
    type->scale = scale;
    type->length = length;
    return type;
}

CPlsqlType TableOf(std::shared_ptr<CPlsqlType> element) {
    CPlsqlType type;
    type.base = CPlsqlType::Base::Collection;
    type.collection = CPlsqlType::CollectionKind::Nested;
    type.element = std::move(element);
    return type;
}

TEST(CCollectionJson, QuotingLeavesShiftJisTrailBytesAlone) {
    // "ソ" is 0x83 0x5C: its trail byte is a backslash in ASCII.
    EXPECT_EQ(CCollectionJson::Quoted("\x83\x5C"), "\"\x83\x5C\"");
    EXPECT_EQ(CCollectionJson::Quoted("a\\b\"c"), "\"a\\\\b\\\"c\"");
    EXPECT_EQ(CCollectionJson::Quoted("x\ny"), "\"x\\u000ay\"");
}

TEST(CCollectionJson, DeclaredTypesKeepPrecisionScaleAndLength) {
    struct Case {
        std::shared_ptr<CPlsqlType> type;
        const char* declared;
    } cases[] = {
        {Scalar(CPlsqlType::Base::Number), "NUMBER"},
        {Scalar(CPlsqlType::Base::Number, 7, 2), "NUMBER(7,2)"},
        {Scalar(CPlsqlType::Base::Number, 4, 0), "NUMBER(4)"},
        {Scalar(CPlsqlType::Base::Text, 0, CPlsqlType::kNoScale, 10), "VARCHAR2(10)"},
        {Scalar(CPlsqlType::Base::Text, 0, CPlsqlType::kNoScale, 32767), "VARCHAR2(4000)"},
        {Scalar(CPlsqlType::Base::Date), "DATE"},
    };
    for (const Case& c : cases) EXPECT_EQ(CCollectionJson::Declared(*c.type), c.declared);
}

TEST(CCollectionJson, SparseScalarsInKeyOrderWithNullsAndExactNumbers) {
    CPlsqlType type = TableOf(Scalar(CPlsqlType::Base::Number));
    CPlsqlCollection collection;
    collection.elements[CPlsqlCollection::NumberKey(3)].value = CPlsqlValue::Integer(-7);
    collection.elements[CPlsqlCollection::NumberKey(1)].value = CPlsqlValue::Text("a\"b");
    collection.elements[CPlsqlCollection::NumberKey(2)].value = CPlsqlValue();
    EXPECT_EQ(CCollectionJson::Document(collection, type), "[\"a\\\"b\",null,\"-7\"]");
    EXPECT_EQ(CCollectionJson::Columns(type), "COLUMN_VALUE NUMBER PATH '$'");
}

TEST(CCollectionJson, ObjectElementsAreArraysOfTheirAttributes) {
    auto element = std::make_shared<CPlsqlType>();
    element->base = CPlsqlType::Base::Record;
    element->fields = {{"EMPNO", Scalar(CPlsqlType::Base::Number, 4, 0)},
                       {"ENAME", Scalar(CPlsqlType::Base::Text, 0, CPlsqlType::kNoScale, 10)}};
    CPlsqlType type = TableOf(element);
    CPlsqlCollection collection;
    // A record element with fewer fields than its type (never written) reads null.
    collection.elements[CPlsqlCollection::NumberKey(1)].fields = {CPlsqlValue::Integer(7369)};
    EXPECT_EQ(CCollectionJson::Document(collection, type), "[[\"7369\",null]]");
    EXPECT_EQ(CCollectionJson::Columns(type),
              "\"EMPNO\" NUMBER(4) PATH '$[0]', \"ENAME\" VARCHAR2(10) PATH '$[1]'");
    CPlsqlCollection empty;
    EXPECT_EQ(CCollectionJson::Document(empty, type), "[]");
}

}  // namespace
