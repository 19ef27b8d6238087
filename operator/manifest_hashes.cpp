#include "operator/manifest_hashes.h"

#include "install/resource_entry.h"
#include "operator/parse_record.h"
#include "services/text.h"

#include <algorithm>

namespace {

const char kBlanks[] = " \t\n\v\f\r";

std::string Join(const std::vector<std::string>& pieces, const std::string& separator)
{
    std::string text;
    for (size_t i = 0; i < pieces.size(); ++i)
        text += (i == 0 ? "" : separator) + pieces[i];
    return text;
}

// The value with its third piece set to the hash; an absent sub-folder
// becomes the empty one (the install folder itself).
std::string WithHash(const std::string& value, const std::string& sha256)
{
    std::vector<std::string> pieces;
    Split(pieces, value, ",", 0);
    if (pieces.size() < 3)
        pieces.resize(3);
    pieces[2] = "sha256:" + sha256;
    return Join(pieces, ",");
}

} // namespace

bool FillHashes(const std::string& text, const FileHashes& files, std::string& output,
                std::vector<Finding>& missing)
{
    IniFile manifest;
    ParseRecord record;
    record.Parse(text, manifest);
    std::vector<std::string> lines, keys, values;
    Split(lines, text, "\n", 0);
    // The entries the installer fetches: the section as the document lists it.
    manifest.GetSection("URLS", keys, values);
    for (size_t i = 0; i < keys.size(); ++i) {
        ResourceEntry entry;
        if (!IsResourceKey(keys[i]) || !ParseResourceEntry(keys[i], values[i], entry))
            continue;
        const int number = record.LineOf("URLS", keys[i]);
        std::string sha256;
        if (!files(entry.path, sha256)) {
            missing.push_back({number, true, "file missing: " + entry.path});
            continue;
        }
        // The parser trimmed the line and cut it at its first "=": the value
        // starts right after the key.
        std::string& raw = lines[number - 1];
        const size_t value_at = raw.find_first_not_of(kBlanks) + keys[i].size() + 1;
        raw.replace(value_at, values[i].size(), WithHash(values[i], sha256));
    }
    output = Join(lines, "\n");
    // Listed in byte order of the keys; reported in the order of the text.
    std::stable_sort(missing.begin(), missing.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return missing.empty();
}
