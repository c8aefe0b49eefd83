#!/usr/bin/env bash
# The installer under Wine, in a Wine prefix of its own made afresh: a silent
# install; the program, its Start-menu shortcut, the folder verb and the
# Apps & features entry are there; the installed Quorlane.exe, started as
# Explorer's verb starts it, shows its window on that folder (under Xvfb)
# and, closed, saves its values; a silent uninstall leaves nothing but those
# values.
#   check_installer.sh SETUP.EXE WINE_RUN.SH
set -euo pipefail
setup=$1
wine_run=$2
if [[ -z ${DISPLAY:-} ]]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quorlane-installer.XXXXXX")
export QUORLANE_WINEPREFIX=$work/prefix
export WINEPREFIX=$QUORLANE_WINEPREFIX
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
trap '"$server" -k 2>/dev/null || true; rm -rf "$work"' EXIT
wine() { "$wine_run" "$@"; }
settle() { "$server" -w; }
fail() { echo "check_installer.sh: $*" >&2; exit 1; }
# The data of one value of a registry key (the key's default value without a
# name), empty when the key or value is missing.
regvalue() {
    local out which=(/ve)
    [[ -n ${2:-} ]] && which=(/v "$2")
    out=$(wine reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r') || return 0
    sed -n 's/^ *[^ ]* *REG_[A-Z_]* *//p' <<< "$out" | head -n 1
}
haskey() { wine reg query "$1" >/dev/null 2>&1; }

wine cmd /c exit
drive_c=$WINEPREFIX/drive_c
app="$drive_c/Program Files/Quorlane"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorlane.lnk"
verb='HKLM\Software\Classes\Directory\shell\Quorlane'
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorlane'
values='HKCU\Software\Quorlane\SaveFormSettings\Values'

wine "$(readlink -f "$setup")" /S
settle
for f in Quorlane.exe Uninstall.exe LICENSE.txt README.txt; do
    [[ -f $app/$f ]] || fail "not installed: Program Files/Quorlane/$f"
done
[[ -f $shortcut ]] || fail "no Start-menu shortcut"
[[ $(regvalue "$verb") == 'Open with Quorlane' ]] || fail "no \"Open with Quorlane\" on folders"
command=$(regvalue "$verb\\command")
[[ $command == '"C:\Program Files\Quorlane\Quorlane.exe" "%1"' ]] || fail "folder verb runs: $command"
[[ $(regvalue "$entry" DisplayName) == Quorlane ]] || fail "no entry in Apps & features"
[[ $(regvalue "$entry" UninstallString) == '"C:\Program Files\Quorlane\Uninstall.exe"' ]] \
    || fail "the entry has no uninstaller"

# As Explorer runs the verb on a folder: its window opens there.
mkdir -p "$work/My Photos"
: > "$work/My Photos/a.txt"
folder="Z:$(echo "$work/My Photos" | tr / '\\')"
wine 'C:\Program Files\Quorlane\Quorlane.exe' "$folder" &
program=$!
for _ in $(seq 60); do
    xwininfo -root -tree | grep -q '"Quorlane v1.01"' && break
    sleep 1
done
xwininfo -root -tree | grep -q '"Quorlane v1.01"' || fail "the installed Quorlane.exe shows no window"
wine taskkill /im Quorlane.exe >/dev/null
wait "$program" || fail "Quorlane.exe ended with an error"
[[ $(regvalue "$values" Dir1) == "$folder" ]] || fail "the closed program saved no Dir1 in $values"

wine 'C:\Program Files\Quorlane\Uninstall.exe' /S
settle
[[ ! -e $app ]] || fail "left behind: $(ls "$app")"
[[ ! -e $shortcut ]] || fail "the Start-menu shortcut is left"
! haskey "$verb" || fail "the folder verb is left"
! haskey "$entry" || fail "the Apps & features entry is left"
[[ $(regvalue "$values" Dir1) == "$folder" ]] || fail "the saved values went with the uninstall"
echo "check_installer.sh: installed, started on a folder, closed, uninstalled; the saved values stay"
