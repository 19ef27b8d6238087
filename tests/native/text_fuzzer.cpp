// Feeds arbitrary bytes to the INI parser and the text helpers, checking the
// invariants that later code relies on.
#include "services/text.h"
#include "store/ini_file.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckSplitRejoins(const std::string& text, const std::string& delimiter, int max_splits)
{
    std::vector<std::string> pieces;
    Split(pieces, text, delimiter, max_splits);
    if (text.empty() || delimiter.empty()) {
        Check(pieces.empty());
        return;
    }
    Check(max_splits <= 0 || pieces.size() <= static_cast<std::size_t>(max_splits) + 1);
    std::string joined = pieces.front();
    for (std::size_t i = 1; i < pieces.size(); ++i)
        joined += delimiter + pieces[i];
    Check(joined == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    IniFile ini;
    ini.Parse(text);
    std::string serialized;
    ini.Serialize(serialized);
    IniFile reparsed;
    reparsed.Parse(serialized);
    std::string again;
    Check(reparsed.Serialize(again) == serialized);

    const std::string delimiter = size > 0 ? text.substr(0, 1 + data[0] % 2) : "=";
    CheckSplitRejoins(text, delimiter, size > 1 ? data[1] % 4 - 1 : 0);

    std::string trimmed;
    Trim(text, trimmed);
    Check(trimmed.size() <= text.size());
    Check(text.find(trimmed) != std::string::npos);
    return 0;
}
