#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The static type of a value in the tree.
enum class CSqlType { Unknown, Number, Text, Char, Date };

// What the server holds about the tables and views of one database file:
// their columns with declared types (read from the file's schema, so that a
// file written before this catalog existed opens as it is), and the names of
// their unique constraints. Cached until the schema changes.
class CSqliteCatalog {
public:
    struct Column {
        std::string name;  // as kept: upper case unless quoted
        CSqlType type = CSqlType::Unknown;
        // NUMBER(p, s): precision 0 when none is declared; kNoScale for none.
        static constexpr int kNoScale = -1000;
        int precision = 0;
        int scale = kNoScale;
        bool integer = false;
        // TIMESTAMP(n): the digits of a second kept; -1 for a DATE.
        int fraction = -1;
        // TIMESTAMP ... WITH TIME ZONE (kZoned) or WITH LOCAL TIME ZONE (kLocalZone).
        static constexpr int kZoned = 1;
        static constexpr int kLocalZone = 2;
        int zone = 0;
        // VARCHAR2(n) / CHAR(n): the length; 0 when none.
        long length = 0;
        bool charSemantics = false;
        bool primaryKey = false;
        // GENERATED ... AS IDENTITY: "ALWAYS", "DEFAULT" or "ON NULL".
        std::string identity;
        // The DEFAULT expression as the table SQLite keeps holds it
        // (compiled, CP932); empty for none.
        std::string defaultValue;
        bool defaultOnNull = false;  // DEFAULT ON NULL: a NULL given is stored as the default
        bool hidden = false;         // INVISIBLE: out of SELECT * and of INSERT without a list
        bool virtualColumn = false;  // computed from its expression, never given a value
        bool notNull = false;        // NOT NULL as the table keeps it
        // A nested table or VARRAY column: its type's name (upper case); it
        // holds the collection's JSON document.
        std::string collection;
        // A column of an object type: its name (upper case); it holds the
        // object's attributes as a JSON array, NULL for a null object.
        std::string objectType;
        // A column of a type that does not compile now: its name; the
        // column is not read until the type is sound again.
        std::string brokenType;
        // BLOB, RAW, LONG RAW: bytes, kept as their hex digits.
        bool binary = false;
        // INTERVAL YEAR TO MONTH or DAY TO SECOND; its leading precision in
        // `precision`, its digits of a second in `scale`.
        bool interval = false;
        bool yearToMonth = false;
        // BINARY_FLOAT (4) or BINARY_DOUBLE (8): IEEE values; 0 for others.
        int floatWidth = 0;
    };
    // An object type as SQL reads it: its attributes in order, each with its
    // declared type ("VARCHAR2(40)") or, for one of a schema type, that
    // type's name and kind; its methods.
    struct ObjectShape {
        struct Attribute {
            std::string name;
            std::string declared;
            std::string schemaType;  // "" for a scalar
            bool object = false;     // schemaType is an object type (else a collection)
        };
        struct Method {
            std::string name;
            std::string kind;  // MEMBER, STATIC, CONSTRUCTOR, MAP, ORDER
            bool function = false;
            int parameters = 0;  // SELF included
        };
        std::vector<Attribute> attributes;
        std::vector<Method> methods;
        bool final = true;
        // The MAP or ORDER method's name; "" when the type has neither.
        std::string Ordering(bool& map) const;
    };

    explicit CSqliteCatalog(sqlite3* db) : m_db(db) {}
    ~CSqliteCatalog();
    CSqliteCatalog(const CSqliteCatalog&) = delete;
    CSqliteCatalog& operator=(const CSqliteCatalog&) = delete;

