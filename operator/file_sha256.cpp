#include "operator/file_sha256.h"

#include <nettle/sha2.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const size_t kReadSize = 1 << 16;

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool FileSha256(const std::string& path, std::string& sha256, std::int64_t& size)
{
    sha256.clear();
    size = 0;
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    sha256_ctx context;
    sha256_init(&context);
    std::vector<unsigned char> buffer(kReadSize);
    size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
        sha256_update(&context, read, buffer.data());
        size += static_cast<std::int64_t>(read);
    }
    if (std::ferror(file.get()))
        return false;
    unsigned char digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    static const char kDigits[] = "0123456789abcdef";
    for (unsigned char byte : digest) {
        sha256 += kDigits[byte >> 4];
        sha256 += kDigits[byte & 0x0F];
    }
    return true;
}
