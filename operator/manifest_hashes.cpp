#include "operator/manifest_hashes.h"

#include "install/trust/resource_entry.h"
#include "operator/parse_record.h"
#include "services/text.h"

#include <algorithm>

namespace {

std::string Join(const std::vector<std::string>& pieces, const std::string& separator)
{
    std::string text;
    for (size_t i = 0; i < pieces.size(); ++i)
        text += (i == 0 ? "" : separator) + pieces[i];
    return text;
}

// The value with its third piece set to the hash and its fourth to the size;
// an absent sub-folder becomes the empty one (the install folder itself).
std::string WithHashAndSize(const std::string& value, const ServedFile& file)
{
    std::vector<std::string> pieces;
    Split(pieces, value, ",", 0);
    if (pieces.size() < 4)
        pieces.resize(4);
    pieces[2] = "sha256:" + file.sha256;
    pieces[3] = "size:" + std::to_string(file.size);
    return Join(pieces, ",");
}

} // namespace

bool FillHashes(const std::string& text, const ServedFiles& files, std::string& output,
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
        ServedFile file;
        if (!files(entry.path, file)) {
            missing.push_back({number, true, "file missing: " + entry.path});
            continue;
        }
        std::string& raw = lines[number - 1];
        raw.replace(ParseRecord::ValueOffset(raw, keys[i]), values[i].size(), WithHashAndSize(values[i], file));
    }
    output = Join(lines, "\n");
    // Listed in byte order of the keys; reported in the order of the text.
    std::stable_sort(missing.begin(), missing.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return missing.empty();
}
