#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/CEngineConnection.h"
#include "oracle/ODatabase.h"
#include "oracle/OParameterCollection.h"

// The state of one ODatabase, shared with the rest of the layer.
struct ODatabase::Impl {
    std::unique_ptr<CEngineConnection> connection;
    // Held while `connection` is replaced, so that Cancel from another
    // thread never meets a connection being destroyed.
    std::mutex cancelMutex;
    OSession* session = nullptr;
    OParameterCollection parameters;
    std::string errorText;
    int errorPosition = 0;
    int errorCode = 0;
    bool errorLostSession = false;
    int arraySize = 0;
    // SET LONG: bytes of a LOB read for showing.
    long longLimit = 80;
    long rowsProcessed = 0;
    // -1: the engine's own lock wait.
    int lockWaitSeconds = -1;

    bool IsOpen() const { return connection != nullptr; }
    void ClearError();
    void SetError(const CEngineError& error);
    // A failure of the layer itself, at no position.
    void SetError(const std::string& text);
    // Fails with the not-connected text when no database is open.
    bool RequireOpen();

    std::vector<CEngineBind> CollectBinds();
    void StoreBinds(const std::vector<CEngineBind>& binds);

    bool Commit();
    bool Rollback();
};
