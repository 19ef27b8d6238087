#!/usr/bin/env bash
# The skin page arrives while the window is minimised (Yes to the Cancel
# question): once restored, the page fills its area all the same.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.152
fixture_site '[GENERAL]
BRAND_NAME=Minimised Casino
SKIN_URL=http://files.karvelo.example/status/200
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/drip/400000/50
' --manifest-delay 3

installer_start
installer_choose_english
uidriver command "Casino Installation" 2
e2e_expect_eq "$(uidriver box "Casino Installation" 10)" "Do you want to continue the installation? " "question"
uidriver answer "Casino Installation" 6
e2e_wait_for 1 10 iconic "Casino Installation"
caption="Minimised Casino Installation"
uidriver wait "$caption" 30 || e2e_fail "no brand caption"
e2e_expect_eq "$(uidriver iconic "$caption")" 1 "minimised when the page arrived"
sleep 1
uidriver restore "$caption"
e2e_wait_for 0 10 iconic "$caption"
read -r _ _ _ _ client_width client_height <<<"$(uidriver rect "$caption")"
e2e_wait_for "$((client_width - 2)) $((client_height - 71))" 10 panes "$caption"
e2e_screenshot restored
uidriver command "$caption" 1
e2e_wait_exit 20
