#!/usr/bin/env bash
# A keyed installer unpacks archives only with the Extract.dll its signed
# manifest lists with a hash: a library left in the install folder (here
# planted) is never loaded when the manifest lists none.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.192
mkdir -p "$work/pack" "$work/fixture/files"
head -c 5000 /dev/urandom >"$work/pack/one.png"
(cd "$work/pack" && 7zz a -bd -bso0 -bsp0 "$work/fixture/files/one.7z" one.png) || e2e_fail "no archive"
dir=$(install_dir "Keyed Casino")
mkdir -p "$dir"
cp "$products/tools/planted_dll.dll" "$dir/Extract.dll"

fixture_site ''
printf '%s\r\n' "[GENERAL]" "BRAND_NAME=Keyed Casino" "[URLS]" "SERVER_ADDR=files.karvelo.example" \
    "URL_1=/file/one.7z,,$(fixture_pieces one.7z)" >"$work/fixture/manifest.ini"
sign_manifest "$work/fixture/manifest.ini" demo --serial 1 --valid-days 30
installer_start "$keyed_installer"
installer_choose_english
e2e_expect_eq "$(answer_boxes "Keyed Casino Installation" 1)" "Can't load Extract dll" "box of the archive"
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
e2e_expect_eq "$(ls "$WINEPREFIX/drive_c" | grep -i '^planted-' || true)" "" "traces of the planted library"
grep -aq 'one.7z not unpacked: the manifest has no Extract.dll with a hash' "$work/setup.out" \
    || e2e_fail "no log line for the archive"
[ ! -e "$dir/one.png" ] || e2e_fail "the archive was unpacked"
