#!/usr/bin/env bash
# The OK command (Enter) closes the installer without a question, exit code 1,
# also once the browser panes exist.
source "$(dirname "$0")/../lib.sh"
e2e_begin

e2e_start "$products/tools/dialog_harness.exe" idle
uidriver wait QuendaDownloader 30 1018 || e2e_fail "the dialog did not appear"
uidriver command QuendaDownloader 1
e2e_wait_exit 20
e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code after OK"

e2e_start "$products/tools/dialog_harness.exe" progress about:blank about:blank
uidriver wait "Casino Installation" 30 1018 || e2e_fail "the dialog did not appear again"
uidriver press "Casino Installation" 1004
e2e_wait_for done 20 text "Harness Casino Installation" 1002
uidriver command "Harness Casino Installation" 1
e2e_wait_exit 20
e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code after OK with panes"