    // Columns of the table or view named exactly `name` (CP932, as the server
    // keeps it: upper case unless it was quoted; the columns' names so too);
    // nullptr when there is none.
    const std::vector<Column>* Columns(std::string_view name);
    // True when `name` (upper case, CP932) is a function added to the
    // connection beyond the engine's own: a stored PL/SQL function.
    bool HasFunction(std::string_view name);
    // The functions the query being compiled declares in its WITH clause
    // (name, declared type of the result), called through TARVEX_WITH_CALL
    // with `id`; they hide stored functions of their names. Cleared with
    // an empty map.
    void DeclareFunctions(unsigned long id, std::map<std::string, std::string> results);
    // True with the query's `id` when `name` is one of those.
    bool DeclaredFunction(std::string_view name, unsigned long& id) const;
    bool HasPackage(std::string_view name);
    // True when `name` (upper case, CP932) is a type of the schema (CREATE TYPE).
    bool HasType(std::string_view name);
    // The columns (name, declared type) of TABLE() over the schema's
    // collection type `name`, or over the result of the stored function
    // `name`; false when it is no collection. `object`: elements are objects.
    // A package's overloaded function is the one of `arguments` arguments
    // when one has as many (-1: the first declared).
    bool CollectionColumns(std::string_view name, bool function,
                           std::vector<std::pair<std::string, std::string>>& columns, bool& object,
                           int arguments = -1);
    // The element type of the schema's collection type `name` when its
    // elements are objects (upper case, CP932); "" otherwise.
    std::string CollectionElement(std::string_view name);
    // The object type `name` (upper case, CP932); false when it is none.
    bool ObjectType(std::string_view name, ObjectShape& shape);
    // The declared type of the result of the member function `method` of
    // the object type `type` taking `arguments` besides SELF; "" when unknown.
    std::string MemberResult(std::string_view type, std::string_view method, int arguments);
    // True when the view `view` (upper case, CP932) has an enabled INSTEAD
    // OF trigger for `event` (INSERT, UPDATE or DELETE): that DML on it runs
    // the trigger in its place.
    bool HasInsteadOf(std::string_view view, std::string_view event);
    // The declared type of a stored function's result ("NUMBER", ...); empty
    // when unknown.
    std::string FunctionResult(std::string_view name, int arguments = -1);
    // The schema type (object or collection, upper case) of a stored
    // function's result; empty for any other result.
    std::string FunctionResultType(std::string_view name, int arguments = -1);
    // The name (CP932) of the table, view or index the file holds whose name
    // differs from `name` (CP932, as kept) only in the case of its ASCII
    // letters, when none is named exactly `name`; "" otherwise. SQLite finds
    // such an object by `name`, though the server's names are exact.
    std::string OtherCase(std::string_view name);
    // ALTER TABLE ... READ ONLY holds for `table` (upper case, CP932).
    bool IsReadOnly(std::string_view table);
    // A unique index of `table` made UNUSABLE (upper case, CP932); "" when none.
    std::string UnusableUniqueIndex(std::string_view table);
    // Drops what was read when the file's schema changed since.
    void Refresh();
    // Drops what was read: this connection changed the schema.
    void Invalidate();
    // Changes whenever what was read is dropped.
    std::uint64_t Generation() const { return m_generation; }
    // The name of the unique index (made by CREATE UNIQUE INDEX) of `table`
    // over `columns` ("T.A, T.B" as SQLite reports them, UTF-8); "" when unknown.
    std::string UniqueName(std::string_view failed);
    // The keys of the table `name` (CP932, as kept): the columns (as kept,
    // CP932) of its primary key and of each unique index on columns.
    std::vector<std::vector<std::string>> UniqueKeys(std::string_view name);

    // The query text (CP932) and options of the view `name` (upper case,
    // CP932); false when `name` is no view the catalog records. Read once
    // per name (a view or not) until the schema changes.
    bool View(std::string_view name, std::string& text, bool& readOnly, bool& checkOption);

    // The key columns and the partitions of the partitioned table `name`
    // (upper case, CP932), in order; false when it is not partitioned.
    bool Partitioning(std::string_view name, std::vector<std::string>& keys,
                      std::vector<std::string>& partitions);

    static Column Describe(std::string name, std::string_view declared);
    // The sequence that numbers an identity column (CP932).
    static std::string IdentitySequence(std::string_view table, std::string_view column);

private:
    // What DML on a table must know beyond its columns.
    struct Writable {
        bool readOnly = false;
        std::string unusableIndex;
    };
    const Writable& WritableState(std::string_view table);
    // A view's query text and options as View gives them; `known` false
    // for a name that is no view.
    struct ViewRecord {
        bool known = false;
        std::string text;
        bool readOnly = false;
        bool checkOption = false;
    };
    // Drops every answer read from the file.
    void Forget();
    bool HasUnit(std::string_view name, const char* type);
    sqlite3* m_db;
    unsigned long m_declaredId = 0;
    std::map<std::string, std::string, std::less<>> m_declared;
    sqlite3_stmt* m_version = nullptr;
    long long m_schemaVersion = -1;
    bool m_checked = false;
    std::uint64_t m_generation = 0;
    std::map<std::string, std::vector<Column>> m_columns;
    std::map<std::string, Writable> m_writable;
    std::map<std::string, ViewRecord, std::less<>> m_views;
};
