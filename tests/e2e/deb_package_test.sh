#!/usr/bin/env bash
# The Debian package: `cpack -G DEB` packages what the build installs (staged once with
# cmake --install, so nothing is rebuilt), and dpkg-deb lists the package, its library
# dependencies and the installed files. Skipped (77) without dpkg-deb.
set -uo pipefail
build=$1
command -v dpkg-deb >/dev/null || { echo "SKIP: dpkg-deb is not installed"; exit 77; }
command -v dpkg-shlibdeps >/dev/null || { echo "SKIP: dpkg-shlibdeps (dpkg-dev) is not installed"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cmake --install "$build" --prefix "$dir/stage/usr" --strip >"$dir/log" 2>&1 || fail "install: $(cat "$dir/log")"
(cd "$dir" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$dir/out" \
    -D CPACK_INSTALL_CMAKE_PROJECTS= -D "CPACK_INSTALLED_DIRECTORIES=$dir/stage;." \
    >"$dir/log" 2>&1) || fail "cpack: $(cat "$dir/log")"
deb=$(ls "$dir"/out/*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no package written: $(cat "$dir/log")"
info=$(dpkg-deb --info "$deb") || fail "dpkg-deb --info"
echo "$info"
echo "$info" | grep -q "Package: hearthkit" || fail "package name"
depends=$(echo "$info" | grep "Depends:")
for lib in libc6 libstdc++6 libqt6widgets6 libqt6core6 libpcre2-8-0; do
    echo "$depends" | grep -q "$lib" || fail "no dependency on $lib: $depends"
done
files=$(dpkg-deb --contents "$deb")
for f in ./usr/bin/hearthkit-cli ./usr/bin/hkdbf ./usr/bin/hearthkit \
    ./usr/share/hearthkit/hearthkit.ini ./usr/share/man/man1/hearthkit-cli.1 \
    ./usr/share/applications/hearthkit.desktop; do
    echo "$files" | grep -qF " $f" || fail "$f not in the package"
done
echo ok
