#include "interpreter/CCommandSet.h"

#include <atomic>

std::size_t CCommandSet::NextSlot() {
    static std::atomic<std::size_t> next{0};
    return next++;
}
