#include "store/ini_file.h"

#include "services/text.h"
#include "store/ini_parse_listener.h"

IniFile::~IniFile() { m_entries.Clear(); }

std::string IniFile::MakeKey(const std::string& section, const std::string& key)
{
    return section + "*" + key;
}

bool IniFile::SplitKey(const std::string& composite, std::string& section,
                       std::string& key)
{
    std::vector<std::string> pieces;
    Split(pieces, composite, "*", 0);
    if (pieces.size() != 2) {
        section.clear();
        key.clear();
        return false;
    }
    section = pieces[0];
    key = pieces[1];
    return true;
}

bool IniFile::IsSection(const std::string& line, std::string& section)
{
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return false;
    section = line.substr(1, line.size() - 2);
    return true;
}

bool IniFile::SplitKeyValue(const std::string& line, std::string& key,
                            std::string& value)
{
    std::vector<std::string> pieces;
    Split(pieces, line, "=", 1);
    if (pieces.size() != 2 || pieces[0].empty() || pieces[1].empty())
        return false;
    key = pieces[0];
    value = pieces[1];
    return true;
}

void IniFile::Parse(const std::string& text, IniParseListener* listener)
{
    std::vector<std::string> lines;
    Split(lines, text, "\n", 0);

    std::string section;
    std::string line, key, value;
    int number = 0;
    for (const std::string& raw : lines) {
        ++number;
        Trim(raw, line);
        if (line.empty() || line.front() == '#')
            continue;
        if (IsSection(line, section)) {
            if (listener)
                listener->OnSection(number, section);
        } else if (SplitKeyValue(line, key, value)) {
            const bool stored = m_entries.Insert(MakeKey(section, key), value);
            if (listener)
                listener->OnEntry(number, section, key, value, stored);
        } else if (listener) {
            listener->OnDroppedLine(number, line);
        }
    }
}

std::string& IniFile::Serialize(std::string& output) const
{
    std::vector<std::string> composites;
    m_entries.Keys(composites);

    std::string previous_section, section, key, value;
    for (const std::string& composite : composites) {
        // Names holding "*" cannot be told apart from the separator; such an
        // entry is still found by GetValue but has no sound INI form.
        if (!SplitKey(composite, section, key) || !m_entries.Find(composite, value))
            continue;
        if (section != previous_section) {
            output += "[" + section + "]\n";
            previous_section = section;
        }
        output += key + "=" + value + "\n";
    }
    return output;
}

std::string IniFile::GetValue(const std::string& section, const std::string& key) const
{
    std::string value;
    m_entries.Find(MakeKey(section, key), value);
    return value;
}

void IniFile::GetSection(const std::string& section, std::vector<std::string>& keys,
                         std::vector<std::string>& values) const
{
    keys.clear();
    values.clear();
    std::vector<std::string> composites;
    m_entries.Keys(composites);

    std::string entry_section, key;
    for (const std::string& composite : composites) {
        if (SplitKey(composite, entry_section, key) && entry_section == section) {
            values.push_back(GetValue(entry_section, key));
            keys.push_back(key);
        }
    }
}
