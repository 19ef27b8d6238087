#!/usr/bin/env bash
# A release folder made into a manifest by `manifest-tool make`, signed with
# the demo key and installed by the keyed installer from nginx: every file in
# place byte for byte, in its sub-folder, names with blanks included, the
# archive unpacked and gone, and casino.exe, fetched last, started.
source "$(dirname "$0")/../lib.sh"
e2e_begin_site 127.0.0.235 127.0.0.236
release=$work/release
brand="Made Casino"
mkdir -p "$release/Games/Table Games" "$release/Sounds" "$work/packed/Pictures" "$work/site/files/client"
cp "$products/Extract.dll" "$release/Extract.dll"
cp "$products/tools/demo_casino.exe" "$release/casino.exe"
head -c 150000 /dev/urandom >"$release/Games/Table Games/roulette.dll"
head -c 40000 /dev/urandom >"$release/Sounds/big win.wav"
head -c 3000 /dev/urandom >"$work/packed/Pictures/table one.png"
(cd "$work/packed" && 7zz a -m0=LZMA2 "$release/pictures.7z" Pictures >/dev/null) || e2e_fail "cannot pack the archive"

printf '[GENERAL]\r\nBRAND_NAME=%s\r\nSKIN_URL=https://skins.karvelo.example/skin.html\r\n[URLS]\r\n' "$brand" \
    >"$work/template.ini"
"$out/manifest-tool" make "$release" --server files.karvelo.example --path client/1.0 --template "$work/template.ini" \
    --out "$work/site/manifest.ini" || e2e_fail "make refused the release folder"
sign_manifest "$work/site/manifest.ini" demo --serial 1 --valid-days 30
cp -r "$release" "$work/site/files/client/1.0"
site_start "$SITE_ADDRESS" "$SITE_TLS_ADDRESS" "$work/site" "$work/nginx" "$out/test/ca" || e2e_fail "cannot start nginx"

installer_start "$keyed_installer"
installer_choose_english
e2e_wait_exit 90
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
dir=$(install_dir "$brand")
for name in Extract.dll casino.exe "Games/Table Games/roulette.dll" "Sounds/big win.wav"; do
    cmp "$release/$name" "$dir/$name" || e2e_fail "$name is not the released file"
done
cmp "$work/packed/Pictures/table one.png" "$dir/Pictures/table one.png" || e2e_fail "the archive was not unpacked"
[ ! -e "$dir/pictures.7z" ] || e2e_fail "the archive stayed after unpacking"
# The files in the order the installer needs: Extract.dll first, casino.exe last.
site_requests | grep -o '"GET /client/1.0/[^ ]*' | sed 's|"GET /client/1.0/||' >"$work/fetched"
e2e_expect_eq "$(head -n 1 "$work/fetched"),$(tail -n 1 "$work/fetched")" "Extract.dll,casino.exe" "fetch order"
e2e_expect_eq "$(wc -l <"$work/fetched")" 5 "files fetched"
for _ in $(seq 100); do [ -e "$dir/started.txt" ] && break; sleep 0.1; done
[ -e "$dir/started.txt" ] || e2e_fail "casino.exe was not started"
