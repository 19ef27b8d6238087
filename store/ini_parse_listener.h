// What the INI parser did with each line of a text, for a tool that judges a
// manifest by the installer's own grammar (the operators' checker). Line
// numbers count from 1, one per "\n"-separated line of the parsed text.
#pragma once

#include <string>

class IniParseListener {
public:
    virtual ~IniParseListener() {}
    // A header line opened (or reopened) the section `name`.
    virtual void OnSection(int line, const std::string& name) = 0;
    // A key=value line; `stored` is false when an earlier line holds the
    // same section and key, whose value is kept.
    virtual void OnEntry(int line, const std::string& section, const std::string& key,
                         const std::string& value, bool stored) = 0;
    // A line that is neither empty, nor a comment, nor a header, nor a
    // key=value line, as it stands after trimming: the parser drops it.
    virtual void OnDroppedLine(int line, const std::string& text) = 0;
};
