#include "operator/manifest_check.h"

#include "install/addresses.h"
#include "install/manifest_rules.h"
#include "install/registration_rules.h"
#include "install/resource_entry.h"
#include "operator/parse_record.h"
#include "services/registry_entry.h"
#include "services/text.h"

#include <algorithm>

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";
// Operators are warned this many days before a manifest expires.
const std::int64_t kExpiryWarningDays = 7;
const char* const kReadSections[] = {"GENERAL", "URLS", "REG"};

class Findings {
public:
    void Error(int line, const std::string& text) { m_list.push_back({line, true, text}); }
    void Warning(int line, const std::string& text) { m_list.push_back({line, false, text}); }
    std::vector<Finding> InLineOrder()
    {
        std::stable_sort(m_list.begin(), m_list.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        return m_list;
    }

private:
    std::vector<Finding> m_list;
};

// What the parser did that an operator may not have meant.
void CheckLines(const std::string& text, const ParseRecord& record, Findings& findings)
{
    if (text.compare(0, 3, kByteOrderMark) == 0)
        findings.Warning(1, "a byte-order mark starts the manifest: the installer reads it as part of the first line");
    for (const ParseRecord::Line& header : record.m_sections) {
        std::string trimmed;
        const std::string near = AsciiUpper(Trim(header.section, trimmed));
        for (const char* section : kReadSections)
            if (header.section != section && near == section)
                findings.Warning(header.number, "[" + header.section + "] is not [" + section
                                                    + "]: names are read exactly, so the installer ignores it");
    }
    for (const ParseRecord::Line& duplicate : record.m_duplicates)
        findings.Warning(duplicate.number, "duplicate key " + duplicate.key + ": the installer keeps the value of line "
                                               + std::to_string(record.LineOf(duplicate.section, duplicate.key)));
    for (const ParseRecord::Line& entry : record.m_entries)
        if (IsWhiteSpace(entry.key.back()) || IsWhiteSpace(entry.value.front()))
            findings.Warning(entry.number, "blanks around \"=\": the key is read as \"" + entry.key
                                               + "\" and the value as \"" + entry.value + "\"");
    for (const ParseRecord::Line& dropped : record.m_dropped)
        findings.Warning(dropped.number, "line ignored, neither [section] nor key=value: " + dropped.value);
}

void CheckRegistry(const IniFile& manifest, const ParseRecord& record, Findings& findings)
{
    const std::string brand = manifest.GetValue("GENERAL", "BRAND_NAME");
    std::vector<std::string> keys, values;
    manifest.GetSection("REG", keys, values);
    for (size_t i = 0; i < keys.size(); ++i) {
        const int line = record.LineOf("REG", keys[i]);
        const std::string refusal = RegistryEntryRefusal(brand, keys[i], values[i]);
        RegistryEntry entry;
        if (!refusal.empty())
            findings.Error(line, refusal);
        else if (ParseRegistryEntry(keys[i], values[i], entry))
            continue;
        else if (values[i].compare(0, 2, "d:") == 0 || values[i].compare(0, 2, "s:") == 0)
            findings.Warning(line, "lower-case type in " + keys[i] + ": the installer skips it (types are D: and S:)");
        else
            findings.Warning(line, "REG entry " + keys[i] + " skipped: its value is neither D:number nor S:text");
    }
}

void CheckShortcuts(const IniFile& manifest, const ParseRecord& record, Findings& findings)
{
    std::vector<std::string> unknown;
    ReadShortcutKinds(manifest, unknown);
    for (const std::string& word : unknown)
        findings.Warning(record.LineOf("GENERAL", "SHORTCUTS"),
                         "SHORTCUTS word \"" + word + "\" is neither startmenu, desktop nor none: the installer"
                                                     " ignores it");
}

void CheckFile(const ResourceEntry& entry, int line, const ServedFiles& files, Findings& findings)
{
    ServedFile actual;
    if (!files(entry.path, actual)) {
        findings.Error(line, "file missing: " + entry.path);
        return;
    }
    if (entry.hash == HashPiece::kSha256 && actual.sha256 != entry.sha256)
        findings.Error(line, "hash mismatch for " + entry.path + ": the manifest says " + entry.sha256
                                 + ", the file has " + actual.sha256);
    if (entry.size_piece == SizePiece::kBytes && actual.size != entry.size)
        findings.Error(line, "size mismatch for " + entry.path + ": the manifest says " + std::to_string(entry.size)
                                 + " bytes, the file has " + std::to_string(actual.size));
}

void CheckResourceEntry(const std::string& key, const std::string& value, int line, bool& library_fetched,
                        const CheckOptions& options, Findings& findings)
{
    EntryDemands demands;
    demands.hash = options.strict;
    const std::string refusal = ResourceEntryRefusal(key, value, demands);
    if (!refusal.empty()) {
        findings.Error(line, refusal);
        return;
    }
    ResourceEntry entry;
    ParseResourceEntry(key, value, entry);
    std::vector<std::string> pieces;
    Split(pieces, value, ",", 0);
    if (pieces.size() > 4)
        findings.Warning(line, "pieces past the fourth are ignored: " + value);
    const std::string unsigned_file = options.verify || options.strict ? SignedEntryRefusal(key, value) : std::string();
    if (!unsigned_file.empty())
        findings.Error(line, unsigned_file);
    else if (entry.hash != HashPiece::kSha256)
        findings.Warning(line, pieces.size() >= 3 ? "the third piece is not a hash and is ignored: " + value
                                                  : "no hash: the installer cannot check " + entry.path);
    if (pieces.size() >= 4 && entry.size_piece != SizePiece::kBytes)
        findings.Warning(line, "the fourth piece is not a size and is ignored: " + value);
    const std::string file_name = ResourceFileName(entry.path);
    if (entry.sub_folder.empty() && AsciiUpper(file_name) == "EXTRACT.DLL")
        library_fetched = true;
    if (EndsWith(file_name, ".7z") && !library_fetched)
        findings.Error(line, key + " fetches an archive before Extract.dll, which unpacks it"
                                  " (keys are fetched in byte order: URL_10 before URL_2)");
    if (options.files)
        CheckFile(entry, line, *options.files, findings);
}

// SERVER_ADDR keeps the reading it has always had: a host that the mirrors'
// grammar would refuse is only warned about.
void CheckServerHost(const std::string& host, int line, Findings& findings)
{
    if (!host.empty() && !IsSafeHost(host))
        findings.Warning(line, "SERVER_ADDR " + host + " is not a plain host name (letters, digits, \"-\" and \".\","
                                   " at most 253 bytes): the installer connects to it as written, but such a"
                                   " host in SERVER_MIRRORS is refused");
}

void CheckFiles(const IniFile& manifest, const ParseRecord& record, const CheckOptions& options, Findings& findings)
{
    std::vector<std::string> keys, values;
    manifest.GetSection("URLS", keys, values);
    bool library_fetched = false;
    bool any_file = false;
    for (size_t i = 0; i < keys.size(); ++i) {
        const int line = record.LineOf("URLS", keys[i]);
        if (IsResourceKey(keys[i])) {
            any_file = true;
            CheckResourceEntry(keys[i], values[i], line, library_fetched, options, findings);
        } else if (!HostValueRefusal(keys[i], values[i]).empty()) {
            findings.Error(line, HostValueRefusal(keys[i], values[i]));
        } else if (keys[i] == "SERVER_SCHEME") {
            if (AsciiUpper(values[i]) != "HTTP" && AsciiUpper(values[i]) != "HTTPS")
                findings.Warning(line, "SERVER_SCHEME " + values[i] + " means plain HTTP");
        } else if (keys[i] == "SERVER_ADDR") {
            CheckServerHost(values[i], line, findings);
        } else if (keys[i] == "PARALLEL_DOWNLOADS") {
            int count = 0;
            if (!ReadParallelDownloads(values[i], count))
                findings.Error(line, "PARALLEL_DOWNLOADS " + values[i] + " is not a whole number from 1 to "
                                         + std::to_string(kMostParallelDownloads) + ": the installer ignores it and"
                                         " fetches " + std::to_string(kDefaultParallelDownloads) + " files at once");
        } else if (keys[i] != "SERVER_MIRRORS") {
            findings.Warning(line, AsciiUpper(keys[i]).compare(0, 4, "URL_") == 0
                                       ? keys[i] + " is not read: file keys begin with URL_ in capitals"
                                       : "key " + keys[i] + " is not read by the installer");
        }
    }
    if (any_file && manifest.GetValue("URLS", "SERVER_ADDR").empty())
        findings.Error(0, "no SERVER_ADDR in [URLS]: every file would fail");
}

// What a keyed installer with the given keys refuses is an error; without
// keys, a warning that keyed installers would refuse it.
void KeyedRefusal(const CheckOptions& options, int line, const std::string& text, Findings& findings)
{
    if (options.verify || options.strict)
        findings.Error(line, text);
    else
        findings.Warning(line, text + " (keyed installers refuse the manifest)");
}

// MANIFEST_SERIAL or MANIFEST_EXPIRES; false when it is missing or malformed.
bool CheckFreshnessKey(const IniFile& manifest, const ParseRecord& record, const CheckOptions& options,
                       const char* key, bool (*valid)(const std::string&), const char* grammar,
                       Findings& findings)
{
    const std::string value = manifest.GetValue("GENERAL", key);
    if (valid(value))
        return true;
    KeyedRefusal(options, record.LineOf("GENERAL", key),
                 "Invalid manifest signature: " + (value.empty() ? std::string("no ") + key + " in [GENERAL]"
                                                                 : std::string(key) + " " + value + " is not " + grammar),
                 findings);
    return false;
}


void CheckExpiry(const std::string& expires, int line, const CheckOptions& options, Findings& findings)
{
    CalendarDate date;
    ReadDate(expires, date);
    const std::int64_t days_left = DayNumber(date) - DayNumber(options.today);
    if (days_left < 0)
        KeyedRefusal(options, line, "Expired manifest: " + expires, findings);
    else if (days_left == 0)
        findings.Warning(line, "the manifest expires at the end of today (" + expires + ", UTC)");
    else if (days_left < kExpiryWarningDays)
        findings.Warning(line, "the manifest expires in " + std::to_string(days_left) + " day"
                                   + (days_left == 1 ? "" : "s") + ": it is valid through " + expires + " (UTC)");
}

// The signature line and the freshness keys, as keyed installers read them.
void CheckSignature(const std::string& text, const IniFile& manifest, const ParseRecord& record,
                    const CheckOptions& options, Findings& findings)
{
    size_t covered = 0;
    std::string signature;
    const SignatureLine state = ReadSignatureLine(text, covered, signature);
    const bool has_keys = manifest.GetValue("GENERAL", "MANIFEST_SERIAL").size()
        + manifest.GetValue("GENERAL", "MANIFEST_EXPIRES").size() > 0;
    if (state == SignatureLine::kAbsent && (options.verify || options.strict))
        findings.Error(0, "Unsigned manifest");
    // The keys matter only to a manifest that is signed or meant to be.
    if (state == SignatureLine::kAbsent && !has_keys)
        return;
    const size_t line_start = SignatureLineStart(text);
    const int line = line_start == std::string::npos
        ? 0
        : 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(line_start), '\n'));
    if (state == SignatureLine::kMalformed)
        KeyedRefusal(options, line, "Invalid manifest signature: the last line is not \"" + std::string(kSignaturePrefix)
                                        + "\", padded base64 and at most one line break", findings);
    else if (state == SignatureLine::kPresent && options.verify
             && !options.verify(std::string_view(text).substr(0, covered), signature))
        findings.Error(line, "Invalid manifest signature: no key given verifies it");
    else if (state == SignatureLine::kPresent && !options.verify && options.strict)
        findings.Warning(line, "the signature is not verified: give the build's keys with --public-key");
    CheckFreshnessKey(manifest, record, options, "MANIFEST_SERIAL", IsSerial,
                      "a whole number from 1 to 2^53 without a leading zero", findings);
    if (CheckFreshnessKey(manifest, record, options, "MANIFEST_EXPIRES", IsDate, "a real date YYYY-MM-DD", findings))
        CheckExpiry(manifest.GetValue("GENERAL", "MANIFEST_EXPIRES"), record.LineOf("GENERAL", "MANIFEST_EXPIRES"),
                    options, findings);
}

