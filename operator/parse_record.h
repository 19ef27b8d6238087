// Everything the installer's INI parser did with a manifest's lines, recorded
// for the checker: the line of every stored entry, the later duplicates, the
// section headers and the dropped lines.
#pragma once

#include "services/text.h"
#include "store/ini_file.h"
#include "store/ini_parse_listener.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

class ParseRecord : public IniParseListener {
public:
    struct Line {
        int number;
        std::string section; // the header's name, or the entry's section
        std::string key;     // empty for headers and dropped lines
        std::string value;   // the entry's value, or the dropped line's text
    };

    // Parses `text` into `document`, recording every line.
    void Parse(const std::string& text, IniFile& document) { document.Parse(text, this); }

    // Where the value of `key` starts in its raw line: the parser trimmed the
    // line and cut it at its first "=", so right after the key.
    static size_t ValueOffset(const std::string& raw_line, const std::string& key)
    {
        size_t start = 0;
        while (start < raw_line.size() && IsWhiteSpace(raw_line[start]))
            ++start;
        return start + key.size() + 1;
    }

    // The line of the stored entry, or 0 when there is none.
    int LineOf(const std::string& section, const std::string& key) const
    {
        const auto found = m_stored.find(std::make_pair(section, key));
        return found == m_stored.end() ? 0 : found->second;
    }

    std::vector<Line> m_sections;
    std::vector<Line> m_entries;    // stored ones, in text order
    std::vector<Line> m_duplicates; // dropped for an earlier same key
    std::vector<Line> m_dropped;

private:
    void OnSection(int line, const std::string& name) override { m_sections.push_back({line, name, "", ""}); }
    void OnEntry(int line, const std::string& section, const std::string& key, const std::string& value,
                 bool stored) override
    {
        (stored ? m_entries : m_duplicates).push_back({line, section, key, value});
        if (stored)
            m_stored[std::make_pair(section, key)] = line;
    }
    void OnDroppedLine(int line, const std::string& text) override { m_dropped.push_back({line, "", "", text}); }

    std::map<std::pair<std::string, std::string>, int> m_stored;
};
