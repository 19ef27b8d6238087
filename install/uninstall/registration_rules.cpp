#include "install/uninstall/registration_rules.h"

#include "install/uninstall/uninstall_record.h"
#include "services/text.h"
#include "store/ini_file.h"

namespace {

const char kUninstallKeys[] = "Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

} // namespace

const char kProgressValue[] = "QD";
const char kInstallerLocationValue[] = "QUENDA_INSTALLER_LOCATION";
const char kTagValue[] = "TAG";
const char* const kInstallerValues[3] = {kProgressValue, kInstallerLocationValue, kTagValue};

ShortcutKinds ReadShortcutKinds(const IniFile& manifest, std::vector<std::string>& unknown)
{
    unknown.clear();
    ShortcutKinds kinds;
    const std::string value = manifest.GetValue("GENERAL", "SHORTCUTS");
    if (value.empty()) {
        kinds.start_menu = true;
        return kinds;
    }
    std::vector<std::string> words;
    Split(words, value, ",", 0);
    std::string word;
    for (const std::string& piece : words) {
        const std::string upper = AsciiUpper(Trim(piece, word));
        if (upper == "STARTMENU")
            kinds.start_menu = true;
        else if (upper == "DESKTOP")
            kinds.desktop = true;
        else if (upper != "NONE")
            unknown.push_back(word);
    }
    return kinds;
}

bool WantsUninstallEntry(const IniFile& manifest) { return manifest.GetValue("GENERAL", "UNINSTALL_ENTRY") != "0"; }

std::string ClientPath(const std::string& install_dir) { return install_dir + "\\casino.exe"; }

UninstallEntry UninstallEntryTexts(const IniFile& manifest, const std::string& brand, const std::string& install_dir)
{
    UninstallEntry entry;
    entry.display_name = brand;
    entry.display_icon = ClientPath(install_dir) + ",0";
    entry.install_location = install_dir;
    entry.publisher = manifest.GetValue("GENERAL", "PUBLISHER");
    if (entry.publisher.empty())
        entry.publisher = brand;
    entry.display_version = manifest.GetValue("GENERAL", "VERSION");
    entry.uninstall_string = UninstallCommand(install_dir);
    entry.quiet_uninstall_string = entry.uninstall_string + " /quiet";
    return entry;
}

std::string InstallDateText(int year, int month, int day)
{
    // Digits by hand: the C library's formatting would bring its whole
    // printf engine into the program for eight characters.
    const int number = (year % 10000) * 10000 + (month % 100) * 100 + day % 100;
    std::string text(8, '0');
    for (int at = 7, rest = number; at >= 0; --at, rest /= 10)
        text[at] = static_cast<char>('0' + rest % 10);
    return text;
}

std::string UninstallEntryKey(const std::string& brand) { return kUninstallKeys + brand; }

std::string UninstallCommand(const std::string& install_dir)
{
    return "\"" + install_dir + "\\" + uninstall_record::kUninstallerName + "\" /uninstall";
}
