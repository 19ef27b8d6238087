#include "services/text.h"

void Split(std::vector<std::string>& pieces, const std::string& text,
           const std::string& delimiter, int max_splits)
{
    pieces.clear();
    if (delimiter.empty() || text.empty())
        return;

    std::string::size_type position = 0;
    int splits = 0;
    while (max_splits == 0 || splits < max_splits) {
        const std::string::size_type match = text.find(delimiter, position);
        if (match == std::string::npos)
            break;
        pieces.push_back(text.substr(position, match - position));
        position = match + delimiter.size();
        ++splits;
    }
    pieces.push_back(text.substr(position));
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size()
        && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

namespace {

// The C locale's white space, spelled out so that the result never depends on
// the current locale or on the signedness of char.
bool IsWhiteSpace(char c)
{
    switch (c) {
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string& Trim(const std::string& text, std::string& trimmed)
{
    trimmed.clear();
    std::string::size_type first = 0;
    while (first < text.size() && IsWhiteSpace(text[first]))
        ++first;
    if (first == text.size())
        return trimmed;

    std::string::size_type last = text.size() - 1;
    while (IsWhiteSpace(text[last]))
        --last;
    trimmed.assign(text, first, last - first + 1);
    return trimmed;
}
