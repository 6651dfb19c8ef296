#pragma once

#include <string>
#include <string_view>

#include "engine/EngineTypes.h"
#include "engine/oci/COciLibrary.h"

// The one client environment of the process: threaded, with the client
// character set AL32UTF8, so that the server hands over every character it
// holds; text is converted to and from CP932 here, at the edge. The session
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

    // CP932 text as the server reads it.
    static std::string ToServer(std::string_view cp932);
    // Server text as CP932; a character CP932 lacks becomes the geta mark
    // and is counted in `replaced`.
    static std::string FromServer(std::string_view utf8, std::size_t& replaced);
    static void AppendFromServer(std::string_view utf8, std::string& out, std::size_t& replaced);
    // The CP932 byte offset in `cp932` of byte `offset` of its server text.
    static int ServerOffsetToCp932(const std::string& cp932, unsigned offset);

private:
    COciEnvironment(const COciLibrary& library, oci::OCIEnv* env) : m_library(library), m_env(env) {}

    const COciLibrary& m_library;
    oci::OCIEnv* m_env;
};
