#include "install/uninstall_record.h"

#include "base/path_rules.h"
#include "install/resource_entry.h"
#include "services/text.h"
#include "store/ini_file.h"

namespace {

const char kRecordSection[] = "UNINSTALL";
const char kCreatedKey[] = "CREATED";
const char kFilesSection[] = "FILES";
const char kFileKeyPrefix[] = "FILE_";
const char kKeyExistedKey[] = "KEY_EXISTED";
const char kEntryKey[] = "ENTRY";
const char kValuesSection[] = "VALUES";
const char kValueKeyPrefix[] = "VALUE_";

// A flag of the record: 1 or 0; anything else (an older record has none)
// leaves `flag` as it is.
void ReadFlag(const IniFile& ini, const char* key, bool& flag)
{
    const std::string value = ini.GetValue(kRecordSection, key);
    if (value == "0" || value == "1")
        flag = value == "1";
}

const char* FlagText(bool flag) { return flag ? "1" : "0"; }

// The values of the keys of `section` that begin with `prefix`.
std::vector<std::string> NumberedValues(const IniFile& ini, const char* section, const char* prefix)
{
    std::vector<std::string> keys, values, numbered;
    ini.GetSection(section, keys, values);
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i].compare(0, std::char_traits<char>::length(prefix), prefix) == 0)
            numbered.push_back(values[i]);
    return numbered;
}

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
    ReadFlag(ini, kKeyExistedKey, record.key_existed);
    ReadFlag(ini, kEntryKey, record.entry);
    for (const std::string& file : NumberedValues(ini, kFilesSection, kFileKeyPrefix))
        AddRecordedFile(record, file);
    for (const std::string& value : NumberedValues(ini, kValuesSection, kValueKeyPrefix))
        AddRecordedValue(record, value);
    return true;
}

std::string FormatUninstallRecord(const UninstallRecord& record)
{
    std::string text = std::string("[") + kRecordSection + "]\n" + kCreatedKey + "=" + FlagText(record.created)
        + "\n" + kKeyExistedKey + "=" + FlagText(record.key_existed) + "\n" + kEntryKey + "="
        + FlagText(record.entry) + "\n[" + kValuesSection + "]\n";
    for (size_t i = 0; i < record.values.size(); ++i)
        text += kValueKeyPrefix + std::to_string(i + 1) + "=" + record.values[i] + "\n";
    // The files last, as in every record before: a line added at the end
    // is a file still.
    text += std::string("[") + kFilesSection + "]\n";
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

bool IsRecordedFile(const UninstallRecord& record, const std::string& relative_path)
{
    return record.upper_files.count(AsciiUpper(JoinPieces(PathPieces(relative_path)))) > 0;
}

void AddRecordedValue(UninstallRecord& record, const std::string& entry_key)
{
    // A line break would make a record line of its own.
    if (entry_key.empty() || HasControlByte(entry_key))
        return;
    for (const std::string& value : record.values)
        if (value == entry_key)
            return;
    record.values.push_back(entry_key);
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

bool StartsWithShortName(const std::string& relative_path)
{
    const std::vector<std::string> pieces = PathPieces(relative_path);
    return !pieces.empty() && uninstall_names::MayBeShortName(std::string_view(pieces[0]));
}

bool IsUninstallFileName(const std::string& file_name)
{
    return uninstall_names::IsUninstallFileName(std::string_view(file_name));
}

