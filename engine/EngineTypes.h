#pragma once

#include <string>

// Plain data passed between the client-library layer and an engine. All text
// is CP932 bytes; positions are byte offsets in the CP932 statement text.

// Server type codes, as the Oracle client library reports them.
namespace servertype {
constexpr int kVarchar2 = 1;
constexpr int kNumber = 2;
constexpr int kLong = 8;
constexpr int kDate = 12;
constexpr int kRaw = 23;
constexpr int kLongRaw = 24;
constexpr int kRowid = 69;
constexpr int kChar = 96;
constexpr int kCursor = 102;
constexpr int kClob = 112;
constexpr int kBlob = 113;
constexpr int kBinaryFloat = 100;
constexpr int kBinaryDouble = 101;
constexpr int kBfile = 114;
constexpr int kTimestamp = 180;
constexpr int kTimestampTz = 181;
// INTERVAL YEAR(precision) TO MONTH; DAY(precision) TO SECOND(scale).
constexpr int kIntervalYm = 182;
constexpr int kIntervalDs = 183;
constexpr int kUrowid = 208;
constexpr int kTimestampLtz = 231;

// The bytes of a floating type's IEEE value: 4 for BINARY_FLOAT, 8 for
// BINARY_DOUBLE, 0 for every other type.
constexpr int FloatBytes(int serverType) {
    return serverType == kBinaryFloat ? 4 : serverType == kBinaryDouble ? 8 : 0;
}
}  // namespace servertype

// What a logon gives: where, who, and how. `privilege` is "" or one of
// SYSDBA, SYSOPER, SYSBACKUP, SYSDG, SYSKM; `external` logs on with the
// operating system's credentials (user and password unused); a
// `newPassword` replaces an expired password as part of the logon.
struct CEngineLogon {
    std::string database;
    std::string user;
    std::string password;
    std::string privilege;
    bool external = false;
    std::string newPassword;
};

// One column of a result, described as the Oracle client library reports it.
struct CEngineColumn {
    std::string name;
    int serverType = 1;
    long size = 0;
    short precision = 0;
    short scale = 0;
    bool nullable = true;
    // A length declared in characters (VARCHAR2(10 CHAR)): the characters;
    // 0 when it is in bytes. `size` is in bytes either way.
    long charLength = 0;
    // NCHAR or NVARCHAR2: text of the national character set.
    bool national = false;
    // A column of a schema's object or collection type: the type's name
    // (its values come as text, the type's constructor); "" otherwise.
    std::string typeName = {};
};

// One bind parameter, matched by name against ":NAME" in the statement. An
// engine writes a new value into `value`/`isNull` and sets `assigned` when a
// block assigns the parameter. `size`: the most bytes a character variable
// takes (a longer value assigned answers ORA-06502); 0 for no limit.
struct CEngineBind {
    std::string name;
    std::string value;
    bool isNull = true;
    int serverType = 1;
    bool assigned = false;
    long size = 0;
};

// The last failure of an engine call. `position` is -1 when the engine does
// not know where in the statement the failure lies; `code` is the server's
// error number (ORA-nnnnn) where one applies, else 0.
struct CEngineError {
    std::string message;
    int position = -1;
    int code = 0;
    // The failure ended the session: nothing more can be done on it.
    bool sessionLost = false;

    void Clear() {
        message.clear();
        position = -1;
        code = 0;
        sessionLost = false;
    }
    void Set(std::string text, int at = -1) {
        message = std::move(text);
        position = at;
    }
};
