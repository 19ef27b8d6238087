# Test HTTP servers on loopback port 80. Source it; needs $root.

# Starts the fault fixture server on ADDRESS (127.0.0.2 to 127.0.0.254),
# serving FILES_DIR under /file/; FIXTURE_PID names it.
fixture_start() { # address [files-dir]
    local ready
    ready=$(mktemp -u)
    python3 "$root/tools/fixture_server.py" --address "$1" --files "${2:-}" --ready "$ready" \
        </dev/null >/dev/null 2>&1 &
    FIXTURE_PID=$!
    local tries=0
    until [ -f "$ready" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 "$FIXTURE_PID" 2>/dev/null; then
            echo "fixture server on $1 did not start" >&2
            return 1
        fi
        sleep 0.1
    done
    rm -f "$ready"
}

fixture_stop() {
    if [ -n "${FIXTURE_PID:-}" ]; then
        kill "$FIXTURE_PID" 2>/dev/null || true
        wait "$FIXTURE_PID" 2>/dev/null || true
    fi
    FIXTURE_PID=
    return 0
}
