#include "operator/release_folder.h"

#include "operator/code_page_names.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool IsSkipped(const fs::path& path, const fs::path& skipped)
{
    std::error_code error;
    return !skipped.empty() && fs::weakly_canonical(path, error) == skipped;
}

// What the entry adds: a file, nothing (a folder) or a refusal.
void ListEntry(const fs::directory_entry& entry, const fs::path& root, unsigned code_page, const fs::path& skipped,
               std::vector<ReleaseFile>& files, std::vector<std::string>& refusals)
{
    std::error_code error;
    const std::string relative = entry.path().lexically_relative(root).generic_string();
    const fs::file_status own = entry.symlink_status(error);
    if (fs::is_directory(own))
        return;
    const fs::file_status target = entry.status(error);
    if (fs::is_directory(target)) {
        refusals.push_back(relative + ": a link to a folder, which servers follow or not as they are set up");
        return;
    }
    if (!fs::is_regular_file(target)) {
        refusals.push_back(relative + ": neither a file nor a folder");
        return;
    }
    if (IsSkipped(entry.path(), skipped))
        return;
    std::string narrow;
    if (!Utf8ToCodePage(code_page, relative, narrow)) {
        refusals.push_back(relative + ": a name outside code page " + std::to_string(code_page)
                           + ", which the installer's system cannot hold");
        return;
    }
    files.push_back({narrow, entry.path().string(), relative});
}

} // namespace

bool ListReleaseFolder(const std::string& folder, unsigned code_page, const std::string& skipped,
                       std::vector<ReleaseFile>& files, std::vector<std::string>& refusals)
{
    std::error_code error;
    const fs::path root(folder);
    const fs::path skipped_path = skipped.empty() ? fs::path() : fs::weakly_canonical(skipped, error);
    fs::recursive_directory_iterator walk(root, fs::directory_options::none, error);
    const fs::recursive_directory_iterator end;
    for (; !error && walk != end; walk.increment(error))
        ListEntry(*walk, root, code_page, skipped_path, files, refusals);
    if (error)
        refusals.push_back(folder + ": cannot be read: " + error.message());
    return refusals.empty();
}
