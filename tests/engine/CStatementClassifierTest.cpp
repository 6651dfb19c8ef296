#include <gtest/gtest.h>

#include "engine/sqlite/CStatementClassifier.h"

TEST(CStatementClassifierTest, LeadingWordsDecide) {
    using K = StatementKind;
    const std::pair<const char*, StatementKind> cases[] = {
        {"SELECT 1 FROM DUAL", K::Query},
        {"  with x as (select 1) select * from x", K::Query},
        {"/* c */ SELECT 1", K::Query},
        {"INSERT INTO T VALUES (1)", K::Dml},
        {"UPDATE T SET A = 1", K::Dml},
        {"DELETE FROM T", K::Dml},
        {"BEGIN NULL; END;", K::Block},
        {"begin dbms_output.enable(); end;", K::Block},
        {"DECLARE X NUMBER; BEGIN NULL; END;", K::DeclareBlock},
        {"COMMIT", K::Commit},
        {"COMMIT WORK", K::Commit},
        {"ROLLBACK", K::Rollback},
        {"ROLLBACK TO SAVEPOINT A", K::Other},
        {"TRUNCATE TABLE T", K::Truncate},
        {"TRUNCATE CLUSTER C", K::Unsupported},
        {"CREATE SEQUENCE S", K::CreateSequence},
        {"DROP SEQUENCE S", K::DropSequence},
        {"ALTER SEQUENCE S INCREMENT BY 2", K::Ddl},
        {"DROP PUBLIC SYNONYM S", K::Synonym},
        {"CREATE OR REPLACE PUBLIC SYNONYM S FOR T", K::Synonym},
        {"ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY'", K::Session},
        {"CREATE TABLESPACE X", K::Unsupported},
        {"CREATE TABLE X (A NUMBER)", K::Ddl},
        {"ALTER TABLE T ADD B NUMBER", K::Ddl},
        {"DROP TABLE T", K::Ddl},
        {"DROP ROLE R", K::NoPrivileges},
        {"CREATE USER U IDENTIFIED BY P", K::NoPrivileges},
        {"GRANT SELECT ON T TO U", K::NoPrivileges},
        {"CREATE OR REPLACE TRIGGER TR", K::ReplaceObject},
        {"CREATE OR REPLACE VIEW V AS SELECT 1", K::ReplaceObject},
        {"CREATE OR REPLACE PROCEDURE P IS BEGIN NULL; END;", K::StoredCode},
        {"CREATE FUNCTION F RETURN NUMBER", K::StoredCode},
        {"CREATE PACKAGE BODY K", K::StoredCode},
        {"PRAGMA TABLE_INFO(T)", K::Other},
        {"", K::Other}};
    for (const auto& [text, kind] : cases) EXPECT_EQ(CStatementClassifier::Classify(text), kind) << text;
    EXPECT_EQ(CStatementClassifier::MatchedWords("create  or replace package K"),
              "create  or replace package");
    EXPECT_EQ(CStatementClassifier::MatchedWords("FOO"), "");
}
