#!/usr/bin/env bash
# Reports load one after the other and only the last one's own page ends the
# wait: with the start report answered after 2 s and the end report after
# 5 s, the installer ends after the second answer, never after the first.
source "$(dirname "$0")/../lib.sh"
FIXTURE_ADDRESS=127.0.0.155
e2e_begin "127.0.0.155 dl.karvelo.example" "127.0.0.156 stats.karvelo.example"
report_server_start 127.0.0.156 2,5
fixture_site '[GENERAL]
BRAND_NAME=Ordered Casino
'
installer_start
installer_choose_english
e2e_wait_exit 30
ended=$(date +%s.%N)
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
e2e_expect_eq "$(report_actions)" "1 2" "reports"
answered=$(awk '/answered report 2/ { print $NF }' "$work/report.log")
[ -n "$answered" ] || e2e_fail "the end report was never answered: $(cat "$work/report.log")"
(( $(echo "$ended > $answered" | bc) )) || e2e_fail "the installer ended at $ended, before the end report's answer at $answered"
