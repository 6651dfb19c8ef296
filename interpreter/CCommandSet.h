#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "commands/CCommand.h"

// The command objects of one console, one of each class, made when first
// asked for.
class CCommandSet {
public:
    template <class T>
    T& Get() {
        // Note: each class gets a slot number once, so that finding its object
        // (several times for every statement) is an index, not a hash of the
        // type's name.
        static const std::size_t slot = NextSlot();
        if (slot >= m_commands.size()) m_commands.resize(slot + 1);
        std::unique_ptr<CCommand>& object = m_commands[slot];
        if (!object) object = std::make_unique<T>();
        return static_cast<T&>(*object);
    }

private:
    std::vector<std::unique_ptr<CCommand>> m_commands;

    // A number not handed out before.
    static std::size_t NextSlot();
};

// The command object of class T in `commands`, as a row of the command
// table names it.
template <class T>
CCommand& CommandOf(CCommandSet& commands) {
    return commands.Get<T>();
}
