#!/usr/bin/env bash
# A project in use by another program (another copy of Hearthkit, or TMG) cannot be run on:
# while another process holds the person table's lock, the command line is refused with the
# "TMG has the database open" message and exit status 2, writes no log and changes nothing.
# Once the lock is gone, the same run goes through.
set -uo pipefail
cli=$1 mktmg=$2
dir=$(mktemp -d)
cleanup() { rm -rf "$dir"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config"
mkdir -p "$HOME"
"$mktmg" --people 60 --seed 2 "$dir/Lock__.pjc" >/dev/null || fail "mktmg"
pjc="$dir/Lock__.pjc"
person="$dir/Lock_\$.dbf"

# This script is the other program: it holds the person table's lock on descriptor 9.
exec 9<"$person"
flock -x 9 || fail "cannot lock the person table"
before=$(cat "$dir"/Lock_* | md5sum)
out=$("$cli" run setliving "$pjc" --dataset 1 --yes --opt MaxYear=1900 --log-dir "$dir/logs" 2>&1)
rc=$?
[ "$rc" = 2 ] || fail "exit $rc, expected 2: $out"
echo "$out" | grep -q "when TMG has the database open" || fail "no in-use message: $out"
echo "$out" | grep -q "(-61)" || fail "no error code -61: $out"
[ "$(echo "$out" | grep -c '^hearthkit-cli: ')" = 1 ] || fail "not one closing line: $out"
[ -z "$(ls -A "$dir/logs" 2>/dev/null)" ] || fail "a refused run wrote a log"
[ "$(cat "$dir"/Lock_* | md5sum)" = "$before" ] || fail "a refused run changed the project"

exec 9<&-
out=$("$cli" run setliving "$pjc" --dataset 1 --yes --opt MaxYear=1900 --log-dir "$dir/logs" 2>&1)
[ $? = 0 ] || fail "the run after the lock was released failed: $out"
echo "$out" | grep -q "^Log: " || fail "no log path printed: $out"
echo ok
