// The stand-in's temporary LOBs, called as a client would: offsets from 1 in
// characters of the client's character set, a write past the end padded
// with blanks, a write overwriting as many characters as it brings, and the
// documented refusals.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "engine/oci/COciLibrary.h"
#include "tests/support/TempDir.h"

using namespace oci;

namespace {

constexpr ub2 kUtf8 = 873;

class FakeLobTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* library = std::getenv("TARVEX_FAKEOCI");
        ASSERT_NE(library, nullptr);
        setenv("TARVEX_OCI_LIBRARY", library, 1);
        CEngineError error;
        const COciLibrary* loaded = COciLibrary::Load(error);
        ASSERT_NE(loaded, nullptr) << error.message;
        api = &loaded->Api();
        ASSERT_EQ(api->EnvNlsCreate(&env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr, kUtf8,
                                    kUtf8),
                  OCI_SUCCESS);
        ASSERT_EQ(api->HandleAlloc(env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr),
                  OCI_SUCCESS);
        const std::string db = "//localhost/FAKELOB";
        ASSERT_EQ(api->Logon2(env, err, &svc, reinterpret_cast<const OraText*>("scott"), 5,
                              reinterpret_cast<const OraText*>("tiger"), 5,
                              reinterpret_cast<const OraText*>(db.data()), static_cast<ub4>(db.size()), 0),
                  OCI_SUCCESS);
    }
    void TearDown() override {
        if (svc != nullptr) api->Logoff(svc, err);
        if (err != nullptr) api->HandleFree(err, OCI_HTYPE_ERROR);
        if (env != nullptr) api->HandleFree(env, OCI_HTYPE_ENV);
    }
    OCILobLocator* NewLocator() {
        OCILobLocator* lob = nullptr;
        api->DescriptorAlloc(env, reinterpret_cast<void**>(&lob), OCI_DTYPE_LOB, 0, nullptr);
        return lob;
    }
    OCILobLocator* NewClob() {
        OCILobLocator* lob = NewLocator();
        EXPECT_EQ(
            api->LobCreateTemporary(svc, err, lob, 0, SQLCS_IMPLICIT, OCI_TEMP_CLOB, 0, OCI_DURATION_SESSION),
            OCI_SUCCESS);
        return lob;
    }
    // Writes `text` at `offset`; `characters` > 0 writes that many characters
    // of it, else all its bytes. The error code, or 0.
    sb4 Write(OCILobLocator* lob, std::uint64_t offset, const std::string& text, std::uint64_t characters = 0,
              ub1 piece = OCI_ONE_PIECE) {
        std::uint64_t bytes = characters > 0 ? 0 : text.size();
        std::uint64_t chars = characters;
        const sword status =
            api->LobWrite2(svc, err, lob, &bytes, &chars, offset, const_cast<char*>(text.data()), text.size(),
                           piece, nullptr, nullptr, 0, SQLCS_IMPLICIT);
        written = bytes;
        return status == OCI_SUCCESS ? 0 : Code();
    }
    std::string Read(OCILobLocator* lob) {
        char buffer[4096];
        std::uint64_t bytes = 0;
        std::uint64_t chars = 1000;
        const sword status = api->LobRead2(svc, err, lob, &bytes, &chars, 1, buffer, sizeof buffer,
                                           OCI_ONE_PIECE, nullptr, nullptr, 0, SQLCS_IMPLICIT);
        if (status == OCI_NO_DATA) return "";
        return status == OCI_SUCCESS ? std::string(buffer, bytes) : "ORA-" + std::to_string(Code());
    }
    sb4 Code() {
        sb4 code = 0;
        OraText message[512];
        api->ErrorGet(err, 1, nullptr, &code, message, sizeof message, OCI_HTYPE_ERROR);
        return code;
    }

    TempHome home;
    const Api* api = nullptr;
    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCISvcCtx* svc = nullptr;
    std::uint64_t written = 0;
};

TEST_F(FakeLobTest, WritesCountCharactersFromOne) {
    const struct {
        const char* before;
        std::uint64_t offset;
        const char* text;
        std::uint64_t characters;
        const char* after;
        std::uint64_t bytes;
    } cases[] = {
        {"", 1, "abc", 0, "abc", 3},
        {"あいう", 2, "Z", 0, "あZう", 1},
        {"あいう", 3, "かき", 0, "あいかき", 6},
        {"ab", 5, "Q", 0, "ab  Q", 1},
        {"", 1, "かきく", 2, "かき", 6},
        {"xyz", 4, "!", 0, "xyz!", 1},
    };
    for (const auto& c : cases) {
        OCILobLocator* lob = NewClob();
        if (*c.before != '\0') {
            ASSERT_EQ(Write(lob, 1, c.before), 0);
        }
        EXPECT_EQ(Write(lob, c.offset, c.text, c.characters), 0) << c.after;
        EXPECT_EQ(written, c.bytes) << c.after;
        EXPECT_EQ(Read(lob), c.after);
        EXPECT_EQ(api->LobFreeTemporary(svc, err, lob), OCI_SUCCESS);
        api->DescriptorFree(lob, OCI_DTYPE_LOB);
    }
}

TEST_F(FakeLobTest, WhatTheDocumentationRefuses) {
    OCILobLocator* unset = NewLocator();
    EXPECT_EQ(Write(unset, 1, "a"), 22275) << "a locator that points at no LOB";
    EXPECT_EQ(api->LobFreeTemporary(svc, err, unset), OCI_ERROR) << "only a temporary LOB is freed";
    OCILobLocator* lob = NewClob();
    EXPECT_EQ(Write(lob, 0, "a"), 24801) << "offsets count from 1";
    EXPECT_EQ(Write(lob, 1, "a", 0, 1), 24801) << "pieces are not taken";
    EXPECT_EQ(api->LobCreateTemporary(svc, err, lob, 0, SQLCS_IMPLICIT, 7, 0, OCI_DURATION_SESSION),
              OCI_ERROR);
    ASSERT_EQ(api->LobFreeTemporary(svc, err, lob), OCI_SUCCESS);
    EXPECT_EQ(Read(lob), "ORA-22275") << "a freed LOB is gone";
    api->DescriptorFree(lob, OCI_DTYPE_LOB);
    api->DescriptorFree(unset, OCI_DTYPE_LOB);
}

}  // namespace
