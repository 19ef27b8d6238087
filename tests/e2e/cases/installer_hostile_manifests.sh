#!/usr/bin/env bash
# Manifests that are refused as soon as they arrive, before anything is sent
# or written: registry entries that would leave the brand's key, brands that
# name a key of the system or of the installer, device names where a file
# would be written, and NUL bytes that would cut a path or a key name where
# the system reads it.
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

# NUL bytes (written with printf; a shell variable cannot hold one): the box
# shows the text up to the NUL, as MessageBoxA does.
refused_bytes() { # printf-format expected-box-text
    mkdir -p "$work/fixture/files"
    printf "$1" >"$work/fixture/manifest.ini"
    fixture_start "$FIXTURE_ADDRESS" "$work/fixture/files" "$work/fixture/manifest.ini" || e2e_fail "no fixture server"
    installer_start
    installer_choose_english
    e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" "$2" "refusal box"
    uidriver command "Casino Installation" 1
    e2e_wait_exit 20
    fixture_requests | grep -q 'GET /file/' && e2e_fail "a file was requested before the refusal"
    fixture_stop
}
refused_bytes '[GENERAL]\nBRAND_NAME=Nul Casino\n[URLS]\nSERVER_ADDR=files.karvelo.example\nURL_1=/file/aux\0.wav\n' \
    "Unsafe path in manifest: /file/aux"
refused_bytes '[GENERAL]\nBRAND_NAME=Nul Casino\n[URLS]\nSERVER_ADDR=files.karvelo.example\nURL_1=/file/Extract.dll\0.7z\n' \
    "Unsafe path in manifest: /file/Extract.dll"
refused_bytes '[REG]\nClasses\0/x=S:evil\n' "Unsafe registry entry in manifest: Classes"
e2e_expect_eq "$(reg_value 'HKCU\Software\Classes' x)" "" "a value under Classes"
[ ! -e "$(install_dir "Nul Casino")" ] || e2e_fail "install folder of a manifest with a NUL"

# A skin address with a control byte is not shown, and says why; the run
# goes on.
mkdir -p "$work/fixture/files"
printf '[GENERAL]\nBRAND_NAME=Skinned Casino\nSKIN_URL=http://files.karvelo.example/skin\0.html\n' \
    >"$work/fixture/manifest.ini"
fixture_start "$FIXTURE_ADDRESS" "$work/fixture/files" "$work/fixture/manifest.ini" || e2e_fail "no fixture server"
installer_start
installer_choose_english
e2e_wait_exit 30
grep -q "Skin page not shown, its address holds a control byte: http://files.karvelo.example/skin" "$work/setup.out" \
    || e2e_fail "no line for the skin address with a NUL"
fixture_requests | grep -q 'GET /skin' && e2e_fail "the skin page was asked for"
fixture_stop

e2e_expect_eq "$(report_actions)" "1 2" "reports: only those of the manifest that was not refused"
[ ! -e "$(install_dir "Karvelo Casino")" ] || e2e_fail "install folder of a refused manifest"
