// Feeds arbitrary manifests, NUL and high bytes included, to the manifest
// rules under a code page the first byte picks, and checks what the rules
// promise: a manifest they pass puts no NUL or control byte into a path, a
// sub-folder or a host, names no device in the code page, and stays inside
// the install folder; the operators' checker reports an error for every
// manifest the rules refuse.
#include "base/path_rules.h"
#include "install/trust/manifest_rules.h"
#include "install/trust/resource_entry.h"
#include "operator/manifest_check.h"
#include "services/text.h"
#include "store/ini_file.h"

#include <iconv.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// The code pages a manifest may be read in; 0 is the checker's, with no
// conversion at all.
const unsigned kCodePages[] = {0, 1252, 1253, 949, 932, 65001};

// The platform's conversion, as glibc's iconv gives it, into UTF-32 code
// points (wchar_t here).
bool IconvToWide(unsigned code_page, std::string_view narrow, WideText& wide)
{
    const std::string name = code_page == 65001 ? "UTF-8" : "CP" + std::to_string(code_page);
    iconv_t converter = iconv_open("WCHAR_T", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string in(narrow);
    std::vector<wchar_t> out(in.size() + 1);
    char* in_at = &in[0];
    size_t in_left = in.size();
    char* out_at = reinterpret_cast<char*>(out.data());
    size_t out_left = out.size() * sizeof(wchar_t);
    const size_t done = in.empty() ? 0 : iconv(converter, &in_at, &in_left, &out_at, &out_left);
    iconv_close(converter);
    if (done == static_cast<size_t>(-1) || in_left != 0)
        return false;
    out.resize((out.size() * sizeof(wchar_t) - out_left) / sizeof(wchar_t));
    wide.swap(out);
    return true;
}

// What the rules promise of an entry they let through.
void CheckPassedEntry(const std::string& value, const ResourceEntry& entry, const NarrowNames& names)
{
    Check(value.find('\0') == std::string::npos);
    Check(!HasControlByte(entry.path) && !HasControlByte(entry.sub_folder));
    const std::string file_name = ResourceFileName(entry.path);
    Check(!file_name.empty());
    Check(entry.sub_folder.empty() || !path_rules::IsSeparator(entry.sub_folder[0]));
    // The path as it is written: the pieces Windows sees after the
    // conversion, the folder and the name joined.
    const std::string joined = entry.sub_folder + "\\" + file_name;
    Check(joined.find(':') == std::string::npos);
    Check(IsSafeAsOpened(joined, names,
                         [](auto text, auto is_device) { return !path_rules::HasUnsafePiece(text, is_device); }));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    NarrowNames names;
    names.code_page = kCodePages[data[0] % (sizeof kCodePages / sizeof kCodePages[0])];
    names.to_wide = names.code_page == 0 ? nullptr : IconvToWide;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    IniFile manifest;
    manifest.Parse(text);
    EntryDemands demands;
    demands.hash = (data[0] & 0x80) != 0;
    const std::string refusal = ManifestRefusal(manifest, demands, names);

    if (!refusal.empty()) {
        // The checker, which has no conversion, refuses at least as much.
        if (names.code_page == 0 && !demands.hash && text.size() <= kLargestManifest)
            Check(HasError(CheckManifest(text, CheckOptions())));
        return 0;
    }
    Check(IsSafeBrand(InstallBrandName(manifest), names));
    Check(!HasControlByte(InstallBrandName(manifest)));
    for (const char* key : {"SERVER_ADDR", "SERVER_SCHEME"})
        Check(!HasControlByte(manifest.GetValue("URLS", key)));
    for (const std::string& host : MirrorHosts(manifest))
        Check(IsSafeHost(host));
    std::vector<std::string> keys, values;
    manifest.GetSection("URLS", keys, values);
    for (size_t i = 0; i < keys.size(); ++i) {
        ResourceEntry entry;
        if (IsResourceKey(keys[i]) && ParseResourceEntry(keys[i], values[i], entry))
            CheckPassedEntry(values[i], entry, names);
    }
    return 0;
}
