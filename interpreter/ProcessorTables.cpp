#include "interpreter/ProcessorTables.h"

namespace tables {
namespace {

constexpr const char* kKeywords[] = {
    "CREATE", "ALTER",  "DROP",    "INSERT",   "SELECT",    "UPDATE", "DELETE", "BEGIN",     "DECLARE",
    "GRANT",  "REVOKE", "COMMIT",  "ROLLBACK", "TRUNCATE",  "WITH",   "MERGE",  "SAVEPOINT", "COMMENT",
    "CALL",   "LOCK",   "EXPLAIN", "PURGE",    "FLASHBACK", "RENAME", "AUDIT",  "NOAUDIT",   "ANALYZE",
};

// SET is the SET command except before these words, where it is SQL.
constexpr KeywordPair kKeywordPairs[] = {
    {"SET", "TRANSACTION"},
    {"SET", "ROLE"},
    {"SET", "CONSTRAINT"},
    {"SET", "CONSTRAINTS"},
};

using enum StatementGroup;

constexpr StatementTemplate kTemplates[] = {
    {"SELECT%s;", "選択", Query},
    {"INSERT INTO%s;", "%d行が作成されました。", RowChange},
    {"DELETE FROM%s;", "%d行が削除されました。", RowChange},
    {"UPDATE%s;", "%d行が更新されました。", RowChange},
    {"DECLARE%sBEGIN%sEND;%s/", "PL/SQLプロシージャが正常に完了しました。", Block},
    {"BEGIN%sEND;%s/", "PL/SQLプロシージャが正常に完了しました。", Block},
    {"CREATE TRIGGER%sBEGIN%sEND;%s/", "トリガが作成されました。", Block},
    {"CREATE OR REPLACE TRIGGER%sBEGIN%sEND;%s/", "トリガが作成されました。", Block},
    {"CREATE PROCEDURE%sBEGIN%sEND;%s/", "プロシージャが作成されました。", Block},
    {"CREATE OR REPLACE PROCEDURE%sBEGIN%sEND;%s/", "プロシージャが作成されました。", Block},
    {"CREATE TABLE%s;", "表が作成されました。", Other},
    {"CREATE VIEW%s;", "ビューが作成されました。", Other},
    {"CREATE USER%s;", "ユーザが作成されました。", Other},
    {"CREATE INDEX%s;", "索引が作成されました。", Other},
    {"CREATE ROLE%s;", "ロールが作成されました。", Other},
    {"CREATE SYNONYM%s;", "シノニムが作成されました。", Other},
    {"CREATE DATABASE LINK%s;", "データベース・リンクが作成されました。", Other},
    {"CREATE SEQUENCE%s;", "順序が作成されました。", Other},
    {"CREATE TABLESPACE%s;", "表領域が作成されました。", Other},
    {"CREATE FUNCTION%s;", "関数が作成されました。", Block},
    {"CREATE PROFILE%s;", "プロファイルが作成されました。", Other},
    {"CREATE CLUSTER%s;", "クラスタが作成されました。", Other},
    {"ALTER TABLE%s;", "表が更新されました。", Other},
    {"ALTER VIEW%s;", "ビューが更新されました。", Other},
    {"ALTER USER%s;", "ユーザが更新されました。", Other},
    {"ALTER INDEX%s;", "索引が更新されました。", Other},
    {"ALTER ROLE%s;", "ロールが更新されました。", Other},
    {"ALTER SYNONYM%s;", "シノニムが更新されました。", Other},
    {"ALTER DATABASE LINK%s;", "データベース・リンクが更新されました。", Other},
    {"ALTER SEQUENCE%s;", "順序が更新されました。", Other},
    {"ALTER TABLESPACE%s;", "表領域が更新されました。", Other},
    {"ALTER TRIGGER%s;", "トリガが更新されました。", Other},
    {"ALTER FUNCTION%s;", "関数が更新されました。", Other},
    {"ALTER PROFILE%s;", "プロファイルが更新されました。", Other},
    {"ALTER CLUSTER%s;", "クラスタが更新されました。", Other},
    {"ALTER SESSION%s;", "セッションが変更されました。", Other},
    {"DROP TABLE%s;", "表が削除されました。", Other},
    {"DROP VIEW%s;", "ビューが削除されました。", Other},
    {"DROP USER%s;", "ユーザが削除されました。", Other},
    {"DROP INDEX%s;", "索引が削除されました。", Other},
    {"DROP ROLE%s;", "ロールが削除されました。", Other},
    {"DROP SYNONYM%s;", "シノニムが削除されました。", Other},
    {"DROP DATABASE LINK%s;", "データベース・リンクが削除されました。", Other},
    {"DROP SEQUENCE%s;", "順序が削除されました。", Other},
    {"DROP TABLESPACE%s;", "表領域が削除されました。", Other},
    {"DROP TRIGGER%s;", "トリガが削除されました。", Other},
    {"DROP FUNCTION%s;", "関数が削除されました。", Other},
    {"DROP PROFILE%s;", "プロファイルが削除されました。", Other},
    {"DROP CLUSTER%s;", "クラスタが削除されました。", Other},
    {"DROP PROCEDURE%s;", "プロシージャが削除されました。", Other},
    {"TRUNCATE TABLE%s;", "表が切り捨てられました。", Other},
    {"TRUNCATE CLUSTER%s;", "クラスタが切り捨てられました。", Other},
    {"GRANT%s;", "権限付与が成功しました。", Other},
    {"REVOKE%s;", "取り消しが成功しました。", Other},
    {"COMMIT;", "コミットが完了しました。", Other},
    {"ROLLBACK;", "ロールバックが完了しました。", Other},
    {"CREATE UNIQUE INDEX%s;", "索引が作成されました。", Other},
    {"CREATE BITMAP INDEX%s;", "索引が作成されました。", Other},
    {"CREATE OR REPLACE VIEW%s;", "ビューが作成されました。", Other},
    {"CREATE OR REPLACE SYNONYM%s;", "シノニムが作成されました。", Other},
    {"CREATE OR REPLACE PUBLIC SYNONYM%s;", "シノニムが作成されました。", Other},
    {"CREATE PUBLIC SYNONYM%s;", "シノニムが作成されました。", Other},
    {"CREATE GLOBAL TEMPORARY TABLE%s;", "表が作成されました。", Other},
    {"CREATE PRIVATE TEMPORARY TABLE%s;", "表が作成されました。", Other},
    {"CREATE MATERIALIZED VIEW LOG%s;", "マテリアライズド・ビュー・ログが作成されました。", Other},
    {"CREATE MATERIALIZED VIEW%s;", "マテリアライズド・ビューが作成されました。", Other},
    {"COMMIT WORK;", "コミットが完了しました。", Other},
    {"ROLLBACK WORK;", "ロールバックが完了しました。", Other},
    {"ROLLBACK TO%s;", "ロールバックが完了しました。", Other},
    {"ROLLBACK WORK TO%s;", "ロールバックが完了しました。", Other},
    // Stored program units: sent whole, their final "END;" included.
    {"CREATE OR REPLACE FUNCTION%s", "関数が作成されました。", Block},
    {"CREATE PROCEDURE%s", "プロシージャが作成されました。", Block},
    {"CREATE OR REPLACE PROCEDURE%s", "プロシージャが作成されました。", Block},
    {"CREATE PACKAGE BODY%s", "パッケージ本体が作成されました。", Block},
    {"CREATE OR REPLACE PACKAGE BODY%s", "パッケージ本体が作成されました。", Block},
    {"CREATE PACKAGE%s", "パッケージが作成されました。", Block},
    {"CREATE OR REPLACE PACKAGE%s", "パッケージが作成されました。", Block},
    {"CREATE TRIGGER%s", "トリガが作成されました。", Block},
    {"CREATE OR REPLACE TRIGGER%s", "トリガが作成されました。", Block},
    {"CREATE TYPE BODY%s", "型本体が作成されました。", Block},
    {"CREATE OR REPLACE TYPE BODY%s", "型本体が作成されました。", Block},
    // Note: a block whose END names its label ("END outer;").
    {"DECLARE%sBEGIN%sEND%s;%s/", "PL/SQLプロシージャが正常に完了しました。", Block},
    {"BEGIN%sEND%s;%s/", "PL/SQLプロシージャが正常に完了しました。", Block},
    {"CREATE TYPE%s;", "型が作成されました。", Other},
    {"CREATE OR REPLACE TYPE%s;", "型が作成されました。", Other},
    {"WITH%s;", "選択", Query},
    {"MERGE%s;", "%d行がマージされました。", RowChange},
    {"SAVEPOINT%s;", "セーブポイントが作成されました。", Other},
    {"COMMENT ON%s;", "コメントが作成されました。", Other},
    {"CALL%s;", "コールが完了しました。", Other},
    {"LOCK TABLE%s;", "表がロックされました。", Other},
    {"EXPLAIN PLAN%s;", "説明されました。", Other},
    {"SET TRANSACTION%s;", "トランザクションが設定されました。", Other},
    {"SET ROLE%s;", "ロールが設定されました。", Other},
    {"SET CONSTRAINTS%s;", "制約が設定されました。", Other},
    {"SET CONSTRAINT%s;", "制約が設定されました。", Other},
    {"PURGE%s;", "パージが完了しました。", Other},
    {"FLASHBACK%s;", "フラッシュバックが完了しました。", Other},
    {"RENAME%s;", "表の名前が変更されました。", Other},
    {"AUDIT%s;", "監査が成功しました。", Other},
    {"NOAUDIT%s;", "監査の解除が成功しました。", Other},
    {"ANALYZE%s;", "分析が完了しました。", Other},
    {"DROP PUBLIC SYNONYM%s;", "シノニムが削除されました。", Other},
    {"DROP MATERIALIZED VIEW LOG%s;", "マテリアライズド・ビュー・ログが削除されました。", Other},
    {"DROP MATERIALIZED VIEW%s;", "マテリアライズド・ビューが削除されました。", Other},
    {"DROP PACKAGE BODY%s;", "パッケージ本体が削除されました。", Other},
    {"DROP PACKAGE%s;", "パッケージが削除されました。", Other},
    {"DROP TYPE BODY%s;", "型本体が削除されました。", Other},
    {"DROP TYPE%s;", "型が削除されました。", Other},
    // INSERT ALL / FIRST, and DELETE without FROM.
    {"INSERT%s;", "%d行が作成されました。", RowChange},
    {"DELETE%s;", "%d行が削除されました。", RowChange},
};

// Note: only these three rows; every other statement keeps the first row
// that fits, in table order.
constexpr TemplatePreference kPreferences[] = {
    {"CREATE TABLESPACE%s;", "CREATE TABLE%s;"},
    {"ALTER TABLESPACE%s;", "ALTER TABLE%s;"},
    {"DROP TABLESPACE%s;", "DROP TABLE%s;"},
};

}  // namespace

std::span<const char* const> StatementKeywords() { return kKeywords; }
std::span<const KeywordPair> StatementKeywordPairs() { return kKeywordPairs; }
std::span<const StatementTemplate> StatementTemplates() { return kTemplates; }
std::span<const TemplatePreference> TemplatePreferences() { return kPreferences; }

StatementGroup GroupOf(int templateNumber) {
    if (templateNumber < 0 || templateNumber >= static_cast<int>(std::size(kTemplates))) return Other;
    return kTemplates[templateNumber].group;
}

}  // namespace tables
