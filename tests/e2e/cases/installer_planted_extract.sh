#!/usr/bin/env bash
# An Extract.dll planted in the install folder between runs is never loaded:
# the archives are unpacked only with a library that matches the hash of
# Extract.dll's entry. Here the keys' byte order (URL_10 before URL_2) puts
# an archive before the entry that would replace the planted copy.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.181
mkdir -p "$work/fixture/files"
cp "$products/Extract.dll" "$work/fixture/files/Extract.dll"
for pack in one two; do
    mkdir -p "$work/$pack"
    head -c 5000 /dev/urandom >"$work/$pack/$pack.png"
    (cd "$work/$pack" && 7zz a -bd -bso0 -bsp0 "$work/fixture/files/$pack.7z" "$pack.png") || e2e_fail "no archive"
done
dir=$(install_dir "Planted Casino")
library="/file/Extract.dll,,$(fixture_sha256 Extract.dll)"

fixture_brand_site "Planted Casino" "URL_1=$library
URL_2=/file/one.7z,,$(fixture_sha256 one.7z)"
installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the first run"
cmp "$work/one/one.png" "$dir/one.png" || e2e_fail "the first archive was not unpacked"

cp "$products/tools/planted_dll.dll" "$dir/Extract.dll"
planted_sha256=$(sha256sum "$dir/Extract.dll" | cut -d' ' -f1)
fixture_stop
fixture_brand_site "Planted Casino" "URL_10=/file/two.7z,,$(fixture_sha256 two.7z)
URL_2=$library"
installer_start
installer_choose_english
e2e_expect_eq "$(answer_boxes "Planted Casino Installation" 1)" "Can't load Extract dll" "box of the archive"
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the second run"
e2e_expect_eq "$(ls "$WINEPREFIX/drive_c" | grep -i '^planted-' || true)" "" "traces of the planted library"
grep -aqF "Checksum mismatch: C:\\Program Files\\Planted Casino/Extract.dll expected $(fixture_sha256 Extract.dll | cut -d: -f2) actual $planted_sha256" \
    "$work/setup.out" || e2e_fail "no log line with both hashes of the library"
[ ! -e "$dir/two.png" ] || e2e_fail "the second archive was unpacked"
cmp "$products/Extract.dll" "$dir/Extract.dll" || e2e_fail "the planted library was not replaced by its entry"
