#!/usr/bin/env bash
# A server that ignores Range: the attempts after a cut ask for the rest, get
# the whole file with a 200 each time, and start again from zero; the hashed
# file is installed whole.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.173
cut=1048576
size=3000000
fixture_file plain.bin "$size"
fixture_brand_site "Plain Casino" "URL_1=/norange/2/$cut/plain.bin,,$(fixture_sha256 plain.bin)"

installer_through_failures "Plain Casino" 2
expect_installed plain.bin "$(install_dir "Plain Casino")/plain.bin"
etag=$(fixture_etag plain.bin)
e2e_expect_eq "$(fixture_ranges /norange/)" "- -
bytes=$cut- $etag
bytes=$cut- $etag" "the later attempts ask for the rest"
e2e_expect_eq "$(fixture_sent /norange/)" $((2 * cut + size)) "body bytes sent: two cut answers and the whole file"
grep -q "^Resuming " "$work/setup.out" && e2e_fail "a whole answer was taken for the rest"
true
