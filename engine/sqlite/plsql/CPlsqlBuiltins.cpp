#include "engine/sqlite/plsql/CPlsqlBuiltins.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string_view>
#include <thread>

#include "engine/sqlite/CTableStatistics.h"
#include "engine/sqlite/plsql/CPlsqlErrors.h"
#include "engine/sqlite/values/CRandomFunctions.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Id = CPlsqlBuiltins::Id;

constexpr CPlsqlBuiltins::Member kMembers[] = {
    {"DBMS_UTILITY", "GET_TIME", Id::GetTime, 0, 0, false, false},
    {"DBMS_UTILITY", "FORMAT_ERROR_STACK", Id::ErrorStack, 0, 0, false, false},
    {"DBMS_UTILITY", "FORMAT_ERROR_BACKTRACE", Id::ErrorBacktrace, 0, 0, false, false},
    {"DBMS_RANDOM", "VALUE", Id::RandomValue, 0, 2, false, false},
    {"DBMS_RANDOM", "STRING", Id::RandomString, 2, 2, false, false},
    {"DBMS_RANDOM", "NORMAL", Id::RandomNormal, 0, 0, false, false},
    {"DBMS_RANDOM", "SEED", Id::RandomSeed, 1, 1, true, false},
    {"DBMS_RANDOM", "INITIALIZE", Id::RandomSeed, 1, 1, true, false},
    {"DBMS_LOCK", "SLEEP", Id::Sleep, 1, 1, true, false},
    {"DBMS_SESSION", "SLEEP", Id::Sleep, 1, 1, true, false},
    {"DBMS_LOB", "APPEND", Id::LobAppend, 2, 2, true, true},
    {"DBMS_LOB", "WRITEAPPEND", Id::LobWriteAppend, 3, 3, true, true},
    {"DBMS_LOB", "CREATETEMPORARY", Id::LobCreateTemporary, 2, 3, true, true},
    {"DBMS_LOB", "FREETEMPORARY", Id::LobFreeTemporary, 1, 1, true, true},
    {"UTL_RAW", "CAST_TO_RAW", Id::RawFromText, 1, 1, false, false},
    {"UTL_RAW", "CAST_TO_VARCHAR2", Id::RawToText, 1, 1, false, false},
    {"UTL_RAW", "LENGTH", Id::RawLength, 1, 1, false, false},
    {"DBMS_STATS", "GATHER_TABLE_STATS", Id::StatsGatherTable, 2, 17, true, false,
     "OWNNAME,TABNAME,PARTNAME,ESTIMATE_PERCENT,BLOCK_SAMPLE,METHOD_OPT,DEGREE,GRANULARITY,CASCADE,STATTAB,"
     "STATID,STATOWN,NO_INVALIDATE,STATTYPE,FORCE,CONTEXT,OPTIONS"},
    {"DBMS_STATS", "GATHER_SCHEMA_STATS", Id::StatsGatherSchema, 1, 17, true, false,
     "OWNNAME,ESTIMATE_PERCENT,BLOCK_SAMPLE,METHOD_OPT,DEGREE,GRANULARITY,CASCADE,STATTAB,STATID,OPTIONS,"
     "STATOWN,NO_INVALIDATE,GATHER_TEMP,GATHER_FIXED,STATTYPE,FORCE,OBJ_FILTER_LIST"},
    {"DBMS_STATS", "GATHER_DATABASE_STATS", Id::StatsGatherSchema, 0, 16, true, false,
     "ESTIMATE_PERCENT,BLOCK_SAMPLE,METHOD_OPT,DEGREE,GRANULARITY,CASCADE,STATTAB,STATID,OPTIONS,STATOWN,"
     "GATHER_SYS,NO_INVALIDATE,GATHER_TEMP,GATHER_FIXED,STATTYPE,OBJ_FILTER_LIST"},
    {"DBMS_STATS", "GATHER_INDEX_STATS", Id::NoOp, 2, 12, true, false,
     "OWNNAME,INDNAME,PARTNAME,ESTIMATE_PERCENT,STATTAB,STATID,STATOWN,DEGREE,GRANULARITY,NO_INVALIDATE,"
     "STATTYPE,FORCE"},
    {"DBMS_STATS", "DELETE_TABLE_STATS", Id::StatsDeleteTable, 2, 11, true, false,
     "OWNNAME,TABNAME,PARTNAME,STATTAB,STATID,CASCADE_PARTS,CASCADE_COLUMNS,CASCADE_INDEXES,STATOWN,"
     "NO_INVALIDATE,FORCE"},
    {"DBMS_STATS", "DELETE_SCHEMA_STATS", Id::StatsDeleteSchema, 1, 6, true, false,
     "OWNNAME,STATTAB,STATID,STATOWN,NO_INVALIDATE,FORCE"},
    {"DBMS_MVIEW", "REFRESH", Id::MviewRefresh, 1, 10, true, false,
     "LIST,METHOD,ROLLBACK_SEG,PUSH_DEFERRED_RPC,REFRESH_AFTER_ERRORS,PURGE_OPTION,PARALLELISM,HEAP_SIZE,"
     "ATOMIC_REFRESH,NESTED"},
    {"DBMS_SNAPSHOT", "REFRESH", Id::MviewRefresh, 1, 10, true, false,
     "LIST,METHOD,ROLLBACK_SEG,PUSH_DEFERRED_RPC,REFRESH_AFTER_ERRORS,PURGE_OPTION,PARALLELISM,HEAP_SIZE,"
     "ATOMIC_REFRESH,NESTED"},
    {"DBMS_APPLICATION_INFO", "SET_MODULE", Id::NoOp, 2, 2, true, false, "MODULE_NAME,ACTION_NAME"},
    {"DBMS_APPLICATION_INFO", "SET_ACTION", Id::NoOp, 1, 1, true, false, "ACTION_NAME"},
    {"DBMS_APPLICATION_INFO", "SET_CLIENT_INFO", Id::NoOp, 1, 1, true, false, "CLIENT_INFO"},
};

