#!/usr/bin/env bash
# The bench itself: a windowed program starts under Wine on the virtual
# display, and its caption and a control's text are read back from outside.
source "$(dirname "$0")/../lib.sh"
e2e_begin "127.0.0.2 bench.karvelo.example"

e2e_start "$products/tools/test_window.exe" "Bench Window"
uidriver wait "Bench Window" 30 100 || e2e_fail "the window did not appear"
e2e_expect_eq "$(uidriver text "Bench Window")" "Bench Window" "caption"
e2e_expect_eq "$(uidriver text "Bench Window" 100)" "ready" "static text"
e2e_expect_eq "$(getent hosts bench.karvelo.example | awk '{print $1}')" "127.0.0.2" "private hosts"
e2e_screenshot window
uidriver close "Bench Window"
