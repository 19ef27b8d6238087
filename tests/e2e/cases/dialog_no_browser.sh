#!/usr/bin/env bash
# Without the system's browser control, the skin pane says so once and the
# installer goes on.
source "$(dirname "$0")/../lib.sh"
e2e_begin
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;ieframe="

e2e_start "$products/tools/dialog_harness.exe" progress about:blank about:blank
uidriver wait "Casino Installation" 30 1018 || e2e_fail "the dialog did not appear"
uidriver press "Casino Installation" 1004
caption="Harness Casino Installation"
uidriver wait "$caption" 20 || e2e_fail "no brand caption"
e2e_expect_eq "$(uidriver box "$caption" 20)" "CoCreateInstance failed" "failure box"
uidriver answer "$caption" 1
e2e_expect_eq "$(uidriver box "$caption" 20)" "CoCreateInstance failed" "second pane's failure box"
uidriver answer "$caption" 1
e2e_wait_for done 20 text "$caption" 1002
