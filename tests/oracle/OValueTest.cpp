#include <gtest/gtest.h>

#include <climits>

#include "oracle/OParameter.h"
#include "oracle/OParameterCollection.h"
#include "oracle/OValue.h"

TEST(OValueTest, ToIntTakesTheWholeNumberPart) {
    const std::pair<const char*, int> cases[] = {{"-3.99", -3},
                                                 {"  +8", 8},
                                                 {"abc", 0},
                                                 {"12abc", 12},
                                                 {"99999999999", INT_MAX},
                                                 {"-99999999999", INT_MIN}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(OValue(text).ToInt(), expected) << text;
    EXPECT_EQ(OValue().ToInt(), 0);
}

TEST(OParameterCollectionTest, AddReplacesAndLooksUpExactlyAndUndeclaredNamesFail) {
    OParameterCollection parameters;
    parameters.Add("N", OValue(), OPARAMETER_INOUTVAR, OTYPE_NUMBER);
    parameters.Add("S", OValue("  "), OPARAMETER_INOUTVAR, OTYPE_VARCHAR2);
    parameters.Add("N", OValue("5"), OPARAMETER_INOUTVAR, OTYPE_CHAR);
    EXPECT_EQ(parameters.GetCount(), 2);
    OValue value;
    ASSERT_EQ(parameters.GetParameter("N").GetValue(&value), OSUCCESS);
    EXPECT_EQ(value.ToText(), "5");
    EXPECT_EQ(parameters.GetParameter("N").GetServerType(), OTYPE_CHAR);
    EXPECT_FALSE(parameters.GetParameter("n").IsValid());
    OParameter missing = parameters.GetParameter("NOPE");
    value = OValue("unchanged");
    EXPECT_NE(missing.GetValue(&value), OSUCCESS);
    EXPECT_NE(missing.SetValue(OValue("1")), OSUCCESS);
    EXPECT_EQ(missing.GetServerType(), 0);
    EXPECT_EQ(missing.GetName(), "");
    EXPECT_NE(parameters.GetParameter(nullptr).GetValue(&value), OSUCCESS);
}
