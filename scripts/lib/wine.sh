# Shared by the test scripts and the demo: scratch Wine prefixes and a virtual
# display. Never touches the user's own prefix. Source it; needs $root.

export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win32
# No .NET runtime is wanted, and asking for one would open a dialog.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=}

# Creates the template prefix once (kept in out/test across runs; every tier
# and case works on a fresh copy): a 32-bit prefix with Wine's built-in
# desktop, since without a window manager captions are invisible and hiding a
# top-level window stalls Wine for about 2 s.
wine_template_prefix() { # dir
    local dir=$1
    [ -f "$dir/.ready" ] && return 0
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    (
        export WINEPREFIX=$dir
        wineboot -i </dev/null >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
        # The browser control's home page stays on the machine.
        wine reg add 'HKCU\Software\Microsoft\Internet Explorer\Main' /v 'Start Page' /d about:blank /f \
            </dev/null >/dev/null 2>&1
        wineserver -w
    )
    # This Wine build does not find fonts-wine's fonts (MS Sans Serif, and
    # Marlett for the caption buttons) by itself; the prefix's font folder is
    # always searched.
    cp -n /usr/share/wine/fonts/* "$dir/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$dir/.ready"
}

# A fresh copy of the template for one tier or case.
wine_scratch_prefix() { # template dir
    rm -rf "$2"
    cp -a "$1" "$2"
    rm -f "$2/.ready"
}

# Starts Wine's background processes with their output discarded: started
# inside a test they would hold the test runner's output pipe open.
wine_start() {
    wineserver -p60 </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
}

wine_stop() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
}

# Starts Xvfb on a free display and exports DISPLAY; XVFB_PID names it.
display_start() {
    local fifo number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    read -r -t 20 number <"$fifo" || true
    rm -f "$fifo"
    [ -n "$number" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=:$number
}

display_stop() {
    stop_process "${XVFB_PID:-}"
    XVFB_PID=
}

# Ends a background process of this shell, if any; never fails.
stop_process() { # pid
    if [ -n "$1" ]; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
    return 0
}
