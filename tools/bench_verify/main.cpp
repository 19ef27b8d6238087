// The time a keyed installer takes to judge a signed manifest: the text is
// read once, then the installer's own check (signature by the demo keys,
// rollback floor, expiry, every file's hash and size) runs ROUNDS times.
// Prints three figures in milliseconds: the opening of the platform's first
// provider, which a run pays once for its first hash or signature, the first
// check after it, and the mean of the later ones; or the refusal and status 1.
//   bench_verify MANIFEST ROUNDS
#include "install/trust/manifest_keys.h"
#include "install/trust/manifest_rules.h"
#include "install/trust/manifest_trust.h"
#include "services/sha256_hash.h"
#include "services/whole_file.h"
#include "store/ini_file.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency)
{
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc == 3 ? std::atoi(argv[2]) : 0;
    std::string text;
    if (rounds < 2 || !ReadWholeFile(argv[1], kLargestManifest, text)) {
        std::fprintf(stderr, "usage: bench_verify MANIFEST ROUNDS (at least two)\n");
        return 2;
    }
    IniFile manifest;
    manifest.Parse(text);
    LARGE_INTEGER frequency, opening, start, first, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&opening);
    if (!SharedCryptProvider())
        return 1;
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
