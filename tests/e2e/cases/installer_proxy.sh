#!/usr/bin/env bash
# The system's proxy settings are honoured (Debian's tinyproxy on loopback),
# and a proxy that asks for credentials is no generic failure: the system's
# own prompt asks the user once, and the answer serves every later request
# of the run. A prompt that is cancelled gives the proxy's box.
source "$(dirname "$0")/../lib.sh"
e2e_begin_site 127.0.0.222 127.0.0.223
proxy_address=127.0.0.224
site_serve

# The manifest and every file through a proxy that asks for credentials.
proxy_start "$proxy_address" player s3cret
use_proxy "$proxy_address"
installer_start
installer_choose_english
answer_proxy_prompt player s3cret 1
# A second prompt would block the run: it ends only if the first answer was
# kept for every later request.
e2e_wait_exit 120
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code through the proxy"
for path in /dl/ClientResourcesManager.asp /Extract.dll /client/casino.exe /media/pictures.7z; do
    grep -q "Request (file descriptor [0-9]*): GET http://[a-z.]*karvelo.example:80$path" "$work/proxy.log" \
        || e2e_fail "$path did not go through the proxy"
done
site_expect_request "GET /client/casino.exe"
[ -f "$(install_dir "Karvelo Casino")/casino.exe" ] || e2e_fail "nothing installed through the proxy"
uidriver close "Karvelo Casino"
wine_stop

# The user cancels the prompt: the proxy's box, and nothing is installed.
rm -rf "$(install_dir "Karvelo Casino")"
installer_start
installer_choose_english
answer_proxy_prompt "" "" 2
e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" "The proxy server asks for a user name and password." \
    "box after a cancelled prompt"
[ ! -e "$(install_dir "Karvelo Casino")" ] || e2e_fail "install folder without the manifest"
grep -q 'HttpSendRequestA "http://dl.karvelo.example/dl/ClientResourcesManager.asp[^"]*" failed: HTTP status 407' \
    "$work/setup.out" || e2e_fail "no failure line for the 407"
uidriver command "Casino Installation" 1
e2e_wait_exit 20
