// From answer to action: what a status, Content-Range, validator and declared
// size mean for the staged file, and the resume file's grammar.
#include "install/delivery/delivery_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

namespace {

const std::string kHash(64, 'c');

ResourceEntry Entry(const std::string& value)
{
    ResourceEntry entry;
    ParseResourceEntry("URL_1", value, entry);
    return entry;
}

ResponseHead Head(unsigned long status, long long length, const std::string& range = "")
{
    ResponseHead head;
    head.status = status;
    head.content_length = length;
    head.content_range = range;
    return head;
}

} // namespace

TEST(DeliveryRules, ContentRangeGrammar)
{
    struct Case {
        const char* text;
        bool valid;
        std::int64_t first, last, total;
    };
    for (const Case& c : std::vector<Case>{{"bytes 0-99/100", true, 0, 99, 100},
                                           {"bytes 100-199/*", true, 100, 199, -1},
                                           {"bytes 5000000000-5000000009/6000000000", true, 5000000000, 5000000009,
                                            6000000000},
                                           {"bytes 10-5/100", false, 10, 5, 100},
                                           {"bytes 0-100/100", false, 0, 100, 100},
                                           {"bytes */100", false, -1, -1, 100},
                                           {"bytes 0-99", false, -1, -1, -1},
                                           {"items 0-99/100", false, -1, -1, -1},
                                           {"bytes -1-99/100", false, -1, -1, -1},
                                           {"bytes 0-99/1x", false, 0, 99, -1},
                                           {"", false, -1, -1, -1}}) {
        const ContentRange range = ParseContentRange(c.text);
        EXPECT_EQ(range.valid, c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(range.first, c.first) << c.text;
            EXPECT_EQ(range.last, c.last) << c.text;
            EXPECT_EQ(range.total, c.total) << c.text;
        }
    }
}

// Only hashed entries resume, with a strong ETag before Last-Modified.
TEST(DeliveryRules, ValidatorAndResumability)
{
    EXPECT_TRUE(IsResumable(Entry("r.dll,,sha256:" + kHash)));
    EXPECT_FALSE(IsResumable(Entry("r.dll,,,size:100")));
    ResponseHead head;
    head.etag = "\"abc\"";
    head.last_modified = "Tue, 08 Dec 2026 10:00:00 GMT";
    EXPECT_EQ(ResumeValidator(head), "\"abc\"");
    head.etag = "W/\"abc\"";
    EXPECT_EQ(ResumeValidator(head), "Tue, 08 Dec 2026 10:00:00 GMT");
    head.last_modified.clear();
    EXPECT_EQ(ResumeValidator(head), "");
    head.etag = "\"a\r\nX-Evil: 1\"";
    EXPECT_EQ(ResumeValidator(head), "");
}

