// Round trips to the "server": counted, delayed, broken and cut off as the
// test knobs say.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "FakeOci.h"

using namespace fakeoci;

namespace {

std::atomic<unsigned long> g_roundTrips{0};
std::atomic<long> g_delayMs{-1};
std::atomic<unsigned long> g_killedAt{0};
std::atomic<unsigned long> g_cacheHits{0};

// Sleeps `ms` in short steps; false when a break arrives meanwhile.
bool Wait(SvcCtx& context, long ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        if (context.broken) return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(1), until - std::chrono::steady_clock::now()));
    }
    return !context.broken;
}

}  // namespace

namespace fakeoci {

void NoteCacheHit() { ++g_cacheHits; }

long Knob(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atol(value) : 0;
}

std::string KnobText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

sword RoundTrip(SvcCtx& context, Error& error) {
    if (context.dead) {
        if (context.deathReported) {
            error.Set(3114, "ORA-03114: not connected to ORACLE");
        } else {
            context.deathReported = true;
            error.Set(3113, "ORA-03113: end-of-file on communication channel");
        }
        return kError;
    }
    const unsigned long trip = ++g_roundTrips;
    const long dieAfter = Knob("TARVEX_FAKEOCI_DIE_AFTER");
    const unsigned long killedAt = g_killedAt;
    if ((dieAfter > 0 && trip > static_cast<unsigned long>(dieAfter)) || (killedAt != 0 && trip > killedAt)) {
        context.dead = true;
        return RoundTrip(context, error);
    }
    const long delay = g_delayMs >= 0 ? g_delayMs.load() : Knob("TARVEX_FAKEOCI_DELAY_MS");
    if ((delay > 0 && !Wait(context, delay)) || context.broken) {
        context.broken = false;
        error.Set(1013, "ORA-01013: user requested cancel of current operation");
        return kError;
    }
    return kSuccess;
}

}  // namespace fakeoci

extern "C" {

// Round trips made since the library was loaded (or last reset).
unsigned long fakeoci_RoundTrips() { return g_roundTrips; }
void fakeoci_ResetRoundTrips() { g_roundTrips = 0; }
// Statements found in a session's statement cache.
unsigned long fakeoci_CacheHits() { return g_cacheHits; }
// Every round trip takes `ms` milliseconds; -1 goes back to the knob.
void fakeoci_SetDelay(long ms) { g_delayMs = ms; }
// Every session dies at its next round trip.
void fakeoci_KillSessions() { g_killedAt = g_roundTrips.load() == 0 ? 1 : g_roundTrips.load(); }
// Sessions logged on after this call live again.
void fakeoci_Revive() { g_killedAt = 0; }

}  // extern "C"
