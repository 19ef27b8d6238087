#!/usr/bin/env bash
# Runs that must stop before they install anything: a manifest that does not
# arrive, an unsafe brand name, and a file entry that would land outside the
# install folder.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.15
fixture_file r.dll 100

run_until_box() { # caption expected-box-text
    installer_start
    installer_choose_english
    e2e_expect_eq "$(answer_boxes "$1" 1)" "$2" "stop box"
    sleep 1
    kill -0 "$PROGRAM_PID" 2>/dev/null || e2e_fail "the installer ended instead of stopping"
    uidriver command "$1" 1
    e2e_wait_exit 20
    e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code of OK"
}

# No manifest at all (404): no report, no registry entries, no folder.
fixture_site ''
rm -f "$work/fixture/manifest.ini"
run_until_box "Casino Installation" "IniFileDownloaderListener::OnError()"
e2e_expect_eq "$(reg_value 'HKCU\Software\Karvelo Casino' QD)" "" "QD after a missing manifest"
# The diagnostic line reaches redirected standard output and the log file in
# the user's temporary folder, named after the program.
grep -q "Error in OpenConnection - HTTP status 404" "$work/setup.out" || e2e_fail "no diagnostic on standard output"
log=$(find "$WINEPREFIX/drive_c/users" -path '*Temp/setup.log' | head -n 1)
grep -q "Error in OpenConnection - HTTP status 404" "$log" || e2e_fail "no diagnostic in the log file ($log)"
[ ! -e "$(install_dir "Karvelo Casino")" ] || e2e_fail "install folder made without a manifest"
fixture_stop

fixture_site '[GENERAL]
BRAND_NAME=..\Windows
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/r.dll
'
run_until_box "Casino Installation" "Unsafe brand name in manifest: ..\\Windows"
[ ! -e "$WINEPREFIX/drive_c/windows/r.dll" ] || e2e_fail "a file landed outside Program Files"
e2e_expect_eq "$(reg_value 'HKCU\Software\..\Windows' QD)" "" "QD under an unsafe brand"
fixture_stop

fixture_site '[GENERAL]
BRAND_NAME=Refusing Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/r.dll
URL_2=/file/r.dll,..\..\Windows
'
run_until_box "Casino Installation" 'Unsafe path in manifest: /file/r.dll,..\..\Windows'
[ ! -e "$WINEPREFIX/drive_c/Windows/r.dll" ] || e2e_fail "a file landed outside the install folder"
[ ! -e "$(install_dir "Refusing Casino")/r.dll" ] || e2e_fail "a file was fetched before the refusal"
fixture_requests | grep -q 'GET /file/r.dll' && e2e_fail "a file was requested before the refusal"
true
