#include "install/uninstall_record.h"

#include "base/path_rules.h"
#include "install/resource_entry.h"
#include "services/text.h"
#include "store/ini_file.h"

namespace {

const char kRecordSection[] = "UNINSTALL";
const char kCreatedKey[] = "CREATED";
const char kLanguageKey[] = "LANGUAGE";
// The language ids run from 0 to 15.
const int kLastLanguage = 15;
const char kFilesSection[] = "FILES";
const char kFileKeyPrefix[] = "FILE_";

// The pieces of a path between "\" and "/", without the empty and "." ones.
std::vector<std::string> PathPieces(const std::string& path)
{
    std::string slashed = path;
    path_rules::UseBackslashes(&slashed[0], slashed.size());
    std::vector<std::string> pieces, kept;
    Split(pieces, slashed, "\\", 0);
    for (const std::string& piece : pieces)
        if (!piece.empty() && piece != ".")
            kept.push_back(piece);
    return kept;
}

// A language id as written, or English for anything else.
int ReadLanguage(const std::string& text)
{
    int language = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || language > kLastLanguage)
            return 0;
        language = language * 10 + (c - '0');
    }
    return language <= kLastLanguage ? language : 0;
}

std::string JoinPieces(const std::vector<std::string>& pieces)
{
    std::string path;
    for (const std::string& piece : pieces)
        path += (path.empty() ? "" : "\\") + piece;
    return path;
}

} // namespace

bool ParseUninstallRecord(const std::string& text, UninstallRecord& record)
{
    record = UninstallRecord();
    IniFile ini;
    ini.Parse(text);
    const std::string created = ini.GetValue(kRecordSection, kCreatedKey);
    if (created != "0" && created != "1")
        return false;
    record.created = created == "1";
    record.language = ReadLanguage(ini.GetValue(kRecordSection, kLanguageKey));
    std::vector<std::string> keys, values;
    ini.GetSection(kFilesSection, keys, values);
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i].compare(0, sizeof kFileKeyPrefix - 1, kFileKeyPrefix) == 0)
            AddRecordedFile(record, values[i]);
    return true;
}

std::string FormatUninstallRecord(const UninstallRecord& record)
{
    std::string text = std::string("[") + kRecordSection + "]\n" + kCreatedKey + "=" + (record.created ? "1" : "0")
        + "\n" + kLanguageKey + "=" + std::to_string(record.language) + "\n[" + kFilesSection + "]\n";
    for (size_t i = 0; i < record.files.size(); ++i)
        text += kFileKeyPrefix + std::to_string(i + 1) + "=" + record.files[i] + "\n";
    return text;
}

void AddRecordedFile(UninstallRecord& record, const std::string& relative_path)
{
    // Checked as listed: the plain spelling of a rooted path would pass.
    if (!IsRemovableRecordedPath(relative_path)) {
        record.refused.push_back(relative_path);
        return;
    }
    const std::string path = JoinPieces(PathPieces(relative_path));
    if (record.upper_files.insert(AsciiUpper(path)).second)
        record.files.push_back(path);
}

std::vector<std::string> PlacedFiles(const IniFile& manifest)
{
    std::vector<std::string> keys, values, files;
    manifest.GetSection("URLS", keys, values);
    ResourceEntry entry;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!IsResourceKey(keys[i]) || !ParseResourceEntry(keys[i], values[i], entry))
            continue;
        const std::string name = ResourceFileName(entry.path);
        files.push_back(entry.sub_folder.empty() ? name : entry.sub_folder + "\\" + name);
    }
    return files;
}

bool IsRemovableRecordedPath(const std::string& relative_path)
{
    if (HasControlByte(relative_path))
        return false;
    return !PathPieces(relative_path).empty() && path_rules::IsContainedPath(std::string_view(relative_path))
        && !IsUninstallPlace(relative_path);
}

bool IsUninstallPlace(const std::string& relative_path)
{
    const std::vector<std::string> pieces = PathPieces(relative_path);
    return pieces.size() == 1 && IsUninstallFileName(pieces[0]);
}

bool IsUninstallFileName(const std::string& file_name)
{
    return uninstall_names::IsUninstallFileName(std::string_view(file_name));
}

