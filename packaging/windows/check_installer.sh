#!/usr/bin/env bash
# The installer under Wine, in a Wine prefix of its own made afresh, both
# kinds of install and what happens to each:
#   for all users, silent, into a folder given on the command line: the
#   program, its Start-menu shortcut, "Open with Quorlane" on folders, on the
#   background of an open folder and on drives, the Apps & features entry;
#   the installed Quorlane.exe, started as Explorer's verb starts it, shows
#   its window on that folder (under Xvfb) and, closed, saves its values;
#   started again, it keeps a silent upgrade or uninstall from changing
#   anything (exit code 2) and saves its values when the session ends; the upgrade
#   afterwards goes into the earlier install's folder; the uninstaller leaves
#   nothing but the saved values;
#   for the current user alone: all of it in the user's own folders and
#   registry, nothing for all users, and taken away again by the uninstaller
#   its entry names.
#   check_installer.sh SETUP.EXE WINE_RUN.SH
set -euo pipefail
setup=$(readlink -f "$1")
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
windows() { echo "Z:$(tr / '\\' <<< "$1")"; }
# Runs the setup or an uninstaller (which goes on in a copy of itself) to
# its end and gives its exit code.
status() { local code=0; wine "$@" >&2 || code=$?; settle; echo "$code"; }
# Starts the installed program on a folder and waits for its window. What
# it and Wine say goes to a log of its own.
program=
start_on() {
    wine "$1" "$(windows "$2")" 2>> "$work/program.log" &
    program=$!
    for _ in $(seq 60); do
        xwininfo -root -tree | grep -q '"Quorlane v1.01"' && return 0
        sleep 1
    done
    fail "$1 shows no window"
}

wine cmd /c exit
drive_c=$WINEPREFIX/drive_c
values='HKCU\Software\Quorlane\SaveFormSettings\Values'
verbs=(Directory Directory\\Background Drive)
declare -A argument=([Directory]='"%1"' [Directory\\Background]='"%V"' [Drive]='"%1"')
# The install of one kind: its registry root and folders.
check_install() {
    local root=$1 app=$2 shortcut=$3 dir=$4 mode=$5
    for f in Quorlane.exe Uninstall.exe LICENSE.txt README.txt; do
        [[ -f $app/$f ]] || fail "not installed: $app/$f"
    done
    [[ -f $shortcut ]] || fail "no Start-menu shortcut $shortcut"
    for on in "${verbs[@]}"; do
        local verb="$root\\Software\\Classes\\$on\\shell\\Quorlane"
        [[ $(regvalue "$verb") == 'Open with Quorlane' ]] || fail "no \"Open with Quorlane\" in $verb"
        local command
        command=$(regvalue "$verb\\command")
        [[ $command == "\"$dir\\Quorlane.exe\" ${argument[$on]}" ]] || fail "$verb runs: $command"
    done
    local entry="$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorlane"
    [[ $(regvalue "$entry" DisplayName) == Quorlane ]] || fail "no entry in Apps & features under $root"
    [[ $(regvalue "$entry" UninstallString) == "\"$dir\\Uninstall.exe\" /$mode" ]] \
        || fail "the entry under $root has no uninstaller"
}
check_gone() {
    local root=$1 app=$2 shortcut=$3
    [[ ! -e $app ]] || fail "left behind: $(ls "$app")"
    [[ ! -e $shortcut ]] || fail "the Start-menu shortcut $shortcut is left"
    for on in "${verbs[@]}"; do
        ! haskey "$root\\Software\\Classes\\$on\\shell\\Quorlane" || fail "the verb on $on under $root is left"
    done
    ! haskey "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorlane" \
        || fail "the Apps & features entry under $root is left"
}

# For all users, into a folder of the user's choice.
app="$drive_c/Apps/Quorlane"
dir='C:\Apps\Quorlane'
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorlane.lnk"
[[ $(status "$setup" /S '/D=C:\Apps\Quorlane') == 0 ]] || fail "the install for all users failed"
check_install HKLM "$app" "$shortcut" "$dir" AllUsers

