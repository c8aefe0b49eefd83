#!/usr/bin/env bash
# The Windows side of the program compiles: every program source (no tests,
# benchmarks or fuzz targets) through the MinGW-w64 cross compiler against
# the Qt headers, with the Windows branches active. Syntax only: there is no
# Windows Qt to link with here, and moc's output is not needed for that.
#   scripts/check_windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cxx=x86_64-w64-mingw32-g++-posix
qt=/usr/include/x86_64-linux-gnu/qt6
command -v "$cxx" >/dev/null || { echo "check_windows.sh: $cxx missing (make check-windows installs it)" >&2; exit 1; }

# As Qt's own CMake package compiles a Windows program.
flags=(-fsyntax-only -std=c++17 -Wall -Wextra -Wpedantic -Werror
    -DUNICODE -D_UNICODE -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NO_DEBUG
    -I. -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui" -isystem "$qt/QtWidgets")
mapfile -t sources < <(git ls-files -- '*.cpp' ':!tests/' ':!bench/' ':!fuzz/' ':!assets/tools/')

printf '%s\n' "${sources[@]}" | xargs -P 2 -n 1 "$cxx" "${flags[@]}"
echo "check-windows: ${#sources[@]} sources compile for Windows"
