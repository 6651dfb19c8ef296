#include "commands/CCommand.h"

namespace {
const std::string kNone;
}

const std::string& CCommandArgs::Arg(std::size_t n) const { return n < args.size() ? args[n] : kNone; }

const std::string& CCommandArgs::Typed(std::size_t n) const {
    return typed.size() == args.size() && n < typed.size() ? typed[n] : Arg(n);
}

const std::string& CCommandArgs::Joined(std::size_t n) const {
    return joined.size() == args.size() && n < joined.size() ? joined[n] : Arg(n);
}

const std::string& CCommandArgs::JoinedTyped(std::size_t n) const {
    return joinedTyped.size() == args.size() && n < joinedTyped.size() ? joinedTyped[n] : Typed(n);
}
