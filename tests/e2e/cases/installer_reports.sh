#!/usr/bin/env bash
# Each report goes out with its own address: a manifest with no file at all
# makes exactly one start report and then one end report, run after run.
source "$(dirname "$0")/../lib.sh"
FIXTURE_ADDRESS=127.0.0.153
e2e_begin "127.0.0.153 dl.karvelo.example" "127.0.0.154 stats.karvelo.example"
report_server_start 127.0.0.154
fixture_site '[GENERAL]
BRAND_NAME=Reported Casino
'
expected=""
for run in 1 2 3; do
    installer_start
    installer_choose_english
    e2e_wait_exit 30
    e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of run $run"
    expected="$expected 1 2"
    e2e_expect_eq "$(report_actions)" "${expected# }" "reports after run $run"
done
