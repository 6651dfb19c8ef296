#pragma once

#include <atomic>

#include "engine/oci/OciApi.h"

// What the calls of one session share: its handles, whether a call is
// under way (for a break from another thread), the transaction state and
// whether the session died.
struct COciSessionState {
    oci::OCISvcCtx* service = nullptr;
    oci::OCIError* errorHandle = nullptr;
    std::atomic<int> busy{0};
    bool uncommitted = false;
    // The session died; `lostWork` when uncommitted work died with it.
    bool lost = false;
    bool lostWork = false;
    // Rows per fetch: 0 lets the cursor grow it.
    int arraySize = 0;
    // Bytes of a LOB read for showing: 0 for the cursor's own limit.
    long longLimit = 0;
};

// Marks a call to the server under way for its scope.
class COciBusy {
public:
    explicit COciBusy(COciSessionState& state) : m_state(state) { ++m_state.busy; }
    ~COciBusy() { --m_state.busy; }
    COciBusy(const COciBusy&) = delete;
    COciBusy& operator=(const COciBusy&) = delete;

private:
    COciSessionState& m_state;
};