// DBMS_LOB's reading functions, which blocks answer as SQL answers them.
// The BOOLEAN parameters of the members that name theirs.
constexpr std::string_view kBooleanParameters[] = {
    "BLOCK_SAMPLE",    "CASCADE",         "NO_INVALIDATE",     "FORCE",
    "GATHER_TEMP",     "GATHER_FIXED",    "GATHER_SYS",        "CASCADE_PARTS",
    "CASCADE_COLUMNS", "CASCADE_INDEXES", "PUSH_DEFERRED_RPC", "REFRESH_AFTER_ERRORS",
    "ATOMIC_REFRESH",  "NESTED"};

// ... and of the members that do not: (member, argument's place).
constexpr std::pair<CPlsqlBuiltins::Id, std::size_t> kBooleanArguments[] = {
    {CPlsqlBuiltins::Id::LobCreateTemporary, 1}};

constexpr std::string_view kSqlMembers[] = {"DBMS_LOB.GETLENGTH", "DBMS_LOB.SUBSTR", "DBMS_LOB.INSTR"};

double Number(const CPlsqlValue& value) {
    if (value.GetKind() == CPlsqlValue::Kind::Number) return value.DecimalValue().Approximate();
    CNumberDecimal number;
    return CNumberDecimal::FromText(value.TextValue(), number) ? number.Approximate() : 0;
}

// A RAW as its text: two hexadecimal digits a byte, upper case.
std::string Hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char byte : bytes) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 15];
    }
    return out;
}

int Nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes of a RAW's text; false when it holds no hexadecimal number.
// Note: an odd count of digits reads as if a 0 led them, as HEXTORAW does.
bool Bytes(const std::string& hex, std::string& out) {
    std::string digits = hex.size() % 2 == 1 ? "0" + hex : hex;
    out.clear();
    for (std::size_t k = 0; k < digits.size(); k += 2) {
        int high = Nibble(digits[k]);
        int low = Nibble(digits[k + 1]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::string Text(const CPlsqlValue& value) {
    return value.GetKind() == CPlsqlValue::Kind::Number ? value.NumberText() : value.TextValue();
}

// The first `count` characters of CP932 `text` (a double-byte character is one).
bool Characters(const std::string& text, std::int64_t count, std::string& out) {
    std::size_t at = 0;
    for (std::int64_t k = 0; k < count; ++k) {
        if (at >= text.size()) return false;
        auto lead = static_cast<unsigned char>(text[at]);
        bool wide = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        at += wide && at + 1 < text.size() ? 2 : 1;
    }
    out = text.substr(0, at);
    return true;
}

CPlsqlValue Real(double value) {
    CNumberDecimal number;
    return CNumberDecimal::FromDouble(value, number) ? CPlsqlValue::Decimal(number) : CPlsqlValue();
}

// The collections of lines DBMS_OUTPUT.GET_LINES fills: an INDEX BY
// BINARY_INTEGER table and a VARRAY, both of VARCHAR2(32767).
struct LinesType {
    const char* name;
    CPlsqlType::CollectionKind kind;
};

constexpr LinesType kLinesTypes[] = {
    {"DBMS_OUTPUT.CHARARR", CPlsqlType::CollectionKind::Associative},
    {"DBMSOUTPUT_LINESARRAY", CPlsqlType::CollectionKind::Varray},
    {"SYS.DBMSOUTPUT_LINESARRAY", CPlsqlType::CollectionKind::Varray},
};

// The server's own VARRAYs in SYS, which scripts use as ready-made lists.
struct SysListType {
    const char* name;
    CPlsqlType::Base element;
    long length;  // of a VARCHAR2 element
};

constexpr SysListType kSysListTypes[] = {
    {"SYS.ODCINUMBERLIST", CPlsqlType::Base::Number, 0},
    {"SYS.ODCIVARCHAR2LIST", CPlsqlType::Base::Text, 4000},
    {"SYS.ODCIDATELIST", CPlsqlType::Base::Date, 0},
};

std::shared_ptr<CPlsqlType> SysList(const SysListType& list) {
    static constexpr const char* kElementNames[] = {"NUMBER", "VARCHAR2", "DATE"};
    auto element = std::make_shared<CPlsqlType>();
    element->base = list.element;
    element->length = list.length;
    element->name = kElementNames[&list - kSysListTypes];
    if (list.element == CPlsqlType::Base::Date) element->zone = 'N';
    auto type = std::make_shared<CPlsqlType>();
    type->base = CPlsqlType::Base::Collection;
    type->collection = CPlsqlType::CollectionKind::Varray;
    type->element = element;
    type->varrayLimit = 32767;
    type->name = list.name;
    return type;
}

}  // namespace

bool CPlsqlBuiltins::CallLobOrRaw(Id id, std::vector<CPlsqlValue>& args, CPlsqlValue& out, int& code) {
    std::string bytes;
    switch (id) {
        case Id::LobAppend:
        case Id::LobWriteAppend: {
            // Note: a LOB made by CREATETEMPORARY or EMPTY_CLOB() is empty,
            // which a variable holds as NULL: appending to it starts it.
            std::string added = Text(args.back());
            if (id == Id::LobWriteAppend) {
                std::int64_t amount = args[1].IsInteger() ? args[1].IntegerValue()
                                      : args[1].IsNull()  ? -1
                                                          : static_cast<std::int64_t>(Number(args[1]));
                if (amount < 1 || !Characters(added, amount, added)) return code = 21560, false;
            }
            args[0] = CPlsqlValue::Text(args[0].TextValue() + added);
            return true;
        }
        case Id::LobCreateTemporary:
            args[0] = CPlsqlValue::Text({});
            return true;
        case Id::LobFreeTemporary:
            args[0] = CPlsqlValue();
            return true;
        case Id::RawFromText:
            out = args[0].IsNull() ? CPlsqlValue() : CPlsqlValue::Text(Hex(Text(args[0])));
            return true;
        case Id::RawToText:
        case Id::RawLength:
            if (args[0].IsNull()) return out = CPlsqlValue(), true;
            if (!Bytes(Text(args[0]), bytes)) return code = 1465, false;
            out = id == Id::RawLength ? CPlsqlValue::Integer(static_cast<std::int64_t>(bytes.size()))
                                      : CPlsqlValue::Text(bytes);
            return true;
        default:
            return true;
    }
}

// DBMS_STATS: the statistics of the user's tables, as ANALYZE keeps them;
// the owner named is the file's one user whatever its name.
bool CPlsqlBuiltins::CallStatistics(Id id, std::vector<CPlsqlValue>& args, Context& context, int& code) {
    CEngineError error;
    std::string table;
    if (id == Id::StatsGatherTable || id == Id::StatsDeleteTable) {
        table = args[1].IsNull() ? std::string() : Text(args[1]);
        table = table.size() >= 2 && table.front() == '"' ? table.substr(1, table.size() - 2)
                                                          : cp932::ToUpperAscii(table);
    }
    bool ok = true;
    switch (id) {
        case Id::StatsGatherTable:
            ok = CTableStatistics::Gather(context.db, encoding::Cp932ToUtf8(table), error);
            break;
        case Id::StatsGatherSchema:
            ok = CTableStatistics::GatherAll(context.db, error);
            break;
        case Id::StatsDeleteTable:
            ok = CTableStatistics::Delete(context.db, encoding::Cp932ToUtf8(table), error);
            break;
        case Id::StatsDeleteSchema:
            ok = CTableStatistics::DeleteAll(context.db, error);
            break;
        case Id::MviewRefresh:
            // Note: every refresh is complete; the method asked for ('C',
            // 'F', '?') gives the same rows.
            ok = !args[0].IsNull() && context.refresh && context.refresh(Text(args[0]), error);
            if (!ok && error.code != 0) {
                code = error.code;
                context.message = error.message;
                return false;
            }
            break;
        default:
            return true;
    }
    if (ok) return true;
    code = 20000;
    context.message = error.code == 942 ? CPlsqlErrors::Text(20000, table) : error.message;
    return false;
}

std::shared_ptr<CPlsqlType> CPlsqlBuiltins::Type(const std::string& name) {
    for (const SysListType& list : kSysListTypes)
        if (name == list.name) return SysList(list);
    for (const LinesType& lines : kLinesTypes) {
        if (name != lines.name) continue;
        auto line = std::make_shared<CPlsqlType>();
        line->base = CPlsqlType::Base::Text;
        line->length = 32767;
        line->name = "VARCHAR2";
        auto type = std::make_shared<CPlsqlType>();
        type->base = CPlsqlType::Base::Collection;
        type->collection = lines.kind;
        type->element = line;
        type->varrayLimit = 2147483647;
        type->name = name;
        return type;
    }
    return nullptr;
}

const CPlsqlBuiltins::Member* CPlsqlBuiltins::Find(const std::string& package, const std::string& name,
                                                   bool& known) {
    known = false;
    for (std::string_view sql : kSqlMembers)
        if (sql == package + "." + name) return nullptr;
    for (const Member& member : kMembers) {
        if (package != member.package) continue;
        known = true;
        if (name == member.name) return &member;
    }
    return nullptr;
}

const CPlsqlValue* CPlsqlBuiltins::Constant(const std::string& package, const std::string& name) {
    struct Named {
        const char* package;
        const char* name;
        std::int64_t value;
    };
    static constexpr Named kConstants[] = {
        {"DBMS_LOB", "SESSION", 10},
        {"DBMS_LOB", "CALL", 12},
        {"DBMS_LOB", "LOB_READONLY", 0},
        {"DBMS_LOB", "LOB_READWRITE", 1},
        {"DBMS_STATS", "AUTO_SAMPLE_SIZE", 0},
        {"DBMS_STATS", "AUTO_DEGREE", 32768},
        {"DBMS_STATS", "DEFAULT_DEGREE", 32767},
    };
    static const std::vector<CPlsqlValue> kValues = [] {
        std::vector<CPlsqlValue> values;
        for (const Named& named : kConstants) values.push_back(CPlsqlValue::Integer(named.value));
        return values;
    }();
    for (std::size_t k = 0; k < std::size(kConstants); ++k)
        if (package == kConstants[k].package && name == kConstants[k].name) return &kValues[k];
    return nullptr;
}

bool CPlsqlBuiltins::TakesBoolean(const Member* member, std::size_t index) {
    if (member == nullptr) return false;
    for (const auto& [id, place] : kBooleanArguments)
        if (member->id == id && place == index) return true;
    if (member->params == nullptr) return false;
    std::string_view params = member->params;
    for (std::size_t k = 0, from = 0; from <= params.size(); ++k) {
        std::size_t comma = std::min(params.find(',', from), params.size());
        if (k == index)
            return std::find(std::begin(kBooleanParameters), std::end(kBooleanParameters),
                             params.substr(from, comma - from)) != std::end(kBooleanParameters);
        from = comma + 1;
    }
    return false;
}

const CPlsqlBuiltins::Member& CPlsqlBuiltins::Of(Id id) {
    for (const Member& member : kMembers)
        if (member.id == id) return member;
    return kMembers[0];
}

bool CPlsqlBuiltins::Call(Id id, std::vector<CPlsqlValue>& args, Context& context, CPlsqlValue& out,
                          int& code) {
    if (id >= Id::StatsGatherTable) return CallStatistics(id, args, context, code);
    if (id >= Id::LobAppend) return CallLobOrRaw(id, args, out, code);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    switch (id) {
        case Id::GetTime: {
            auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count() /
                         10;
            out = CPlsqlValue::Integer(ticks % 2147483647LL);
            return true;
        }
        case Id::ErrorStack:
            out = CPlsqlValue::Text(context.errorStack);
            return true;
        case Id::ErrorBacktrace:
            out = CPlsqlValue::Text(context.backtrace);
            return true;
        case Id::RandomValue: {
            double value = unit(*context.random);
            if (args.size() == 2) {
                double low = Number(args[0]);
                value = low + value * (Number(args[1]) - low);
            }
            out = Real(value);
            return true;
        }
        case Id::RandomNormal: {
            std::normal_distribution<double> normal(0.0, 1.0);
            out = Real(normal(*context.random));
            return true;
        }
        case Id::RandomString: {
            std::string_view characters =
                CRandomFunctions::Alphabet(args[0].IsNull() ? 'U' : args[0].TextValue()[0]);
            double length = std::min(Number(args[1]), 4000.0);
            std::string text;
            for (long k = 0; k < static_cast<long>(length); ++k)
                text += characters[static_cast<std::size_t>(unit(*context.random) * characters.size()) %
                                   characters.size()];
            out = CPlsqlValue::Text(text);
            return true;
        }
        case Id::RandomSeed: {
            std::string start =
                args[0].GetKind() == CPlsqlValue::Kind::Number ? args[0].NumberText() : args[0].TextValue();
            context.random->seed(std::hash<std::string>{}(start));
            return true;
        }
        case Id::Sleep: {
            auto until = std::chrono::steady_clock::now() +
                         std::chrono::milliseconds(static_cast<long long>(Number(args[0]) * 1000));
            // Note: a sleep is cut short by the cancel of the user.
            while (std::chrono::steady_clock::now() < until) {
                if (context.cancelled()) {
                    code = 1013;
                    return false;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            return true;
        }
        default:
            return true;
    }
}
