#!/usr/bin/env bash
# Language buttons: shown on request, each press stores its id and releases the
# worker; Cancel is ignored before a choice and asks after one.
source "$(dirname "$0")/../lib.sh"
e2e_begin

caption="Casino Installation"
e2e_start "$products/tools/dialog_harness.exe" languages
uidriver wait "$caption" 30 1018 || e2e_fail "the dialog did not appear"
e2e_wait_for 1 10 visible "$caption" 1004
e2e_expect_eq "$(uidriver visible "$caption" 1014)" 1 "banner on the language screen"
e2e_expect_eq "$(uidriver visible "$caption" 1000)" 0 "file progress on the language screen"
e2e_screenshot languages

# Before a choice the close command does nothing.
uidriver command "$caption" 2
! uidriver box "$caption" 1 >/dev/null || e2e_fail "Cancel asked before a language was chosen"
e2e_expect_eq "$(uidriver iconic "$caption")" 0 "window after an early Cancel"

# Every press stores its own id (the worker mirrors langId once released).
for pair in "1004 0" "1008 1" "1005 2" "1007 3" "1011 5" "1009 6" "1010 9" "1006 8" \
            "1012 11" "1013 12" "1015 14" "1017 7" "1016 15" "1018 13" "1004 0"; do
    read -r id language <<<"$pair"
    uidriver press "$caption" "$id" || e2e_fail "cannot press $id"
    e2e_wait_for "langId=$language" 10 text "$caption" 1001
done

# After a choice Cancel asks; Yes minimises and goes on, No ends with 0.
uidriver command "$caption" 2
e2e_expect_eq "$(uidriver box "$caption" 10)" "Do you want to continue the installation? " "question"
uidriver answer "$caption" 6 || e2e_fail "cannot answer Yes"
e2e_wait_for 1 10 iconic "$caption"
uidriver command "$caption" 2
uidriver box "$caption" 10 >/dev/null || e2e_fail "no question the second time"
uidriver answer "$caption" 7 || e2e_fail "cannot answer No"
e2e_wait_exit 20
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code after No"
