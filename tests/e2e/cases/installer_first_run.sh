#!/usr/bin/env bash
# A first run from the flag press to the launched client: settings, manifest
# request, reports over TLS, skin page, registry, files, unpacking, launch.
source "$(dirname "$0")/../lib.sh"
e2e_begin_site 127.0.0.10 127.0.0.11
site_serve

installer_start
installer_choose_english
uidriver wait "Karvelo Casino Installation" 30 || e2e_fail "no brand caption"
e2e_screenshot installing
e2e_wait_exit 90
e2e_expect_eq "$PROGRAM_EXIT" 0 "installer exit code"

settings='HKCU\Software\InstallKVO'
e2e_expect_eq "$(reg_value "$settings" debug_level)" 0x0 "debug_level"
e2e_expect_eq "$(reg_value "$settings" server)" dl.karvelo.example "server"
e2e_expect_eq "$(reg_value "$settings" crm_path)" dl "crm_path"
e2e_expect_eq "$(reg_value "$settings" did)" 0x149f "did"
e2e_expect_eq "$(reg_value "$settings" tag)" 0x0 "tag"
e2e_expect_eq "$(reg_value "$settings" langId)" 0x0 "langId"

brand='HKCU\Software\Karvelo Casino'
e2e_expect_eq "$(reg_value "$brand" QUENDA_INSTALLER_LOCATION)" 'C:\Downloads\setup.exe' "installer location"
e2e_expect_eq "$(reg_value "$brand" TAG)" 0x0 "TAG"
e2e_expect_eq "$(reg_value "$brand" QD)" 0x2 "QD after a complete run"
e2e_expect_eq "$(reg_value "$brand" Volume)" 0x50 "REG number"
e2e_expect_eq "$(reg_value "$brand\\Settings" Skin)" blue "REG text in a sub-key"

site_expect_request 'dl.karvelo.example "GET /dl/ClientResourcesManager.asp?action=QDL&did=5279&tag=0&langId=0 HTTP/1.1" 200 "Downloader1.1"'
site_expect_request 'skins.karvelo.example "GET /skin/index.html?serverName=Karvelo&brandId=77&langShortStr=en&logo=logo.png HTTP/1.1"'
site_expect_request 'stats.karvelo.example "GET /players_downloads.asp?distId=5279&dlAction=1 HTTP/1.1" 200'
site_expect_request 'stats.karvelo.example "GET /players_downloads.asp?distId=5279&dlAction=2 HTTP/1.1" 200'

dir=$(install_dir "Karvelo Casino")
files=$work/site/files
cmp "$files/Extract.dll" "$dir/Extract.dll" || e2e_fail "Extract.dll differs"
cmp "$files/client/casino.exe" "$dir/casino.exe" || e2e_fail "casino.exe differs"
cmp "$files/games/roulette.dll" "$dir/Games/roulette.dll" || e2e_fail "roulette.dll differs"
cmp "$files/sounds/welcome.wav" "$dir/Sounds/welcome.wav" || e2e_fail "welcome.wav differs"
cmp "$work/site/pictures/tables/blackjack.png" "$dir/tables/blackjack.png" || e2e_fail "unpacked file differs"
[ ! -e "$dir/pictures.7z" ] || e2e_fail "the archive was not deleted"

uidriver wait "Karvelo Casino" 20 || e2e_fail "the client did not start"
e2e_expect_eq "$(tr -d '\r' <"$dir/started.txt")" 'C:\Program Files\Karvelo Casino' "client's working folder"
e2e_screenshot client
uidriver close "Karvelo Casino"
