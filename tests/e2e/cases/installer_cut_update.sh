#!/usr/bin/env bash
# An update whose new files are cut short five times leaves the installed
# copies byte for byte as they were. A file without a hash leaves nothing
# staged and always starts from zero; one with a hash keeps its staged bytes
# and what a later run needs to resume them, and the next run asks only for
# the rest.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.170
fixture_file v1/casino.exe 150000
fixture_file v1/rules.dat 70000
fixture_file v2/casino.exe 3000000
fixture_file v2/rules.dat 1050000
dir=$(install_dir "Updated Casino")
caption="Updated Casino Installation"
failure="ResourceFileDownloaderListener::OnError()"
five_failures=$(printf '%s\n' "$failure" "$failure" "$failure" "$failure" "$failure" "Error retry_count==5")

# A run whose only file fails five times; the window stays until its OK.
cut_five_times() { # manifest-entries what
    fixture_stop
    fixture_brand_site "Updated Casino" "$1"
    installer_start
    installer_choose_english
    e2e_expect_eq "$(answer_boxes "$caption" 6)" "$five_failures" "boxes of $2"
    uidriver command "$caption" 1
    e2e_wait_exit 20
    e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code of OK after $2"
}

fixture_brand_site "Updated Casino" "URL_1=/file/v1/casino.exe
URL_2=/file/v1/rules.dat,,$(fixture_sha256 v1/rules.dat)"
installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the first installation"
cmp "$work/fixture/files/v1/casino.exe" "$dir/casino.exe" || e2e_fail "casino.exe of the first installation"

cut_five_times "URL_1=/range/20000/v2/casino.exe" "casino.exe cut short"
cmp "$work/fixture/files/v1/casino.exe" "$dir/casino.exe" || e2e_fail "the installed casino.exe changed"
[ ! -e "$dir/casino.exe.part" ] && [ ! -e "$dir/casino.exe.part.info" ] \
    || e2e_fail "staged bytes of a file without a hash stayed"
e2e_expect_eq "$(fixture_ranges /range/ | sort -u)" "- -" "a file without a hash asks for all of it every time"

entry="/range/200000/v2/rules.dat,,$(fixture_sha256 v2/rules.dat)"
cut_five_times "URL_1=$entry" "rules.dat cut short"
cmp "$work/fixture/files/v1/rules.dat" "$dir/rules.dat" || e2e_fail "the installed rules.dat changed"
e2e_expect_eq "$(stat -c %s "$dir/rules.dat.part")" 1000000 "staged bytes after five attempts"
cmp -n 1000000 "$work/fixture/files/v2/rules.dat" "$dir/rules.dat.part" || e2e_fail "the staged bytes are not the new file's"
e2e_expect_eq "$(tr -d '\r' <"$dir/rules.dat.part.info")" "path=/range/200000/v2/rules.dat
sha256=$(fixture_sha256 v2/rules.dat | cut -d: -f2)
validator=$(fixture_etag v2/rules.dat)
length=1050000" "what a later run needs to resume"

fixture_stop
fixture_brand_site "Updated Casino" "URL_1=$entry"
installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the resumed update"
expect_installed v2/rules.dat "$dir/rules.dat"
e2e_expect_eq "$(fixture_ranges /range/)" "bytes=1000000- $(fixture_etag v2/rules.dat)" "the resumed update's request"
