#!/usr/bin/env bash
# The log file in %TEMP% is opened by a program Windows may elevate, in a
# folder the user controls: a log that is a link to another file, a second
# name of one, or a temporary folder that is a link, is never written; the
# program says why on standard output alone and goes on.
source "$(dirname "$0")/../lib.sh"
e2e_begin "127.0.0.225 dl.karvelo.example"
temp=$(find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -name Temp -type d | grep -v /Public/ | head -n 1)
[ -n "$temp" ] || e2e_fail "no Temp folder in the prefix"

# A run whose manifest cannot be fetched: it logs, shows its box, and is
# closed with the OK command.
run_to_the_failed_manifest() {
    installer_start
    installer_choose_english
    e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" "IniFileDownloaderListener::OnError()" "box"
    uidriver command "Casino Installation" 1
    e2e_wait_exit 20
}

printf 'not a log\n' >"$work/victim.txt"
ln -s "$work/victim.txt" "$temp/setup.log"
run_to_the_failed_manifest
e2e_expect_eq "$(cat "$work/victim.txt")" "not a log" "the file behind a link"
grep -q '^Log file C:\\users\\[^\\]*\\Temp\\setup.log not used: the file is a link' "$work/setup.out" \
    || e2e_fail "no line saying why the linked log is not used"
grep -q 'HttpSendRequestA "http://dl.karvelo.example/' "$work/setup.out" || e2e_fail "the lines left standard output"
rm "$temp/setup.log"

ln "$work/victim.txt" "$temp/setup.log"
run_to_the_failed_manifest
e2e_expect_eq "$(cat "$work/victim.txt")" "not a log" "the file behind a second name"
grep -q 'not used: the file has 2 names' "$work/setup.out" || e2e_fail "no line saying why the hard link is not used"
rm "$temp/setup.log"

mkdir -p "$work/elsewhere"
mv "$temp" "$temp.real"
ln -s "$work/elsewhere" "$temp"
run_to_the_failed_manifest
[ -z "$(ls -A "$work/elsewhere")" ] || e2e_fail "written into the folder behind a linked Temp: $(ls "$work/elsewhere")"
grep -q 'not used: the folder is a link' "$work/setup.out" || e2e_fail "no line saying why the linked folder is not used"
rm "$temp"
mv "$temp.real" "$temp"

# A plain log is written as before.
run_to_the_failed_manifest
grep -q 'HttpSendRequestA "http://dl.karvelo.example/' "$temp/setup.log" || e2e_fail "the plain log was not written"
