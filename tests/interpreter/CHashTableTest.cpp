#include <gtest/gtest.h>

#include "interpreter/CHashTable.h"

TEST(CHashTable, NewTableHasNoKeys) {
    CHashTable table;
    CScriptLines keys{"stale"};
    EXPECT_TRUE(table.GetKeys(keys).empty());
    EXPECT_THROW(table.Lookup("A"), CHashTableException);
}

TEST(CHashTable, ReplacedKeyKeepsItsPlace) {
    CHashTable table;
    table.SetAt("A", "1");
    table.SetAt("B", "2");
    table.SetAt("A", "3");
    CScriptLines keys;
    EXPECT_EQ(table.GetKeys(keys), (CScriptLines{"A", "B"}));
    EXPECT_EQ(table.Lookup("A"), "3");
    EXPECT_EQ(table.Lookup("B"), "2");
}

TEST(CHashTable, KeysAreCaseSensitive) {
    CHashTable table;
    table.SetAt("HEADING", "ON");
    EXPECT_THROW(table.Lookup("heading"), CHashTableException);
}

TEST(CHashTable, RemoveAllForgetsEveryKey) {
    CHashTable table;
    table.SetAt("A", "1");
    table.RemoveAll();
    EXPECT_THROW(table.Lookup("A"), CHashTableException);
    table.SetAt("B", "2");
    CScriptLines keys;
    EXPECT_EQ(table.GetKeys(keys), CScriptLines{"B"});
}
