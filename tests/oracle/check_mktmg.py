"""Independent readers check the projects mktmg writes: dbfread and python-dbf read every
record and memo of every table of a current and an old project, and XBase::Index
(index_dump) walks every tag of every production index: each holds one entry per live
record, and the name tags hold the names in the right order."""
import os
import subprocess
import sys
import tempfile

import dbf
import dbfread


class Failures(list):
    def add(self, where, message):
        self.append(f"{where}: {message}")


def read_dbfread(path, failures):
    """Live and deleted records as dbfread sees them, memos included."""
    name = os.path.basename(path)
    t = dbfread.DBF(path, encoding="cp1252", char_decode_errors="strict", load=True)
    live, deleted = list(t.records), list(t.deleted)
    if len(live) + len(deleted) != t.header.numrecords:
        failures.add(name, f"dbfread found {len(live)}+{len(deleted)} records, "
                           f"the header says {t.header.numrecords}")
    return t, live, deleted


def check_python_dbf(path, live_count, failures):
    name = os.path.basename(path)
    t = dbf.Table(path)
    t.open(dbf.READ_ONLY)
    try:
        if "1252" not in str(t.codepage):
            failures.add(name, f"code page {t.codepage}")
        live = 0
        for rec in t:
            for field in t.field_names:
                rec[field]  # every value and memo must decode
            live += not dbf.is_deleted(rec)
        if live != live_count:
            failures.add(name, f"python-dbf sees {live} live records, dbfread {live_count}")
    finally:
        t.close()


def index_dump(args):
    out = subprocess.run(["index_dump", *args], check=True, capture_output=True).stdout
    # Keys are raw bytes: binary for numeric tags, Windows-1252 text for character ones.
    return out.split(b"\n")


def check_tags(cdx, live, failures):
    name = os.path.basename(cdx)
    tags = [t.decode("ascii") for t in index_dump(["--type=char", cdx]) if t]
    if not tags:
        failures.add(name, "no tags")
    for tag in tags:
        lines = index_dump(["--type=char", "-n", cdx, tag])
        total = [l for l in lines if l.startswith(b"Total records: ")]
        if not total or int(total[0].split(b": ")[1]) != len(live):
            failures.add(f"{name} {tag}", f"{total} entries for {len(live)} live records")
    # Tags over names: the keys in order, each with its record.
    by_name = {"EVTBYNAM": "ETYPENAME", "FLAGFIELD": "FLAGFIELD"}
    for tag, field in by_name.items():
        if tag not in tags:
            continue
        want = sorted((row[field].upper().encode("cp1252").rstrip(b" "), row["__recno"])
                      for row in live)
        got = []
        for line in index_dump(["--type=char", cdx, tag]):
            if not line:
                continue
            key, recno = line.rsplit(b" ", 1)
            got.append((key.rstrip(b" "), int(recno)))
        if got != want:
            failures.add(f"{name} {tag}", f"keys {got[:3]}... differ from {want[:3]}...")


def records_with_numbers(path):
    """Every record with its number and deletion mark, from dbfread's raw iteration."""
    t = dbfread.DBF(path, encoding="cp1252", char_decode_errors="strict", load=False)
    rows = []
    with open(path, "rb") as f:
        f.seek(t.header.headerlen)
        for recno in range(1, t.header.numrecords + 1):
            mark = f.read(1)
            f.seek(t.header.recordlen - 1, 1)
            rows.append((recno, mark == b"*"))
    return rows


def check_project(folder, failures):
    checked = 0
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".dbf"):
            continue
        path = os.path.join(folder, name)
        _, live, deleted = read_dbfread(path, failures)
        check_python_dbf(path, len(live), failures)
        # Record numbers of the live records, in file order.
        marks = records_with_numbers(path)
        live_recnos = [n for n, d in marks if not d]
        deleted_recnos = [n for n, d in marks if d]
        for row, n in zip(live, live_recnos):
            row["__recno"] = n
        for row, n in zip(deleted, deleted_recnos):
            row["__recno"] = n
        cdx = path[:-4] + ".cdx"
        if not os.path.exists(cdx):
            failures.add(name, "no production index")
        else:
            check_tags(cdx, live, failures)
        checked += 1
    return checked


def main():
    mktmg = sys.argv[1]
    failures = Failures()
    with tempfile.TemporaryDirectory() as tmp:
        runs = [("cur", ["--people", "300", "--seed", "11", "--datasets", "3"]),
                ("old", ["--people", "80", "--seed", "11", "--layout", "old"])]
        total = 0
        for sub, args in runs:
            folder = os.path.join(tmp, sub)
            subprocess.run([mktmg, *args, os.path.join(folder, "Oracle__.pjc")], check=True,
                           stdout=subprocess.DEVNULL)
            total += check_project(folder, failures)
    for f in failures[:40]:
        print(f)
    print(f"{total} tables read by dbfread, python-dbf and index_dump; {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
