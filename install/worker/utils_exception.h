// The product's own exception type. Nothing throws it today; the thread entry
// still catches it by pointer, reports its message and deletes it.
#pragma once

#include <string>

namespace Utils {

class Exception {
public:
    explicit Exception(const std::string& message) : ms_message(message) {}
    virtual ~Exception() = default;

    const char* Message() const { return ms_message.c_str(); }

private:
    std::string ms_message;
};

} // namespace Utils
