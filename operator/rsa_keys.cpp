#include "operator/rsa_keys.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

struct FreeBio {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
using Bio = std::unique_ptr<BIO, FreeBio>;

struct FreeDigestContext {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, FreeDigestContext>;

// OpenSSL's queued errors, as one text.
std::string OpenSslErrors()
{
    std::string text;
    ERR_print_errors_cb(
        [](const char* line, size_t length, void* destination) {
            static_cast<std::string*>(destination)->append(line, length);
            return 1;
        },
        &text);
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text.empty() ? "no reason given" : text;
}

// Writes `text` to a new file of mode `mode`; false when the file exists or
// cannot be written whole.
bool WriteNewFile(const std::string& path, const std::string& text, mode_t mode, std::string& error)
{
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
    if (file < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t result = write(file, text.data() + written, text.size() - written);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0) {
            error = path + ": " + std::strerror(errno);
            close(file);
            return false;
        }
        written += static_cast<size_t>(result);
    }
    if (close(file) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string Contents(BIO* bio)
{
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return size > 0 ? std::string(data, static_cast<size_t>(size)) : std::string();
}

// The key when it is RSA of an accepted size, else empty with the reason.
RsaKey Accepted(RsaKey key, const std::string& path, std::string& error)
{
    if (!key) {
        error = path + ": not a PEM key: " + OpenSslErrors();
        return RsaKey();
    }
    const int bits = EVP_PKEY_get_bits(key.get());
    if (EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA) {
        error = path + ": not an RSA key";
        return RsaKey();
    }
    if (bits < kFewestKeyBits || bits > kMostKeyBits) {
        error = path + ": an RSA key of " + std::to_string(bits) + " bits; keys have 2048 to 4096 bits";
        return RsaKey();
    }
    return key;
}

Bio ReadFileBio(const std::string& path, std::string& error)
{
    Bio bio(BIO_new_file(path.c_str(), "rb"));
    if (!bio)
        error = path + ": " + std::strerror(errno);
    return bio;
}

} // namespace

void FreeKey::operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }

bool GenerateKeyPair(int bits, const std::string& private_path, const std::string& public_path, std::string& error)
{
    const RsaKey key(EVP_RSA_gen(static_cast<unsigned int>(bits)));
    const Bio private_pem(BIO_new(BIO_s_mem()));
    const Bio public_pem(BIO_new(BIO_s_mem()));
    if (!key || !private_pem || !public_pem
        || !PEM_write_bio_PrivateKey(private_pem.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr)
        || !PEM_write_bio_PUBKEY(public_pem.get(), key.get())) {
        error = "cannot make the key pair: " + OpenSslErrors();
        return false;
    }
    if (!WriteNewFile(private_path, Contents(private_pem.get()), 0600, error))
        return false;
    if (WriteNewFile(public_path, Contents(public_pem.get()), 0644, error))
        return true;
    unlink(private_path.c_str());
    return false;
}

RsaKey ReadPrivateKey(const std::string& path, std::string& error)
{
    const Bio bio = ReadFileBio(path, error);
    if (!bio)
        return RsaKey();
    return Accepted(RsaKey(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr)), path, error);
}

RsaKey ReadPublicKey(const std::string& path, std::string& error)
{
    const Bio bio = ReadFileBio(path, error);
    if (!bio)
        return RsaKey();
    return Accepted(RsaKey(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr)), path, error);
}

bool SignSha256(EVP_PKEY* key, std::string_view data, std::string& signature)
{
    signature.clear();
    const DigestContext context(EVP_MD_CTX_new());
    size_t size = 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
    if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key) != 1
        || EVP_DigestSign(context.get(), nullptr, &size, bytes, data.size()) != 1)
        return false;
    signature.resize(size);
    if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(&signature[0]), &size, bytes, data.size())
        != 1) {
        signature.clear();
        return false;
    }
    signature.resize(size);
    return true;
}

bool VerifySha256(EVP_PKEY* key, std::string_view data, const std::string& signature)
{
    const DigestContext context(EVP_MD_CTX_new());
    const bool verified = context && EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key) == 1
        && EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
                            reinterpret_cast<const unsigned char*>(data.data()), data.size())
            == 1;
    // A signature that does not verify leaves its reason queued.
    ERR_clear_error();
    return verified;
}

std::string KeyId(EVP_PKEY* key)
{
    unsigned char* der = nullptr;
    const int size = i2d_PUBKEY(key, &der);
    if (size <= 0)
        return std::string();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digest_size = 0;
    const bool hashed = EVP_Digest(der, static_cast<size_t>(size), digest, &digest_size, EVP_sha256(), nullptr) == 1;
    OPENSSL_free(der);
    if (!hashed)
        return std::string();
    static const char kDigits[] = "0123456789abcdef";
    std::string id;
    for (unsigned int i = 0; i < 8; ++i) {
        id += kDigits[digest[i] >> 4];
        id += kDigits[digest[i] & 0x0F];
    }
    return id;
}
