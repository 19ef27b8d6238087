// The signed manifest's format, shared by the keyed installer and the
// operators' tool: the signature line and the bytes it covers, its base64,
// the serial and the expiry date of [GENERAL], and the order in which a keyed
// installer judges them. Portable: the platform's part is only the signature
// check itself, which the caller hands in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class IniFile;

// What starts the manifest's last line when it is signed; base64 follows.
extern const char kSignaturePrefix[];

// The largest MANIFEST_SERIAL: 2^53, up to which a double holds every whole
// number, so that a server in any language can count serials exactly.
const std::uint64_t kLargestSerial = std::uint64_t(1) << 53;

enum class SignatureLine {
    kAbsent,    // the last line does not start with the prefix
    kMalformed, // it does, but its base64 is not RFC 4648's padded form
    kPresent,
};

// Where the signature line starts: the offset of its "#", which is the
// text's first byte or follows a LF, on the last line once at most one final
// LF or CR-LF is set aside; std::string::npos when that line does not start
// with kSignaturePrefix. The signature covers every byte before it.
size_t SignatureLineStart(const std::string& text);

// Reads the signature line. kPresent gives the number of covered bytes and
// the signature's bytes in the order OpenSSL writes them (most significant
// first). After the base64 only one LF or CR-LF may follow.
SignatureLine ReadSignatureLine(const std::string& text, size_t& covered, std::string& signature);

// RFC 4648 base64 with padding: a multiple of four characters from the
// standard alphabet, "=" only at the end, no white space, and zero bits
// where the padding leaves some. False for anything else.
bool DecodeBase64(const std::string& text, std::string& bytes);
std::string EncodeBase64(const std::string& bytes);

// MANIFEST_SERIAL: decimal digits without a sign or a leading zero, from 1
// to kLargestSerial.
bool ReadSerial(const std::string& text, std::uint64_t& serial);

// ReadSerial and ReadDate as yes-or-no questions.
bool IsSerial(const std::string& text);

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// MANIFEST_EXPIRES: "YYYY-MM-DD", a real day of the Gregorian calendar from
// the year 1 on (2025-02-30 and 2023-02-29 are malformed).
bool ReadDate(const std::string& text, CalendarDate& date);
std::string FormatDate(const CalendarDate& date);
bool IsDate(const std::string& text);

// Days since 1970-01-01 (negative before), and back.
std::int64_t DayNumber(const CalendarDate& date);
CalendarDate DateOfDay(std::int64_t day_number);

// A manifest is valid through its expiry day, in UTC: expired once `today`
// (UTC) is a later day.
bool IsExpired(const CalendarDate& expires, const CalendarDate& today);

// What a keyed installer requires of a URL_ entry, since the signature must
// bind every file: a hash ("Missing checksum in manifest: " and the value)
// and a size, which bounds its length ("Missing size in manifest: "). The
// empty text when the entry has both or is no file entry; a malformed piece
// is left to ResourceEntryRefusal, which names it.
std::string SignedEntryRefusal(const std::string& key, const std::string& value);

// SignedEntryRefusal for the first URL_ entry, in the order they are
// fetched, that breaks it.
std::string SignedEntriesRefusal(const IniFile& manifest);

// True when some trusted key verifies `signature` over `covered`.
using SignatureCheck = std::function<bool(std::string_view covered, const std::string& signature)>;

// A keyed installer's first check of a manifest that has arrived, before
// every other rule; the refusal text, or the empty text to go on:
// "Unsigned manifest"; "Invalid manifest signature" when no trusted key
// verifies it or the serial or expiry is missing or malformed; "Outdated
// manifest: " + the serial when it is below `floor`; "Expired manifest: " +
// the date when `today` is past it; then every URL_ entry must carry a hash
// and a size (SignedEntriesRefusal).
std::string KeyedManifestRefusal(const std::string& text, const IniFile& manifest, const SignatureCheck& verify,
                                 std::uint64_t floor, const CalendarDate& today);
