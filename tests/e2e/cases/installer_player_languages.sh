#!/usr/bin/env bash
# The player reads the chosen language whatever the system's code page: a
# Russian pick where the ANSI code page is 1252 shows Cyrillic in the caption,
# both status lines and the Cancel question with its buttons; a Hebrew pick
# mirrors the window's frame and progress area but not the flags, the banner
# or the skin page, and its box reads right to left.
export LANG=C.UTF-8
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.31
fixture_site '[GENERAL]
BRAND_NAME=Karvelo Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1#Roulette=/drip/400000/50
'
e2e_expect_eq "$(uidriver acp -)" 1252 "the system's ANSI code page"

# Picks the flag ID on the language screen; WINDOW names the window by its
# handle from then on, whatever its caption becomes.
pick() { # id
    installer_start
    uidriver wait "Casino Installation" 30 1018 || e2e_fail "the installer window did not appear"
    e2e_wait_for 1 20 visible "Casino Installation" "$1"
    WINDOW=$(uidriver handle "Casino Installation")
    uidriver press "$WINDOW" "$1" || e2e_fail "cannot press the flag $1"
}

pick 1018
e2e_wait_for "Установка Karvelo Casino" 30 wtext "$WINDOW"
e2e_wait_for "Загрузка: Roulette" 30 wtext "$WINDOW" 1001
e2e_wait_for "Загружено 1 из 1" 10 wtext "$WINDOW" 1002
e2e_screenshot russian
uidriver command "$WINDOW" 2
e2e_expect_eq "$(uidriver wbox "$WINDOW" 10 | tr -d '\r')" "Продолжить установку?
Отмена
Да
Нет" "the Cancel question, its caption and buttons"
uidriver answer "$WINDOW" 7
e2e_wait_exit 20
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code after Нет"

# Extended styles: mirrored layout 0x400000, right-to-left reading 0x2000.
mirrored() { # [id]
    local style
    style=$(uidriver exstyle "$WINDOW" "$@") || e2e_fail "no control $*"
    echo $(((0x$style & 0x400000) != 0))
}
pick 1006
e2e_wait_for "התקנת Karvelo Casino" 30 wtext "$WINDOW"
e2e_wait_for "בהורדה: Roulette" 30 wtext "$WINDOW" 1001
e2e_expect_eq "$(mirrored)" 1 "the window"
for id in 1000 1001 1002 1003; do
    e2e_expect_eq "$(mirrored "$id")" 1 "control $id"
done
e2e_expect_eq $(((0x$(uidriver exstyle "$WINDOW" 1001) & 0x2000) != 0)) 1 "the status line's reading order"
for id in 1004 1006 1014 1018; do
    e2e_expect_eq "$(mirrored "$id")" 0 "the flag or banner $id"
done
# The controls keep their places counted from the other side: in the
# mirrored window's own coordinates they stand where they stood.
e2e_expect_eq "$(uidriver rect "$WINDOW" 1000 | cut -d' ' -f1,2)" "5 306" "the file bar's place from the right"
e2e_expect_eq "$(uidriver rect "$WINDOW" 1003 | cut -d' ' -f1,2)" "150 330" "the files bar's place from the right"
e2e_screenshot hebrew
uidriver command "$WINDOW" 2
e2e_expect_eq "$(uidriver wbox "$WINDOW" 10 | tr -d '\r' | sed -n 2p)" "ביטול" "the Hebrew box's caption"
uidriver answer "$WINDOW" 7
e2e_wait_exit 20
