// Holders of CryptoAPI's provider, hash and key handles (0 means none), and
// the one algorithm the product hashes with.
#pragma once

#include "base/unique_handle.h"

#include <wincrypt.h>

struct CryptProviderTraits {
    using Handle = HCRYPTPROV;
    static Handle Invalid() { return 0; }
    static void Close(Handle handle) { CryptReleaseContext(handle, 0); }
};
using CryptProviderHandle = UniqueHandle<CryptProviderTraits>;

struct CryptHashTraits {
    using Handle = HCRYPTHASH;
    static Handle Invalid() { return 0; }
    static void Close(Handle handle) { CryptDestroyHash(handle); }
};
using CryptHashHandle = UniqueHandle<CryptHashTraits>;

struct CryptKeyTraits {
    using Handle = HCRYPTKEY;
    static Handle Invalid() { return 0; }
    static void Close(Handle handle) { CryptDestroyKey(handle); }
};
using CryptKeyHandle = UniqueHandle<CryptKeyTraits>;

// CALG_SHA_256 (ALG_SID_SHA_256 is 12): Windows XP SP3 has it, but the
// headers offer the name only to builds that target SP3 and later.
const ALG_ID kSha256Algorithm = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;
