#!/usr/bin/env bash
# The desktop files validate, the Debian package holds what a desktop needs
# with its dependencies computed, and the installed program shows its window
# under a real X server.
#   check_package.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$src/packaging/quorlane.desktop" || fail "desktop entry does not validate"
# File managers offer "Open with Quorlane" on folders and pass the folder.
grep -qx 'MimeType=inode/directory;' "$src/packaging/quorlane.desktop" || fail "desktop entry opens no folder"
grep -qx 'Exec=quorlane %f' "$src/packaging/quorlane.desktop" || fail "desktop entry passes no folder"
appstreamcli validate --no-net "$src/packaging/org.quorlane.Quorlane.metainfo.xml" >/dev/null \
    || fail "metainfo does not validate"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null) || fail "cpack failed"
deb=$(ls "$work"/out/*.deb)

[[ $(dpkg-deb -f "$deb" Package) == quorlane ]] || fail "package name"
[[ $(dpkg-deb -f "$deb" Version) == 1.0.1 ]] || fail "version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6gui6 libqt6core6; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/quorlane ./usr/share/applications/quorlane.desktop \
    ./usr/share/metainfo/org.quorlane.Quorlane.metainfo.xml \
    ./usr/share/icons/hicolor/32x32/apps/quorlane.png ./usr/share/icons/hicolor/256x256/apps/quorlane.png; do
    grep -qxF "$f" <<<"$contents" || fail "package lacks $f"
done

# Installed for real where we may (root, as in CI); otherwise unpacked.
if [[ $(id -u) -eq 0 ]]; then
    dpkg -i "$deb" >/dev/null || fail "dpkg -i failed"
    trap 'dpkg -r quorlane >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
    program=/usr/bin/quorlane
else
    dpkg-deb -x "$deb" "$work/root"
    program="$work/root/usr/bin/quorlane"
    echo "not root: checking the unpacked package instead of an installed one"
fi

mkdir -p "$work/home"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=xcb \
    xvfb-run -a bash -c '
        cd "$HOME"
        "$1" & pid=$!
        for _ in $(seq 1 50); do
            if xwininfo -root -tree | grep -q "\"Quorlane v1.01\""; then
                kill $pid; wait $pid 2>/dev/null; exit 0
            fi
            sleep 0.2
        done
        kill $pid 2>/dev/null; exit 1' _ "$program" || fail "the installed program showed no window"
echo "package: ok ($deb)"
