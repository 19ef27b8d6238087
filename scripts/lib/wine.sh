# Shared by the test scripts, the demo and the benchmarks: the architecture
# that runs, scratch Wine prefixes and a virtual display. Never touches the
# user's own prefix. Source it (needs $root); sourcing only defines the
# functions, and wine_setup then chooses the architecture: TEST_ARCH (i686
# or x86_64) when set, otherwise as arch_choose does.

wine32_loader=${WINE32_LOADER:-/usr/lib/wine/wine}
wine64_loader=/usr/lib/wine/wine64

# Written by scripts/setup when the 32-bit Wine packages could not be installed
# (Debian's archive out of sync): apt's reason.
wine32_setup_note=${SETUP_I386_NOTE:-$root/out/setup-i386-failure}

# True when 32-bit Wine starts here; otherwise WINE32_FAILURE says why. Some
# kernels run no 32-bit programs at all ("Exec format error").
wine32_runs() {
    WINE32_FAILURE=
    if [ ! -x "$wine32_loader" ] && [ -s "$wine32_setup_note" ]; then
        WINE32_FAILURE="32-bit Wine could not be installed: $(head -n 1 "$wine32_setup_note")"
    elif [ ! -x "$wine32_loader" ]; then
        WINE32_FAILURE="32-bit Wine is not installed"
    elif ! "$wine32_loader" --version </dev/null >/dev/null 2>&1; then
        WINE32_FAILURE="this machine runs no 32-bit programs"
    fi
    [ -z "$WINE32_FAILURE" ]
}

# Chooses the architecture to run: TEST_ARCH when it is set (a forced i686 on
# a machine where it cannot run then fails, never passes as x86_64), else
# i686, the shipped product, where 32-bit Wine runs, else x86_64. Exports
# TEST_ARCH; ARCH_REASON says why it is not the natural choice (or is empty).
arch_choose() {
    ARCH_REASON=
    case "${TEST_ARCH:-}" in
    i686 | x86_64) ARCH_REASON="forced by TEST_ARCH" ;;
    "")
        if wine32_runs; then
            TEST_ARCH=i686
        else
            TEST_ARCH=x86_64
            ARCH_REASON=$WINE32_FAILURE
        fi
        ;;
    *)
        echo "TEST_ARCH must be i686 or x86_64, not '$TEST_ARCH'" >&2
        return 1
        ;;
    esac
    export TEST_ARCH
}

# One line for the demo and the benchmarks: which build runs, and why.
arch_announce() { # who
    if [ "$TEST_ARCH" = i686 ]; then
        echo "$1: running the i686 build, the shipped product${ARCH_REASON:+ ($ARCH_REASON)}"
    else
        echo "$1: running the x86_64 test build under 64-bit Wine (${ARCH_REASON})"
    fi
}

# "i686" or "x86_64; why", for the lines that name what ran.
arch_label() { # arch [reason]
    echo "$1${2:+; $2}"
}

# Selects the Wine loader, prefix kind, products and test data of ARCH: the
# i686 products are in out/, the x86_64 ones in out/x64/. Debian's wine
# script takes the 32-bit loader whenever wine32 is installed, so each loader
# is named directly.
wine_use() { # arch
    case "$1" in
    i686)
        export WINELOADER=$wine32_loader WINEARCH=win32
        products=$root/out
        test_data=$root/out/test
        ;;
    x86_64)
        export WINELOADER=$wine64_loader WINEARCH=win64
        products=$root/out/x64
        test_data=$root/out/test/x64
        ;;
    *)
        echo "unknown architecture '$1'" >&2
        return 1
        ;;
    esac
    WINE_ARCH=$1
}

# Other programs (timeout, xargs) cannot call this function: they must run
# "$WINELOADER" themselves, as /usr/bin/wine would pick the 32-bit loader.
wine() { "$WINELOADER" "$@"; }

# Creates the template prefix of the chosen architecture once (kept in its
# test data across runs; every tier and case works on a fresh copy), with
# Wine's built-in desktop, since without a window manager captions are
# invisible and hiding a top-level window stalls Wine for about 2 s.
wine_template_prefix() {
    local dir=$test_data/prefix-template
    [ -f "$dir/.ready" ] && return 0
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    (
        export WINEPREFIX=$dir
        wine wineboot -i </dev/null >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
        # The browser control's home page stays on the machine.
        wine reg add 'HKCU\Software\Microsoft\Internet Explorer\Main' /v 'Start Page' /d about:blank /f \
            </dev/null >/dev/null 2>&1
        wineserver -w
        [ -f "$dir/system.reg" ] || { echo "wineboot made no prefix in $dir ($WINELOADER)" >&2; exit 1; }
    ) || return 1
    # This Wine build does not find fonts-wine's fonts (MS Sans Serif, and
    # Marlett for the caption buttons) by itself; the prefix's font folder is
    # always searched.
    cp -n /usr/share/wine/fonts/* "$dir/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$dir/.ready"
}

# A fresh copy of the template for one tier or case. Wine links the
# profile's Desktop, Documents and other folders to the real home folder;
# in the copy they are folders of its own, so that nothing a program writes
# there (a shortcut on the desktop) lands in the home folder.
wine_scratch_prefix() { # dir
    rm -rf "$1"
    cp -a "$test_data/prefix-template" "$1"
    rm -f "$1/.ready"
    local folder
    for folder in "$1"/drive_c/users/*/*; do
        if [ -L "$folder" ]; then
            rm "$folder" && mkdir "$folder"
        fi
    done
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

# Starts Xvfb on a free display and exports DISPLAY; XVFB_PID names it. The
# screen is 1024x768 unless DISPLAY_SIZE names another ("1280x1024").
display_start() {
    local fifo number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${DISPLAY_SIZE:-1024x768}x24" -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
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

# True while PID runs (a zombie, which only waits to be reaped, does not).
process_alive() { # pid
    local state
    state=$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# Ends a process, if any, and waits until it is gone: asked with TERM, then
# killed after five seconds. It may be another subshell's child, which this
# shell cannot wait for. Never fails.
stop_process() { # pid
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || return 0
    local tries=0
    while process_alive "$1" && [ $tries -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    kill -KILL "$1" 2>/dev/null || true
    # Reaps a child of this shell; for any other process it returns at once.
    wait "$1" 2>/dev/null || true
    return 0
}

# Chooses the architecture of this run and its Wine, quiet and without
# side dialogs: no debug output, no .NET runtime (asking for one opens a
# dialog), and no winemenubuilder, which would turn every shortcut made in a
# scratch prefix into a desktop entry in the real home folder.
wine_setup() {
    # Wine's WinInet honours these; no test traffic may leave the machine.
    unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY
    export WINEDEBUG=${WINEDEBUG:--all}
    # winemenubuilder stays off whatever else a caller's overrides say.
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=};winemenubuilder.exe=d"
    arch_choose && wine_use "$TEST_ARCH"
}
