#!/usr/bin/env bash
# A keyed installer (the demo and the next key) installs from a manifest
# signed with either key and raises the floor of both, and shows no plain
# http skin page; after a newer serial signed with the next key, an older one
# signed with the first is refused. An unkeyed installer installs from a
# signed manifest as from any other.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.231
fixture_file r.dll 3000
fixture_file b.dll 1000
manifest=$work/fixture/manifest.ini
settings='HKCU\Software\InstallKVO'
# A key's floor is named by the first 16 hex digits of the SHA-256 of its DER.
key_id() { openssl pkey -pubin -in "$root/tools/demo_keys/$1.pub.pem" -outform DER | sha256sum | cut -c1-16; }
demo_id=$(key_id demo)
next_id=$(key_id next)

serve() { # brand serial key
    printf '%s\r\n' "[GENERAL]" "BRAND_NAME=$1" "SKIN_URL=http://skins.karvelo.example/skin.html" "[URLS]" \
        "SERVER_ADDR=files.karvelo.example" \
        "URL_1=/file/r.dll,,$(fixture_pieces r.dll)" "URL_2=/file/b.dll,Data,$(fixture_pieces b.dll)" >"$manifest"
    sign_manifest "$manifest" "$3" --serial "$2" --valid-days 30
}

installs() { # program brand
    installer_start "$1"
    installer_choose_english
    e2e_wait_exit 60
    e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of $2"
    cmp "$work/fixture/files/r.dll" "$(install_dir "$2")/r.dll" || e2e_fail "r.dll of $2"
    cmp "$work/fixture/files/b.dll" "$(install_dir "$2")/Data/b.dll" || e2e_fail "b.dll of $2"
}

fixture_site ''
serve "Signed Casino" 10 demo
installs "$keyed_installer" "Signed Casino"
e2e_expect_eq "$(reg_value "$settings" "ManifestSerial-$demo_id")" 10 "floor of the demo key"
e2e_expect_eq "$(reg_value "$settings" "ManifestSerial-$next_id")" 10 "floor of the next key"
grep -q "a strict or keyed build shows only https pages: http://skins.karvelo.example/skin.html" "$work/setup.out" \
    || e2e_fail "a keyed build showed a plain skin page"

# Rotation: the next key signs, and a re-run of the same serial goes on.
serve "Rotated Casino" 11 next
installs "$keyed_installer" "Rotated Casino"
installs "$keyed_installer" "Rotated Casino"
e2e_expect_eq "$(reg_value "$settings" "ManifestSerial-$demo_id")" 11 "floor of the demo key after the rotation"

# The old key's serial 10 is still validly signed, but older.
serve "Replayed Casino" 10 demo
installer_start "$keyed_installer"
installer_choose_english
e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" "Outdated manifest: 10" "an older serial"
[ ! -e "$(install_dir "Replayed Casino")" ] || e2e_fail "install folder of a replayed manifest"
e2e_expect_eq "$(reg_value "$settings" "ManifestSerial-$next_id")" 11 "floor after a replay"
uidriver command "Casino Installation" 1
e2e_wait_exit 20

# An unkeyed installer reads the signature line as a comment.
serve "Unkeyed Casino" 3 other
installs "$products/installer.exe" "Unkeyed Casino"
e2e_expect_eq "$(reg_value "$settings" "ManifestSerial-$demo_id")" 11 "floor after an unkeyed run"
