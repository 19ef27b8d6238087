// The signed manifest's format: the signature line and the bytes it covers,
// base64, serials, dates, and the order of a keyed installer's refusals.
#include "install/trust/manifest_signature.h"
#include "store/ini_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kLine = "#signature=rsa-sha256:";

struct Read {
    SignatureLine line;
    size_t covered;
    std::string signature;
};

Read ReadLine(const std::string& text)
{
    Read read{SignatureLine::kAbsent, 99, "x"};
    read.line = ReadSignatureLine(text, read.covered, read.signature);
    return read;
}

std::string Decoded(const std::string& base64)
{
    std::string bytes;
    return DecodeBase64(base64, bytes) ? bytes : "(refused)";
}

CalendarDate Date(const std::string& text)
{
    CalendarDate date;
    EXPECT_TRUE(ReadDate(text, date)) << text;
    return date;
}

} // namespace

TEST(SignatureLine, CoversEveryByteBeforeItsHashForBothLineEndings)
{
    const std::string body = "[GENERAL]\nBRAND_NAME=B\n";
    for (const std::string& ending : {"", "\n", "\r\n"}) {
        const Read read = ReadLine(body + kLine + "QUJD" + ending);
        EXPECT_EQ(read.line, SignatureLine::kPresent) << ending.size();
        EXPECT_EQ(read.covered, body.size());
        EXPECT_EQ(read.signature, "ABC");
    }
    const std::string crlf_body = "[GENERAL]\r\nBRAND_NAME=B\r\n";
    const Read crlf = ReadLine(crlf_body + kLine + "QUJD\r\n");
    EXPECT_EQ(crlf.line, SignatureLine::kPresent);
    EXPECT_EQ(crlf.covered, crlf_body.size());
    // The first byte of the text, covering nothing.
    const Read alone = ReadLine(kLine + "QUJD\n");
    EXPECT_EQ(alone.line, SignatureLine::kPresent);
    EXPECT_EQ(alone.covered, 0u);
}

TEST(SignatureLine, OnlyAsTheLastLineStartingAfterALineFeed)
{
    for (const std::string& text : {
             std::string("A=1\n"),
             "A=1\n" + kLine + "QUJD\nB=2\n",       // something appended after it
             "A=1\n" + kLine + "QUJD\n\n",          // a second line break
             "A=1\n" + kLine + "QUJD\n\r",          // a last line of its own
             "A=1\r\n" + kLine + "QUJD\r\n\r\n",
             "A=1\n " + kLine + "QUJD\n",           // a blank before the "#"
             "A=1\r" + kLine + "QUJD\n",            // a lone CR is no line break
             std::string("A=1\n#Signature=rsa-sha256:QUJD\n"), // names are exact
             std::string("A=1\n#signature=rsa-sha1:QUJD\n"),
             std::string(""),
         })
        EXPECT_EQ(ReadLine(text).line, SignatureLine::kAbsent) << text;
}

TEST(SignatureLine, ABadBase64OrAnythingAfterItIsMalformed)
{
    for (const std::string& tail : {"", "QUJD ", "QUJD\r", "QUJD\t\n", "QU JD", "QUJ", "QUJD\r\r\n"}) {
        const Read read = ReadLine("A=1\n" + kLine + tail);
        EXPECT_EQ(read.line, SignatureLine::kMalformed) << tail;
        EXPECT_EQ(read.covered, 0u);
        EXPECT_TRUE(read.signature.empty());
    }
}

TEST(Base64, TheStandardVectorsAndTheirByteOrder)
{
    const std::vector<std::pair<std::string, std::string>> vectors = {
        {"", ""}, {"Zg==", "f"}, {"Zm8=", "fo"}, {"Zm9v", "foo"},
        {"Zm9vYg==", "foob"}, {"Zm9vYmE=", "fooba"}, {"Zm9vYmFy", "foobar"},
    };
    for (const auto& vector : vectors) {
        EXPECT_EQ(Decoded(vector.first), vector.second) << vector.first;
        EXPECT_EQ(EncodeBase64(vector.second), vector.first);
    }
    // The first character's bits are the first byte's high bits.
    EXPECT_EQ(Decoded("AQID"), std::string("\x01\x02\x03"));
    EXPECT_EQ(Decoded("+/+/"), std::string("\xFB\xFF\xBF"));
    std::string every_byte;
    for (int i = 0; i < 256; ++i)
        every_byte += static_cast<char>(255 - i);
    for (size_t length = 0; length <= every_byte.size(); length += 85)
        EXPECT_EQ(Decoded(EncodeBase64(every_byte.substr(0, length + length % 3))),
                  every_byte.substr(0, length + length % 3));
}

