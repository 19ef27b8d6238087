#!/usr/bin/env bash
# A name that the ANSI functions read as "..\..\victim" (U+FF3C, a
# full-width reverse solidus) inside the install folder does not lead the
# uninstaller out: a planted C:\victim stays whole. A reinstall before the
# restart keeps its new uninstall.exe and records CREATED=1, even once the
# restart has run. Without its record the uninstaller removes nothing.
source "$(dirname "$0")/../lib.sh"
e2e_begin_installed 127.0.0.248 "Leftover Casino"
dir=$CLIENT_DIR
victim=$WINEPREFIX/drive_c/victim
mkdir -p "$victim" "$dir/..＼..＼victim"
printf 'keep' >"$victim/keep.txt"
printf 'x' >"$dir/..＼..＼victim/x.txt"

uninstall_quietly "Leftover Casino"
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the quiet uninstall"
e2e_expect_eq "$(cat "$victim/keep.txt")" keep "the planted victim"
e2e_expect_eq "$(folder_listing "$dir" | moved_names | paste -sd' ')" ". ./uninstall-MOVED.old" \
    "what is left until the restart"

# Reinstalled before the restart: the folder holds only what the uninstall
# left, so it is the installer's again, and no deletion names what it places.
install_client
e2e_expect_eq "$(tr -d '\r' <"$dir/uninstall.ini" | sed -n 2p)" "CREATED=1" "the record after the reinstall"
e2e_expect_eq "$(pending_deletions | moved_names)" 'C:\Program Files\Leftover Casino\uninstall-MOVED.old' \
    "deletions at the next restart"
wine wineboot -r </dev/null >/dev/null 2>&1 || true
[ -f "$dir/uninstall.exe" ] && [ -f "$dir/casino.exe" ] || e2e_fail "the restart removed the reinstalled client"
e2e_expect_eq "$(folder_listing "$dir" | grep -c 'uninstall-')" 0 "the moved uninstaller after the restart"

# Without its record.
rm "$dir/uninstall.ini"
before=$(folder_listing "$dir")
uninstall_quietly "Leftover Casino"
e2e_expect_eq "$PROGRAM_EXIT" 3 "exit code without a record"
e2e_expect_eq "$(folder_listing "$dir")" "$before" "the folder without a record"
e2e_expect_eq "$(reg_key_exists "$(uninstall_key "Leftover Casino")")" 1 "the entry without a record"
e2e_expect_eq "$(reg_key_exists 'HKCU\Software\Leftover Casino')" 1 "the brand's key without a record"
uninstall_start "Leftover Casino" /uninstall
e2e_expect_eq "$(answer_uninstall_box 1)" \
    'The record of what was installed (C:\Program Files\Leftover Casino\uninstall.ini) is missing or damaged, so nothing was removed.' \
    "the box without a record"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 3 "exit code of the asking uninstaller without a record"
