// A table's definition on the embedded engine, beside a small schema: the
// input is the text between the brackets of CREATE TABLE F (...). Whatever
// it holds, the statement runs or fails with a position inside its text,
// and the file opens anew and answers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/sqlite/CSqliteConnection.h"
#include "tests/support/TempDir.h"

namespace {

constexpr const char* kSchema[] = {
    "CREATE TABLE T (A NUMBER(7,2) DEFAULT 0 CHECK (A >= 0), B VARCHAR2(10 CHAR), C DATE DEFAULT SYSDATE)",
    "CREATE TABLE U (ID NUMBER PRIMARY KEY, T_A NUMBER REFERENCES T (A))",
    "CREATE SEQUENCE S",
    "INSERT INTO T VALUES (1.5, 'x', SYSDATE)",
    "COMMIT",
};

bool Run(CSqliteConnection& connection, const std::string& sql) {
    std::vector<CEngineBind> binds;
    long rows = 0;
    return connection.Execute(sql, binds, rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TempHome home;
    CEngineError error;
    auto connection = CSqliteConnection::Open("", error);
    if (connection == nullptr) std::abort();
    for (const char* statement : kSchema)
        if (!Run(*connection, statement)) std::abort();
    const std::string statement =
        "CREATE TABLE F (" + std::string(reinterpret_cast<const char*>(data), size) + ")";
    if (!Run(*connection, statement) && connection->LastError().position > static_cast<int>(statement.size()))
        std::abort();
    Run(*connection, "COMMIT");
    connection.reset();
    connection = CSqliteConnection::Open("", error);
    std::vector<CEngineBind> binds;
    CEngineResult result;
    if (connection == nullptr || !connection->Query("SELECT COUNT(*) FROM USER_TABLES", binds, result))
        std::abort();
    return 0;
}
