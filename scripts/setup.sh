#!/usr/bin/env bash
# Installs the Debian packages Quorlane needs, only those that are missing.
#
#   scripts/setup.sh               build, fonts and X server test packages
#   scripts/setup.sh --dev-tools   also clang, its sanitizer runtime, clang-tidy
#                                  and clang-format
#   scripts/setup.sh --bench-tools also the peers the benchmarks compare with
#   scripts/setup.sh --windows-tools also what builds and tests Quorlane.exe:
#                                  MinGW-w64, Wine and NSIS
#
# Quick when everything is present: no apt-get update then.
# QUORLANE_SETUP_EXTRA_PKGS (space-separated) adds packages to the check; it
# exists so the "missing package" path can be tried on a complete machine.
set -euo pipefail

base_pkgs=(
    # build (qt6-base-dev alone is enough to build and run the offscreen tests)
    cmake ninja-build g++ make qt6-base-dev
    # the volume ids that tell one card from another (libblkid)
    pkg-config libblkid-dev
    # fonts
    fonts-liberation2 fonts-dejavu-core
    # tests under a real X server
    xvfb xauth x11-utils
    # the screen reader's view: the accessibility bus and its Python client
    dbus at-spi2-core python3-pyatspi
    # checks of the desktop entry, the metainfo and the Debian package
    desktop-file-utils appstream dpkg-dev
    # tests on real volumes: exFAT and FAT32 card images through FUSE on loop
    # devices, a btrfs image with a sub-volume, an ext4 image cut from its
    # power, and the fault-injecting FUSE layer (Debian's python3)
    exfat-fuse exfatprogs fusefat dosfstools btrfs-progs e2fsprogs fuse3 python3 python3-fusepy
)
dev_pkgs=(clang libclang-rt-14-dev clang-tidy clang-format)
# the peer the rename benchmark compares with
bench_pkgs=(rename)
# the cross compiler, Wine that runs the tests (its binary is
# /usr/lib/wine/wine64) and makensis for the installer
windows_pkgs=(g++-mingw-w64-x86-64-posix wine64 nsis)

want=("${base_pkgs[@]}")
for arg in "$@"; do
    case "$arg" in
        --dev-tools) want+=("${dev_pkgs[@]}") ;;
        --bench-tools) want+=("${bench_pkgs[@]}") ;;
        --windows-tools) want+=("${windows_pkgs[@]}") ;;
        -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "setup.sh: unknown argument '$arg' (try --help)" >&2; exit 2 ;;
    esac
done
read -r -a extra <<< "${QUORLANE_SETUP_EXTRA_PKGS:-}"
want+=("${extra[@]}")

if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "setup.sh: no dpkg-query here (not Debian?); install these yourself:" >&2
    echo "  ${want[*]}" >&2
    exit 0
fi

missing=()
for pkg in "${want[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "setup.sh: all ${#want[@]} required packages are installed."
    exit 0
fi

echo "setup.sh: missing packages: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
    {
        echo "setup.sh: installing them needs root. Run (as root, leave out 'sudo'):"
        echo "  sudo apt-get update && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
        echo "then run this again."
    } >&2
    exit 1
fi

apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
echo "setup.sh: done."
