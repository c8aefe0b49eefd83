#!/usr/bin/env bash
# Runs the end-to-end restart test under a real X server (xvfb-run) with a
# temporary home folder, so that the per-user settings it writes never touch
# the user's own.
#
#   e2e_restart.sh PATH/TO/tst_e2e
set -euo pipefail

test_exe=$1
home=$(mktemp -d "${TMPDIR:-/tmp}/quorlane-e2e.XXXXXX")
trap 'rm -rf "$home"' EXIT

export HOME="$home"
export XDG_CONFIG_HOME="$home/.config"
export XDG_DATA_HOME="$home/.local/share"
export XDG_RUNTIME_DIR="$home/runtime"
export QUORLANE_E2E_HOME="$home"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

cd "$home"
xvfb-run -a -s "-screen 0 1280x1024x24" "$test_exe"

# What the next start of the program reads.
store="$XDG_CONFIG_HOME/Quorlane/SaveFormSettings.conf"
if ! grep -qx 'Prefixtext=Trip' "$store"; then
    echo "e2e_restart.sh: $store does not hold the prefix typed in the test" >&2
    exit 1
fi
