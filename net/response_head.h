// The parts of an answer's head that decide what its body is to the file
// being delivered. Plain data without windows.h, so the decisions taken on it
// are tested natively.
#pragma once

#include <string>

struct ResponseHead {
    unsigned long status = 0;
    long long content_length = -1; // -1 when the answer has none
    std::string content_range;     // as sent; empty when absent
    std::string etag;
    std::string last_modified;
};

// What a request asks beyond the whole body: the bytes from `from` on, only
// if the file still is the one `validator` (an ETag or a Last-Modified date)
// names; otherwise the whole file.
struct RangeRequest {
    long long from = 0;
    std::string validator;
};
