#include "install/manifest_signature.h"

#include "base/player_texts.h"
#include "install/resource_entry.h"
#include "store/ini_file.h"

#include <vector>

const char kSignaturePrefix[] = "#signature=rsa-sha256:";

namespace {

const size_t kPrefixLength = sizeof kSignaturePrefix - 1;
// 2^53 has 16 digits.
const size_t kMostSerialDigits = 16;
const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    return c == '/' ? 63 : -1;
}

// The end of the text once at most one final LF or CR-LF is set aside.
size_t EndBeforeLastBreak(const std::string& text)
{
    size_t end = text.size();
    if (end > 0 && text[end - 1] == '\n') {
        --end;
        if (end > 0 && text[end - 1] == '\r')
            --end;
    }
    return end;
}

// Reads `count` decimal digits at `at`; -1 when any is not a digit.
int Digits(const std::string& text, size_t at, size_t count)
{
    int number = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        number = number * 10 + (text[i] - '0');
    }
    return number;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::string ZeroPadded(int number, size_t width)
{
    std::string digits = std::to_string(number);
    return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

} // namespace

size_t SignatureLineStart(const std::string& text)
{
    const size_t end = EndBeforeLastBreak(text);
    const size_t last_break = end == 0 ? std::string::npos : text.rfind('\n', end - 1);
    const size_t start = last_break == std::string::npos ? 0 : last_break + 1;
    return text.compare(start, kPrefixLength, kSignaturePrefix) == 0 ? start : std::string::npos;
}

SignatureLine ReadSignatureLine(const std::string& text, size_t& covered, std::string& signature)
{
    covered = 0;
    signature.clear();
    const size_t start = SignatureLineStart(text);
    if (start == std::string::npos)
        return SignatureLine::kAbsent;
    const size_t base64_at = start + kPrefixLength;
    const std::string base64 = text.substr(base64_at, EndBeforeLastBreak(text) - base64_at);
    if (!DecodeBase64(base64, signature) || signature.empty()) {
        signature.clear();
        return SignatureLine::kMalformed;
    }
    covered = start;
    return SignatureLine::kPresent;
}

bool DecodeBase64(const std::string& text, std::string& bytes)
{
    bytes.clear();
    if (text.size() % 4 != 0)
        return false;
    for (size_t group = 0; group < text.size(); group += 4) {
        const bool last = group + 4 == text.size();
        unsigned long bits = 0;
        int padding = 0;
        for (size_t i = group; i < group + 4; ++i) {
            // "=" fills only the last one or two places of the last group.
            if (text[i] == '=' && last && i - group >= 2) {
                ++padding;
                bits <<= 6;
                continue;
            }
            const int value = Base64Value(text[i]);
            if (value < 0 || padding > 0)
                return false;
            bits = bits << 6 | static_cast<unsigned long>(value);
        }
        // The bits the padding leaves over must be zero, or two texts would
        // decode to the same bytes.
        if ((padding == 1 && (bits & 0xFF) != 0) || (padding == 2 && (bits & 0xFFFF) != 0))
            return false;
        bytes += static_cast<char>(bits >> 16 & 0xFF);
        if (padding < 2)
            bytes += static_cast<char>(bits >> 8 & 0xFF);
        if (padding < 1)
            bytes += static_cast<char>(bits & 0xFF);
    }
    return true;
}

std::string EncodeBase64(const std::string& bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t group = 0; group < bytes.size(); group += 3) {
        const size_t count = bytes.size() - group < 3 ? bytes.size() - group : 3;
        unsigned long bits = 0;
        for (size_t i = 0; i < 3; ++i)
            bits = bits << 8 | (i < count ? static_cast<unsigned char>(bytes[group + i]) : 0);
        for (size_t i = 0; i < 4; ++i)
            text += i <= count ? kBase64Alphabet[bits >> (18 - 6 * i) & 0x3F] : '=';
    }
    return text;
}

