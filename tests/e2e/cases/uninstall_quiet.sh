#!/usr/bin/env bash
# A quiet uninstall removes the folder the installer created with all its
# files (a read-only one too), the brand's key, the uninstall entry and the
# shortcuts that point to the client, shows no box and ends with 0; it
# moves uninstall.exe to a name of its own and schedules that and its folder
# for the next restart. Another
# brand's folder and key, a shortcut of the brand's name that points
# elsewhere, and the installer's settings stay.
source "$(dirname "$0")/../lib.sh"
e2e_begin_installed 127.0.0.241 "Quiet Casino" "SHORTCUTS=startmenu"
dir=$CLIENT_DIR

# Another brand, whose name begins like this one's, with a desktop shortcut
# that is then given this brand's name.
client_site "Quiet Casino 2" "SHORTCUTS=desktop"
install_client
other=$(install_dir "Quiet Casino 2")
mv "$(desktop_link "Quiet Casino 2")" "$(desktop_link "Quiet Casino")"
# A file of the client's own, read-only as archives leave theirs.
printf 'x' >"$dir/Data/settings.dat"
chmod a-w "$dir/Data/settings.dat"
[ -f "$dir/uninstall.exe" ] && [ -f "$dir/uninstall.ini" ] || e2e_fail "no uninstaller or record in $dir"
e2e_expect_eq "$(reg_key_exists 'HKCU\Software\Quiet Casino')" 1 "the brand's key before"

uninstall_quietly "Quiet Casino"
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the quiet uninstall"
expect_no_box Uninstall 1

e2e_expect_eq "$(folder_listing "$dir" | moved_names | paste -sd' ')" ". ./uninstall-MOVED.old" \
    "what is left until the restart"
e2e_expect_eq "$(reg_key_exists 'HKCU\Software\Quiet Casino')" 0 "the brand's key"
e2e_expect_eq "$(reg_key_exists "$(uninstall_key "Quiet Casino")")" 0 "the uninstall entry"
[ ! -e "$(start_menu_link "Quiet Casino")" ] || e2e_fail "the Start-menu shortcut is still there"
e2e_expect_eq "$(pending_deletions | moved_names)" 'C:\Program Files\Quiet Casino\uninstall-MOVED.old
C:\Program Files\Quiet Casino' "deletions at the next restart"

[ -f "$other/casino.exe" ] && [ -f "$other/Data/data.bin" ] && [ -f "$other/uninstall.exe" ] \
    || e2e_fail "the other brand's folder lost files"
e2e_expect_eq "$(reg_key_exists 'HKCU\Software\Quiet Casino 2')" 1 "the other brand's key"
e2e_expect_eq "$(reg_key_exists "$(uninstall_key "Quiet Casino 2")")" 1 "the other brand's entry"
[ -f "$(desktop_link "Quiet Casino")" ] || e2e_fail "a shortcut that points elsewhere was removed"
e2e_expect_eq "$(reg_value 'HKCU\Software\InstallKVO' server)" dl.karvelo.example "the installer's settings"
