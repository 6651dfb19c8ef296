#pragma once

#include <string>

#include "engine/EngineTypes.h"
#include "engine/oci/OciApi.h"

// The Oracle client library, loaded once per process at first use: the file
// named by TARVEX_OCI_LIBRARY, else libclntsh.so through the library search
// path and then $ORACLE_HOME/lib (oci.dll on Windows).
class COciLibrary {
public:
    // The loaded library; null with `error` (Japanese, CP932) saying what
    // was looked for and how to install or name a client. A failed load is
    // tried again on the next call.
    static const COciLibrary* Load(CEngineError& error);

    const oci::Api& Api() const { return m_api; }
    const std::string& Path() const { return m_path; }

private:
    COciLibrary() = default;
    // Resolves every entry point; false names the first one missing.
    bool Resolve(void* handle, std::string& missing);

    oci::Api m_api;
    std::string m_path;
};
