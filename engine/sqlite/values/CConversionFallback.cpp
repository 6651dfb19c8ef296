#include "engine/sqlite/values/CConversionFallback.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>

#include "engine/sqlite/SqliteApi.h"

namespace {

// The errors of a value the conversion cannot read.
constexpr int kConversionErrors[] = {
    1722,  // invalid number
    1830,  // the model ends before the text does
    1839,  // no such day of that month
    1840,  // the text is too short for the model
    1841,  // year out of range
    1843,  // no such month
    1846,  // no such day of the week
    1847,  // day out of the month's range
    1849,  // hour out of 1 to 12
    1850,  // hour out of 0 to 23
    1851,  // minute out of range
    1852,  // second out of range
    1855,  // AM/PM expected
    1856,  // BC/AD expected
    1857,  // no such time zone
    1858,  // a letter where a digit belongs
    1861,  // the text does not match the model
    1867,  // no interval
    1874,  // time zone hour out of range
    1875,  // time zone minute out of range
    1878,  // a time a change of clocks skips
    1882,  // no such time zone region
};

void Discard(void* statement) { sqlite3_finalize(static_cast<sqlite3_stmt*>(statement)); }

// The code of a message the engine's functions raise ("ORA-nnnnn: ..."), 0
// for any other.
int CodeOf(const std::string& message) {
    if (message.size() < 9 || message.compare(0, 4, "ORA-") != 0) return 0;
    return std::atoi(message.c_str() + 4);
}

// The conversion's query, kept with the calling statement between rows.
class Conversion {
public:
    explicit Conversion(sqlite3_context* context) : m_context(context) {
        m_statement = static_cast<sqlite3_stmt*>(sqlite3_get_auxdata(context, 0));
    }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;
    ~Conversion() {
        if (m_statement == nullptr) return;
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        // Note: SQLite may finalise it at once; it is not used after this.
        if (m_prepared) sqlite3_set_auxdata(m_context, 0, m_statement, Discard);
    }

    // False, with the error raised, when the query cannot be prepared.
    bool Prepare(sqlite3_value* text) {
        if (m_statement != nullptr) return true;
        sqlite3* db = sqlite3_context_db_handle(m_context);
        const char* sql = reinterpret_cast<const char*>(sqlite3_value_text(text));
        if (sql == nullptr || sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
            Raise(sqlite3_errmsg(db), SQLITE_ERROR);
            return false;
        }
        m_prepared = true;
        return true;
    }

    // Converts `value` with the other operands `operands[1..count)`: true
    // when it gives a value (read by Result), else false with the error in
    // Message and Code.
    bool Convert(sqlite3_value* value, int count, sqlite3_value** operands) {
        sqlite3_reset(m_statement);
        const int parameters = sqlite3_bind_parameter_count(m_statement);
        if (parameters >= 1) sqlite3_bind_value(m_statement, 1, value);
        for (int k = 1; k < count && k < parameters; ++k) sqlite3_bind_value(m_statement, k + 1, operands[k]);
        m_code = sqlite3_step(m_statement);
        if (m_code == SQLITE_ROW) return true;
        m_message = sqlite3_errmsg(sqlite3_context_db_handle(m_context));
        if (m_code == SQLITE_DONE) m_code = SQLITE_ERROR;
        return false;
    }
    void Result() const { sqlite3_result_value(m_context, sqlite3_column_value(m_statement, 0)); }
    bool FailedToConvert() const { return CConversionFallback::IsConversionError(CodeOf(m_message)); }
    // The error of the last conversion raised as the caller's.
    void RaiseError() const { Raise(m_message.c_str(), m_code); }

private:
    void Raise(const char* message, int code) const {
        sqlite3_result_error(m_context, message, -1);
        if (code != SQLITE_ERROR) sqlite3_result_error_code(m_context, code);
    }

    sqlite3_context* m_context;
    sqlite3_stmt* m_statement = nullptr;
    bool m_prepared = false;
    int m_code = SQLITE_OK;
    std::string m_message;
};

// ORA_CONVERT_OR(conversion, fallback, p1 [, p2 [, p3]])
void ConvertOr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    Conversion conversion(context);
    if (argc < 3 || !conversion.Prepare(argv[0])) return;
    if (conversion.Convert(argv[2], argc - 2, argv + 2)) return conversion.Result();
    if (!conversion.FailedToConvert()) return conversion.RaiseError();
    if (conversion.Convert(argv[1], argc - 2, argv + 2)) return conversion.Result();
    conversion.RaiseError();
}

// ORA_CONVERTS(conversion, p1 [, p2 [, p3]])
void Converts(sqlite3_context* context, int argc, sqlite3_value** argv) {
    Conversion conversion(context);
    if (argc < 2 || !conversion.Prepare(argv[0])) return;
    if (conversion.Convert(argv[1], argc - 1, argv + 1)) return sqlite3_result_int(context, 1);
    if (!conversion.FailedToConvert()) return conversion.RaiseError();
    sqlite3_result_int(context, 0);
}

}  // namespace

bool CConversionFallback::IsConversionError(int code) {
    return std::find(std::begin(kConversionErrors), std::end(kConversionErrors), code) !=
           std::end(kConversionErrors);
}

bool CConversionFallback::Register(sqlite3* db) {
    static constexpr sqliteapi::FunctionRule kRules[] = {
        {"ORA_CONVERT_OR", -1, ConvertOr},
        {"ORA_CONVERTS", -1, Converts},
    };
    return sqliteapi::RegisterFunctions(db, kRules, nullptr);
}
