// The C++ library reports a misuse of its containers (an index past the end,
// a length past the largest) through these functions, whose own definitions
// throw std::logic_error and its kin: classes that carry the library's old
// reference-counted string, a tenth of the program. Here they throw
// exceptions without a text. Nothing in the installer catches those classes
// by name: the worker's catch-all reports them as before. The allocation
// failures keep their own classes, which the worker catches by name.
#include <exception>
#include <new>
#include <typeinfo>

namespace {

// A misuse the library found, without the library's text.
struct LibraryMisuse : std::exception {};

} // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char*) { throw LibraryMisuse(); }
void __throw_domain_error(const char*) { throw LibraryMisuse(); }
void __throw_invalid_argument(const char*) { throw LibraryMisuse(); }
void __throw_length_error(const char*) { throw LibraryMisuse(); }
void __throw_out_of_range(const char*) { throw LibraryMisuse(); }
void __throw_out_of_range_fmt(const char*, ...) { throw LibraryMisuse(); }
void __throw_runtime_error(const char*) { throw LibraryMisuse(); }
void __throw_range_error(const char*) { throw LibraryMisuse(); }
void __throw_overflow_error(const char*) { throw LibraryMisuse(); }
void __throw_underflow_error(const char*) { throw LibraryMisuse(); }

} // namespace std
