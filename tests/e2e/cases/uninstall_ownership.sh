#!/usr/bin/env bash
# The installer and the uninstaller take only what is theirs: another
# program's uninstall entry under the brand's name, a value of its own in
# the brand's key and a <brand>.lnk that points elsewhere survive an install
# and an uninstall; a folder that was there before with another program's
# uninstall.exe and uninstall.ini gets neither of ours and no entry.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.247
key=$(uninstall_key "Owned Casino")
theirs='"C:\Program Files\Theirs\uninstall.exe" /uninstall'

# Another brand's Start-menu shortcut, renamed to this brand's name.
client_site "Other Casino"
install_client
mv "$(start_menu_link "Other Casino")" "$(start_menu_link "Owned Casino")"
reg_set "$key" UninstallString REG_SZ "$theirs"
reg_set 'HKCU\Software\Owned Casino' theirs REG_SZ kept

client_site "Owned Casino"
install_client
dir=$(install_dir "Owned Casino")
e2e_expect_eq "$(tr -d '\r' <"$dir/uninstall.ini" | sed -n 3,4p | paste -sd' ')" "KEY_EXISTED=1 ENTRY=0" \
    "the record of what was there"
e2e_expect_eq "$(reg_value "$key" UninstallString)" "$theirs" "the other program's entry after the install"
e2e_expect_eq "$(uidriver shortcut "$(start_menu_link "Owned Casino")" | tr -d '\r' | head -n 1)" \
    'C:\Program Files\Other Casino\casino.exe' "the other shortcut after the install"
grep -q 'is another program.s uninstall entry; left as it is' "$work/setup.out" || e2e_fail "the entry left was not logged"

uninstall_quietly "Owned Casino"
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the quiet uninstall"
e2e_expect_eq "$(reg_value "$key" UninstallString)" "$theirs" "the other program's entry after the uninstall"
e2e_expect_eq "$(reg_value 'HKCU\Software\Owned Casino' theirs)" kept "a value that was there before"
e2e_expect_eq "$(reg_value 'HKCU\Software\Owned Casino' QD)$(reg_value 'HKCU\Software\Owned Casino' TAG)" "" \
    "the installer's own values"
[ -f "$(start_menu_link "Owned Casino")" ] || e2e_fail "a shortcut that points elsewhere was removed"
[ ! -e "$dir/casino.exe" ] || e2e_fail "the client stayed"

# A folder with another program's uninstaller and record.
foreign=$(install_dir "Foreign Casino")
mkdir -p "$foreign"
printf 'their uninstaller' >"$foreign/uninstall.exe"
printf 'their record' >"$foreign/uninstall.ini"
client_site "Foreign Casino"
install_client
e2e_expect_eq "$(cat "$foreign/uninstall.exe")|$(cat "$foreign/uninstall.ini")" "their uninstaller|their record" \
    "the other program's uninstaller and record"
[ -f "$foreign/casino.exe" ] || e2e_fail "the client was not installed"
e2e_expect_eq "$(reg_key_exists "$(uninstall_key "Foreign Casino")")" 0 "an entry for the foreign folder"
