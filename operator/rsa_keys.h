// The operators' RSA keys through OpenSSL's libcrypto: key pairs in PEM,
// RSASSA-PKCS1-v1_5 signatures with SHA-256, as `openssl dgst -sha256 -sign`
// makes them, and the key ids that installers name their rollback floors by.
#pragma once

#include <memory>
#include <string>
#include <string_view>

typedef struct evp_pkey_st EVP_PKEY;

// Keys have 2048 to 4096 bits, as the installer's build accepts them.
const int kFewestKeyBits = 2048;
const int kMostKeyBits = 4096;

struct FreeKey {
    void operator()(EVP_PKEY* key) const;
};
using RsaKey = std::unique_ptr<EVP_PKEY, FreeKey>;

// Writes a new key pair: the private key (PKCS #8, unencrypted, readable by
// its owner only) and the public one (BEGIN PUBLIC KEY). Neither file may
// exist yet. False with the reason in `error`.
bool GenerateKeyPair(int bits, const std::string& private_path, const std::string& public_path, std::string& error);

// An RSA key of 2048 to 4096 bits from a PEM file; empty, with the reason in
// `error`, for anything else.
RsaKey ReadPrivateKey(const std::string& path, std::string& error);
RsaKey ReadPublicKey(const std::string& path, std::string& error);

// The signature's bytes, most significant first; false when OpenSSL fails.
bool SignSha256(EVP_PKEY* key, std::string_view data, std::string& signature);
bool VerifySha256(EVP_PKEY* key, std::string_view data, const std::string& signature);

// The first 16 hexadecimal digits of the SHA-256 of the public key's DER
// encoding.
std::string KeyId(EVP_PKEY* key);
