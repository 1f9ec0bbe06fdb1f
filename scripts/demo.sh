#!/usr/bin/env bash
# Installs what is missing, builds, lays out the demo installation in demo/ and starts the board
# on it, fed by the ticket simulator. With a display the board opens there; without one it runs
# in a virtual X server and a screenshot is saved every few seconds. Ctrl+C stops everything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/demo"

"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
"$root/scripts/demo-install.sh" "$demo"

export ODBCSYSINI="$demo/odbc" ODBCINI="$demo/odbc/odbc.ini"
pids=()
cleanup() {
    trap - INT TERM EXIT
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    echo "demo: stopped"
}
trap cleanup INT TERM EXIT

# Runs a check every 0.1 s until it succeeds, at most tries times.
wait_for() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# The root window names the window manager's check window, and that window exists.
window_manager_ready() {
    local wm
    wm=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -o '0x[0-9a-fA-F]*$') || return 1
    xprop -id "$wm" _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1
}

board_window_mapped() {
    xdotool search --onlyvisible --name '^Tavlix$' >/dev/null 2>&1
}

headless=0
if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
    headless=1
    # Xvfb picks a free display itself and names it once it accepts connections.
    number=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
    pids+=($!)
    if ! wait_for 300 grep -q '[0-9]' "$number"; then
        echo "demo: error: the virtual X server (Xvfb) did not start" >&2
        exit 1
    fi
    export DISPLAY=":$(tr -dc 0-9 <"$number")"
    rm -f "$number"
    openbox >/dev/null 2>&1 &
    wm=$!
    pids+=($wm)
    # A window mapped while openbox is still starting can stay unmapped: start the board only
    # once the window manager has taken the screen.
    if ! wait_for 300 window_manager_ready || ! kill -0 "$wm" 2>/dev/null; then
        echo "demo: error: the window manager (openbox) did not start on $DISPLAY" >&2
        exit 1
    fi
fi

QT_QPA_PLATFORM=offscreen "$root/build/tools/tavlix-simulator" --dsn TavlixDemo --feed 4 \
    --depth mixed --max-age 900 >/dev/null 2>&1 &
pids+=($!)
(cd "$demo" && QT_QPA_PLATFORM=xcb exec ./Tavlix) &
board=$!
pids+=($board)
if ! wait_for 300 board_window_mapped; then
    echo "demo: error: no board window is shown on $DISPLAY (the board did not start or its window stayed unmapped)" >&2
    exit 1
fi
echo "demo: the board runs on $DISPLAY, tickets arrive every 4 seconds; Ctrl+C stops it"

if [ "$headless" = 1 ]; then
    echo "demo: no display here; screenshots are saved in $demo/screenshots/"
    n=0
    while kill -0 "$board" 2>/dev/null; do
        sleep 5
        n=$((n + 1))
        shot=$(printf '%s/screenshots/board-%03d.png' "$demo" "$n")
        if QT_QPA_PLATFORM=xcb "$root/build/tools/tavlix-screenshot" "$shot" 2>/dev/null; then
            echo "demo: $shot"
        fi
        ls -1t "$demo"/screenshots/board-*.png 2>/dev/null | tail -n +21 | xargs -r rm -f
    done
else
    wait "$board" || true
fi
