#!/usr/bin/env bash
# Cancel during a download asks: Yes minimises and the download goes on, No
# ends the installer with 0 at once. The OK command (Enter) ends it with 1.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.18
fixture_site '[GENERAL]
BRAND_NAME=Slow Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/drip/400000/50
'
caption="Slow Casino Installation"

installer_start
installer_choose_english
uidriver wait "$caption" 30 || e2e_fail "no brand caption"
uidriver command "$caption" 2
e2e_expect_eq "$(uidriver box "$caption" 10)" "Do you want to continue the installation? " "question"
uidriver answer "$caption" 6
e2e_wait_for 1 10 iconic "$caption"
position_before=$(uidriver progress "$caption" 1000 | cut -d' ' -f1)
sleep 1
position_after=$(uidriver progress "$caption" 1000 | cut -d' ' -f1)
[ "$position_after" -gt "$position_before" ] || e2e_fail "the download stopped after Yes ($position_before -> $position_after)"
uidriver command "$caption" 2
uidriver box "$caption" 10 >/dev/null || e2e_fail "no question the second time"
uidriver answer "$caption" 7
e2e_wait_exit 20
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code after No"

installer_start
installer_choose_english
uidriver wait "$caption" 30 || e2e_fail "no brand caption"
sleep 1
uidriver command "$caption" 1
e2e_wait_exit 20
e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code after OK during a download"
