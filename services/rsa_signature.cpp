#include "services/rsa_signature.h"

#include "base/crypt_handles.h"
#include "base/failure_log.h"
#include "services/sha256_hash.h"

namespace {

CryptKeyHandle ImportKey(const RsaKeyBlob& blob)
{
    HCRYPTKEY key = 0;
    if (CryptImportKey(SharedCryptProvider(), blob.data, static_cast<DWORD>(blob.size), 0, 0, &key))
        return CryptKeyHandle(key);
    LogFailure("CryptImportKey", "PUBLICKEYBLOB", GetLastError());
    return CryptKeyHandle();
}

// The check with one key; the hash is made anew, since a verified hash is
// finished.
bool VerifyWithKey(const RsaKeyBlob& blob, std::string_view data, const std::string& reversed)
{
    // Declared in this order, the hash is destroyed before the key.
    const CryptKeyHandle key = ImportKey(blob);
    if (!key)
        return false;
    Sha256Hash hash;
    if (!hash.Add(data.data(), data.size()))
        return false;
    if (CryptVerifySignatureA(hash.Handle(), reinterpret_cast<const BYTE*>(reversed.data()),
                              static_cast<DWORD>(reversed.size()), key.Get(), nullptr, 0))
        return true;
    const DWORD error = GetLastError();
    if (error != static_cast<DWORD>(NTE_BAD_SIGNATURE))
        LogFailure("CryptVerifySignatureA", "CALG_SHA_256", error);
    return false;
}

} // namespace

bool VerifyRsaSha256(const RsaKeyBlob* keys, size_t count, std::string_view data, const std::string& signature)
{
    if (!SharedCryptProvider())
        return false;
    // CryptoAPI reads the signature as a little-endian number.
    const std::string reversed(signature.rbegin(), signature.rend());
    for (size_t i = 0; i < count; ++i)
        if (VerifyWithKey(keys[i], data, reversed))
            return true;
    return false;
}