bool ReadSerial(const std::string& text, std::uint64_t& serial)
{
    serial = 0;
    if (text.empty() || text.size() > kMostSerialDigits || text[0] == '0')
        return false;
    std::uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number > kLargestSerial)
        return false;
    serial = number;
    return true;
}

bool IsSerial(const std::string& text)
{
    std::uint64_t serial = 0;
    return ReadSerial(text, serial);
}

bool ReadDate(const std::string& text, CalendarDate& date)
{
    date = CalendarDate();
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    date.year = year;
    date.month = month;
    date.day = day;
    return true;
}

bool IsDate(const std::string& text)
{
    CalendarDate date;
    return ReadDate(text, date);
}

std::string FormatDate(const CalendarDate& date)
{
    return ZeroPadded(date.year, 4) + "-" + ZeroPadded(date.month, 2) + "-" + ZeroPadded(date.day, 2);
}

// The Gregorian calendar's days counted in eras of 400 years, each of which
// has the same 146,097 days; March starts the year, so that a leap day ends it.
std::int64_t DayNumber(const CalendarDate& date)
{
    const std::int64_t year = date.month <= 2 ? date.year - 1 : date.year;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t year_of_era = year - era * 400;
    const std::int64_t month_from_march = date.month > 2 ? date.month - 3 : date.month + 9;
    const std::int64_t day_of_year = (153 * month_from_march + 2) / 5 + date.day - 1;
    const std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

CalendarDate DateOfDay(std::int64_t day_number)
{
    const std::int64_t shifted = day_number + 719468;
    const std::int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const std::int64_t day_of_era = shifted - era * 146097;
    const std::int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const std::int64_t month_from_march = (5 * day_of_year + 2) / 153;
    CalendarDate date;
    date.day = static_cast<int>(day_of_year - (153 * month_from_march + 2) / 5 + 1);
    date.month = static_cast<int>(month_from_march < 10 ? month_from_march + 3 : month_from_march - 9);
    date.year = static_cast<int>(year_of_era + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

bool IsExpired(const CalendarDate& expires, const CalendarDate& today)
{
    return DayNumber(today) > DayNumber(expires);
}

std::string SignedEntryRefusal(const std::string& key, const std::string& value)
{
    ResourceEntry entry;
    if (!IsResourceKey(key) || !ParseResourceEntry(key, value, entry))
        return std::string();
    const std::string missing = MissingChecksumRefusal(entry, value);
    if (!missing.empty())
        return missing;
    if (entry.size_piece == SizePiece::kAbsent)
        return FillText(EnglishText(TextId::kMissingSize), {value});
    return std::string();
}

std::string SignedEntriesRefusal(const IniFile& manifest)
{
    std::vector<std::string> keys, values;
    manifest.GetSection("URLS", keys, values);
    std::string refusal;
    for (size_t i = 0; i < keys.size() && refusal.empty(); ++i)
        refusal = SignedEntryRefusal(keys[i], values[i]);
    return refusal;
}

std::string KeyedManifestRefusal(const std::string& text, const IniFile& manifest, const SignatureCheck& verify,
                                 std::uint64_t floor, const CalendarDate& today)
{
    size_t covered = 0;
    std::string signature;
    const SignatureLine line = ReadSignatureLine(text, covered, signature);
    if (line == SignatureLine::kAbsent)
        return EnglishText(TextId::kUnsignedManifest);
    const std::string serial_text = manifest.GetValue("GENERAL", "MANIFEST_SERIAL");
    const std::string expires_text = manifest.GetValue("GENERAL", "MANIFEST_EXPIRES");
    std::uint64_t serial = 0;
    CalendarDate expires;
    if (line == SignatureLine::kMalformed || !verify(std::string_view(text).substr(0, covered), signature)
        || !ReadSerial(serial_text, serial) || !ReadDate(expires_text, expires))
        return EnglishText(TextId::kInvalidSignature);
    if (serial < floor)
        return FillText(EnglishText(TextId::kOutdatedManifest), {serial_text});
    if (IsExpired(expires, today))
        return FillText(EnglishText(TextId::kExpiredManifest), {expires_text});
    return SignedEntriesRefusal(manifest);
}
