// Temporary LOBs, created, written and freed as the documentation says:
// offsets from 1, in characters for a CLOB (whole UTF-8 characters when the
// client speaks AL32UTF8) and in bytes for a BLOB; one piece a write.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "FakeOci.h"

using namespace fakeoci;

namespace {

constexpr ub1 kTempBlob = 1;
constexpr ub1 kTempClob = 2;
constexpr ub2 kDurationSession = 10;
constexpr ub2 kDurationCall = 12;
constexpr ub1 kOnePiece = 0;

std::atomic<long> g_temporaries{0};

sword Fail(Error& error, sb4 code, const char* message) {
    error.Set(code, message);
    return kError;
}

sword BadParameter(Error& error) {
    return Fail(error, 24801, "ORA-24801: illegal parameter value in OCI lob function");
}

bool IsUtf8(const Lob& lob) { return !lob.binary && ClientCharset() == kUtf8Charset; }

// Bytes of the character that starts at `at` of `value`.
std::size_t CharacterBytes(const Lob& lob, const std::string& value, std::size_t at) {
    if (!IsUtf8(lob)) return 1;
    const auto lead = static_cast<unsigned char>(value[at]);
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// Byte position of character `n` (from 0) of `value`; `missing` says how
// many characters the value lacks to have one there.
std::size_t ByteOf(const Lob& lob, const std::string& value, std::uint64_t n, std::uint64_t& missing) {
    std::size_t at = 0;
    std::uint64_t k = 0;
    for (; k < n && at < value.size(); ++k) at += CharacterBytes(lob, value, at);
    missing = n - k;
    return std::min(at, value.size());
}

// The characters of `data` up to `count` of them (bytes for a BLOB).
std::size_t TakeCharacters(const Lob& lob, const std::string& data, std::uint64_t count) {
    std::size_t at = 0;
    for (std::uint64_t k = 0; k < count && at < data.size(); ++k) at += CharacterBytes(lob, data, at);
    return std::min(at, data.size());
}

std::uint64_t CountCharacters(const Lob& lob, const std::string& data) {
    std::uint64_t count = 0;
    for (std::size_t at = 0; at < data.size(); at += CharacterBytes(lob, data, at)) ++count;
    return count;
}

struct LobCall {
    SvcCtx* context;
    Error* error;
    Lob* lob;
};

bool ValidLob(OCISvcCtx* service, OCIError* errorHandle, OCILobLocator* locator, LobCall& call) {
    call.context = As<SvcCtx>(service, kHtypeSvcCtx);
    call.error = As<Error>(errorHandle, kHtypeError);
    call.lob = As<Lob>(locator, kDtypeLob);
    if (call.context == nullptr || call.error == nullptr || call.lob == nullptr) return false;
    UseCharsetOf(*call.lob);
    call.error->Clear();
    return true;
}

}  // namespace

extern "C" {

sword OCILobCreateTemporary(OCISvcCtx* service, OCIError* errorHandle, OCILobLocator* locator, ub2, ub1 form,
                            ub1 type, int, ub2 duration) {
    LobCall call{};
    if (!ValidLob(service, errorHandle, locator, call)) return kInvalidHandle;
    if ((type != kTempBlob && type != kTempClob) ||
        (duration != kDurationSession && duration != kDurationCall) ||
        (type == kTempClob && form != 1 && form != 2))
        return BadParameter(*call.error);
    InCall busy(*call.context);
    if (sword status = RoundTrip(*call.context, *call.error); status != kSuccess) return status;
    Lob& lob = *call.lob;
    if (!lob.temporary) ++g_temporaries;
    lob.value.clear();
    lob.binary = type == kTempBlob;
    lob.set = true;
    lob.temporary = true;
    return kSuccess;
}

// Note: a write past the end fills the gap with blanks (a CLOB) or zero
// bytes (a BLOB), and overwrites as many characters as it writes.
sword OCILobWrite2(OCISvcCtx* service, OCIError* errorHandle, OCILobLocator* locator,
                   std::uint64_t* byteAmount, std::uint64_t* charAmount, std::uint64_t offset, void* buffer,
                   std::uint64_t size, ub1 piece, void*,
                   sb4 (*)(void*, void*, std::uint64_t*, ub1*, void**, std::uint64_t*), ub2, ub1) {
    LobCall call{};
    if (!ValidLob(service, errorHandle, locator, call) || byteAmount == nullptr || buffer == nullptr)
        return kInvalidHandle;
    Lob& lob = *call.lob;
    if (!lob.set) return Fail(*call.error, 22275, "ORA-22275: invalid LOB locator specified");
    const bool characters = !lob.binary && charAmount != nullptr && *charAmount > 0;
    if (offset == 0 || piece != kOnePiece || (!characters && (*byteAmount == 0 || *byteAmount > size)))
        return BadParameter(*call.error);
    InCall busy(*call.context);
    if (sword status = RoundTrip(*call.context, *call.error); status != kSuccess) return status;
    const std::string given(static_cast<const char*>(buffer), static_cast<std::size_t>(size));
    const std::string data = given.substr(
        0, characters ? TakeCharacters(lob, given, *charAmount) : static_cast<std::size_t>(*byteAmount));
    std::uint64_t missing = 0;
    const std::size_t begin = ByteOf(lob, lob.value, offset - 1, missing);
    lob.value.append(static_cast<std::size_t>(missing), lob.binary ? '\0' : ' ');
    const std::uint64_t written = lob.binary ? data.size() : CountCharacters(lob, data);
    std::uint64_t beyond = 0;
    const std::size_t end = ByteOf(lob, lob.value, offset - 1 + written, beyond);
    lob.value.replace(begin + static_cast<std::size_t>(missing),
                      end - begin - static_cast<std::size_t>(missing), data);
    *byteAmount = data.size();
    if (charAmount != nullptr) *charAmount = lob.binary ? 0 : written;
    return kSuccess;
}

sword OCILobFreeTemporary(OCISvcCtx* service, OCIError* errorHandle, OCILobLocator* locator) {
    LobCall call{};
    if (!ValidLob(service, errorHandle, locator, call)) return kInvalidHandle;
    if (!call.lob->temporary) return BadParameter(*call.error);
    InCall busy(*call.context);
    if (sword status = RoundTrip(*call.context, *call.error); status != kSuccess) return status;
    call.lob->value.clear();
    call.lob->set = false;
    call.lob->temporary = false;
    --g_temporaries;
    return kSuccess;
}

// For tests: temporary LOBs created and not yet freed.
long fakeoci_TemporaryLobs() { return g_temporaries; }

}  // extern "C"
