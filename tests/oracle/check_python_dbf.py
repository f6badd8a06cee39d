"""python-dbf (the dbf module) reads the tables hk_oracle_writer wrote: code page, fields,
deleted flags, every value and memo."""
import sys

import dbf

from oracle_common import main


def check_table(checker, folder, table):
    name = table["file"]
    t = dbf.Table(f"{folder}/{name}")
    t.open(dbf.READ_ONLY)
    try:
        rows = table["records"]
        if "1252" not in str(t.codepage):
            checker.fail(name, f"code page {t.codepage}")
        if len(t) != len(rows):
            checker.fail(name, f"{len(t)} records, {len(rows)} written")
        for f in table["fields"]:
            info = t.field_info(f["name"].lower())
            if (chr(info[0]) if isinstance(info[0], int) else str(info[0]), info[1],
                    info[2]) != (f["type"], f["length"], f["decimals"]):
                checker.fail(name, f"field {f['name']}: {info[:3]}")
        types = {f["name"]: (f["type"], f["decimals"]) for f in table["fields"]}
        for recno, (want, rec) in enumerate(zip(rows, t), 1):
            if dbf.is_deleted(rec) != want["deleted"]:
                checker.fail(f"{name} record {recno}", "deleted flag")
            for field, expected in want["values"].items():
                ftype, dec = types[field]
                checker.value(f"{name} record {recno} {field}", ftype, dec, expected,
                              rec[field.lower()])
    finally:
        t.close()


if __name__ == "__main__":
    sys.exit(main("python-dbf", check_table))
