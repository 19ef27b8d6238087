// Unpack time of an Extract.dll: the best of ROUNDS calls of ExtractArchive on
// one archive into a fresh folder each time, in seconds.
//   bench_unpack DLL ARCHIVE FOLDER [ROUNDS]
#include "base/unique_handle.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

typedef int(__stdcall* ExtractFunction)(const char* archive, const char* destination, char* error);

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_unpack DLL ARCHIVE FOLDER [ROUNDS]\n");
        return 2;
    }
    LibraryHandle library(LoadLibraryA(argv[1]));
    const auto extract = reinterpret_cast<ExtractFunction>(
        reinterpret_cast<void*>(GetProcAddress(library.Get(), "ExtractArchive")));
    if (!extract) {
        std::fprintf(stderr, "bench_unpack: no ExtractArchive in %s\n", argv[1]);
        return 1;
    }
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    // Without a round there is no figure: 1e9 seconds would pass for one.
    if (rounds < 1) {
        std::fprintf(stderr, "bench_unpack: ROUNDS must be at least 1\n");
        return 2;
    }
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const std::string folder = std::string(argv[3]) + "\\" + std::to_string(round);
        char error[400] = {};
        LARGE_INTEGER start, end, frequency;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        if (extract(argv[2], folder.c_str(), error) != 0) {
            std::fprintf(stderr, "bench_unpack: %s\n", error);
            return 1;
        }
        QueryPerformanceCounter(&end);
        best = std::min(best, double(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
    std::printf("%.3f\n", best);
    return 0;
}
