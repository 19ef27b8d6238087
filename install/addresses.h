// The texts the run builds from its settings and the manifest: the manifest
// request target, the skin page address, the report address and the
// installer's own location. Portable, so they are tested natively.
#pragma once

#include <string>

class IniFile;

// "<prefix>/ClientResourcesManager.asp?action=QDL&did=..&tag=..&langId=..",
// built to fit whatever the prefix's length.
std::string ManifestRequestTarget(const std::string& prefix, int did, int tag, int language_id);

// SKIN_URL + "?serverName=" + SERVER_NAME + "&brandId=" + BRAND_ID +
// "&langShortStr=" + LANG_SHORT_STR + "&logo=" + LOGO_FILENAME, byte for byte.
std::string SkinPageAddress(const std::string& skin_url, const std::string& server_name,
                            const std::string& brand_id, const std::string& language,
                            const std::string& logo);

// The skin page the manifest names: SkinPageAddress of its GENERAL values.
std::string ManifestSkinPage(const IniFile& manifest);

// Whether the run shows the skin page at `page`, and why not. A control byte
// goes first: the browser control would read the address only up to a NUL.
// A build that shows only https pages (strict or keyed) shows no other:
// an http page could be rewritten on the path, inside the elevated control.
enum class SkinPageVerdict { kShown, kControlByte, kNotHttps };
SkinPageVerdict JudgeSkinPage(const std::string& page, bool https_pages_only);

// True when the address names the http or https scheme (compared
// case-insensitively): the only ones a page may be shown from or opened with;
// any other (file:, a UNC path) could hand out the user's credentials.
bool IsWebAddress(const std::string& address);

// True when the address names the https scheme (in any letter case): the
// only pages a strict build shows.
bool IsHttpsAddress(const std::string& address);

// True when a `scheme` setting or SERVER_SCHEME value asks for TLS: "https"
// in any letter case. Anything else, or nothing, means plain HTTP.
bool IsHttpsScheme(const std::string& scheme);

// "https://<host>/players_downloads.asp?distId=<did>&dlAction=<action>";
// empty for an action other than 1 or 2.
std::string ReportAddress(const std::string& host, int did, int action);

// The program path from a command line: the text before the first ".exe"
// (case-sensitive) without a leading double quote, plus ".exe".
std::string InstallerLocation(const std::string& command_line);

