#include "engine/sqlite/plsql/CPlsqlBuiltins.h"

#include <chrono>
#include <cmath>
#include <string_view>
#include <thread>

namespace {

using Id = CPlsqlBuiltins::Id;

constexpr CPlsqlBuiltins::Member kMembers[] = {
    {"DBMS_UTILITY", "GET_TIME", Id::GetTime, 0, 0, false},
    {"DBMS_UTILITY", "FORMAT_ERROR_STACK", Id::ErrorStack, 0, 0, false},
    {"DBMS_UTILITY", "FORMAT_ERROR_BACKTRACE", Id::ErrorBacktrace, 0, 0, false},
    {"DBMS_RANDOM", "VALUE", Id::RandomValue, 0, 2, false},
    {"DBMS_RANDOM", "STRING", Id::RandomString, 2, 2, false},
    {"DBMS_RANDOM", "NORMAL", Id::RandomNormal, 0, 0, false},
    {"DBMS_RANDOM", "SEED", Id::RandomSeed, 1, 1, true},
    {"DBMS_RANDOM", "INITIALIZE", Id::RandomSeed, 1, 1, true},
    {"DBMS_LOCK", "SLEEP", Id::Sleep, 1, 1, true},
    {"DBMS_SESSION", "SLEEP", Id::Sleep, 1, 1, true},
};

// The characters of DBMS_RANDOM.STRING by its option.
struct Alphabet {
    char option;
    std::string_view characters;
};

constexpr Alphabet kAlphabets[] = {
    {'U', "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
    {'L', "abcdefghijklmnopqrstuvwxyz"},
    {'A', "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"},
    {'X', "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"},
    {'P',
     " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"},
};

double Number(const CPlsqlValue& value) {
    if (value.GetKind() == CPlsqlValue::Kind::Number) return value.DecimalValue().Approximate();
    CNumberDecimal number;
    return CNumberDecimal::FromText(value.TextValue(), number) ? number.Approximate() : 0;
}

CPlsqlValue Real(double value) {
    CNumberDecimal number;
    return CNumberDecimal::FromDouble(value, number) ? CPlsqlValue::Decimal(number) : CPlsqlValue();
}

}  // namespace

const CPlsqlBuiltins::Member* CPlsqlBuiltins::Find(const std::string& package, const std::string& name,
                                                   bool& known) {
    known = false;
    for (const Member& member : kMembers) {
        if (package != member.package) continue;
        known = true;
        if (name == member.name) return &member;
    }
    return nullptr;
}

bool CPlsqlBuiltins::Call(Id id, const std::vector<CPlsqlValue>& args, Context& context, CPlsqlValue& out,
                          int& code) {
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
            char option = args[0].IsNull() ? 'U' : static_cast<char>(std::toupper(args[0].TextValue()[0]));
            std::string_view characters = kAlphabets[0].characters;
            for (const Alphabet& alphabet : kAlphabets)
                if (alphabet.option == option) characters = alphabet.characters;
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
    }
    return true;
}
