// The manifest document: INI text parsed into one map keyed by
// section + "*" + key, answering value lookups and section listings.
#pragma once

#include "store/locked_map.h"

class IniParseListener;

#include <string>
#include <vector>

class IniFile {
public:
    IniFile() = default;
    virtual ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Adds the entries of `text`; keys already present keep their first value.
    // A listener, when given, learns what became of every line.
    void Parse(const std::string& text, IniParseListener* listener = nullptr);
    // Appends the document to `output` as INI text, sections and keys in byte order.
    std::string& Serialize(std::string& output) const;
    // The value, or the empty text when the section/key pair is missing.
    std::string GetValue(const std::string& section, const std::string& key) const;
    // Key names and values of one section, in byte order of the key names.
    void GetSection(const std::string& section, std::vector<std::string>& keys,
                    std::vector<std::string>& values) const;

private:
    static std::string MakeKey(const std::string& section, const std::string& key);
    static bool SplitKey(const std::string& composite, std::string& section,
                         std::string& key);
    static bool IsSection(const std::string& line, std::string& section);
    static bool SplitKeyValue(const std::string& line, std::string& key,
                              std::string& value);

    LockedMap m_entries;
};
