#!/usr/bin/env bash
# The report panes start at about:blank, never at the user's home page, and
# only the report's own navigation settles its watch: with a home page that
# answers slowly, the start report (answered after 3 s) comes before the end
# report (after 6 s), the installer ends after the end report's answer, and
# the home page is never asked for.
source "$(dirname "$0")/../lib.sh"
FIXTURE_ADDRESS=127.0.0.227
e2e_begin "127.0.0.227 dl.karvelo.example" "127.0.0.228 stats.karvelo.example" "127.0.0.229 home.karvelo.example"
report_server_start 127.0.0.228 3,6
fixture_site '[GENERAL]
BRAND_NAME=Homely Casino
'
# The home page: a second fault server whose page arrives over ten seconds.
home_ready=$work/home.ready
python3 "$root/tools/fixture_server.py" --address 127.0.0.229 --ready "$home_ready" </dev/null >/dev/null 2>&1 &
home_pid=$!
remember_process "$home_pid"
server_ready "$home_ready" "$home_pid" || e2e_fail "no home page server"
reg_set 'HKCU\Software\Microsoft\Internet Explorer\Main' 'Start Page' REG_SZ "http://home.karvelo.example/drip/2000/500"

installer_start
installer_choose_english
e2e_wait_exit_after_end_report 40
home_requests=$(python3 -c "import urllib.request; print(urllib.request.urlopen('http://127.0.0.229/_log').read().decode())" \
    | grep -ac '^GET ' || true)
e2e_expect_eq "$home_requests" 0 "requests for the home page"
