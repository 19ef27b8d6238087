// Holders of CryptoAPI's provider and hash handles: 0 means none.
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
