#include "install/delivery_rules.h"

#include "base/disk_space.h"
#include "base/player_texts.h"
#include "services/text.h"

#include <vector>

namespace {

const unsigned long kPartialContent = 206;
const std::size_t kLongestInfo = 4096;

// A decimal number of 1 to 18 digits (below 2^63), or -1.
std::int64_t Digits(const std::string& text)
{
    if (text.empty() || text.size() > 18)
        return -1;
    std::int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

BodyDecision Decision(BodyStart start, std::int64_t total, const std::string& reason = std::string())
{
    BodyDecision decision;
    decision.start = start;
    decision.total = total;
    decision.reason = reason;
    return decision;
}

bool DiffersFromSize(const ResourceEntry& entry, std::int64_t length)
{
    return entry.size_piece == SizePiece::kBytes && length >= 0 && length != entry.size;
}

// A 206 continues the staged file only when it is exactly its rest: from
// the offset asked, to the end of a file of the length known so far (and
// declared, when the entry declares one).
BodyDecision DecidePartial(const ResponseHead& head, const ResourceEntry& entry, const RangeRequest* asked,
                           std::int64_t known_total)
{
    if (!asked)
        return Decision(BodyStart::kDropAndFail, -1, "a partial answer to a request for the whole file");
    const ContentRange range = ParseContentRange(head.content_range);
    if (!range.valid || range.total < 0)
        return Decision(BodyStart::kDropAndFail, -1, "a partial answer without a usable Content-Range");
    if (range.first != asked->from || range.last != range.total - 1)
        return Decision(BodyStart::kDropAndFail, range.total, "a partial answer of other bytes than the rest");
    if (known_total >= 0 && range.total != known_total)
        return Decision(BodyStart::kDropAndFail, range.total, "a partial answer of a file of another length");
    if (DiffersFromSize(entry, range.total))
        return Decision(BodyStart::kDropAndFail, range.total, "a partial answer of a file of another size");
    if (head.content_length >= 0 && head.content_length != range.last - range.first + 1)
        return Decision(BodyStart::kDropAndFail, range.total, "a partial answer whose length does not fit its range");
    return Decision(BodyStart::kAppend, range.total);
}

} // namespace

ContentRange ParseContentRange(const std::string& text)
{
    ContentRange range;
    const std::string prefix = "bytes ";
    if (text.compare(0, prefix.size(), prefix) != 0)
        return range;
    const std::string rest = text.substr(prefix.size());
    const std::string::size_type dash = rest.find('-');
    const std::string::size_type slash = rest.find('/');
    if (dash == std::string::npos || slash == std::string::npos || slash < dash)
        return range;
    range.first = Digits(rest.substr(0, dash));
    range.last = Digits(rest.substr(dash + 1, slash - dash - 1));
    const std::string total = rest.substr(slash + 1);
    range.total = total == "*" ? -1 : Digits(total);
    range.valid = range.first >= 0 && range.last >= range.first && (total == "*" || range.total > range.last);
    return range;
}

bool IsResumable(const ResourceEntry& entry) { return entry.hash == HashPiece::kSha256; }

std::string ResumeValidator(const ResponseHead& head)
{
    // A weak ETag ("W/...") names equal content, not equal bytes.
    const bool strong_etag = !head.etag.empty() && head.etag.compare(0, 2, "W/") != 0;
    const std::string& validator = strong_etag ? head.etag : head.last_modified;
    return HasControlByte(validator) ? std::string() : validator;
}

BodyDecision DecideBody(const ResponseHead& head, const ResourceEntry& entry, const RangeRequest* asked,
                        std::int64_t known_total)
{
    if (head.status == kPartialContent)
        return DecidePartial(head, entry, asked, known_total);
    // Any other 2xx is the whole file: a server that ignores Range, or a
    // file that changed since the staged bytes came, starts again.
    if (DiffersFromSize(entry, head.content_length))
        return Decision(BodyStart::kFail, head.content_length, "a Content-Length other than the declared size");
    return Decision(BodyStart::kFromZero, head.content_length);
}

std::int64_t LargestFile(const ResourceEntry& entry, std::int64_t total)
{
    return entry.size_piece == SizePiece::kBytes ? entry.size : total;
}

int ByteBarRange(std::int64_t total)
{
    return total < 0 ? 0 : ClampToInt(total / 1024 + (total % 1024 >= 512 ? 1 : 0));
}

std::string DiskSpaceRefusal(std::uint64_t needed, std::uint64_t free_bytes)
{
    return FillText(EnglishText(TextId::kDiskSpace), {std::to_string(disk_space::MiBRoundedUp(needed)),
                                                       std::to_string(disk_space::MiBRoundedUp(free_bytes))});
}

std::string FormatResumeInfo(const ResumeInfo& info)
{
    return "path=" + info.path + "\r\nsha256=" + info.sha256 + "\r\nvalidator=" + info.validator
        + "\r\nlength=" + std::to_string(info.length) + "\r\n";
}

bool ParseResumeInfo(const std::string& text, ResumeInfo& info)
{
    info = ResumeInfo();
    if (text.size() > kLongestInfo)
        return false;
    std::vector<std::string> lines, pieces;
    Split(lines, text, "\n", 0);
    bool has_length = false;
    for (std::string line : lines) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        Split(pieces, line, "=", 1);
        if (pieces.size() != 2)
            return false;
        if (pieces[0] == "path")
            info.path = pieces[1];
        else if (pieces[0] == "sha256")
            info.sha256 = pieces[1];
        else if (pieces[0] == "validator")
            info.validator = pieces[1];
        else if (pieces[0] == "length") {
            info.length = pieces[1] == "-1" ? -1 : Digits(pieces[1]);
            has_length = pieces[1] == "-1" || info.length >= 0;
        }
    }
    return !info.path.empty() && !info.sha256.empty() && !info.validator.empty() && !HasControlByte(info.validator)
        && has_length;
}

bool BelongsTo(const ResumeInfo& info, const ResourceEntry& entry)
{
    return IsResumable(entry) && info.path == entry.path && info.sha256 == entry.sha256;
}
