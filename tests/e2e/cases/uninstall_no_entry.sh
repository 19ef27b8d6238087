#!/usr/bin/env bash
# [GENERAL] UNINSTALL_ENTRY=0 writes no uninstall entry and leaves the
# client's own under the brand's name alone; any other value leaves the
# entry on. The uninstaller and its record are there either way.
source "$(dirname "$0")/../lib.sh"
e2e_begin_installed 127.0.0.246 "Own Entry Casino" "UNINSTALL_ENTRY=0"
key=$(uninstall_key "Own Entry Casino")
e2e_expect_eq "$(reg_key_exists "$key")" 0 "the entry with UNINSTALL_ENTRY=0"
[ -f "$CLIENT_DIR/uninstall.exe" ] && [ -f "$CLIENT_DIR/uninstall.ini" ] || e2e_fail "no uninstaller or record"

reg_set "$key" DisplayName REG_SZ "The client's own"
install_client
e2e_expect_eq "$(wine reg query "$key" </dev/null | tr -d '\r' | grep -c 'REG_')" 1 "the client's own entry's values"
e2e_expect_eq "$(reg_value "$key" DisplayName)" "The client's own" "the client's own entry"

client_site "Listed Casino" "UNINSTALL_ENTRY=no"
install_client
e2e_expect_eq "$(reg_value "$(uninstall_key "Listed Casino")" DisplayName)" "Listed Casino" \
    "the entry with UNINSTALL_ENTRY=no"
