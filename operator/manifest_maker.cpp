#include "operator/manifest_maker.h"

#include "install/manifest_rules.h"
#include "install/manifest_signature.h"
#include "install/resource_entry.h"
#include "operator/parse_record.h"
#include "services/text.h"

#include <algorithm>
#include <cstring>

namespace {

// A comma would split the entry's pieces; "?", "#" and "%" would turn the
// rest of the request path into a query, a fragment or an escape, so the
// server would be asked for another file than the one written.
const char kEntryBreakers[] = ",?#%";
// What Windows cannot hold in a name, beyond what the installer refuses.
const char kWindowsForbidden[] = "*\"<>|\\";
// The display name sits in the key: "=" would end the key, "*" would break
// the document's section*key lookups and "#" would cut the name.
const char kKeyBreakers[] = "=*#";

bool IsTopLevel(const ReleaseFile& file, const char* upper_name) { return AsciiUpper(file.path) == upper_name; }

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    std::string folder = path.substr(0, slash);
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
}

// "client/1.4/" and "client/1.4" are one prefix.
std::string RequestPath(std::string prefix, const std::string& path)
{
    while (!prefix.empty() && prefix.back() == '/')
        prefix.pop_back();
    return prefix.empty() ? path : prefix + "/" + path;
}

// Judged on the name as Windows converts it: in the double-byte code pages
// "\\" and "|" are also the second byte of many characters.
bool IsNameableOnWindows(const std::string& path, const NarrowNames& names)
{
    return IsSafeAsOpened(path, names, [](auto text, auto) {
        for (auto c : text)
            if (c > 0 && c < 0x80 && std::strchr(kWindowsForbidden, static_cast<char>(c)))
                return false;
        return true;
    });
}

// A made-only refusal: a name that no manifest line can carry unchanged.
// The entry's marks are below 0x40, never the second byte of a character.
std::string UnnameableRefusal(const std::string& request_path, const NarrowNames& names)
{
    if (request_path.find_first_of(kEntryBreakers) != std::string::npos)
        return "\",\", \"?\", \"#\" and \"%\" cannot stand in a manifest's request path: " + request_path;
    if (!IsNameableOnWindows(request_path, names))
        return "Windows cannot name a file with * \" < > | or \\: " + request_path;
    return std::string();
}

std::string DisplayName(std::string file_name)
{
    file_name.erase(std::remove_if(file_name.begin(), file_name.end(),
                                   [](char c) { return std::strchr(kKeyBreakers, c) != nullptr; }),
                    file_name.end());
    return file_name;
}

struct Entry {
    std::string key;
    std::string value; // without the hash and size pieces until they are read
    const ReleaseFile* file;
};

// Each file's entry; false with a refusal for every file that cannot be one.
bool MakeEntries(const std::vector<ReleaseFile>& files, const MakeOptions& options, std::vector<Entry>& entries,
                 std::vector<std::string>& refusals)
{
    for (size_t i = 0; i < files.size(); ++i) {
        const ReleaseFile& file = files[i];
        const std::string request_path = RequestPath(options.prefix, file.path);
        const std::string key = EntryKey(i + 1, files.size(), ResourceFileName(file.path));
        const std::string value = request_path + "," + FolderOf(file.path);
        std::string refusal = ResourceEntryRefusal(key, value, EntryDemands(), options.names);
        if (refusal.empty())
            refusal = UnnameableRefusal(request_path, options.names);
        if (!refusal.empty())
            refusals.push_back(file.shown + ": " + refusal);
        entries.push_back({key, value, &file});
    }
    return refusals.empty();
}

bool ReadHashes(std::vector<Entry>& entries, const ReadFileHash& hash, std::vector<std::string>& refusals)
{
    for (Entry& entry : entries) {
        ServedFile read;
        if (!hash(entry.file->disk_path, read)) {
            refusals.push_back(entry.file->shown + ": cannot be read");
            continue;
        }
        entry.value += ",sha256:" + read.sha256 + ",size:" + std::to_string(read.size);
    }
    return refusals.empty();
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : "\n") + lines[i];
    return text;
}