TEST(DeliveryRules, FromAnswerToAction)
{
    const ResourceEntry plain = Entry("r.dll,,sha256:" + kHash);
    const ResourceEntry sized = Entry("r.dll,,sha256:" + kHash + ",size:1000");
    RangeRequest asked;
    asked.from = 400;
    asked.validator = "\"abc\"";
    struct Case {
        const char* what;
        ResponseHead head;
        const ResourceEntry* entry;
        const RangeRequest* asked;
        std::int64_t known_total;
        BodyStart start;
        std::int64_t total;
    };
    const std::vector<Case> cases = {
        {"a whole file", Head(200, 1000), &plain, nullptr, -1, BodyStart::kFromZero, 1000},
        {"a whole file of its declared size", Head(200, 1000), &sized, nullptr, -1, BodyStart::kFromZero, 1000},
        {"a whole file of another size", Head(200, 999), &sized, nullptr, -1, BodyStart::kFail, 999},
        {"a whole file without a length", Head(200, -1), &sized, nullptr, -1, BodyStart::kFromZero, -1},
        {"a server that ignores Range", Head(200, 1000), &plain, &asked, 1000, BodyStart::kFromZero, 1000},
        {"a file that changed (If-Range failed)", Head(200, 1200), &plain, &asked, 1000, BodyStart::kFromZero, 1200},
        {"the rest", Head(206, 600, "bytes 400-999/1000"), &sized, &asked, 1000, BodyStart::kAppend, 1000},
        {"the rest, length unknown before", Head(206, 600, "bytes 400-999/1000"), &plain, &asked, -1,
         BodyStart::kAppend, 1000},
        {"the rest without a Content-Length", Head(206, -1, "bytes 400-999/1000"), &plain, &asked, 1000,
         BodyStart::kAppend, 1000},
        {"another start", Head(206, 500, "bytes 500-999/1000"), &plain, &asked, 1000, BodyStart::kDropAndFail, 1000},
        {"not up to the end", Head(206, 100, "bytes 400-499/1000"), &plain, &asked, 1000, BodyStart::kDropAndFail,
         1000},
        {"another total than the first answer's", Head(206, 800, "bytes 400-1199/1200"), &plain, &asked, 1000,
         BodyStart::kDropAndFail, 1200},
        {"another total than the declared size", Head(206, 800, "bytes 400-1199/1200"), &sized, &asked, -1,
         BodyStart::kDropAndFail, 1200},
        {"an unknown total", Head(206, 600, "bytes 400-999/*"), &plain, &asked, 1000, BodyStart::kDropAndFail, -1},
        {"a length that does not fit the range", Head(206, 601, "bytes 400-999/1000"), &plain, &asked, 1000,
         BodyStart::kDropAndFail, 1000},
        {"no Content-Range", Head(206, 600), &plain, &asked, 1000, BodyStart::kDropAndFail, -1},
        {"a partial answer nobody asked for", Head(206, 600, "bytes 400-999/1000"), &plain, nullptr, -1,
         BodyStart::kDropAndFail, -1},
    };
    for (const Case& c : cases) {
        const BodyDecision decision = DecideBody(c.head, *c.entry, c.asked, c.known_total);
        EXPECT_EQ(decision.start, c.start) << c.what;
        EXPECT_EQ(decision.total, c.total) << c.what;
        EXPECT_EQ(decision.reason.empty(), c.start == BodyStart::kFromZero || c.start == BodyStart::kAppend)
            << c.what;
    }
    // (size + 512) / 1024 would overflow for the largest Content-Length.
    EXPECT_EQ(ByteBarRange(INT64_MAX), INT_MAX);
    EXPECT_EQ(ByteBarRange(1536), 2);
    EXPECT_EQ(ByteBarRange(511), 0);
    EXPECT_EQ(ByteBarRange(-1), 0);
    EXPECT_EQ(DiskSpaceRefusal(17 * 1048576 + 1, 5 * 1048576),
              "Not enough disk space: 18 MiB needed, 5 MiB free.");
    EXPECT_EQ(LargestFile(sized, 5000), 1000);
    EXPECT_EQ(LargestFile(plain, 5000), 5000);
    EXPECT_EQ(LargestFile(plain, -1), -1);
}

TEST(DeliveryRules, ResumeInfoRoundTripsAndBelongsToOneEntryOnly)
{
    ResumeInfo info;
    info.path = "client/casino.exe";
    info.sha256 = kHash;
    info.validator = "\"5f-a=b\"";
    info.length = 25165824;
    ResumeInfo read;
    ASSERT_TRUE(ParseResumeInfo(FormatResumeInfo(info), read));
    EXPECT_EQ(read.path, info.path);
    EXPECT_EQ(read.validator, info.validator);
    EXPECT_EQ(read.length, info.length);
    EXPECT_TRUE(BelongsTo(read, Entry("client/casino.exe,,sha256:" + kHash)));
    EXPECT_FALSE(BelongsTo(read, Entry("client/casino.exe,,sha256:" + std::string(64, 'd'))));
    EXPECT_FALSE(BelongsTo(read, Entry("client/other.exe,,sha256:" + kHash)));
    EXPECT_FALSE(BelongsTo(read, Entry("client/casino.exe")));

    for (const char* broken : {"", "path=x\nsha256=y\nlength=5\n", "path=x\nsha256=y\nvalidator=v\n",
                               "path=x\nsha256=y\nvalidator=v\nlength=5x\n", "garbage\n",
                               "path=x\nsha256=y\nvalidator=v\x01\nlength=5\n"})
        EXPECT_FALSE(ParseResumeInfo(broken, read)) << broken;
    EXPECT_FALSE(ParseResumeInfo(FormatResumeInfo(info) + std::string(5000, '#'), read));
    EXPECT_TRUE(ParseResumeInfo("path=x\nsha256=y\nvalidator=v\nlength=-1\n", read));
}
