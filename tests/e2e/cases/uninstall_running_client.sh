#!/usr/bin/env bash
# A running client blocks the uninstall: the quiet uninstaller ends with 2 at
# once; the asking one warns with the installer's texts, twice to close it
# and a third time to abort, and ends with 2. Nothing is removed.
source "$(dirname "$0")/../lib.sh"
e2e_begin_installed 127.0.0.244 "Busy Uninstall Casino"
before=$(folder_listing "$CLIENT_DIR")
e2e_start "$products/tools/test_window.exe" "Busy Uninstall Casino"
client_pid=$PROGRAM_PID
uidriver wait "Busy Uninstall Casino" 30 || e2e_fail "the stand-in client did not start"

uninstall_quietly "Busy Uninstall Casino"
e2e_expect_eq "$PROGRAM_EXIT" 2 "exit code of the quiet uninstall"

uninstall_start "Busy Uninstall Casino" /uninstall
e2e_expect_eq "$(answer_uninstall_box 6)" "Remove Busy Uninstall Casino and all its files?" "the question"
boxes=$(for i in 1 2 3; do answer_uninstall_box 1; done)
e2e_expect_eq "$boxes" "Casino Program is running...|Please exit it before continue
Casino Program is running...|Please exit it before continue
Casino Program is running...|Instalation Abort" "warnings"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 2 "exit code after the abort"

e2e_expect_eq "$(folder_listing "$CLIENT_DIR")" "$before" "the folder"
e2e_expect_eq "$(reg_key_exists 'HKCU\Software\Busy Uninstall Casino')" 1 "the brand's key"
e2e_expect_eq "$(reg_key_exists "$(uninstall_key "Busy Uninstall Casino")")" 1 "the uninstall entry"
e2e_expect_eq "$(pending_deletions)" "" "deletions at the next restart"
stop_process "$client_pid"
