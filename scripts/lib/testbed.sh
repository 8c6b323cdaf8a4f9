# The test bed: a Wine prefix of our own and an Xvfb display of our own.
# Sourced by the scripts; every process started here is ended by pid in testbed_stop.

TESTBED_XVFB_PID=""

# testbed_start DIR: prefix under DIR/wineprefix, Xvfb on a free display (24-bit).
testbed_start() {
    local dir
    dir=$(realpath -m "$1")  # Wine wants an absolute prefix path
    mkdir -p "$dir"
    export WINEPREFIX="$dir/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    export LC_ALL=C.UTF-8   # gives Wine the ANSI code page 1252

    if [ -z "${GLIMMERLY_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
        local n=90
        while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
        Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
        TESTBED_XVFB_PID=$!
        export DISPLAY=:$n
        for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    fi

    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix (about 10 s)..."
        wineboot -i >"$dir/wineboot.log" 2>&1
    fi
    # Debian's Wine does not register its own symbol font, so caption buttons
    # would be drawn as the letters "0 1 r"; the prefix's font folder is searched.
    local marlett=/usr/share/wine/fonts/marlett.ttf
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
        cp "$marlett" "$fonts/"
    fi
    # A Windows program that crashes would start Wine's debugger, whose dialog
    # waits on the display for a click, so the test hung until its timeout. With
    # the dialog off the debugger prints the backtrace and the program ends.
    if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    fi
    # Start the wineserver and services now, outside any pipe a caller reads.
    wine cmd /c exit >/dev/null 2>&1
}

testbed_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1
    fi
    if [ -n "$TESTBED_XVFB_PID" ]; then
        kill "$TESTBED_XVFB_PID" 2>/dev/null
        wait "$TESTBED_XVFB_PID" 2>/dev/null
        TESTBED_XVFB_PID=""
    fi
}
