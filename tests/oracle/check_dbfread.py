"""dbfread reads the tables hk_oracle_writer wrote: header, fields, every value and memo,
deleted records apart."""
import sys

import dbfread

from oracle_common import main


def check_table(checker, folder, table):
    name = table["file"]
    t = dbfread.DBF(f"{folder}/{name}", encoding="cp1252", char_decode_errors="strict",
                    load=True)
    rows = table["records"]
    if t.header.dbversion != table["version"]:
        checker.fail(name, f"version {t.header.dbversion:#x}")
    if t.header.numrecords != len(rows):
        checker.fail(name, f"{t.header.numrecords} records in the header, {len(rows)} written")
    got_fields = [(f.name, f.type, f.length, f.decimal_count) for f in t.fields]
    want_fields = [(f["name"], f["type"], f["length"], f["decimals"]) for f in table["fields"]]
    if got_fields != want_fields:
        checker.fail(name, f"fields {got_fields} != {want_fields}")
    types = {f["name"]: (f["type"], f["decimals"]) for f in table["fields"]}
    # dbfread keeps deleted records apart, each list in file order.
    for deleted, got_rows in ((False, t.records), (True, t.deleted)):
        want_rows = [(i, r) for i, r in enumerate(rows, 1) if r["deleted"] == deleted]
        if len(got_rows) != len(want_rows):
            checker.fail(name, f"{len(got_rows)} records with deleted={deleted}, "
                               f"expected {len(want_rows)}")
            continue
        for (recno, want), got in zip(want_rows, got_rows):
            for field, expected in want["values"].items():
                ftype, dec = types[field]
                checker.value(f"{name} record {recno} {field}", ftype, dec, expected, got[field])


if __name__ == "__main__":
    sys.exit(main("dbfread", check_table))
