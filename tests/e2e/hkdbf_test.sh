#!/usr/bin/env bash
# hkdbf end to end: create a table with tags, edit it through every command, and check the
# results with hkdbf itself and with independent readers (index_dump, python3 dbfread).
set -euo pipefail
hkdbf=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$hkdbf" create people.dbf ID:I NAME:C:12 BORN:D SCORE:N:7:2 ALIVE:L NOTE:M \
    --tag ID=ID --tag NAME="UPPER(NAME)" --tag LIVE="NAME" --for LIVE=".NOT. DELETED()" \
    --tag SCORE=SCORE --descending SCORE
n=0
for row in "Ann Smith|19010203|12.5|T" "bob jones|18991231|-3|F" "Émile Zola|18400402|99.99|T" "Ann Smith|1850|0|T"; do
    IFS='|' read -r name born score alive <<<"$row"
    n=$((n + 1))
    [ "$born" = 1850 ] && born=""
    got=$("$hkdbf" append people.dbf ID=$n "NAME=$name" "BORN=$born" SCORE=$score ALIVE=$alive "NOTE=line 1
	line 2")
    [ "$got" = "$n" ] || fail "append printed $got, expected $n"
done
"$hkdbf" set people.dbf 2 "NAME=Bob Jones" SCORE=7.25
"$hkdbf" delete people.dbf 4
"$hkdbf" check people.dbf >/dev/null || fail "check after edits"

# Seeks: prefix on a character tag, numbers on numeric tags, exit 1 when nothing is found.
[ "$("$hkdbf" seek people.dbf NAME "BOB")" = 2 ] || fail "seek NAME BOB"
[ "$("$hkdbf" seek people.dbf ID 3)" = 3 ] || fail "seek ID 3"
if "$hkdbf" seek people.dbf NAME "ZZZ" >/dev/null; then fail "seek of a missing key succeeded"; fi

# Keys in tag order; the descending tag lists the largest first; the FOR tag leaves out record 4.
[ "$("$hkdbf" keys people.dbf NAME | cut -f2 | tr '\n' ' ')" = "1 4 2 3 " ] || fail "NAME order"
[ "$("$hkdbf" keys people.dbf SCORE | cut -f2 | tr '\n' ' ')" = "3 1 2 4 " ] || fail "SCORE order"
[ "$("$hkdbf" keys people.dbf LIVE | cut -f2 | tr '\n' ' ')" = "1 2 3 " ] || fail "LIVE keys"

# Dump: deleted records left out unless asked, memos escaped.
dump=$("$hkdbf" dump people.dbf --fields ID,NAME,BORN,NOTE)
[ "$(printf '%s\n' "$dump" | wc -l)" = 3 ] || fail "dump without deleted"
printf '%s\n' "$dump" | grep -qF $'2\tBob Jones\t18991231\tline 1\\n\\tline 2' || fail "dump line: $dump"
[ "$("$hkdbf" dump people.dbf --deleted --fields ID | grep -c '^\*')" = 1 ] || fail "dump --deleted"
"$hkdbf" info people.dbf | grep -q "LIVE .*key NAME  for .NOT. DELETED()" || fail "info tags"

# Independent readers agree: index_dump walks the tags in our order, dbfread reads our values.
[ "$(index_dump --type=char people.cdx NAME | awk '{print $NF}' | tr '\n' ' ')" = "1 4 2 3 " ] \
    || fail "index_dump NAME order"
[ "$(index_dump --type=num people.cdx ID | awk '{print $NF}' | tr '\n' ' ')" = "1 2 3 4 " ] \
    || fail "index_dump ID order"
/usr/bin/python3 - <<'PY' || fail "dbfread"
import dbfread, datetime
rows = list(dbfread.DBF('people.dbf', load=True, char_decode_errors='strict'))
assert [r['ID'] for r in rows] == [1, 2, 3], rows
assert rows[1]['NAME'] == 'Bob Jones' and abs(rows[1]['SCORE'] - 7.25) < 1e-9
assert rows[2]['NAME'] == 'Émile Zola' and rows[2]['BORN'] == datetime.date(1840, 4, 2)
assert rows[0]['NOTE'] == 'line 1\n\tline 2' and rows[0]['ALIVE'] is True
PY

# Files from Windows: index and memo found without regard to case.
mv people.cdx PEOPLE.CDX && mv people.fpt People.FPT
[ "$("$hkdbf" seek people.dbf ID 2)" = 2 ] || fail "seek with upper-case index name"
"$hkdbf" check people.dbf >/dev/null || fail "check with upper-case names"

# A key changed behind the index's back is found by check (exit 1).
/usr/bin/python3 - <<'PY'
import struct
with open('people.dbf', 'r+b') as f:
    hdr = f.read(12)
    hlen, rlen = struct.unpack('<HH', hdr[8:12])
    f.seek(hlen + 1)           # record 1, field ID
    f.write(struct.pack('<i', 77))
PY
# It names the tag, the position, the key found, the key the record gives and the record.
want="tag ID, position 1: key 1 found for record 1, but the record gives key 77"
if got=$("$hkdbf" check people.dbf); then fail "check missed a stale key"; fi
[ "$got" = "$want" ] || fail "check said: $got"

# Usage errors exit 2.
set +e
"$hkdbf" frobnicate people.dbf 2>/dev/null; [ $? = 2 ] || fail "unknown command exit"
"$hkdbf" set people.dbf 99 ID=1 2>/dev/null; [ $? = 2 ] || fail "missing record exit"
echo ok
