#pragma once

#include <memory>
#include <typeindex>
#include <unordered_map>

#include "commands/CCommand.h"

// The command objects of one console, one of each class, made when first
// asked for.
class CCommandSet {
public:
    template <class T>
    T& Get() {
        std::unique_ptr<CCommand>& slot = m_commands[std::type_index(typeid(T))];
        if (!slot) slot = std::make_unique<T>();
        return static_cast<T&>(*slot);
    }

private:
    std::unordered_map<std::type_index, std::unique_ptr<CCommand>> m_commands;
};

// The command object of class T in `commands`, as a row of the command
// table names it.
template <class T>
CCommand& CommandOf(CCommandSet& commands) {
    return commands.Get<T>();
}
