#!/usr/bin/env bash
# The application manifest inside the built Quorlane.exe: resource 1 of type
# 24, read back out of the executable, asks for paths of any length
# (longPathAware), names every Windows from Vista to 11 (supportedOS) and the
# common controls of version 6. Wine does not enforce the 260-character limit
# that longPathAware lifts, so only this check tells that it is there.
#   check_manifest.sh QUORLANE.EXE WINDRES
set -euo pipefail
exe=$1
windres=$2
fail() { echo "check_manifest.sh: $*" >&2; exit 1; }

resources=$("$windres" -J coff -i "$exe" -O rc) || fail "cannot read the resources of $exe"
# The manifest's lines, from the resource's quoted strings.
manifest=$(awk '/^1 24 /{inside=1; next} inside && /^END/{exit} inside' <<< "$resources" \
    | sed -n 's/^ *"\(.*\)\\n"$/\1/p; s/^ *"\(.*\)"$/\1/p' | sed 's/""/"/g')
[[ -n $manifest ]] || fail "no application manifest (resource 1 of type 24) in $exe"

need() { grep -qF -- "$1" <<< "$manifest" || fail "the manifest lacks $2"; }
need '<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>' \
    "longPathAware"
need '{e2011457-1546-43c5-a5fe-008deee3d3f0}' "supportedOS for Windows Vista"
need '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' "supportedOS for Windows 7"
need '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' "supportedOS for Windows 8"
need '{1f676c76-80e1-4239-95bb-83d0f6d0da78}' "supportedOS for Windows 8.1"
need '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' "supportedOS for Windows 10 and 11"
need 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "the common controls of version 6"
need '<requestedExecutionLevel level="asInvoker"' "the execution level of the user who starts it"
echo "check_manifest.sh: $exe asks for long paths, Windows Vista to 11 and common controls 6"
