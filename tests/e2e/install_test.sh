#!/usr/bin/env bash
# The installed programs: `cmake --install` into a temporary prefix; the installed
# hearthkit-cli, run from another working folder, finds its program folder as
# ../share/hearthkit and reads a generated project. With the program folder gone it says which
# folders it looked in and exits 2 (never that the project is unsupported); HEARTHKIT_DATA
# names a moved one. The man pages render.
set -uo pipefail
build=$1 mktmg=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DOCUMENTS_DIR="$dir/docs"
unset HEARTHKIT_DATA
mkdir -p "$HOME" "$dir/elsewhere"
prefix="$dir/prefix"
cmake --install "$build" --prefix "$prefix" >"$dir/install.out" 2>&1 ||
    fail "cmake --install: $(cat "$dir/install.out")"
for f in bin/hearthkit bin/hearthkit-cli bin/hkdbf share/hearthkit/hearthkit.ini \
    share/hearthkit/compatibility.ini share/hearthkit/help/toc.htm \
    share/applications/hearthkit.desktop share/icons/hicolor/scalable/apps/hearthkit.svg \
    share/man/man1/hearthkit-cli.1 share/man/man1/hkdbf.1; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
[ ! -e "$prefix/share/hearthkit/man" ] || fail "the man pages went into the program folder"

"$mktmg" --people 30 --seed 3 --datasets 2 "$dir/proj/Inst__.pjc" >/dev/null || fail "mktmg"
cd "$dir/elsewhere"
out=$("$prefix/bin/hearthkit-cli" info "$dir/proj/Inst__.pjc" 2>&1)
rc=$?
[ "$rc" = 0 ] || fail "installed info exit $rc: $out"
echo "$out" | grep -q "^Datasets:" || fail "no datasets: $out"
echo "$out" | grep -q "^  1: " || fail "dataset 1 missing: $out"
echo "$out" | grep -q "^  2: " || fail "dataset 2 missing: $out"

# A desktop's xdg-user-dir ends its answer with a newline: the log still lands in
# <documents>/Hearthkit/Logs and its path is printed on one line.
mkdir -p "$dir/xdg" "$dir/My Documents"
printf '#!/bin/sh\necho "%s"\n' "$dir/My Documents" >"$dir/xdg/xdg-user-dir"
chmod +x "$dir/xdg/xdg-user-dir"
out=$(PATH="$dir/xdg:$PATH" "$prefix/bin/hearthkit-cli" run setliving "$dir/proj/Inst__.pjc" \
    --dataset 1 --log-only --yes --opt MaxYear=1900 2>&1) || fail "run with xdg-user-dir: $out"
log=$(echo "$out" | sed -n 's/^Log: //p')
case "$log" in "$dir/My Documents/Hearthkit/Logs/"*.log) ;; *) fail "log path: $out" ;; esac
[ -f "$log" ] || fail "no log file at $log"

for page in hearthkit-cli hkdbf; do
    text=$(MANPATH="$prefix/share/man" MANWIDTH=80 man "$page" 2>&1) || fail "man $page: $text"
    echo "$text" | grep -q "^NAME" || fail "man $page has no NAME section: $text"
    echo "$text" | grep -q "EXIT STATUS" || fail "man $page has no exit status: $text"
done

mv "$prefix/share/hearthkit" "$dir/moved"
out=$("$prefix/bin/hearthkit-cli" info "$dir/proj/Inst__.pjc" 2>&1)
rc=$?
[ "$rc" = 2 ] || fail "without the program folder: exit $rc, expected 2: $out"
echo "$out" | grep -q "program folder .* was not found" || fail "no clear message: $out"
echo "$out" | grep -qF "$prefix/share/hearthkit/" || fail "the folders looked in are not named: $out"
echo "$out" | grep -qi "support" && fail "claims the project is unsupported: $out"
# The window says the same on stderr before its message box (which nobody answers here).
out=$(QT_QPA_PLATFORM=offscreen timeout 2 "$prefix/bin/hearthkit" 2>&1)
echo "$out" | grep -q "program folder .* was not found" || fail "window: $out"
out=$("$prefix/bin/hearthkit-cli" run setliving "$dir/proj/Inst__.pjc" --yes 2>&1)
[ $? = 2 ] && echo "$out" | grep -q "was not found" || fail "run without the program folder: $out"
out=$(HEARTHKIT_DATA="$dir/nowhere" "$prefix/bin/hearthkit-cli" info "$dir/proj/Inst__.pjc" 2>&1)
[ $? = 2 ] && echo "$out" | grep -qF "$dir/nowhere/" || fail "a wrong HEARTHKIT_DATA: $out"
out=$(HEARTHKIT_DATA="$dir/moved" "$prefix/bin/hearthkit-cli" info "$dir/proj/Inst__.pjc" 2>&1)
[ $? = 0 ] && echo "$out" | grep -q "^  2: " || fail "HEARTHKIT_DATA not used: $out"
echo ok