TEST(Base64, AnythingButThePaddedStandardFormIsRefused)
{
    for (const char* text : {"Zg", "Zg=", "Zm9vY", "Z===", "====", "=Zg=", "Zg==Zg==", "Zm=v", "Zg==\n", " Zg==",
                             "Zm9v\nYmFy", "Zm9v YmFy", "Zm9-", "Zm9_", "Zm9v\xC3\xA4"})
        EXPECT_EQ(Decoded(text), "(refused)") << text;
    // Bits left over by the padding must be zero: "Zh==" would also be "f".
    EXPECT_EQ(Decoded("Zh=="), "(refused)");
    EXPECT_EQ(Decoded("Zm9="), "(refused)");
    EXPECT_EQ(Decoded(std::string("Zm9v\0AAA", 8)), "(refused)");
}

TEST(Serial, DecimalFromOneToTwoToTheFiftyThird)
{
    std::uint64_t serial = 7;
    EXPECT_TRUE(ReadSerial("1", serial));
    EXPECT_EQ(serial, 1u);
    EXPECT_TRUE(ReadSerial("9007199254740992", serial));
    EXPECT_EQ(serial, kLargestSerial);
    for (const char* text : {"", "0", "01", "+1", "-1", " 1", "1 ", "1.0", "1e3", "0x10", "9007199254740993",
                             "18446744073709551617", "99999999999999999999"}) {
        EXPECT_FALSE(ReadSerial(text, serial)) << text;
        EXPECT_EQ(serial, 0u);
    }
    // Compared as numbers, not as texts.
    std::uint64_t nine = 0, ten = 0;
    ASSERT_TRUE(ReadSerial("9", nine) && ReadSerial("10", ten));
    EXPECT_LT(nine, ten);
}

TEST(ExpiryDate, RealDaysOfTheGregorianCalendarOnly)
{
    for (const char* text : {"2024-02-29", "2000-02-29", "2025-12-31", "0001-01-01", "9999-12-31", "2025-04-30"}) {
        CalendarDate date;
        EXPECT_TRUE(ReadDate(text, date)) << text;
        EXPECT_EQ(FormatDate(date), text);
    }
    for (const char* text : {"2023-02-29", "1900-02-29", "2100-02-29", "2025-02-30", "2025-04-31", "2025-13-01",
                             "2025-00-10", "2025-01-00", "2025-01-32", "0000-01-01", "2025-1-01", "2025/01/01",
                             "25-01-01", " 2025-01-01", "2025-01-01 ", "2025-01-01T00", "+025-01-01", "", "20250101"}) {
        CalendarDate date;
        EXPECT_FALSE(ReadDate(text, date)) << text;
    }
}

TEST(ExpiryDate, ValidThroughItsDayAcrossLeapDaysAndYears)
{
    EXPECT_FALSE(IsExpired(Date("2024-02-29"), Date("2024-02-29")));
    EXPECT_TRUE(IsExpired(Date("2024-02-29"), Date("2024-03-01")));
    EXPECT_TRUE(IsExpired(Date("2024-02-28"), Date("2024-02-29")));
    EXPECT_FALSE(IsExpired(Date("2025-01-01"), Date("2024-12-31")));
    EXPECT_TRUE(IsExpired(Date("2024-12-31"), Date("2025-01-01")));
    EXPECT_EQ(DayNumber(Date("1970-01-01")), 0);
    EXPECT_EQ(DayNumber(Date("2000-03-01")) - DayNumber(Date("2000-02-28")), 2);
    EXPECT_EQ(DayNumber(Date("1900-03-01")) - DayNumber(Date("1900-02-28")), 1);
    EXPECT_EQ(DayNumber(Date("2025-01-01")) - DayNumber(Date("2024-01-01")), 366);
    // Every day of two and a half centuries, there and back, one after the other.
    const std::int64_t first = DayNumber(Date("1899-12-25"));
    CalendarDate previous = DateOfDay(first);
    for (std::int64_t day = first + 1; day < first + 250 * 366; ++day) {
        const CalendarDate date = DateOfDay(day);
        ASSERT_EQ(DayNumber(date), day);
        CalendarDate read;
        ASSERT_TRUE(ReadDate(FormatDate(date), read)) << FormatDate(date);
        ASSERT_TRUE(date.day == previous.day + 1 || (date.day == 1 && (date.month == previous.month % 12 + 1)))
            << FormatDate(previous) << " then " << FormatDate(date);
        previous = date;
    }
}

