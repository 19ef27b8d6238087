// Verification of an RSASSA-PKCS1-v1_5 signature with SHA-256 through the
// platform's CryptoAPI (advapi32), which Windows XP SP3 offers in its AES
// provider.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// True when `signature`, in the order OpenSSL writes it (most significant
// byte first), signs `data` with the RSA key in `key_blob`, a CryptoAPI
// PUBLICKEYBLOB. A signature that does not verify is a plain false; a
// failure of the platform is logged too.
bool VerifyRsaSha256(const unsigned char* key_blob, size_t key_blob_size, std::string_view data,
                     const std::string& signature);
