#!/usr/bin/env bash
# After an install: the uninstall entry's values, the uninstall record, the
# installer's copy as uninstall.exe and the Start-menu shortcut; a second run
# rewrites the entry (a value the manifest no longer gives goes) and keeps
# "created" as the first run recorded it.
source "$(dirname "$0")/../lib.sh"
e2e_begin_installed 127.0.0.240 "Entry Casino" "PUBLISHER=Karvelo Games Ltd.
VERSION=2.4.1"
dir=$CLIENT_DIR
key=$(uninstall_key "Entry Casino")
windir='C:\Program Files\Entry Casino'
e2e_expect_eq "$(reg_value "$key" DisplayName)" "Entry Casino" "DisplayName"
e2e_expect_eq "$(reg_value "$key" DisplayIcon)" "$windir\\casino.exe,0" "DisplayIcon"
e2e_expect_eq "$(reg_value "$key" InstallLocation)" "$windir" "InstallLocation"
e2e_expect_eq "$(reg_value "$key" Publisher)" "Karvelo Games Ltd." "Publisher"
e2e_expect_eq "$(reg_value "$key" DisplayVersion)" "2.4.1" "DisplayVersion"
e2e_expect_eq "$(reg_value "$key" UninstallString)" "\"$windir\\uninstall.exe\" /uninstall" "UninstallString"
e2e_expect_eq "$(reg_value "$key" QuietUninstallString)" "\"$windir\\uninstall.exe\" /uninstall /quiet" \
    "QuietUninstallString"
e2e_expect_eq "$(reg_value "$key" InstallDate)" "$(date +%Y%m%d)" "InstallDate"
e2e_expect_eq "$(reg_value "$key" NoModify)" 0x1 "NoModify"
e2e_expect_eq "$(reg_value "$key" NoRepair)" 0x1 "NoRepair"
kib=$(( ($(find "$dir" -type f -printf '%s+')0 + 1023) / 1024 ))
e2e_expect_eq "$(reg_value "$key" EstimatedSize)" "$(printf '0x%x' "$kib")" "EstimatedSize (KiB in the folder)"
e2e_expect_eq "$(wine reg query "$key" </dev/null | tr -d '\r' | grep -c 'REG_')" 11 "the entry's values"

cmp "$WINEPREFIX/drive_c/Downloads/setup.exe" "$dir/uninstall.exe" || e2e_fail "uninstall.exe is not the installer"
e2e_expect_eq "$(tr -d '\r' <"$dir/uninstall.ini")" "[UNINSTALL]
CREATED=1
KEY_EXISTED=0
ENTRY=1
LANGUAGE=0
[VALUES]
[FILES]
FILE_1=casino.exe
FILE_2=Data\\data.bin" "the uninstall record"
[ -z "$(find "$dir" -name '*.part')" ] || e2e_fail "staged files left in $dir"
e2e_expect_eq "$(uidriver shortcut "$(start_menu_link "Entry Casino")" | tr -d '\r' | paste -sd'|')" \
    "$windir\\casino.exe|$windir|$windir\\casino.exe,0" "the Start-menu shortcut"

# The second run: no VERSION, another file; the record keeps CREATED=1.
fixture_file more.bin 100
printf '%s' "[GENERAL]
BRAND_NAME=Entry Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/casino.exe
URL_3=/file/more.bin,Data\\Extra
" >"$work/fixture/manifest.ini"
install_client
e2e_expect_eq "$(reg_value "$key" DisplayVersion)" "" "DisplayVersion after a run without VERSION"
e2e_expect_eq "$(reg_value "$key" Publisher)" "Entry Casino" "Publisher without PUBLISHER"
e2e_expect_eq "$(tr -d '\r' <"$dir/uninstall.ini")" "[UNINSTALL]
CREATED=1
KEY_EXISTED=0
ENTRY=1
LANGUAGE=0
[VALUES]
[FILES]
FILE_1=casino.exe
FILE_2=Data\\data.bin
FILE_3=Data\\Extra\\more.bin" "the record after a second run"
