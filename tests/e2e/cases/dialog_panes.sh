#!/usr/bin/env bash
# The worker's channel: progress area, whole 32-bit ranges, and the skin and
# report pages requested from the server with their exact addresses.
source "$(dirname "$0")/../lib.sh"
e2e_begin "127.0.0.6 skins.karvelo.example"
fixture_start 127.0.0.6 || e2e_fail "no fixture server"

skin="http://skins.karvelo.example/skins/blue/index.asp?lang=0&did=5279"
report="http://skins.karvelo.example/players_downloads.asp?distId=5279&dlAction=1"
e2e_start "$products/tools/dialog_harness.exe" progress "$skin" "$report"
uidriver wait "Casino Installation" 30 1018 || e2e_fail "the dialog did not appear"
uidriver press "Casino Installation" 1004
caption="Harness Casino Installation"
e2e_wait_for done 20 text "$caption" 1002

e2e_expect_eq "$(uidriver visible "$caption" 1004)" 0 "language button on the progress screen"
e2e_expect_eq "$(uidriver visible "$caption" 1014)" 0 "banner on the progress screen"
e2e_expect_eq "$(uidriver visible "$caption" 1000)" 1 "file progress on the progress screen"
e2e_expect_eq "$(uidriver progress "$caption" 1000)" "54321 0 100000" "file progress range"
e2e_expect_eq "$(uidriver progress "$caption" 1003)" "2 0 3" "files progress"
e2e_expect_eq "$(uidriver text "$caption" 1001)" "Downloading: casino.exe" "file status"

requests() {
    python3 -c 'import urllib.request; print(urllib.request.urlopen("http://127.0.0.6/_log").read().decode())' \
        | grep -a '^GET '
}
for path in "/skins/blue/index.asp?lang=0&did=5279" "/players_downloads.asp?distId=5279&dlAction=1"; do
    tries=100
    until requests | grep -qF "GET $path HTTP/1.1"; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || e2e_fail "no request for $path: $(requests)"
        sleep 0.1
    done
done
e2e_screenshot progress
