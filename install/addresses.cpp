#include "install/addresses.h"

#include "services/text.h"
#include "store/ini_file.h"

#include <vector>

std::string ManifestRequestTarget(const std::string& prefix, int did, int tag, int language_id)
{
    return prefix + "/ClientResourcesManager.asp?action=QDL&did=" + std::to_string(did)
        + "&tag=" + std::to_string(tag) + "&langId=" + std::to_string(language_id);
}

std::string SkinPageAddress(const std::string& skin_url, const std::string& server_name,
                            const std::string& brand_id, const std::string& language,
                            const std::string& logo)
{
    return skin_url + "?serverName=" + server_name + "&brandId=" + brand_id
        + "&langShortStr=" + language + "&logo=" + logo;
}

std::string ManifestSkinPage(const IniFile& manifest)
{
    return SkinPageAddress(manifest.GetValue("GENERAL", "SKIN_URL"), manifest.GetValue("GENERAL", "SERVER_NAME"),
                           manifest.GetValue("GENERAL", "BRAND_ID"),
                           manifest.GetValue("GENERAL", "LANG_SHORT_STR"),
                           manifest.GetValue("GENERAL", "LOGO_FILENAME"));
}

namespace {

// The scheme of an address in upper case, or the empty text without one.
std::string UpperScheme(const std::string& address)
{
    const std::string::size_type colon = address.find(':');
    return colon == std::string::npos ? std::string() : AsciiUpper(address.substr(0, colon));
}

} // namespace

bool IsWebAddress(const std::string& address)
{
    const std::string scheme = UpperScheme(address);
    return scheme == "HTTP" || scheme == "HTTPS";
}

bool IsHttpsAddress(const std::string& address) { return UpperScheme(address) == "HTTPS"; }

SkinPageVerdict JudgeSkinPage(const std::string& page, bool https_pages_only)
{
    if (HasControlByte(page))
        return SkinPageVerdict::kControlByte;
    if (https_pages_only && !IsHttpsAddress(page))
        return SkinPageVerdict::kNotHttps;
    return SkinPageVerdict::kShown;
}

bool IsHttpsScheme(const std::string& scheme) { return AsciiUpper(scheme) == "HTTPS"; }

std::string ReportAddress(const std::string& host, int did, int action)
{
    if (action != 1 && action != 2)
        return std::string();
    return "https://" + host + "/players_downloads.asp?distId=" + std::to_string(did)
        + "&dlAction=" + std::to_string(action);
}

std::string InstallerLocation(const std::string& command_line)
{
    std::vector<std::string> pieces;
    Split(pieces, command_line, ".exe", 0);
    std::string program = pieces.empty() ? std::string() : pieces.front();
    if (!program.empty() && program.front() == '"')
        program.erase(0, 1);
    return program + ".exe";
}