// Strict and keyed builds show the skin page from https only.
void CheckSkinPage(const IniFile& manifest, const ParseRecord& record, const CheckOptions& options,
                   Findings& findings)
{
    const std::string skin = manifest.GetValue("GENERAL", "SKIN_URL");
    const int line = record.LineOf("GENERAL", "SKIN_URL");
    // The installer's own judgement, of the whole address it would show.
    const SkinPageVerdict verdict = JudgeSkinPage(ManifestSkinPage(manifest), true);
    if (verdict == SkinPageVerdict::kControlByte)
        findings.Warning(line, "the skin page's address holds a control byte: the installer shows no skin page");
    else if (skin.empty() || verdict == SkinPageVerdict::kShown)
        return;
    else if (options.strict)
        findings.Error(line, "SKIN_URL " + skin + " is not https: a strict build shows no skin page");
    else if (options.verify)
        findings.Warning(line, "SKIN_URL " + skin + " is not https: a keyed build shows no skin page");
}

} // namespace

std::vector<Finding> CheckManifest(const std::string& text, const CheckOptions& options)
{
    IniFile manifest;
    ParseRecord record;
    record.Parse(text, manifest);
    Findings findings;
    if (text.size() > kLargestManifest)
        findings.Error(0, "the manifest is longer than 1 MiB: the installer refuses it");
    CheckLines(text, record, findings);
    const std::string brand = BrandRefusal(manifest);
    if (!brand.empty())
        findings.Error(record.LineOf("GENERAL", "BRAND_NAME"), brand);
    CheckShortcuts(manifest, record, findings);
    CheckRegistry(manifest, record, findings);
    CheckSignature(text, manifest, record, options, findings);
    CheckSkinPage(manifest, record, options, findings);
    CheckFiles(manifest, record, options, findings);
    return findings.InLineOrder();
}

bool HasError(const std::vector<Finding>& findings)
{
    return std::any_of(findings.begin(), findings.end(), [](const Finding& finding) { return finding.error; });
}
