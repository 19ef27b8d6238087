#include "operator/manifest_hashes.h"

#include "install/resource_entry.h"
#include "operator/parse_record.h"
#include "services/text.h"

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
    std::vector<std::string> lines;
    Split(lines, text, "\n", 0);
    for (const ParseRecord::Line& line : record.m_entries) {
        ResourceEntry entry;
        if (line.section != "URLS" || !IsResourceKey(line.key) || !ParseResourceEntry(line.key, line.value, entry))
            continue;
        std::string sha256;
        if (!files(entry.path, sha256)) {
            missing.push_back({line.number, true, "file missing: " + entry.path});
            continue;
        }
        // The parser trimmed the line and cut it at its first "=": the value
        // starts right after the key.
        std::string& raw = lines[line.number - 1];
        const size_t value_at = raw.find_first_not_of(kBlanks) + line.key.size() + 1;
        raw.replace(value_at, line.value.size(), WithHash(line.value, sha256));
    }
    output = Join(lines, "\n");
    return missing.empty();
}
