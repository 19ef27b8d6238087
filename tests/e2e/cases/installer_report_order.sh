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
e2e_wait_exit_after_end_report 30
