#!/usr/bin/env bash
# Manifests that are refused as soon as they arrive, before anything is sent
# or written: registry entries that would leave the brand's key, brands that
# name a key of the system or of the installer, and device names where a file
# would be written.
source "$(dirname "$0")/../lib.sh"
FIXTURE_ADDRESS=127.0.0.150
e2e_begin "127.0.0.150 dl.karvelo.example" "127.0.0.150 files.karvelo.example" "127.0.0.151 stats.karvelo.example"
report_server_start 127.0.0.151
fixture_file r.dll 100

refused() { # manifest expected-box-text
    fixture_site "$1"
    installer_start
    installer_choose_english
    e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" "$2" "refusal box"
    uidriver command "Casino Installation" 1
    e2e_wait_exit 20
    e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code of OK"
    fixture_requests | grep -q 'GET /file/' && e2e_fail "a file was requested before the refusal"
    fixture_stop
}

# A refused file entry after a REG entry: no brand key, no QD, no folder, no
# report.
refused '[GENERAL]
BRAND_NAME=Hostile Casino
[REG]
Written=D:1
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/r.dll
URL_2=/file/COM1
' "Unsafe path in manifest: /file/COM1"
e2e_expect_eq "$(wine reg query 'HKCU\Software\Hostile Casino' </dev/null >/dev/null 2>&1 && echo present)" "" \
    "brand key of a refused manifest"
[ ! -e "$(install_dir "Hostile Casino")" ] || e2e_fail "install folder of a refused manifest"

refused '[GENERAL]
BRAND_NAME=Hostile Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/r.dll,Sounds\aux
' 'Unsafe path in manifest: /file/r.dll,Sounds\aux'

# With no brand the entries would land in HKCU\Software itself.
refused '[REG]
Microsoft\Windows\CurrentVersion\Run/Evil=S:evil.exe
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/r.dll
' 'Unsafe registry entry in manifest: Microsoft\Windows\CurrentVersion\Run/Evil'
e2e_expect_eq "$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' Evil)" "" "Run entry"

refused '[GENERAL]
BRAND_NAME=installkvo
[REG]
server=S:evil.example
' "Unsafe brand name in manifest: installkvo"
e2e_expect_eq "$(reg_value 'HKCU\Software\InstallKVO' server)" "dl.karvelo.example" "the installer's own server setting"

e2e_expect_eq "$(report_actions)" "" "reports of refused manifests"
[ ! -e "$(install_dir "Karvelo Casino")" ] || e2e_fail "install folder of a refused manifest"