// The template's lines, its signature line dropped, and its line ending.
void TemplateLines(const std::string& text, std::vector<std::string>& lines, std::string& cr)
{
    const size_t signature = SignatureLineStart(text);
    Split(lines, signature == std::string::npos ? text : text.substr(0, signature), "\n", 0);
    cr = lines.size() > 1 && EndsWith(lines[0], "\r") ? "\r" : "";
    // The empty piece after the last line break: a last line without one
    // gets it, so that what follows starts a line of its own.
    if (lines.empty() || !lines.back().empty())
        lines.push_back(std::string());
}

// Where [URLS] stands in the template: the line of its last header (0 for
// none) and the last line of the section, header or entry.
void FindUrlsSection(const ParseRecord& record, int& header, int& last)
{
    header = last = 0;
    for (const ParseRecord::Line& line : record.m_sections)
        if (line.section == "URLS")
            header = last = line.number;
    for (const auto* group : {&record.m_entries, &record.m_duplicates})
        for (const ParseRecord::Line& line : *group)
            if (line.section == "URLS")
                last = std::max(last, line.number);
}

// The made text: SERVER_ADDR set where it stands or added under the header,
// and the entry lines after the last line of [URLS]; a new [URLS] before
// the final line break when the template has none.
std::string Assemble(const std::string& template_text, const std::string& host, const std::vector<Entry>& entries)
{
    std::vector<std::string> lines;
    std::string cr;
    TemplateLines(template_text, lines, cr);
    IniFile document;
    ParseRecord record;
    record.Parse(Join(lines), document);
    int header = 0, last = 0;
    FindUrlsSection(record, header, last);
    std::vector<std::string> added;
    for (const Entry& entry : entries)
        added.push_back(entry.key + "=" + entry.value + cr);
    const std::string server_line = "SERVER_ADDR=" + host + cr;
    if (header == 0) {
        added.insert(added.begin(), {"[URLS]" + cr, server_line});
        lines.insert(lines.end() - 1, added.begin(), added.end());
        return Join(lines);
    }
    lines.insert(lines.begin() + last, added.begin(), added.end());
    const int server = record.LineOf("URLS", "SERVER_ADDR");
    if (server == 0) {
        lines.insert(lines.begin() + header, server_line);
    } else {
        std::string& raw = lines[static_cast<size_t>(server - 1)];
        raw.replace(ParseRecord::ValueOffset(raw, "SERVER_ADDR"), document.GetValue("URLS", "SERVER_ADDR").size(), host);
    }
    return Join(lines);
}

} // namespace

void OrderForInstaller(std::vector<ReleaseFile>& files)
{
    std::sort(files.begin(), files.end(), [](const ReleaseFile& a, const ReleaseFile& b) { return a.path < b.path; });
    std::stable_partition(files.begin(), files.end(),
                          [](const ReleaseFile& file) { return IsTopLevel(file, "EXTRACT.DLL"); });
    std::stable_partition(files.begin(), files.end(),
                          [](const ReleaseFile& file) { return !IsTopLevel(file, "CASINO.EXE"); });
}

std::string EntryKey(size_t number, size_t count, const std::string& file_name)
{
    std::string digits = std::to_string(number);
    digits.insert(0, std::to_string(count).size() - std::min(digits.size(), std::to_string(count).size()), '0');
    const std::string display = DisplayName(file_name);
    return "URL_" + digits + (display.empty() ? "" : "#" + display);
}

bool MakeManifest(std::vector<ReleaseFile> files, const MakeOptions& options, const ReadFileHash& hash,
                  std::string& output, std::vector<std::string>& refusals)
{
    IniFile document;
    ParseRecord record;
    record.Parse(options.template_text, document);
    std::vector<std::string> keys, values;
    document.GetSection("URLS", keys, values);
    for (const std::string& key : keys)
        if (IsResourceKey(key))
            refusals.push_back("the template lists a file already: " + key);
    if (files.empty())
        refusals.push_back("the release folder holds no file");
    OrderForInstaller(files);
    std::vector<Entry> entries;
    if (!MakeEntries(files, options, entries, refusals) || !ReadHashes(entries, hash, refusals))
        return false;
    const std::string made = Assemble(options.template_text, options.host, entries);
    CheckOptions check;
    for (const Finding& finding : CheckManifest(made, check))
        if (finding.error)
            refusals.push_back("line " + std::to_string(finding.line) + " of the made manifest: " + finding.text);
    if (!refusals.empty())
        return false;
    output = made;
    return true;
}
