#!/usr/bin/env bash
# What a keyed installer refuses before it reports, writes or fetches
# anything: one changed byte of a signed manifest, an unsigned one, one
# signed with a key it was not built with, an expired one, and a signed one
# whose file has no size. The floor stays where it was.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.232
fixture_file r.dll 3000
manifest=$work/fixture/manifest.ini
settings='HKCU\Software\InstallKVO'

write() { # brand [entry]
    printf '%s\n' "[GENERAL]" "BRAND_NAME=$1" "[URLS]" "SERVER_ADDR=files.karvelo.example" \
        "${2:-URL_1=/file/r.dll,,$(fixture_pieces r.dll)}" >"$manifest"
}

refused() { # brand expected-box
    installer_start "$keyed_installer"
    installer_choose_english
    e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" "$2" "box for $1"
    sleep 1
    kill -0 "$PROGRAM_PID" 2>/dev/null || e2e_fail "the installer ended instead of stopping"
    uidriver command "Casino Installation" 1
    e2e_wait_exit 20
    [ ! -e "$(install_dir "$1")" ] || e2e_fail "install folder of $1"
    e2e_expect_eq "$(reg_value "HKCU\\Software\\$1" QD)" "" "QD of $1"
    fixture_requests | grep -q 'GET /file/' && e2e_fail "a file was requested for $1"
    # The settings are seeded before the manifest is asked for; no floor is.
    e2e_expect_eq "$(reg_value "$settings" server)" dl.karvelo.example "the server setting"
    [ -z "$(wine reg query "$settings" </dev/null 2>/dev/null | grep -a ManifestSerial)" ] \
        || e2e_fail "a floor was written for $1"
}

fixture_site ''
# One byte: "Signed" becomes "Signee" after the signature was made.
write "Signed Casino"
sign_manifest "$manifest" demo --serial 5 --valid-days 30
sed -i 's/^BRAND_NAME=Signed Casino/BRAND_NAME=Signee Casino/' "$manifest"
refused "Signee Casino" "Invalid manifest signature"

write "Unsigned Casino"
refused "Unsigned Casino" "Unsigned manifest"

write "Other Casino"
sign_manifest "$manifest" other --serial 5 --valid-days 30
refused "Other Casino" "Invalid manifest signature"

yesterday=$(date -u -d yesterday +%F)
write "Expired Casino"
sign_manifest "$manifest" demo --serial 5 --expires "$yesterday"
refused "Expired Casino" "Expired manifest: $yesterday"

write "Unbounded Casino" "URL_1=/file/r.dll,,$(fixture_sha256 r.dll)"
sign_manifest "$manifest" demo --serial 5 --valid-days 30
refused "Unbounded Casino" "Missing size in manifest: /file/r.dll,,$(fixture_sha256 r.dll)"