namespace {

const std::string kHash = "sha256:" + std::string(64, 'a');

// A keyed installer's verdict with a stand-in for the signature check that
// accepts only the signature "ABC" and records what it was given.
struct Verdict {
    std::string refusal;
    std::vector<std::string> covered;
};

Verdict Judge(const std::string& text, std::uint64_t floor = 0, const std::string& today = "2025-06-15")
{
    IniFile manifest;
    manifest.Parse(text);
    Verdict verdict;
    const SignatureCheck verify = [&verdict](std::string_view covered, const std::string& signature) {
        verdict.covered.emplace_back(covered);
        return signature == "ABC";
    };
    verdict.refusal = KeyedManifestRefusal(text, manifest, verify, floor, Date(today));
    return verdict;
}

std::string Signed(const std::string& body, const std::string& signature = "QUJD")
{
    return body + kLine + signature + "\n";
}

std::string Body(const std::string& serial = "5", const std::string& expires = "2025-06-30",
                 const std::string& files = "URL_1=a.dll,," + kHash + ",size:10\n")
{
    return "[GENERAL]\nBRAND_NAME=B\nMANIFEST_SERIAL=" + serial + "\nMANIFEST_EXPIRES=" + expires
        + "\n[URLS]\nSERVER_ADDR=f.example\n" + files;
}

} // namespace

TEST(KeyedManifest, AValidSignatureOverTheCoveredBytesGoesOn)
{
    const Verdict verdict = Judge(Signed(Body()));
    EXPECT_EQ(verdict.refusal, "");
    EXPECT_EQ(verdict.covered, std::vector<std::string>{Body()});
}

TEST(KeyedManifest, TheRefusalsInTheirOrder)
{
    // Unsigned comes first, whatever else is wrong.
    EXPECT_EQ(Judge(Body("0", "never", "URL_1=a.dll\n")).refusal, "Unsigned manifest");
    EXPECT_EQ(Judge(Body() + kLine + "QUJD\nX=1\n").refusal, "Unsigned manifest");
    // The signature, then the freshness keys that only a signature makes worth reading.
    EXPECT_EQ(Judge(Signed(Body(), "QUJE")).refusal, "Invalid manifest signature");
    EXPECT_EQ(Judge(Signed(Body(), "QUJD ")).refusal, "Invalid manifest signature");
    EXPECT_EQ(Judge(Signed(Body("05"))).refusal, "Invalid manifest signature");
    EXPECT_EQ(Judge(Signed(Body("5", "2025-02-30"))).refusal, "Invalid manifest signature");
    EXPECT_EQ(Judge(Signed("[GENERAL]\nMANIFEST_EXPIRES=2025-06-30\n")).refusal, "Invalid manifest signature");
    EXPECT_EQ(Judge(Signed("[GENERAL]\nMANIFEST_SERIAL=5\n")).refusal, "Invalid manifest signature");
    // Keys read exactly: a [General] section is not [GENERAL].
    EXPECT_EQ(Judge(Signed("[General]\nMANIFEST_SERIAL=5\nMANIFEST_EXPIRES=2025-06-30\n")).refusal,
              "Invalid manifest signature");
    // The rollback floor; an equal serial is a re-run and goes on.
    EXPECT_EQ(Judge(Signed(Body("5", "2020-01-01")), 6).refusal, "Outdated manifest: 5");
    EXPECT_EQ(Judge(Signed(Body()), 5).refusal, "");
    EXPECT_EQ(Judge(Signed(Body("10")), 9).refusal, "");
    // Valid through its day.
    EXPECT_EQ(Judge(Signed(Body()), 0, "2025-07-01").refusal, "Expired manifest: 2025-06-30");
    EXPECT_EQ(Judge(Signed(Body()), 0, "2025-06-30").refusal, "");
}

TEST(KeyedManifest, EveryFileNeedsAHashAndASizeInFetchOrder)
{
    EXPECT_EQ(Judge(Signed(Body("5", "2025-06-30", "URL_2=b.dll,," + kHash + ",size:1\nURL_10=a.dll\n"))).refusal,
              "Missing checksum in manifest: a.dll");
    EXPECT_EQ(Judge(Signed(Body("5", "2025-06-30", "URL_2=b.dll\nURL_10=a.dll,," + kHash + "\n"))).refusal,
              "Missing size in manifest: a.dll,," + kHash);
    EXPECT_EQ(Judge(Signed(Body("5", "2025-06-30", "URL_1=a.dll,,,size:1\n"))).refusal,
              "Missing checksum in manifest: a.dll,,,size:1");
    EXPECT_EQ(Judge(Signed(Body("5", "2025-06-30", "URL_1=a.dll,," + kHash + ",size:0\n"))).refusal, "");
    // A malformed piece is not missing: the manifest rules name it later.
    EXPECT_EQ(Judge(Signed(Body("5", "2025-06-30", "URL_1=a.dll,,sha256:00,size:x\n"))).refusal, "");
    // Keys that are no file entries, and entries the run skips, need nothing.
    EXPECT_EQ(Judge(Signed(Body("5", "2025-06-30", "SERVER_SCHEME=https\nurl_1=x.dll\n"))).refusal, "");
}
