#include "services/text.h"

#include <limits>

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

std::string AsciiUpper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool IsWhiteSpace(char c)
{
    switch (c) {
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
        return true;
    default:
        return false;
    }
}

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

long long LeadingNumber(const std::string& text)
{
    std::string::size_type at = 0;
    while (at < text.size() && IsWhiteSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    const long long limit = std::numeric_limits<long long>::max();
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const int digit = text[at] - '0';
        if (value > (limit - digit) / 10)
            return negative ? std::numeric_limits<long long>::min() : limit;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

bool HasControlByte(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20)
            return true;
    return false;
}

int ClampToInt(long long value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}
