#!/usr/bin/env bash
# A file that fails five times stops the run (no end report, QD left at 1, the
# window stays); the next run sends no start report, only the end report. Hand-
# set settings: did and tag are reset, langId and server stay.
source "$(dirname "$0")/../lib.sh"
e2e_begin_site 127.0.0.13 127.0.0.14
site_serve
mv "$work/site/files/sounds/welcome.wav" "$work/welcome.wav"

settings='HKCU\Software\InstallKVO'
reg_set "$settings" did REG_DWORD 100
reg_set "$settings" tag REG_DWORD 7
reg_set "$settings" langId REG_DWORD 5

installer_start
installer_choose_english
caption="Karvelo Casino Installation"
boxes=$(answer_boxes "$caption" 6)
failure=ResourceFileDownloaderListener::OnError\(\)
e2e_expect_eq "$boxes" "$(printf '%s\n' "$failure" "$failure" "$failure" "$failure" "$failure" "Error retry_count==5")" \
    "five failures, then the retry box"
sleep 1
kill -0 "$PROGRAM_PID" 2>/dev/null || e2e_fail "the installer ended after the failures"
e2e_expect_eq "$(reg_value 'HKCU\Software\Karvelo Casino' QD)" 0x1 "QD after a broken run"
e2e_expect_eq "$(reg_value "$settings" did)" 0x149f "did reset"
e2e_expect_eq "$(reg_value "$settings" tag)" 0x0 "tag reset"
e2e_expect_eq "$(reg_value "$settings" langId)" 0x5 "langId kept"
site_expect_request "action=QDL&did=5279&tag=0&langId=0 HTTP/1.1"
site_expect_request "dlAction=1 HTTP/1.1"
# The run's five attempts, and at most one transfer ahead of the run (which
# fails unseen).
welcome_requests=$(site_requests | grep -c 'GET /sounds/welcome.wav')
[ "$welcome_requests" -ge 5 ] && [ "$welcome_requests" -le 6 ] || e2e_fail "not five attempts: $welcome_requests requests"
site_requests | grep -q dlAction=2 && e2e_fail "end report after a broken run"
uidriver command "$caption" 1
e2e_wait_exit 20
e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code of OK after the failure"

mv "$work/welcome.wav" "$work/site/files/sounds/welcome.wav"
installer_start
installer_choose_english
e2e_wait_exit 90
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the second run"
site_expect_request "dlAction=2 HTTP/1.1"
e2e_expect_eq "$(site_requests | grep -c dlAction=1)" 1 "start reports over both runs"
e2e_expect_eq "$(reg_value 'HKCU\Software\Karvelo Casino' QD)" 0x2 "QD after the second run"
uidriver close "Karvelo Casino"
