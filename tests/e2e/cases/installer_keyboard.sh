#!/usr/bin/env bash
# A keyboard-only install: on a German system the German flag has the focus
# when the language screen opens; the arrow keys move the focus from flag to
# flag in the order Tab does, and Enter picks the English one. Real key
# presses on the virtual desktop (posted key messages skip the input queue
# that a player's keys go through).
source "$(dirname "$0")/../lib.sh"
e2e_begin_site 127.0.0.10 127.0.0.11
site_serve
# Wine takes the UI language from its programs' environment (LANG alone
# left it English here, LC_ALL did not) and keeps the one its server started
# with. Bash warns that the machine has no such locale: its warning is dropped.
wine_stop
{ export LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8; } 2>/dev/null
wine_start

caption="Casino Installation"
key() { xdotool key --delay 100 "$@" || e2e_fail "xdotool cannot press $*"; }

installer_start
uidriver wait "$caption" 30 1018 || e2e_fail "the installer window did not appear"
e2e_wait_for 1 20 visible "$caption" 1004
e2e_expect_eq "$(uidriver focus "$caption")" 1008 "focus on the German system's language screen"
e2e_screenshot focus-german

# In the dialog's order: English, Italiano, Hebrew, Español, Deutsch, ...
key Left
e2e_wait_for 1007 10 focus "$caption"
key Down
e2e_wait_for 1008 10 focus "$caption"
key Right
e2e_wait_for 1009 10 focus "$caption"
key Up Up Left Left Left
e2e_wait_for 1004 10 focus "$caption"
# Still the language screen: moving is no choice.
e2e_expect_eq "$(uidriver visible "$caption" 1004)" 1 "flags after the arrow keys"
key Return

uidriver wait "Karvelo Casino Installation" 30 || e2e_fail "Enter did not pick a language"
e2e_wait_exit 90
e2e_expect_eq "$PROGRAM_EXIT" 0 "installer exit code"
e2e_expect_eq "$(reg_value 'HKCU\Software\InstallKVO' langId)" 0x0 "the language Enter picked"
cmp "$work/site/files/client/casino.exe" "$(install_dir "Karvelo Casino")/casino.exe" || e2e_fail "casino.exe differs"
uidriver wait "Karvelo Casino" 20 || e2e_fail "the client did not start"
uidriver close "Karvelo Casino"
