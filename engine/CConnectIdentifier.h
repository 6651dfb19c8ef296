#pragma once

#include <string>
#include <string_view>

// Which engine a CONNECT reaches: the server forms (//host[:port]/service,
// host[:port]/service, a (DESCRIPTION=...) descriptor) and net service names
// found in tnsnames.ora go to an Oracle server; every other name is an
// embedded database. Case and blanks around the text do not matter.
class CConnectIdentifier {
public:
    enum class Route { Embedded, Server };

    static Route RouteOf(std::string_view identifier);
    // The form of the text alone, without looking at tnsnames.ora.
    static bool IsServerForm(std::string_view identifier);

    // The tnsnames.ora in use: $TNS_ADMIN/tnsnames.ora, else
    // $ORACLE_HOME/network/admin/tnsnames.ora; "" when neither is set.
    static std::string TnsNamesPath();
    // True when the text of a tnsnames.ora file defines `name` (a top-level
    // entry; aliases separated by commas count).
    static bool DefinesName(std::string_view tnsNames, std::string_view name);
};
