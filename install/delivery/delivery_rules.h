// What an answer means for a file being delivered: whether its body starts
// the staged file afresh, continues it, or fails the attempt; how long the
// body may be; and what a later run needs to resume. Plain functions over
// the answer's head and the manifest entry, without windows.h, so the
// decisions are tested natively as a table.
#pragma once

#include "install/trust/resource_entry.h"
#include "net/response_head.h"

#include <cstdint>
#include <string>

// "bytes FIRST-LAST/TOTAL"; a TOTAL of "*" is -1.
struct ContentRange {
    bool valid = false;
    std::int64_t first = -1;
    std::int64_t last = -1;
    std::int64_t total = -1;
};
ContentRange ParseContentRange(const std::string& text);

// Only files whose entry has a hash are resumed: a validator alone cannot
// prove that bytes from two answers, or two hosts, belong together.
bool IsResumable(const ResourceEntry& entry);

// The validator a later Range asks with: a strong ETag, else the
// Last-Modified date, else none (the empty text). One with a control byte is
// none: it goes into a request header.
std::string ResumeValidator(const ResponseHead& head);

enum class BodyStart {
    kFromZero,    // the staged file starts afresh with this body
    kAppend,      // the body continues the staged file where it ends
    kFail,        // the attempt fails; the staged file stays for a resume
    kDropAndFail, // the attempt fails and the staged file is dropped
};

struct BodyDecision {
    BodyStart start = BodyStart::kFail;
    // The whole file's length as the answer gives it, or -1 when unknown.
    std::int64_t total = -1;
    // Why the attempt fails, for the log; empty otherwise.
    std::string reason;
};

// What a 2xx answer to a request for `entry` means. `asked` is the Range the
// request carried (null when it asked for the whole file); `known_total` the
// length the staged file's first answer gave (-1 when none).
BodyDecision DecideBody(const ResponseHead& head, const ResourceEntry& entry, const RangeRequest* asked,
                        std::int64_t known_total);

// The most bytes the file may have: its declared size, else the length the
// answer gives, else -1 (only the disk bounds it).
std::int64_t LargestFile(const ResourceEntry& entry, std::int64_t total);

// The byte bar's range for a file of `total` bytes: kibibytes, rounded to
// nearest, 0 for an unknown length, and held within int for any length.
int ByteBarRange(std::int64_t total);

// "Not enough disk space: <need> MiB needed, <free> MiB free.", both in
// whole MiB rounded up.
std::string DiskSpaceRefusal(std::uint64_t needed, std::uint64_t free_bytes);

// NAME.part.info, beside a staged file: which entry the bytes belong to and
// how to ask for the rest. Lines of "key=value":
//   path=<the entry's request path>
//   sha256=<the entry's hash, 64 lower-case hex digits>
//   validator=<the ETag or Last-Modified of the first answer>
//   length=<the whole file's length, or -1>
struct ResumeInfo {
    std::string path;
    std::string sha256;
    std::string validator;
    std::int64_t length = -1;
};
std::string FormatResumeInfo(const ResumeInfo& info);
// False for a text that is not such a file, or names no validator.
bool ParseResumeInfo(const std::string& text, ResumeInfo& info);
// True when the staged bytes belong to `entry`: the same path and hash.
bool BelongsTo(const ResumeInfo& info, const ResourceEntry& entry);
