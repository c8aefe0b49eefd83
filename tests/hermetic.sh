#!/usr/bin/env bash
# Keeps the tests off the developer's own folders, and proves it. Every test
# runs with HOME and each XDG_* folder pointing at one empty folder that
# nothing may write to (immutable where the file system allows, for root
# too), and with its temporary folder inside the build. After the last test
# both must still be empty: a file there is a test that wrote into a home it
# was not given, or left something behind.
#   hermetic.sh setup|check FORBIDDEN_HOME TEST_TMPDIR
set -uo pipefail
action=$1 home=$2 tmp=$3

unlock() { [[ -d $home ]] && { chattr -i "$home" 2>/dev/null; chmod 755 "$home"; }; }

case $action in
setup)
    unlock
    rm -rf "$home" "$tmp"
    mkdir -p "$home" "$tmp" || exit 1
    chmod 700 "$home"
    chattr +i "$home" 2>/dev/null || true
    ;;
check)
    unlock
    status=0
    for folder in "$home" "$tmp"; do
        left=$(find "$folder" -mindepth 1 -maxdepth 3 2>/dev/null | head -n 20)
        if [[ -n $left ]]; then
            echo "hermetic.sh: tests left files in $folder:" >&2
            echo "$left" >&2
            status=1
        fi
    done
    rm -rf "$home" "$tmp"
    exit $status
    ;;
*)
    echo "hermetic.sh: unknown action '$action'" >&2
    exit 2
    ;;
esac
