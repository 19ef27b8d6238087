// The time a keyed installer takes to judge a signed manifest: the text is
// read once, then the installer's own check (signature by the demo keys,
// rollback floor, expiry, every file's hash and size) runs ROUNDS times.
// Prints three figures in milliseconds: the opening of the platform's first
// provider, which a run pays once for its first hash or signature, the first
// check after it, and the mean of the later ones; or the refusal and status 1.
//   bench_verify MANIFEST ROUNDS
#include "base/crypt_handles.h"
#include "install/manifest_keys.h"
#include "install/manifest_trust.h"
#include "store/ini_file.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool ReadText(const char* path, std::string& text)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    char buffer[1 << 16];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, read);
    const bool whole = !std::ferror(file);
    std::fclose(file);
    return whole;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency)
{
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc == 3 ? std::atoi(argv[2]) : 0;
    std::string text;
    if (rounds < 2 || !ReadText(argv[1], text)) {
        std::fprintf(stderr, "usage: bench_verify MANIFEST ROUNDS (at least two)\n");
        return 2;
    }
    IniFile manifest;
    manifest.Parse(text);
    LARGE_INTEGER frequency, opening, start, first, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&opening);
    HCRYPTPROV handle = 0;
    if (!CryptAcquireContextA(&handle, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return 1;
    const CryptProviderHandle provider(handle);
    QueryPerformanceCounter(&start);
    std::string refusal = ManifestTrustRefusal(text, manifest, BuiltInManifestKeys());
    QueryPerformanceCounter(&first);
    for (int i = 1; i < rounds && refusal.empty(); ++i)
        refusal = ManifestTrustRefusal(text, manifest, BuiltInManifestKeys());
    QueryPerformanceCounter(&end);
    if (!refusal.empty()) {
        std::printf("refused: %s\n", refusal.c_str());
        return 1;
    }
    std::printf("%.2f %.2f %.2f\n", Seconds(opening, start, frequency) * 1000, Seconds(start, first, frequency) * 1000,
                Seconds(first, end, frequency) * 1000 / (rounds - 1));
    return 0;
}
