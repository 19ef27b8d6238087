#!/usr/bin/env bash
# scripts/bench stops every server it started, whether it ends normally,
# fails, or is interrupted with INT or TERM: afterwards nothing listens on its
# addresses (127.0.0.5, 127.0.0.32, 127.0.0.33). Its installer part starts
# the site from a function called in turn, which once left nginx running.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
bench_pid=
trap '[ -n "$bench_pid" ] && kill -TERM "$bench_pid" 2>/dev/null; rm -rf "$scratch"' EXIT
failures=0
export BENCH_ROUNDS=1

fail() { echo "FAILED $case_name: $*"; failures=$((failures + 1)); }

listeners() { ss -ltnH 2>/dev/null | awk '{print $4}' | grep -E '^127\.0\.0\.(5|32|33):' || true; }

# Waits up to SECONDS for PATTERN among the listening addresses.
await_listener() { # pattern seconds
    local tries=$(($2 * 10))
    until listeners | grep -q "$1"; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.1
    done
}

# Waits up to SECONDS for the bench to end; kills it when it does not.
await_end() { # seconds
    local tries=$(($1 * 10))
    while kill -0 "$bench_pid" 2>/dev/null; do
        tries=$((tries - 1))
        if [ $tries -le 0 ]; then
            fail "the bench did not end within $1 s"
            kill -KILL "$bench_pid" 2>/dev/null
            break
        fi
        sleep 0.1
    done
    wait "$bench_pid" 2>/dev/null
    bench_pid=
}

expect_nothing_listening() {
    local left
    left=$(listeners)
    [ -z "$left" ] || fail "still listening: $left"
}

[ -z "$(listeners)" ] || { echo "FAILED: the bench's addresses are in use before the test: $(listeners)"; exit 1; }

case_name=normal-end
timeout -k 10 300 "$root/scripts/bench" downloader >"$scratch/normal.log" 2>&1 || fail "the bench failed: $(tail -n 5 "$scratch/normal.log")"
expect_nothing_listening

for signal in TERM INT; do
    case_name=interrupted-by-$signal
    "$root/scripts/bench" installer >"$scratch/$signal.log" 2>&1 &
    bench_pid=$!
    if await_listener '^127\.0\.0\.32:80$' 120; then
        kill -"$signal" "$bench_pid"
        await_end 60
    else
        fail "the site never came up: $(tail -n 5 "$scratch/$signal.log")"
        kill -TERM "$bench_pid" 2>/dev/null
        await_end 60
    fi
    expect_nothing_listening
done

# A bench that fails while its site is up: here curl, which measures the raw
# side after the first installer run, fails.
case_name=failed
mkdir -p "$scratch/bin"
printf '#!/bin/sh\nexit 7\n' >"$scratch/bin/curl"
chmod +x "$scratch/bin/curl"
PATH="$scratch/bin:$PATH" timeout -k 10 300 "$root/scripts/bench" installer >"$scratch/failed.log" 2>&1 &&
    fail "the bench succeeded without curl"
grep -q '^FAIL bench' "$scratch/failed.log" || fail "no failure line: $(tail -n 5 "$scratch/failed.log")"
expect_nothing_listening

[ $failures -eq 0 ] && echo "PASS servers_stopped"
exit $((failures > 0))
