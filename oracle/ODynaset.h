#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "oracle/OTypes.h"

class ODatabase;

// The result set of one query, read row by row as the engine delivers its
// rows in batches, so that a large result never stays whole in memory.
// Opening runs the query; a failure is reported by the database
// (GetErrorText, ServerErrorSQLPos). With ODYNASET_DESCRIBE_ONLY the
// columns are described and no row is read.
class ODynaset {
public:
    ODynaset();
    ~ODynaset();
    ODynaset(const ODynaset&) = delete;
    ODynaset& operator=(const ODynaset&) = delete;

    oresult Open(ODatabase& database, const char* sql, long options = 0, const void* snapshot = nullptr);
    // Opens the rows of the REFCURSOR parameter `name` that a block opened;
    // they can be read once.
    oresult OpenCursorVariable(ODatabase& database, const char* name);
    // Opens the rows of the cursor expression in column `column` of the
    // current row of `parent`; fails when that cell holds none.
    oresult OpenNested(ODatabase& database, const ODynaset& parent, int column);
    bool IsOpen() const;
    void Close();

    int GetFieldCount() const;
    // Column descriptions, by index from 0; out-of-range indexes give
    // "" / 0 / false.
    const char* GetFieldName(int index) const;
    short GetFieldServerType(int index) const;
    long GetFieldSize(int index) const;
    // The name of a column's object or collection type; "" for another type.
    const char* GetFieldTypeName(int index) const;
    // The length in characters of a column declared so; 0 for bytes.
    long GetFieldCharLength(int index) const;
    short GetFieldPrecision(int index) const;
    short GetFieldScale(int index) const;
    bool IsFieldNullOK(int index) const;
    // NCHAR or NVARCHAR2 (the national character set).
    bool IsFieldNational(int index) const;

    // Copies the current row's value of column `index` as terminated text
    // into `buffer` (at most maxLength - 1 bytes, never splitting a
    // double-byte character); NULL gives "". Fails (writing "") when there
    // is no current row or no such column.
    oresult GetFieldValue(int index, char* buffer, unsigned short maxLength) const;

    bool IsEOF() const;
    // Fails at the end, or when reading the next batch fails (then
    // FetchFailed and the database holds the error).
    oresult MoveNext(bool gotoFirst = true);
    // Rows delivered by the engine so far (the current batch included); the
    // whole count once IsEOF.
    long GetRecordCount() const;
    // True when reading rows after the open failed.
    bool FetchFailed() const;
    // Characters of the rows read so far that CP932 lacks, shown as the
    // geta mark.
    std::size_t GetReplacedCount() const;

private:
    struct Impl;
    oresult Start(ODatabase& database, std::unique_ptr<class CEngineCursor> cursor, bool describeOnly);
    std::unique_ptr<Impl> m_impl;
};
