#!/usr/bin/env bash
# The flag that has the focus when the language screen opens: the system
# language's (Russian here, the last flag), English when the system's
# language has no flag (Portuguese).
source "$(dirname "$0")/../lib.sh"
e2e_begin

caption="Casino Installation"
for pair in "ru_RU 1018" "pt_BR 1004"; do
    read -r locale expected <<<"$pair"
    # Wine takes the UI language from its programs' environment when its
    # server starts (see installer_keyboard.sh).
    wine_stop
    { export LANG=$locale.UTF-8 LC_ALL=$locale.UTF-8; } 2>/dev/null
    wine_start
    e2e_start "$products/tools/dialog_harness.exe" languages
    uidriver wait "$caption" 30 1018 || e2e_fail "the dialog did not appear ($locale)"
    e2e_wait_for 1 10 visible "$caption" 1004
    e2e_expect_eq "$(uidriver focus "$caption")" "$expected" "flag with the focus on a $locale system"
    uidriver command "$caption" 1
    e2e_wait_exit 20
done
