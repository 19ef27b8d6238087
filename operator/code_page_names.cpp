#include "operator/code_page_names.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

struct CloseConversion {
    void operator()(iconv_t conversion) const { iconv_close(conversion); }
};

using Conversion = std::unique_ptr<std::remove_pointer_t<iconv_t>, CloseConversion>;

std::string IconvName(unsigned code_page) { return "CP" + std::to_string(code_page); }

Conversion Open(const std::string& to, const std::string& from)
{
    const iconv_t conversion = iconv_open(to.c_str(), from.c_str());
    return Conversion(conversion == reinterpret_cast<iconv_t>(-1) ? nullptr : conversion);
}

// Converts all of `input`; false at the first byte sequence that has no
// counterpart (no transliteration: a name is kept exactly or refused).
bool ConvertAll(const std::string& to, const std::string& from, std::string_view input, std::string& output)
{
    const Conversion conversion = Open(to, from);
    output.clear();
    if (!conversion)
        return false;
    char* in = const_cast<char*>(input.data());
    size_t in_left = input.size();
    std::string chunk(4 * input.size() + 16, '\0');
    while (in_left > 0) {
        char* out = &chunk[0];
        size_t out_left = chunk.size();
        const size_t result = iconv(conversion.get(), &in, &in_left, &out, &out_left);
        output.append(chunk.data(), chunk.size() - out_left);
        if (result == static_cast<size_t>(-1) && errno != E2BIG)
            return false;
    }
    return true;
}

} // namespace

bool IsKnownCodePage(unsigned code_page) { return static_cast<bool>(Open("UTF-8", IconvName(code_page))); }

bool Utf8ToCodePage(unsigned code_page, const std::string& utf8, std::string& narrow)
{
    return ConvertAll(IconvName(code_page), "UTF-8", utf8, narrow);
}

bool CodePageToWide(unsigned code_page, std::string_view narrow, WideText& wide)
{
    std::string bytes;
    if (!ConvertAll("WCHAR_T", IconvName(code_page), narrow, bytes))
        return false;
    wide.resize(bytes.size() / sizeof(wchar_t));
    if (!wide.empty())
        std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
    return true;
}

NarrowNames CodePageNames(unsigned code_page) { return NarrowNames{code_page, CodePageToWide}; }
