#!/usr/bin/env bash
# A running client is warned about twice; the third finding ends the
# installer with exit code 0 before any file is fetched.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.17
fixture_file one.bin 100
fixture_site '[GENERAL]
BRAND_NAME=Busy Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/one.bin
'
e2e_start "$products/tools/test_window.exe" "Busy Casino"
client_pid=$PROGRAM_PID
uidriver wait "Busy Casino" 30 || e2e_fail "the stand-in client did not start"

installer_start
installer_choose_english
boxes=$(answer_boxes "Busy Casino Installation" 3)
e2e_expect_eq "$boxes" "Casino Program is running...|Please exit it before continue
Casino Program is running...|Please exit it before continue
Casino Program is running...|Instalation Abort" "warnings"
e2e_wait_exit 20
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code after the abort"
fixture_requests | grep -q 'GET /file/one.bin' && e2e_fail "a file was fetched despite the running client"
kill "$client_pid" 2>/dev/null || true
