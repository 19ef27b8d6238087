#include "services/rsa_signature.h"

#include "base/crypt_handles.h"
#include "base/failure_log.h"

namespace {

CryptProviderHandle AcquireProvider()
{
    HCRYPTPROV provider = 0;
    if (CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return CryptProviderHandle(provider);
    LogFailure("CryptAcquireContextA", "PROV_RSA_AES", GetLastError());
    return CryptProviderHandle();
}

CryptKeyHandle ImportKey(HCRYPTPROV provider, const unsigned char* key_blob, size_t key_blob_size)
{
    HCRYPTKEY key = 0;
    if (CryptImportKey(provider, key_blob, static_cast<DWORD>(key_blob_size), 0, 0, &key))
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

} // namespace

bool VerifyRsaSha256(const unsigned char* key_blob, size_t key_blob_size, std::string_view data,
                     const std::string& signature)
{
    // Declared in this order, the hash and the key are destroyed before the
    // provider they belong to.
    const CryptProviderHandle provider = AcquireProvider();
    if (!provider)
        return false;
    const CryptKeyHandle key = ImportKey(provider.Get(), key_blob, key_blob_size);
    const CryptHashHandle hash = key ? HashOf(provider.Get(), data) : CryptHashHandle();
    if (!hash)
        return false;
    // CryptoAPI reads the signature as a little-endian number.
    const std::string reversed(signature.rbegin(), signature.rend());
    if (CryptVerifySignatureA(hash.Get(), reinterpret_cast<const BYTE*>(reversed.data()),
                              static_cast<DWORD>(reversed.size()), key.Get(), nullptr, 0))
        return true;
    const DWORD error = GetLastError();
    if (error != static_cast<DWORD>(NTE_BAD_SIGNATURE))
        LogFailure("CryptVerifySignatureA", "CALG_SHA_256", error);
    return false;
}
