#pragma once

#include <string>

#include "engine/EngineTypes.h"
#include "engine/oci/COciLibrary.h"

// The one client environment of the process: threaded, with the client
// character set JA16SJISTILDE (CP932), so that statement text, values and
// the server's messages travel as CP932 bytes unchanged. The session
// language is Japanese unless NLS_LANG names another.
class COciEnvironment {
public:
    // The environment, created at first use; null with `error` when the
    // library cannot be loaded or the environment cannot be created.
    static const COciEnvironment* Get(CEngineError& error);

    const oci::Api& Api() const { return m_library.Api(); }
    oci::OCIEnv* Handle() const { return m_env; }

    // Reads the first error record of `handle` (an error handle) after a
    // call returned `status`; the message loses its final line feed.
    void ReadError(oci::OCIError* handle, oci::sword status, CEngineError& error) const;

    // The CP932 byte offset of character `offset` of `text`.
    static int CharOffsetToByte(const std::string& text, unsigned offset);

private:
    COciEnvironment(const COciLibrary& library, oci::OCIEnv* env) : m_library(library), m_env(env) {}

    const COciLibrary& m_library;
    oci::OCIEnv* m_env;
};
