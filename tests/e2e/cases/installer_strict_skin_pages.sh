#!/usr/bin/env bash
# A strict build's skin pane starts from an https address; a server redirect
# to plain http is not announced before its request goes out. Measured under
# Wine (without an HTML engine): the control asks for the plain page and
# raises only NavigateError for the first address, so nothing is shown.
# Windows' control raises NavigateComplete2 with the plain address, which
# the pane then takes away; the navigation listener's unit tests raise those
# events. This case keeps the https page itself shown and the run whole.
source "$(dirname "$0")/../lib.sh"
e2e_begin "127.0.0.226 dl.karvelo.example" "127.0.0.226 files.karvelo.example" "127.0.0.226 skins.karvelo.example"
FIXTURE_ADDRESS=127.0.0.226
strict=$products/tools/installer_strict.exe
fixture_file r.dll 3000

# The https skin page answers with a redirect to its plain-http twin, which
# the plain fixture server on port 80 would serve.
manifest="[GENERAL]
BRAND_NAME=Strict Skin Casino
SKIN_URL=https://skins.karvelo.example/insecure/status/200
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/r.dll,,$(fixture_pieces r.dll)
"
fixture_site "$manifest"
tls_fixture_start 127.0.0.226 "$manifest"
# A strict build is keyed: it takes only signed manifests.
sign_manifest "$work/fixture/tls-manifest.ini" demo --serial 1 --valid-days 30
installer_start "$strict"
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of a strict run"
tls_fixture_requests 127.0.0.226 | grep -q 'GET /insecure/status/200' || e2e_fail "the skin page was not asked for"
echo "the control asked for the plain page $(fixture_requests | grep -c 'GET /status/200' || true) time(s)"
grep -q "Navigation refused after a redirect, not https" "$work/setup.out" \
    && echo "the control reached the plain page; the pane took it away"
grep -q "Skin page not shown" "$work/setup.out" && e2e_fail "the https skin page itself was refused"
exit 0
