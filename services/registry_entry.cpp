#include "services/registry_entry.h"

#include "services/language_table.h"
#include "services/text.h"

#include <vector>

namespace {

bool IsCWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

std::uint32_t DecimalLow32(const std::string& text)
{
    std::string::size_type position = 0;
    while (position < text.size() && IsCWhiteSpace(text[position]))
        ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-'))
        negative = text[position++] == '-';
    std::uint32_t number = 0;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position)
        number = number * 10u + static_cast<std::uint32_t>(text[position] - '0');
    return negative ? 0u - number : number;
}

bool ParseRegistryEntry(const std::string& key, const std::string& value, RegistryEntry& entry)
{
    std::vector<std::string> pieces;
    Split(pieces, key, "/", 2);
    // Only "sub/name" names a sub-key; with more cuts the text before the
    // first "/" is the value name, as the deployed manifests expect.
    entry.sub_key = pieces.size() == 2 ? pieces[0] : std::string();
    entry.value_name = pieces.size() == 2 ? pieces[1] : (pieces.empty() ? key : pieces[0]);

    Split(pieces, value, ":", 2);
    if (pieces.size() != 2)
        return false;
    if (IsEqual(pieces[0], "D")) {
        entry.type = RegistryEntry::kNumber;
        entry.number = DecimalLow32(pieces[1]);
        return true;
    }
    if (IsEqual(pieces[0], "S")) {
        entry.type = RegistryEntry::kText;
        entry.text = pieces[1];
        return true;
    }
    return false;
}
