#include "install/uninstall/registration_rules.h"
#include "install/run/run_switches.h"
#include "store/ini_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Manifest {
    explicit Manifest(const std::string& general) { ini.Parse("[GENERAL]\n" + general + "\n"); }
    IniFile ini;
};

std::string KindsOf(const std::string& general, std::vector<std::string>* unknown = nullptr)
{
    Manifest manifest(general);
    std::vector<std::string> words = {"stale"};
    const ShortcutKinds kinds = ReadShortcutKinds(manifest.ini, words);
    if (unknown)
        *unknown = words;
    return std::string(kinds.start_menu ? "startmenu" : "") + (kinds.desktop ? "+desktop" : "");
}

} // namespace

TEST(ShortcutKinds, AbsentMeansTheStartMenuAndWordsMatchInAnyCase)
{
    std::vector<std::string> unknown;
    EXPECT_EQ(KindsOf("", &unknown), "startmenu");
    EXPECT_TRUE(unknown.empty());
    EXPECT_EQ(KindsOf("SHORTCUTS="), "startmenu"); // an empty value is no line at all
    EXPECT_EQ(KindsOf("SHORTCUTS=desktop"), "+desktop");
    EXPECT_EQ(KindsOf("SHORTCUTS=StartMenu,DESKTOP"), "startmenu+desktop");
    EXPECT_EQ(KindsOf("SHORTCUTS= desktop , startmenu ,desktop"), "startmenu+desktop");
    EXPECT_EQ(KindsOf("SHORTCUTS=None", &unknown), "");
    EXPECT_TRUE(unknown.empty());
    EXPECT_EQ(KindsOf("shortcuts=desktop"), "startmenu"); // keys are read exactly
}

TEST(ShortcutKinds, UnknownWordsAreHandedBackAndIgnored)
{
    std::vector<std::string> unknown;
    EXPECT_EQ(KindsOf("SHORTCUTS=startmenu,taskbar, quick launch ,,", &unknown), "startmenu");
    EXPECT_EQ(unknown, (std::vector<std::string>{"taskbar", "quick launch", "", ""}));
    EXPECT_EQ(KindsOf("SHORTCUTS=start menu", &unknown), "");
    EXPECT_EQ(unknown, std::vector<std::string>{"start menu"});
}

TEST(UninstallEntry, OnlyZeroTurnsItOff)
{
    EXPECT_FALSE(WantsUninstallEntry(Manifest("UNINSTALL_ENTRY=0").ini));
    for (const char* general : {"", "UNINSTALL_ENTRY=1", "UNINSTALL_ENTRY=no", "UNINSTALL_ENTRY=00",
                                "UNINSTALL_ENTRY= 0", "[URLS]\nUNINSTALL_ENTRY=0"})
        EXPECT_TRUE(WantsUninstallEntry(Manifest(general).ini)) << general;
}

TEST(UninstallEntry, TextsOfTheBrandAndItsFolder)
{
    const std::string dir = "C:\\Program Files\\Karvelo Casino";
    const UninstallEntry entry =
        UninstallEntryTexts(Manifest("PUBLISHER=Karvelo Games\nVERSION=2.4.1").ini, "Karvelo Casino", dir);
    EXPECT_EQ(entry.display_name, "Karvelo Casino");
    EXPECT_EQ(entry.display_icon, dir + "\\casino.exe,0");
    EXPECT_EQ(entry.install_location, dir);
    EXPECT_EQ(entry.publisher, "Karvelo Games");
    EXPECT_EQ(entry.display_version, "2.4.1");
    EXPECT_EQ(entry.uninstall_string, "\"" + dir + "\\uninstall.exe\" /uninstall");
    EXPECT_EQ(entry.quiet_uninstall_string, "\"" + dir + "\\uninstall.exe\" /uninstall /quiet");

    const UninstallEntry plain = UninstallEntryTexts(Manifest("").ini, "Karvelo Casino", dir);
    EXPECT_EQ(plain.publisher, "Karvelo Casino");
    EXPECT_EQ(plain.display_version, "");
    EXPECT_EQ(UninstallEntryKey("Karvelo Casino"), "Microsoft\\Windows\\CurrentVersion\\Uninstall\\Karvelo Casino");
    EXPECT_EQ(InstallDateText(2026, 12, 9), "20261209");
    EXPECT_EQ(InstallDateText(987, 1, 31), "09870131");
}

TEST(RunSwitches, UninstallAndQuietInAnyLetterCaseAfterTheProgram)
{
    struct Case {
        const char* line;
        bool uninstall;
        bool quiet;
    };
    const Case cases[] = {
        {"\"C:\\Program Files\\Karvelo Casino\\uninstall.exe\" /uninstall", true, false},
        {"\"C:\\Program Files\\Karvelo Casino\\uninstall.exe\" /uninstall /quiet", true, true},
        {"uninstall.exe /UNINSTALL /Quiet", true, true},
        {"uninstall.exe\t/quiet\t\"/uninstall\"", true, true},
        {"setup.exe /quiet", false, true},
        {"setup.exe", false, false},
        {"", false, false},
        // The program's own path is no switch, quoted or not.
        {"\"C:\\x /uninstall\\setup.exe\"", false, false},
        {"/uninstall", false, false},
        {"setup.exe /uninstallx -uninstall uninstall //uninstall /uninstall: \"/uninstall /quiet\"", false, false},
        {"\"C:\\unclosed /uninstall", false, false},
    };
    for (const Case& c : cases) {
        const RunSwitches switches = ReadRunSwitches(c.line);
        EXPECT_EQ(switches.uninstall, c.uninstall) << c.line;
        EXPECT_EQ(switches.quiet, c.quiet) << c.line;
    }
}
