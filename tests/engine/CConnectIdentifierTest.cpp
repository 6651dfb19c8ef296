#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "engine/CConnectIdentifier.h"
#include "tests/support/TempDir.h"

namespace {

struct RouteCase {
    const char* identifier;
    bool server;
};

// Identifiers arrive upper-cased and with the blanks typed after them.
constexpr RouteCase kForms[] = {
    {"//localhost/XE", true},
    {"//LOCALHOST:1521/ORCLPDB1", true},
    {"  //db.example.com/sales.example.com  ", true},
    {"dbhost/orcl", true},
    {"DBHOST:1522/ORCL", true},
    {"10.0.0.5:1521/XE", true},
    {"(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=H)(PORT=1521))(CONNECT_DATA=(SERVICE_NAME=S)))", true},
    {"SHOP", false},
    {"", false},
    {"   ", false},
    {"/x", false},
    {"host/", false},
    {"my db/x", false},
    {"社員/x", false},
};

TEST(CConnectIdentifierTest, ServerFormsAreToldFromEmbeddedNames) {
    for (const auto& row : kForms)
        EXPECT_EQ(CConnectIdentifier::IsServerForm(row.identifier), row.server) << row.identifier;
}

TEST(CConnectIdentifierTest, TnsNamesEntriesAndAliasesAreFoundAtTopLevelOnly) {
    const char* text =
        "# sales = (comment)\n"
        "SALES.EXAMPLE.COM, sales =\n"
        "  (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = db)(PORT = 1521))\n"
        "    (CONNECT_DATA = (SERVICE_NAME = sales)))\n"
        "hr=(DESCRIPTION=(ADDRESS=(HOST=h))(CONNECT_DATA=(SERVICE_NAME=hr)))\n";
    EXPECT_TRUE(CConnectIdentifier::DefinesName(text, "SALES"));
    EXPECT_TRUE(CConnectIdentifier::DefinesName(text, "sales.example.com "));
    EXPECT_TRUE(CConnectIdentifier::DefinesName(text, "HR"));
    EXPECT_FALSE(CConnectIdentifier::DefinesName(text, "DESCRIPTION"));
    EXPECT_FALSE(CConnectIdentifier::DefinesName(text, "HOST"));
    EXPECT_FALSE(CConnectIdentifier::DefinesName(text, "COMMENT"));
    EXPECT_FALSE(CConnectIdentifier::DefinesName(text, ""));
}

TEST(CConnectIdentifierTest, NetServiceNamesRouteToTheServerThroughTnsAdmin) {
    TempHome home;
    std::ofstream(home.Path("tnsnames.ora"))
        << "orcl = (DESCRIPTION=(ADDRESS=(HOST=h))(CONNECT_DATA=(SID=o)))\n";
    setenv("TNS_ADMIN", home.Path().c_str(), 1);
    EXPECT_EQ(CConnectIdentifier::RouteOf("ORCL"), CConnectIdentifier::Route::Server);
    EXPECT_EQ(CConnectIdentifier::RouteOf("SHOP"), CConnectIdentifier::Route::Embedded);
    unsetenv("TNS_ADMIN");
    setenv("ORACLE_HOME", "/nonexistent", 1);
    EXPECT_EQ(CConnectIdentifier::TnsNamesPath(), "/nonexistent/network/admin/tnsnames.ora");
    EXPECT_EQ(CConnectIdentifier::RouteOf("ORCL"), CConnectIdentifier::Route::Embedded);
    unsetenv("ORACLE_HOME");
}

}  // namespace
