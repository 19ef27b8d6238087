#!/usr/bin/env bash
# debug_level 2 shows every diagnostic box of a run, in order.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.16
fixture_file one.bin 2000
manifest='[GENERAL]
BRAND_NAME=Debug Casino
SKIN_URL=http://skins.karvelo.example/s
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1#One=/file/one.bin,Data
'
fixture_site "$manifest"
reg_set 'HKCU\Software\InstallKVO' debug_level REG_DWORD 2

installer_start
installer_choose_english
dir='C:\Program Files\Debug Casino'
expected=$(printf '%s\n' \
    "dl/ClientResourcesManager.asp?action=QDL&did=5279&tag=0&langId=0" \
    "$(printf '%s' "$manifest" | paste -sd'|')" \
    "[GENERAL]|BRAND_NAME=Debug Casino|SKIN_URL=http://skins.karvelo.example/s|[URLS]|SERVER_ADDR=files.karvelo.example|URL_1#One=/file/one.bin,Data" \
    "skin_url: http://skins.karvelo.example/s?serverName=&brandId=&langShortStr=&logo=" \
    "casino_directory:$dir" \
    "file_name $dir\\Data\\one.bin" \
    "Download:/file/one.bin,Data" \
    "OnFinished: NOT Extract File" \
    "Exec: $dir\\casino.exe")
# The caption changes to the brand's right after the skin address box.
boxes=$(answer_boxes "Casino Installation" 4; answer_boxes "Debug Casino Installation" 5)
e2e_expect_eq "$boxes" "$expected" "diagnostic boxes"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
