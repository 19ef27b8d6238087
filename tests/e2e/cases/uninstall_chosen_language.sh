#!/usr/bin/env bash
# The uninstaller asks in the language chosen at install: after a Greek
# install its question, caption and buttons are Greek; a No keeps everything.
export LANG=C.UTF-8
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.32
client_site "Greek Casino"
installer_start
uidriver wait "Casino Installation" 30 1018 || e2e_fail "the installer window did not appear"
e2e_wait_for 1 20 visible "Casino Installation" 1012
uidriver press "Casino Installation" 1012 || e2e_fail "cannot press the Greek flag"
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "installer exit code"
grep -q '^LANGUAGE=11' "$(install_dir "Greek Casino")/uninstall.ini" || e2e_fail "the record keeps no Greek"

caption="Κατάργηση εγκατάστασης"
uninstall_start "Greek Casino" /uninstall
uidriver wait "$caption" 30 >/dev/null || e2e_fail "no box \"$caption\""
e2e_expect_eq "$(uidriver wbox "$caption" 5 | tr -d '\r')" "Να καταργηθεί το Greek Casino και όλα τα αρχεία του;
$caption
Ναι
Όχι" "the question, its caption and buttons"
uidriver answer "$caption" 7 || e2e_fail "cannot answer No"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code after Όχι"
[ -f "$(install_dir "Greek Casino")/casino.exe" ] || e2e_fail "the client went after No"
