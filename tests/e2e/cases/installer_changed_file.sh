#!/usr/bin/env bash
# A file that changes on the server between attempts: the first attempt is
# cut short with the old file's bytes; the next asks for the rest with the
# old ETag, which no longer matches, and gets the whole new file, which
# starts again from zero and is resumed with its own ETag. The new file, the
# one the manifest's hash names, is installed.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.172
cut=1048576
fixture_file old.bin 3000000
fixture_file new.bin 3000000
fixture_site "[GENERAL]
BRAND_NAME=Changed Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/changing/$cut/old.bin/new.bin,,$(fixture_sha256 new.bin)
"
dir=$(install_dir "Changed Casino")

installer_start
installer_choose_english
failure="ResourceFileDownloaderListener::OnError()"
e2e_expect_eq "$(answer_boxes "Changed Casino Installation" 3)" "$(printf '%s\n' "$failure" "$failure" "$failure")" \
    "a box for each cut attempt"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
cmp "$work/fixture/files/new.bin" "$dir/new.bin" || e2e_fail "the installed file is not the new one"
[ ! -e "$dir/new.bin.part" ] && [ ! -e "$dir/new.bin.part.info" ] || e2e_fail "staged files left behind"
e2e_expect_eq "$(fixture_ranges /changing/)" "- -
bytes=$cut- $(fixture_etag old.bin)
bytes=$cut- $(fixture_etag new.bin)
bytes=$((2 * cut))- $(fixture_etag new.bin)" "Range and If-Range of the four attempts"
