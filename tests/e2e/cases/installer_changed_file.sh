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
fixture_brand_site "Changed Casino" "URL_1=/changing/$cut/old.bin/new.bin,,$(fixture_sha256 new.bin)"

installer_through_failures "Changed Casino" 3
expect_installed new.bin "$(install_dir "Changed Casino")/new.bin"
e2e_expect_eq "$(fixture_ranges /changing/)" "- -
bytes=$cut- $(fixture_etag old.bin)
bytes=$cut- $(fixture_etag new.bin)
bytes=$((2 * cut))- $(fixture_etag new.bin)" "Range and If-Range of the four attempts"
