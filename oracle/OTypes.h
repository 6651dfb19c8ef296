#pragma once

// Status of every client-library call: 0 for success, nonzero for failure.
using oresult = int;
constexpr oresult OSUCCESS = 0;
constexpr oresult OFAILURE = 1;

// The error position reported when the engine knows none: past the end of
// any statement, so that an error report shows only the message lines.
constexpr int OERROR_POSITION_UNKNOWN = 0x3FFFFFFF;

// Server type codes.
enum OServerType : int {
    OTYPE_VARCHAR2 = 1,
    OTYPE_NUMBER = 2,
    OTYPE_LONG = 8,
    OTYPE_DATE = 12,
    OTYPE_RAW = 23,
    OTYPE_LONG_RAW = 24,
    OTYPE_ROWID = 69,
    OTYPE_CHAR = 96,
    OTYPE_BINARY_FLOAT = 100,
    OTYPE_BINARY_DOUBLE = 101,
    OTYPE_CURSOR = 102,
    OTYPE_CLOB = 112,
    OTYPE_BLOB = 113,
    OTYPE_BFILE = 114,
    // The scale is the digits of a second kept.
    OTYPE_TIMESTAMP = 180,
    OTYPE_TIMESTAMP_TZ = 181,
    // The precision is the leading field's digits, the scale a second's.
    OTYPE_INTERVAL_YM = 182,
    OTYPE_INTERVAL_DS = 183,
    OTYPE_UROWID = 208,
    OTYPE_TIMESTAMP_LTZ = 231,
};

// Parameter directions.
constexpr int OPARAMETER_INVAR = 1;
constexpr int OPARAMETER_OUTVAR = 2;
constexpr int OPARAMETER_INOUTVAR = 3;

// ODynaset::Open option: describe the columns, read no row.
constexpr long ODYNASET_DESCRIBE_ONLY = 0x10000;
