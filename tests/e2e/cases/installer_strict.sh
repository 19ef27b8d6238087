#!/usr/bin/env bash
# The strict build: https whatever the settings and the manifest say, so a
# plain-HTTP server gets nothing; it is keyed (with the demo keys), so an
# unsigned manifest is refused; an entry without a hash refuses the run
# before anything is written; a plain-HTTP skin page stays blank.
source "$(dirname "$0")/../lib.sh"
e2e_begin "127.0.0.203 dl.karvelo.example" "127.0.0.203 files.karvelo.example"
FIXTURE_ADDRESS=127.0.0.203
strict=$products/tools/installer_strict.exe
fixture_file r.dll 3000
fixture_file b.dll 1000

# Only plain HTTP answers, and the settings say http.
manifest="[GENERAL]
BRAND_NAME=Strict Casino
SKIN_URL=http://skins.karvelo.example/skin.html
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/r.dll,,$(fixture_pieces r.dll)
"
fixture_site "$manifest"
installer_start "$strict"
installer_choose_english
e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" "IniFileDownloaderListener::OnError()" "plain HTTP only"
e2e_expect_eq "$(fixture_requests | wc -l)" 0 "requests to the plain server"
e2e_expect_eq "$(reg_value 'HKCU\Software\InstallKVO' scheme)" http "scheme seeded"
uidriver command "Casino Installation" 1
e2e_wait_exit 20

# Over https, unsigned.
tls_fixture_start 127.0.0.203 "$manifest"
installer_start "$strict"
installer_choose_english
e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" "Unsigned manifest" "an unsigned manifest"
uidriver command "Casino Installation" 1
e2e_wait_exit 20
[ ! -e "$(install_dir "Strict Casino")" ] || e2e_fail "install folder of an unsigned manifest"

# Signed: the manifest says nothing of the files' scheme, yet they come over
# TLS.
sign_manifest "$work/fixture/tls-manifest.ini" demo --serial 1 --valid-days 30
installer_start "$strict"
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of a strict run"
cmp "$work/fixture/files/r.dll" "$(install_dir "Strict Casino")/r.dll" || e2e_fail "r.dll"
e2e_expect_eq "$(tls_fixture_requests 127.0.0.203 | grep -c 'GET /file/r.dll')" 1 "file over TLS"
e2e_expect_eq "$(fixture_requests | wc -l)" 0 "requests to the plain server"
grep -q "a strict or keyed build shows only https pages: http://skins.karvelo.example/skin.html" "$work/setup.out" \
    || e2e_fail "a plain skin page was not refused"
e2e_expect_eq "$(grep -c "Skin page not shown" "$work/setup.out")" 1 "log lines for the refused skin page"
tls_fixture_stop

tls_fixture_start 127.0.0.203 "[GENERAL]
BRAND_NAME=Unhashed Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/r.dll,,$(fixture_pieces r.dll)
URL_2=/file/b.dll
"
sign_manifest "$work/fixture/tls-manifest.ini" demo --serial 1 --valid-days 30
installer_start "$strict"
installer_choose_english
e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" "Missing checksum in manifest: /file/b.dll" "entry without a hash"
[ ! -e "$(install_dir "Unhashed Casino")" ] || e2e_fail "install folder before the refusal"
tls_fixture_requests 127.0.0.203 | grep -q 'GET /file/' && e2e_fail "a file was requested before the refusal"
uidriver command "Casino Installation" 1
e2e_wait_exit 20
