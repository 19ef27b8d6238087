#!/usr/bin/env bash
# A 407 whose page never ends. From a server while the system names no
# proxy, it is that server's failure, without a prompt; from the proxy, the
# prompt comes once, and every attempt still ends, since the installer never
# reads that page: five failures, the proxy's box for each, and the retry
# box.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.190
proxy_address=127.0.0.191
caption="Asked Casino Installation"

# Five failed attempts at casino.exe with BOX, answered, then the end.
five_failed_attempts() { # box what
    e2e_expect_eq "$(answer_boxes "$caption" 6)" "$(printf '%s\n' "$1" "$1" "$1" "$1" "$1" "Error retry_count==5")" \
        "boxes of the attempts $2"
    uidriver command "$caption" 1
    e2e_wait_exit 20
    [ ! -e "$(install_dir "Asked Casino")/casino.exe" ] || e2e_fail "the page of a 407 was installed $2"
}

# Straight to the server: no prompt, the server's status fails each attempt.
fixture_brand_site "Asked Casino" "URL_1=proxyauth/200/casino.exe"
installer_start
installer_choose_english
five_failed_attempts "ResourceFileDownloaderListener::OnError()" "without a proxy"
e2e_expect_eq "$(tr -d '\r' <"$work/setup.out" | grep -ac 'casino.exe" failed: HTTP status 407$')" 5 \
    "failure lines of the server's 407s"

# The same server as the proxy that the system's settings name.
fixture_start "$proxy_address" "$work/fixture/files" "$work/fixture/manifest.ini" --port 8888 \
    || e2e_fail "no fixture server as the proxy"
use_proxy "$proxy_address"
installer_start
installer_choose_english
answer_proxy_prompt player s3cret 1
five_failed_attempts "The proxy server asks for a user name and password." "after the prompt"
e2e_expect_eq "$(grep -ac 'casino.exe" failed: HTTP status 407, the proxy asks' "$work/setup.out")" 5 \
    "failure lines of the proxy's 407s"
