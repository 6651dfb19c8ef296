#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

TEST_F(ConnectedFixture, DescribeListsEveryColumnOnTheGrid) {
    Run({"create table emp (empno number(4) not null, ename varchar2(10), sal number(7,2),",
         "hiredate date, a_very_long_column_name_x char(3), notes clob, n2 number(5,0));"});
    const CScriptLines emp = {
        Sj("名前                 NULL?    型"),       "-------------------- -------- --------------------",
        "EMPNO                NOT NULL NUMBER(4)",    "ENAME                         VARCHAR2(10)",
        "SAL                           NUMBER(7, 2)", "HIREDATE                      DATE",
        "A_VERY_LONG_COLUMN_NAME_X          CHAR(3)", "NOTES                         CLOB",
        "N2                            NUMBER(5)",    "",
    };
    // Text after the name ends up in the query; the name may come from a define.
    for (const CScriptLines& lines : {CScriptLines{"desc emp"}, CScriptLines{"describe emp where 1 = 0"},
                                      CScriptLines{"define t=emp", "desc &t"}})
        EXPECT_EQ(Run(lines), emp) << lines.Join();
    // A missing object, or "- EMP" (the continuation hyphen stays in the name),
    // gives the error report only.
    for (const CScriptLines& lines : {CScriptLines{"desc nosuch"}, CScriptLines{"desc -", "emp"}}) {
        const CScriptLines out = Run(lines);
        ASSERT_FALSE(out.empty()) << lines.Join();
        EXPECT_NE(out.front(), emp.front()) << lines.Join();
    }
    // Types as the server describes them: NUMBER without precision, FLOAT,
    // INTEGER, NUMBER(*, s) and TIMESTAMP with its digits of a second.
    Run({"create table kinds (a number, b float, c float(10), d integer, e number(*,2), f timestamp,",
         "g timestamp(3), h raw(16), i number(10,-2), j number(*,0));"});
    EXPECT_EQ(
        Run({"desc kinds"}),
        CScriptLines(
            {Sj("名前                 NULL?    型"), "-------------------- -------- --------------------",
             "A                             NUMBER", "B                             FLOAT(126)",
             "C                             FLOAT(10)", "D                             NUMBER(38)",
             "E                             NUMBER(38, 2)", "F                             TIMESTAMP(6)",
             "G                             TIMESTAMP(3)", "H                             RAW(16)",
             "I                             NUMBER(10)", "J                             NUMBER(38)", ""}));
    Run({"disconnect"});
    EXPECT_EQ(Run({"desc emp"}), SjLines({"接続されていません。"}));
}

// Lengths declared in characters are told so, and a column of them is as
// wide as their bytes may be (two for each character in CP932), so that a
// value of Japanese text is shown whole.
TEST_F(ConnectedFixture, LengthsInCharactersAreDescribedAndShownWhole) {
    Run({"create table ja (a varchar2(10 char), b char(3 char), c varchar2(5 byte));"});
    EXPECT_EQ(Run({"desc ja"}), CScriptLines({Sj("名前                 NULL?    型"),
                                              "-------------------- -------- --------------------",
                                              "A                             VARCHAR2(10 CHAR)",
                                              "B                             CHAR(3 CHAR)",
                                              "C                             VARCHAR2(5)", ""}));
    Run({Sj("insert into ja values ('開発部門管理課', '日本', 'x');")});
    const CScriptLines out = Run({"select a, b from ja;"});
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[1], "A                    B      ");
    EXPECT_EQ(out[3], Sj("開発部門管理課       日本   "));
}

}  // namespace

namespace {

// A schema's type is described as the server's DESCRIBE shows it: an object
// type's attributes as a table's columns would be (an attribute of a schema
// type by the type's name), a collection type by its kind and element.
TEST_F(ConnectedFixture, DescribeOfATypeListsItsAttributesOrItsElement) {
    Run({"create type point_t as object (x number, y number(7,2));", "/"});
    Run({"create type place_t as object (name varchar2(35), code char(2), at point_t, seen timestamp,",
         "n integer);", "/"});
    Run({"create type phones_t as varray(5) of varchar2(25);", "/"});
    Run({"create type places_t as table of place_t;", "/"});
    const CScriptLines place = {
        Sj("名前                 NULL?    型"),       "-------------------- -------- --------------------",
        "NAME                          VARCHAR2(35)", "CODE                          CHAR(2)",
        "AT                            POINT_T",      "SEEN                          TIMESTAMP(6)",
        "N                             NUMBER(38)",   "",
    };
    EXPECT_EQ(Run({"desc place_t"}), place);
    EXPECT_EQ(Run({"describe \"PLACE_T\""}), place);
    EXPECT_EQ(Run({"desc phones_t"}), CScriptLines({"PHONES_T VARRAY(5) OF VARCHAR2(25)"}));
    CScriptLines places = {"PLACES_T TABLE OF PLACE_T"};
    places.Append(place);
    EXPECT_EQ(Run({"desc places_t"}), places);
    // A quoted name is kept as written: "place_t" is no type.
    EXPECT_EQ(Run({"desc \"place_t\""}), SjLines({"ORA-04043: オブジェクト\"place_t\"は存在しません。"}));
}

}  // namespace
