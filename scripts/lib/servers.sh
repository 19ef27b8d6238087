# Test HTTP servers on loopback port 80. Source it after wine.sh; needs $root.
#
# Every server started here is remembered in PROCESS_REGISTRY (a file) when it
# is set, also from a subshell, which cannot hand its variables back:
# stop_remembered_processes then ends whatever is left, however the script
# ends.

# Notes PID in the registry.
remember_process() { # pid
    [ -n "${PROCESS_REGISTRY:-}" ] && echo "$1" >>"$PROCESS_REGISTRY"
    return 0
}

# Ends every process the registry names, and empties it.
stop_remembered_processes() {
    [ -n "${PROCESS_REGISTRY:-}" ] && [ -f "$PROCESS_REGISTRY" ] || return 0
    local pid
    while read -r pid; do stop_process "$pid"; done <"$PROCESS_REGISTRY"
    : >"$PROCESS_REGISTRY"
}

# Polls COMMAND every 0.1 s for up to ten seconds; false when it never
# succeeds or the process PID has ended first.
await_while_running() { # pid command...
    local pid=$1 tries=0
    shift
    until "$@"; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 "$pid" 2>/dev/null; then
            return 1
        fi
        sleep 0.1
    done
}

# Waits for the ready file of the server PID.
server_ready() { # ready-file pid
    await_while_running "$2" test -f "$1"
}

listening_on() { # address:port
    ss -ltn | grep -q "$1 "
}

# Starts the fault fixture server on ADDRESS (127.0.0.2 to 127.0.0.254),
# serving FILES_DIR under /file/ and MANIFEST as the resource manager's
# answer, with further options of tools/fixture_server.py; FIXTURE_PID names it.
fixture_start() { # address [files-dir [manifest [options...]]]
    local ready
    ready=$(mktemp -u)
    python3 "$root/tools/fixture_server.py" --address "$1" --files "${2:-}" --manifest "${3:-}" \
        --ready "$ready" "${@:4}" </dev/null >/dev/null 2>&1 &
    FIXTURE_PID=$!
    remember_process "$FIXTURE_PID"
    if ! server_ready "$ready" "$FIXTURE_PID"; then
        echo "fixture server on $1 did not start" >&2
        return 1
    fi
    rm -f "$ready"
}

fixture_stop() {
    stop_process "${FIXTURE_PID:-}"
    FIXTURE_PID=
}

# A test certificate authority (made once, kept in out/test/ca) and a server
# certificate signed by it for the report host and the site's hosts (dl.,
# files., skins.karvelo.example), plus a self-signed certificate for the same
# names that nothing trusts (untrusted.crt). CA_BUNDLE is the machine's bundle
# with the test CA appended: scripts/lib/isolated mounts it in place of the
# machine's own inside the namespace only (ISOLATED_CA_BUNDLE).
test_ca() { # dir
    local dir=$1
    CA_BUNDLE=$dir/bundle.crt
    [ -f "$dir/.ready-sites" ] && return 0
    rm -rf "$dir"
    mkdir -p "$dir"
    (
        cd "$dir"
        local names="DNS:stats.karvelo.example,DNS:dl.karvelo.example,DNS:files.karvelo.example,DNS:skins.karvelo.example"
        openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Casino Installer Test CA" \
            -keyout ca.key -out ca.crt
        openssl req -newkey rsa:2048 -nodes -subj "/CN=stats.karvelo.example" -keyout server.key -out server.csr
        printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\n' "$names" >server.ext
        openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 3650 \
            -extfile server.ext -out server.crt
        openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=dl.karvelo.example" \
            -addext "subjectAltName=$names" -keyout untrusted.key -out untrusted.crt
        cat /etc/ssl/certs/ca-certificates.crt ca.crt >bundle.crt
    ) >/dev/null 2>&1 || return 1
    touch "$dir/.ready-sites"
}

# nginx serving an installer site: on ADDRESS port 80, and over HTTPS on its
# port 443, the manifest (any path ending in ClientResourcesManager.asp) and
# SITE/files as the root; on TLS_ADDRESS port 443 the report page. Both TLS
# servers show the test CA's certificate.
# Requests are logged to LOG/access.log as: scheme://host "request line" status
# "user agent" end-time seconds (the end time less the seconds is its start).
site_start() { # address tls-address site-dir log-dir ca-dir
    local address=$1 tls=$2 site=$3 log=$4 ca=$5
    mkdir -p "$log/tmp"
    sed -e "s|@ADDRESS@|$address|g" -e "s|@TLS_ADDRESS@|$tls|g" -e "s|@SITE@|$site|g" \
        -e "s|@LOG@|$log|g" -e "s|@CA@|$ca|g" "$root/scripts/lib/site-nginx.conf.in" >"$log/nginx.conf"
    nginx -p "$log" -e "$log/error.log" -c "$log/nginx.conf" </dev/null >/dev/null 2>&1 &
    SITE_PID=$!
    remember_process "$SITE_PID"
    # Kept where a later site_stop finds it, even one in another subshell.
    SITE_PID_FILE=$log/site.pid
    echo "$SITE_PID" >"$SITE_PID_FILE"
    if ! await_while_running "$SITE_PID" listening_on "$address:80"; then
        echo "nginx on $address did not start: $(cat "$log/error.log" 2>/dev/null)" >&2
        return 1
    fi
}

site_stop() {
    stop_process "${SITE_PID:-}"
    if [ -n "${SITE_PID_FILE:-}" ] && [ -f "$SITE_PID_FILE" ]; then
        stop_process "$(cat "$SITE_PID_FILE")"
        rm -f "$SITE_PID_FILE"
    fi
    SITE_PID=
}
