#include <gtest/gtest.h>

#include "report/CAggregate.h"

using Function = CBreakSet::Function;

TEST(CAggregateTest, FiguresOfNumbersAndTexts) {
    CAggregate numbers;
    for (Function f : {Function::Min, Function::Max, Function::Std}) numbers.Want(f);
    for (const char* value : {"2", "", "4", "4", "4", "5", "5", "7", "9"}) numbers.Add(value, true);
    EXPECT_EQ(numbers.Result(Function::Number), "9");
    EXPECT_EQ(numbers.Result(Function::Count), "8");
    EXPECT_EQ(numbers.Result(Function::Sum), "40");
    EXPECT_EQ(numbers.Result(Function::Avg), "5");
    EXPECT_EQ(numbers.Result(Function::Min), "2");
    EXPECT_EQ(numbers.Result(Function::Max), "9");
    // Sample variance: 32 / 7.
    EXPECT_EQ(numbers.Result(Function::Variance).substr(0, 10), "4.57142857");
    EXPECT_EQ(numbers.Result(Function::Std).substr(0, 8), "2.138089");
    // Sums stay exact where binary fractions would not.
    CAggregate cents;
    for (int k = 0; k < 1000; ++k) cents.Add(".01", true);
    cents.Add("-10.000000000000000000001", true);
    EXPECT_EQ(cents.Result(Function::Sum), "-.000000000000000000001");
    // Texts: MIN and MAX by bytes, no sum; nothing at all gives no figure.
    CAggregate names;
    names.Want(Function::Min);
    for (const char* value : {"SMITH", "ALLEN", "", "WARD"}) names.Add(value, false);
    EXPECT_EQ(names.Result(Function::Min), "ALLEN");
    EXPECT_EQ(names.Result(Function::Max), "WARD");
    EXPECT_EQ(names.Result(Function::Count), "3");
    names.Reset();
    EXPECT_EQ(names.Result(Function::Min), "");
    EXPECT_EQ(names.Result(Function::Number), "0");
    names.Add("B", false);
    EXPECT_EQ(names.Result(Function::Min), "B");
}
