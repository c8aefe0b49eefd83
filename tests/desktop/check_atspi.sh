#!/usr/bin/env bash
# Starts the real program under a real X server with the accessibility bus on
# and reads its window the way a screen reader does.
#   check_atspi.sh PROGRAM SCRIPT
set -euo pipefail
program=$1 script=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/files"
: >"$work/files/a.txt"
: >"$work/files/b.txt"
# Opened on the folder as a file manager does it, from elsewhere.
cd "$work/home"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
xvfb-run -a dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately & bus=$!
    "$1" "$3" & app=$!
    status=0
    /usr/bin/python3 "$2" || status=$?
    kill $app $bus 2>/dev/null || true
    exit $status' _ "$program" "$script" "$work/files" 2>&1 | grep -v -E 'dbus-daemon|SpiRegistry|XDG_RUNTIME_DIR'
exit "${PIPESTATUS[0]}"
