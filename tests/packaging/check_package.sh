#!/usr/bin/env bash
# The desktop files validate, the Debian package holds what a desktop needs
# with its dependencies computed, and the packaged program, unpacked into a
# folder of the test's own, shows its window under a real X server.
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

# Unpacked into the test's own folder: the system's own installation, if
# any, is never touched.
dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x failed"
program="$work/root/usr/bin/quorlane"
[[ -x $program ]] || fail "the unpacked package has no program"

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
        kill $pid 2>/dev/null; exit 1' _ "$program" || fail "the packaged program showed no window"
echo "package: ok ($deb)"
