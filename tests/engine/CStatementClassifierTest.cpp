#include <gtest/gtest.h>

#include "engine/sqlite/CStatementClassifier.h"

TEST(CStatementClassifierTest, LeadingWordsDecide) {
    struct Case {
        const char* text;
        StatementKind kind;
    } cases[] = {
        {"SELECT 1 FROM DUAL", StatementKind::Query},
        {"  with x as (select 1) select * from x", StatementKind::Query},
        {"INSERT INTO T VALUES (1)", StatementKind::Dml},
        {"UPDATE T SET A = 1", StatementKind::Dml},
        {"DELETE FROM T", StatementKind::Dml},
        {"BEGIN NULL; END;", StatementKind::Block},
        {"begin dbms_output.enable(); end;", StatementKind::Block},
        {"DECLARE X NUMBER; BEGIN NULL; END;", StatementKind::DeclareBlock},
        {"COMMIT", StatementKind::Commit},
        {"COMMIT WORK", StatementKind::Commit},
        {"ROLLBACK", StatementKind::Rollback},
        {"ROLLBACK TO SAVEPOINT A", StatementKind::Other},
        {"TRUNCATE TABLE T", StatementKind::Truncate},
        {"TRUNCATE CLUSTER C", StatementKind::Unsupported},
        {"CREATE SEQUENCE S", StatementKind::CreateSequence},
        {"DROP SEQUENCE S", StatementKind::DropSequence},
        {"ALTER SEQUENCE S INCREMENT BY 2", StatementKind::Unsupported},
        {"DROP PUBLIC SYNONYM S", StatementKind::Unsupported},
        {"ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY'", StatementKind::Unsupported},
        {"CREATE TABLESPACE X", StatementKind::Unsupported},
        {"CREATE TABLE X (A NUMBER)", StatementKind::Ddl},
        {"DROP ROLE R", StatementKind::NoPrivileges},
        {"CREATE TABLE T (A NUMBER)", StatementKind::Ddl},
        {"CREATE OR REPLACE TRIGGER TR", StatementKind::ReplaceObject},
        {"CREATE OR REPLACE VIEW V AS SELECT 1", StatementKind::ReplaceObject},
        {"CREATE OR REPLACE PROCEDURE P IS BEGIN NULL; END;", StatementKind::StoredCode},
        {"CREATE FUNCTION F RETURN NUMBER", StatementKind::StoredCode},
        {"CREATE PACKAGE BODY K", StatementKind::StoredCode},
        {"CREATE USER U IDENTIFIED BY P", StatementKind::NoPrivileges},
        {"GRANT SELECT ON T TO U", StatementKind::NoPrivileges},
        {"ALTER TABLE T ADD B NUMBER", StatementKind::Ddl},
        {"DROP TABLE T", StatementKind::Ddl},
        {"PRAGMA TABLE_INFO(T)", StatementKind::Other},
        {"", StatementKind::Other},
        {"/* c */ SELECT 1", StatementKind::Query},
    };
    for (const Case& c : cases) EXPECT_EQ(CStatementClassifier::Classify(c.text), c.kind) << c.text;
    EXPECT_EQ(CStatementClassifier::MatchedWords("create  or replace package K"),
              "create  or replace package");
    EXPECT_EQ(CStatementClassifier::MatchedWords("FOO"), "");
}
