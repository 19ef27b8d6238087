#!/usr/bin/env bash
# HTTPS where the operator turns it on: the manifest over TLS (the "scheme"
# setting) and the files over TLS (SERVER_SCHEME), trusted through the test
# CA; a redirect from https to http and an untrusted certificate are failed
# attempts, and nothing reaches the plain server.
source "$(dirname "$0")/../lib.sh"
e2e_begin "127.0.0.200 dl.karvelo.example" "127.0.0.200 files.karvelo.example" \
    "127.0.0.201 untrusted.karvelo.example"
FIXTURE_ADDRESS=127.0.0.200
settings='HKCU\Software\InstallKVO'

fixture_file r.dll 3000
manifest="[GENERAL]
BRAND_NAME=Secure Casino
[URLS]
SERVER_ADDR=files.karvelo.example
SERVER_SCHEME=https
URL_1=/file/r.dll,,$(fixture_sha256 r.dll)
"
# The plain server answers the same manifest: only its log may tell.
fixture_site "$manifest"
tls_fixture_start 127.0.0.200 "$manifest"

# The scheme setting is seeded "http" on the first run, and kept.
installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$(reg_value "$settings" scheme)" http "scheme seeded"
e2e_expect_eq "$(fixture_requests | grep -c ClientResourcesManager)" 1 "plain manifest request by default"
e2e_expect_eq "$(tls_fixture_requests 127.0.0.200 | grep -c 'GET /file/r.dll')" 1 "file over TLS"
fixture_stop
fixture_site "$manifest"

reg_set "$settings" scheme REG_SZ https
rm -rf "$(install_dir "Secure Casino")"
installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code over https"
cmp "$work/fixture/files/r.dll" "$(install_dir "Secure Casino")/r.dll" || e2e_fail "r.dll over https"
e2e_expect_eq "$(tls_fixture_requests 127.0.0.200 | grep -c ClientResourcesManager)" 1 "manifest over TLS"
e2e_expect_eq "$(fixture_requests | wc -l)" 0 "requests that reached the plain server"

# https -> http: whatever WinInet does with the redirect, the attempt fails.
tls_fixture_stop
tls_fixture_start 127.0.0.200 "[GENERAL]
BRAND_NAME=Secure Casino
[URLS]
SERVER_ADDR=files.karvelo.example
SERVER_SCHEME=https
URL_1=/insecure/file/r2.dll
"
fixture_file r2.dll 2000
installer_start
installer_choose_english
uidriver wait "Secure Casino Installation" 30 || e2e_fail "no brand caption"
failure=ResourceFileDownloaderListener::OnError\(\)
e2e_expect_eq "$(answer_boxes "Secure Casino Installation" 6)" \
    "$(printf '%s\n' "$failure" "$failure" "$failure" "$failure" "$failure" "Error retry_count==5")" \
    "a redirect to http fails five times"
grep -q "redirected from https to http://files.karvelo.example/file/r2.dll" "$work/setup.out" \
    || e2e_fail "no diagnostic of the redirect"
[ ! -s "$(install_dir "Secure Casino")/r2.dll" ] || e2e_fail "bytes came over plain http"
echo "Wine followed the redirect to http with $(fixture_requests | grep -c 'GET /file/r2.dll') plain request(s)"
uidriver command "Secure Casino Installation" 1
e2e_wait_exit 20

# A certificate that nothing trusts: the manifest fails, nothing is installed.
tls_fixture_stop
tls_fixture_start 127.0.0.201 "$manifest" --untrusted
reg_set "$settings" server REG_SZ untrusted.karvelo.example
rm -rf "$(install_dir "Secure Casino")"
installer_start
installer_choose_english
e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" "IniFileDownloaderListener::OnError()" "untrusted certificate"
grep -q "Error in OpenConnection - bSend == false" "$work/setup.out" || e2e_fail "no diagnostic of the failed send"
grep -E '^HttpSendRequestA "https://untrusted\.karvelo\.example/dl/ClientResourcesManager\.asp[^"]*" failed: 120(45|38|37|55)' \
    "$work/setup.out" || e2e_fail "no failure line with the certificate's error code"
[ ! -e "$(install_dir "Secure Casino")" ] || e2e_fail "install folder after an untrusted certificate"
uidriver command "Casino Installation" 1
e2e_wait_exit 20
