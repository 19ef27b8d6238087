// manifest-tool: the operators' manifest checker.
//   manifest-tool check MANIFEST [--files DIR]
//   manifest-tool hash MANIFEST --files DIR
// Exit status: 0 no error (warnings allowed), 1 errors, 2 usage or read error.
#include "operator/file_sha256.h"
#include "operator/manifest_check.h"
#include "operator/manifest_hashes.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const int kUsageError = 2;

int Usage()
{
    std::fprintf(stderr, "usage: manifest-tool check MANIFEST [--files DIR]\n"
                         "       manifest-tool hash MANIFEST --files DIR\n");
    return kUsageError;
}

// False when the file cannot be read whole: missing, a folder, no permission.
bool ReadWhole(const char* path, std::string& text)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), std::fclose);
    if (!file)
        return false;
    char buffer[1 << 16];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        text.append(buffer, read);
    return !std::ferror(file.get());
}

// The files of DIR by request path, as the server serves them from its root.
ServedFiles FilesUnder(const std::string& folder)
{
    return [folder](const std::string& request_path, ServedFile& file) {
        const size_t start = request_path.find_first_not_of('/');
        return start != std::string::npos
            && FileSha256(folder + "/" + request_path.substr(start), file.sha256, file.size);
    };
}

void Print(const char* manifest, const std::vector<Finding>& findings)
{
    for (const Finding& finding : findings)
        std::printf("%s:%d: %s: %s\n", manifest, finding.line, finding.error ? "error" : "warning",
                    finding.text.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const bool with_files = argc == 5 && std::strcmp(argv[3], "--files") == 0;
    if (argc < 3 || (argc != 3 && !with_files))
        return Usage();
    const bool check = std::strcmp(argv[1], "check") == 0;
    if (!check && (std::strcmp(argv[1], "hash") != 0 || !with_files))
        return Usage();
    std::string text;
    if (!ReadWhole(argv[2], text)) {
        std::fprintf(stderr, "manifest-tool: cannot read %s\n", argv[2]);
        return kUsageError;
    }
    const ServedFiles files = FilesUnder(with_files ? argv[4] : "");
    if (check) {
        const std::vector<Finding> findings = CheckManifest(text, with_files ? &files : nullptr);
        Print(argv[2], findings);
        return HasError(findings) ? 1 : 0;
    }
    std::string output;
    std::vector<Finding> missing;
    if (!FillHashes(text, files, output, missing)) {
        std::fflush(stdout);
        for (const Finding& finding : missing)
            std::fprintf(stderr, "%s:%d: error: %s\n", argv[2], finding.line, finding.text.c_str());
        return 1;
    }
    std::fwrite(output.data(), 1, output.size(), stdout);
    return 0;
}
