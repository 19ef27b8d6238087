#!/usr/bin/env bash
# DLLs planted beside the installer under the names of WinInet and the common
# controls are never loaded. Wine prefers its own DLLs, so the case asks it to
# prefer files found on disk, as Windows does for DLLs that are not the
# system's known ones; a program that imports WinInet shows the trap works.
source "$(dirname "$0")/../lib.sh"
e2e_begin_site 127.0.0.19 127.0.0.20
site_serve
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;wininet,comctl32=n,b"

downloads=$WINEPREFIX/drive_c/Downloads
mkdir -p "$downloads"
cp "$products/tools/planted_dll.dll" "$downloads/wininet.dll"
cp "$products/tools/planted_dll.dll" "$downloads/comctl32.dll"
installer_start
installer_choose_english
e2e_wait_exit 90
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
planted=$(ls "$WINEPREFIX/drive_c" | grep -i '^planted-' || true)
e2e_expect_eq "$planted" "" "planted DLLs loaded by the installer"
uidriver close "Karvelo Casino"

cp "$products/tools/bench_downloader.exe" "$downloads/"
# It cannot start with the planted DLL (no exports) and may hang in an error box.
timeout -k 2 8 "$WINELOADER" "$downloads/bench_downloader.exe" files.karvelo.example /Extract.dll 'C:\x.bin' 1 </dev/null >/dev/null 2>&1 || true
ls "$WINEPREFIX/drive_c" | grep -qi '^planted-wininet' || e2e_fail "the trap did not catch an importing program"
