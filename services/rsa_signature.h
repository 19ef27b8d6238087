// Verification of an RSASSA-PKCS1-v1_5 signature with SHA-256 through the
// platform's CryptoAPI (advapi32), which Windows XP SP3 offers in its AES
// provider.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// An RSA public key as CryptoAPI imports it: a PUBLICKEYBLOB.
struct RsaKeyBlob {
    const unsigned char* data;
    size_t size;
};

// True when `signature`, in the order OpenSSL writes it (most significant
// byte first), signs `data` with one of the `count` keys. A signature that
// does not verify is a plain false; a failure of the platform is logged
// too. The provider is opened once for the process: that costs more than
// the check itself.
bool VerifyRsaSha256(const RsaKeyBlob* keys, size_t count, std::string_view data, const std::string& signature);
