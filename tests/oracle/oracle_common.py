"""Shared by the oracle checks: runs hk_oracle_writer into a temporary folder and compares
what an independent reader returns with the values the writer reports in expected.json."""
import datetime
import json
import os
import subprocess
import sys
import tempfile


class Checker:
    def __init__(self, reader_name):
        self.reader = reader_name
        self.failures = []
        self.checked = 0

    def fail(self, where, message):
        self.failures.append(f"{where}: {message}")

    def value(self, where, ftype, decimals, expected, got):
        """Compares one field value by its DBF type."""
        self.checked += 1
        ok = True
        if ftype == "C":
            ok = isinstance(got, str) and got.rstrip(" ") == expected
        elif ftype in "NFY":
            # The value meant; the stored one is rounded to the field's decimals.
            tolerance = 0.5 * 10.0 ** -decimals * (1 + 1e-9)
            ok = got is not None and not isinstance(got, bool) and \
                abs(float(got) - expected) <= tolerance
        elif ftype == "L":
            ok = got is expected
        elif ftype == "D":
            ok = (got is None and expected is None) or \
                (isinstance(got, datetime.date) and got.isoformat() == expected)
        elif ftype == "M":
            ok = (got or "") == expected
        elif ftype == "I":
            ok = got == expected
        elif ftype == "B":
            ok = isinstance(got, float) and got == expected
        elif ftype == "T":
            ok = isinstance(got, datetime.datetime) and \
                got.isoformat(timespec="milliseconds") == expected
        else:
            self.fail(where, f"no comparison for type {ftype}")
            return
        if not ok:
            self.fail(where, f"expected {expected!r}, {self.reader} read {got!r}")

    def finish(self):
        for f in self.failures:
            print("FAIL", f)
        print(f"{self.reader}: {self.checked} values checked, {len(self.failures)} wrong")
        print(f"{1 if not self.failures else 0} passed, {1 if self.failures else 0} failed")
        return 1 if self.failures else 0


def run_writer(writer, folder):
    subprocess.run([writer, folder], check=True)
    with open(os.path.join(folder, "expected.json"), encoding="utf-8") as f:
        return json.load(f)


def main(reader_name, check_table):
    """check_table(checker, folder, table) compares one table of expected.json."""
    if len(sys.argv) != 2:
        print(f"usage: {sys.argv[0]} HK_ORACLE_WRITER")
        return 2
    checker = Checker(reader_name)
    with tempfile.TemporaryDirectory(prefix="hk_oracle_") as folder:
        for table in run_writer(sys.argv[1], folder):
            try:
                check_table(checker, folder, table)
            except Exception as e:  # a reader that cannot open a variant is a failure
                checker.fail(table["file"], f"{reader_name} raised {type(e).__name__}: {e}")
    return checker.finish()
