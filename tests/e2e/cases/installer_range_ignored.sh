#!/usr/bin/env bash
# A server that ignores Range: the attempts after a cut ask for the rest, get
# the whole file with a 200 each time, and start again from zero; the hashed
# file is installed whole.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.173
cut=1048576
size=3000000
fixture_file plain.bin "$size"
fixture_site "[GENERAL]
BRAND_NAME=Plain Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/norange/2/$cut/plain.bin,,$(fixture_sha256 plain.bin)
"
dir=$(install_dir "Plain Casino")

installer_start
installer_choose_english
failure="ResourceFileDownloaderListener::OnError()"
e2e_expect_eq "$(answer_boxes "Plain Casino Installation" 2)" "$(printf '%s\n' "$failure" "$failure")" \
    "a box for each cut attempt"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
cmp "$work/fixture/files/plain.bin" "$dir/plain.bin" || e2e_fail "plain.bin is not the served file"
[ ! -e "$dir/plain.bin.part" ] && [ ! -e "$dir/plain.bin.part.info" ] || e2e_fail "staged files left behind"
etag=$(fixture_etag plain.bin)
e2e_expect_eq "$(fixture_ranges /norange/)" "- -
bytes=$cut- $etag
bytes=$cut- $etag" "the later attempts ask for the rest"
e2e_expect_eq "$(fixture_sent /norange/)" $((2 * cut + size)) "body bytes sent: two cut answers and the whole file"
grep -q "^Resuming " "$work/setup.out" && e2e_fail "a whole answer was taken for the rest"
true
