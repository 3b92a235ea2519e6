#!/usr/bin/env bash
# `cmake --install` of the build puts the program, its desktop entry and icon, and the example
# systemd units into a fresh prefix, and the entry and the service name the installed program.
# Usage: install-into-prefix.sh CMAKE BUILD_DIR
set -u
cmake="$1"
build="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null || exit 1

status=0
expect() {  # test-operator path-under-prefix
    if ! test "$1" "$prefix/$2"; then
        echo "not installed: $2"
        status=1
    fi
}
expect_line() {  # path-under-prefix, the whole line it must hold
    if ! grep -qxF "$2" "$prefix/$1"; then
        echo "$1 does not hold the line: $2"
        status=1
    fi
}
expect -x bin/mirabel
expect -x bin/mirabel-window
expect -s share/icons/hicolor/scalable/apps/mirabel.svg
expect -s share/icons/hicolor/48x48/apps/mirabel.png
expect_line share/applications/mirabel.desktop "Exec=$prefix/bin/mirabel"
expect_line share/applications/mirabel.desktop "Icon=mirabel"
expect_line share/doc/mirabel/systemd/mirabel-archive.service \
    "ExecStart=$prefix/bin/mirabel --archive-now"
expect -s share/doc/mirabel/systemd/mirabel-archive.timer
expect_line share/doc/mirabel/systemd/mirabel-audit.service \
    "ExecStart=$prefix/bin/mirabel --verify --budget-minutes 240 --budget-gb 200"
expect -s share/doc/mirabel/systemd/mirabel-audit.timer
[ "$status" -ne 0 ] || "$prefix/bin/mirabel" --help >/dev/null || {
    echo "the installed program does not run"
    status=1
}
# Without a command, the installed program hands over to the window program beside it, which
# says in one line that there is no display.
[ "$status" -ne 0 ] || {
    said=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/mirabel" 2>&1)
    case "$said" in
        *"no graphical display"*) ;;
        *) echo "the window program was not reached: $said"; status=1 ;;
    esac
}
exit "$status"
