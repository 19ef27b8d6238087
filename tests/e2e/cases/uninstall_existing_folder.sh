#!/usr/bin/env bash
# A folder that was there before the first install is not removed whole:
# the uninstaller asks, removes only the files the installer placed (and its
# record), keeps the other product's files and the folder, shows "Some
# files could not be removed: " with the folder and ends with 3. The quiet
# uninstaller ends with 3 too, without a box.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.242
dir=$(install_dir "Shared Casino")
mkdir -p "$dir/Data"
printf 'theirs' >"$dir/other.txt"
printf 'theirs' >"$dir/Data/other.dat"
client_site "Shared Casino"
install_client
e2e_expect_eq "$(tr -d '\r' <"$dir/uninstall.ini" | sed -n 2p)" "CREATED=0" "the record of a folder that was there"

uninstall_start "Shared Casino" /uninstall
e2e_expect_eq "$(answer_uninstall_box 6)" "Remove Shared Casino and all its files?" "the question"
e2e_expect_eq "$(answer_uninstall_box 1)" 'Some files could not be removed: C:\Program Files\Shared Casino' \
    "the box of a partial removal"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 3 "exit code"
e2e_expect_eq "$(cd "$dir" && find . -type f | sort | moved_names | paste -sd' ')" \
    "./Data/other.dat ./other.txt ./uninstall-MOVED.old" "what stays"
e2e_expect_eq "$(pending_deletions | moved_names)" 'C:\Program Files\Shared Casino\uninstall-MOVED.old' \
    "deletions at the next restart"
e2e_expect_eq "$(reg_key_exists 'HKCU\Software\Shared Casino')" 0 "the brand's key"
e2e_expect_eq "$(reg_key_exists "$(uninstall_key "Shared Casino")")" 0 "the uninstall entry"

# Again, quietly: the folder is still not the installer's. A record line
# that climbs out of the folder is refused, not followed.
install_client
mkdir -p "$(install_dir "Next Casino")"
printf 'theirs' >"$(install_dir "Next Casino")/casino.exe"
printf 'FILE_9=..\\Next Casino\\casino.exe\r\n' >>"$dir/uninstall.ini"
uninstall_quietly "Shared Casino"
e2e_expect_eq "$PROGRAM_EXIT" 3 "exit code of the quiet uninstall"
expect_no_box Uninstall 1
e2e_expect_eq "$(cd "$dir" && find . -type f | sort | moved_names | paste -sd' ')" \
    "./Data/other.dat ./other.txt ./uninstall-MOVED.old ./uninstall-MOVED.old" "what stays after the quiet uninstall"
[ -f "$(install_dir "Next Casino")/casino.exe" ] || e2e_fail "a recorded path outside the folder was followed"
grep -q 'lists "..\\Next Casino\\casino.exe", which leaves the folder' "$work/uninstall.out" \
    || e2e_fail "the refused record line was not logged"
