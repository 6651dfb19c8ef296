#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/CEngineCursor.h"
#include "engine/oci/COciStatement.h"

// A query run on the server and read by array fetches: the select list is
// described once, each column is defined as its type allows (text for what
// converts to text, bytes for LOBs and LONG RAW shown as hex, statement
// handles for cursor expressions, nothing for types only shown by name), and
// memory stays that of one fetch whatever the result. The rows per fetch
// grow with the result unless the session fixes them.
class COciCursor : public CEngineCursor {
public:
    // Rows of the first fetch, and of the prefetch that comes with the
    // execution.
    static constexpr oci::ub4 kFirstRows = 100;
    static constexpr oci::ub4 kMostRows = 50000;
    // Rows a fetch when a column holds cursor expressions (a statement
    // handle a row).
    static constexpr oci::ub4 kCursorRows = 100;
    // Bytes one fetch's buffers may take; wide rows get fewer rows a fetch.
    static constexpr std::size_t kFetchBudget = std::size_t{16} << 20;
    // The most bytes of a LOB read for showing.
    static constexpr std::size_t kLobRoom = 32767;
    // The most rows of a cursor expression's value read for showing.
    static constexpr std::size_t kNestedRows = 1000;

    COciCursor(std::unique_ptr<COciStatement> statement, bool describeOnly);
    ~COciCursor() override;
    COciCursor(const COciCursor&) = delete;
    COciCursor& operator=(const COciCursor&) = delete;
    // Describes the executed statement; false (error set) when it cannot.
    bool Describe();

    const std::vector<CEngineColumn>& Columns() const override { return m_columns; }
    bool Fetch(std::size_t maxRows, CEngineResult& batch) override;
    const CEngineError& LastError() const override { return m_statement->Error(); }
    std::size_t ReplacedCharacters() const override { return m_replaced; }
    // Rows the next fetch asks for.
    oci::ub4 ArraySize() const { return m_arraySize; }

    // The console's server type code for a described external type.
    static int ServerType(oci::ub2 dataType);

private:
    enum class Kind { Text, Hex, Boolean, Cursor, Named, Clob, Blob, File };
    struct Column {
        Kind kind = Kind::Text;
        oci::ub2 defineType = 0;
        std::size_t width = 0;
        std::string placeholder;
        std::vector<char> buffer;
        std::vector<oci::sb2> indicators;
        std::vector<oci::ub2> lengths;
        std::vector<oci::OCIStmt*> cursors;
        std::vector<oci::OCILobLocator*> locators;
    };

    bool Define();
    bool FetchArray();
    bool AddValue(std::size_t column, std::size_t row, CEngineResult& batch);
    // A LOB's value through its locator, read in pieces up to the session's
    // SET LONG (kLobRoom when it sets none)
    // bytes (CLOB as text, BLOB as hex, BFILE as its directory and name).
    bool ReadLob(const Column& column, oci::OCILobLocator* locator, std::string& value);
    bool AllocateLocators(Column& column);
    // The rows of a cursor expression's value.
    bool ReadNested(oci::OCIStmt* handle, CEngineResult& nested);
    void FreeCursorHandles();
    std::size_t RowWidth() const;
    // The most rows a fetch may ask for these columns.
    oci::ub4 MostRows() const;

    std::unique_ptr<COciStatement> m_statement;
    bool m_describeOnly;
    std::vector<CEngineColumn> m_columns;
    std::vector<Column> m_buffers;
    oci::ub4 m_arraySize = kFirstRows;
    oci::ub4 m_definedRows = 0;
    std::size_t m_rowsInBuffer = 0;
    std::size_t m_nextRow = 0;
    bool m_finished = false;
    std::size_t m_replaced = 0;
};
