// What the manifest's [GENERAL] section asks of the client's registration
// after the last file: the uninstall entry's texts and the shortcuts.
// Portable, so the rules are tested natively.
#pragma once

#include "services/uninstall_entry.h"

#include <string>
#include <vector>

class IniFile;

struct ShortcutKinds {
    bool start_menu = false;
    bool desktop = false;
};

// [GENERAL] SHORTCUTS: a comma list of "startmenu" and "desktop", or
// "none", in any letter case and with blanks around the words; absent means
// the start menu only. Words that are none of these are ignored and handed
// back in `unknown`, for the log.
ShortcutKinds ReadShortcutKinds(const IniFile& manifest, std::vector<std::string>& unknown);

// False only for [GENERAL] UNINSTALL_ENTRY=0: a client that registers its own.
bool WantsUninstallEntry(const IniFile& manifest);

// The installed client: `install_dir`\casino.exe.
std::string ClientPath(const std::string& install_dir);

// The entry's texts for `brand` installed in `install_dir`: the publisher
// from [GENERAL] PUBLISHER (else the brand), the version from VERSION; the
// date and the size are the caller's.
UninstallEntry UninstallEntryTexts(const IniFile& manifest, const std::string& brand, const std::string& install_dir);

// "YYYYMMDD".
std::string InstallDateText(int year, int month, int day);

// The entry's key below HKCU\Software.
std::string UninstallEntryKey(const std::string& brand);

// The command the uninstall entry runs: the quoted uninstaller in
// `install_dir` and its switch. An entry whose UninstallString is this
// (in any letter case) is the installer's own.
std::string UninstallCommand(const std::string& install_dir);

// The values the installer itself writes into HKCU\Software\<brand>: the
// progress of the run, where the installer was started from, and its tag.
extern const char kProgressValue[];
extern const char kInstallerLocationValue[];
extern const char kTagValue[];
extern const char* const kInstallerValues[3];
