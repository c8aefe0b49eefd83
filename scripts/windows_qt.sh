#!/usr/bin/env bash
# Builds the Qt that Quorlane.exe links with: a static Qt for 64-bit Windows,
# cross-compiled with MinGW-w64 from the distribution's own source package of
# the Qt the Linux build uses. Built once into the cache and reused after.
#
#   scripts/windows_qt.sh            print the Qt's folder, building it first
#                                    when the cache does not hold it yet
#                                    (its log then goes to standard error)
#
# The cache is $QUORLANE_CACHE (default ~/.cache/quorlane). The source comes
# through apt with a private list of deb-src entries copied from the machine's
# own, so the machine's package sources stay as they are.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${QUORLANE_CACHE:-$HOME/.cache/quorlane}
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
# A change of this script or of the toolchain file builds a new Qt.
recipe=$(cat "$0" "$repo/packaging/windows/mingw-w64.cmake" | sha1sum | cut -c1-8)
prefix=$cache/qt-${version%%+*}-win64-static-$recipe
if [[ -f $prefix/.complete ]]; then
    echo "$prefix"
    exit 0
fi

work=$cache/qt-work-$recipe
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/sources.list.d" "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"

# deb-src twins of the machine's enabled sources, in both file formats.
for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f $f ]] && sed 's/^Types:.*/Types: deb-src/' "$f" > "$work/apt/sources.list.d/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f $f ]] && sed -n 's/^deb \(.*\)/deb-src \1/p' "$f" > "$work/apt/sources.list.d/$(basename "$f")"
done
apt_opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/apt/sources.list.d"
    -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache")
echo "windows_qt.sh: fetching the source of qt6-base $version" >&2
apt-get "${apt_opts[@]}" update >&2
(cd "$work/src" && apt-get "${apt_opts[@]}" source --download-only "qt6-base=$version" >&2)
dpkg-source -x "$work/src"/qt6-base_*.dsc "$work/src/qtbase" >&2

# Core, Gui, Widgets and Test; the Windows and offscreen platforms and the
# Windows style. The source has no tablet header, so tablet events are off.
# Qt 6.4 builds its DirectWrite font code only with Direct2D, which is off,
# so fonts come through GDI.
# What the program does not use is left out, and the libraries are optimised
# for size, which also builds them faster: graphics view, OpenGL, the
# dialogs and widgets it has no need of (the input dialog stays: the Windows
# style includes it), rich-text readers and writers.
echo "windows_qt.sh: building Qt for Windows into $prefix (about half an hour on 2 cores)" >&2
start=$SECONDS
unused=(graphicsview mdiarea dockwidget calendarwidget datetimeedit dial lcdnumber splashscreen wizard
    fontdialog colordialog filedialog progressdialog errormessage syntaxhighlighter textbrowser
    toolbox keysequenceedit undocommand undostack undogroup undoview textodfwriter textmarkdownreader
    textmarkdownwriter sessionmanager)
off=()
for feature in "${unused[@]}"; do off+=("-DFEATURE_$feature=OFF"); done
cmake -S "$work/src/qtbase" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$repo/packaging/windows/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=OFF -DFEATURE_static_runtime=ON -DFEATURE_optimize_size=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_zstd=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=ON \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
    -DFEATURE_sql_sqlite=OFF -DFEATURE_androiddeployqt=OFF \
    "${off[@]}" >&2
cmake --build "$work/build" >&2
cmake --install "$work/build" >&2
echo "windows_qt.sh: Qt for Windows built in $(( (SECONDS - start) / 60 )) min" >&2
rm -rf "$work"
touch "$prefix/.complete"
echo "$prefix"