# As Explorer runs the verb on a folder: its window opens there; closed, it
# saves its values.
mkdir -p "$work/My Photos" "$work/Trip"
: > "$work/My Photos/a.txt"
start_on 'C:\Apps\Quorlane\Quorlane.exe' "$work/My Photos"
wine taskkill /im Quorlane.exe >/dev/null
wait "$program" || fail "Quorlane.exe ended with an error"
[[ $(regvalue "$values" Dir1) == "$(windows "$work/My Photos")" ]] \
    || fail "the closed program saved no Dir1 in $values"

# While it runs, a silent upgrade changes nothing and says so; when the
# session ends, the values are saved as when the window closes.
start_on 'C:\Apps\Quorlane\Quorlane.exe' "$work/Trip"
touch -d 2001-01-01 "$app/Quorlane.exe"
code=0
wine "$setup" /S || code=$?
[[ $code == 2 ]] || fail "a silent upgrade while Quorlane.exe runs ended with $code, not 2"
[[ $(stat -c %Y "$app/Quorlane.exe") == $(date -d 2001-01-01 +%s) ]] \
    || fail "a silent upgrade replaced the running Quorlane.exe"
# The uninstaller run in place (_?=), so that its own exit code comes back.
code=0
wine "$dir\Uninstall.exe" /S "_?=$dir" || code=$?
[[ $code == 2 ]] || fail "a silent uninstall while Quorlane.exe runs ended with $code, not 2"
[[ -f $app/Quorlane.exe ]] || fail "a silent uninstall took Quorlane.exe away while it ran"
wine wineboot --end-session
wait "$program" || true # ended by the system, as at a log-off
[[ $(regvalue "$values" Dir1) == "$(windows "$work/Trip")" ]] \
    || fail "the program saved no values when the session ended"

# The upgrade goes where the earlier install lies.
[[ $(status "$setup" /S) == 0 ]] || fail "the upgrade failed"
[[ $(stat -c %Y "$app/Quorlane.exe") != $(date -d 2001-01-01 +%s) ]] \
    || fail "the upgrade left the old Quorlane.exe"
[[ ! -e "$drive_c/Program Files/Quorlane" ]] || fail "the upgrade went to Program Files, not to $dir"
check_install HKLM "$app" "$shortcut" "$dir" AllUsers

[[ $(status "$app/Uninstall.exe" /S) == 0 ]] || fail "the uninstall for all users failed"
check_gone HKLM "$app" "$shortcut"
[[ $(regvalue "$values" Dir1) == "$(windows "$work/Trip")" ]] || fail "the saved values went with the uninstall"

# For the current user alone: nothing for all users.
user=$(wine cmd /c 'echo %USERNAME%' | tr -d '\r')
home="$drive_c/users/$user"
app="$home/AppData/Local/Programs/Quorlane"
dir="C:\\users\\$user\\AppData\\Local\\Programs\\Quorlane"
shortcut="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quorlane.lnk"
[[ $(status "$setup" /S /CurrentUser) == 0 ]] || fail "the install for the current user failed"
check_install HKCU "$app" "$shortcut" "$dir" CurrentUser
check_gone HKLM "$drive_c/Apps/Quorlane" "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorlane.lnk"
# As Apps & features runs it: the program in quotes, then its arguments.
uninstall=$(regvalue 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorlane' QuietUninstallString)
read -ra arguments <<< "${uninstall#\"*\" }"
uninstaller=${uninstall#\"}
[[ $(status "${uninstaller%%\"*}" "${arguments[@]}") == 0 ]] || fail "the uninstall for the current user failed"
check_gone HKCU "$app" "$shortcut"
[[ $(regvalue "$values" Dir1) == "$(windows "$work/Trip")" ]] || fail "the saved values went with the uninstall"
echo "check_installer.sh: for all users and for the current user: installed, started on a folder, kept from an upgrade while running, saved at the session's end, upgraded in place, uninstalled; the saved values stay"
