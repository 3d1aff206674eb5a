"""Our record reader decrypts the RC4-protected .xls files that LibreOffice
writes. LibreOffice makes one sheet of numbers and texts and stores it as
"MS Excel 97" three times: unprotected, with a password, and with the file
format's published default password. Reading each through read_records must
give the same numbers and shared strings as the unprotected file; the
password file must refuse a missing password (-1003) and a wrong one
(-1005); the default-password file must open with no password at all.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import uno

from office import Office, _property

ROWS = 900  # enough shared strings for CONTINUE records and many 1,024-byte blocks
PASSWORD = "Pa55-w0rd"
DEFAULT_PASSWORD = "VelvetSweatshop"


def make_files(office, work, rows=ROWS, passwords=(("plain", None), ("password", PASSWORD),
                                                   ("default", DEFAULT_PASSWORD))):
    doc = office.desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (_property("Hidden", True),))
    try:
        sheet = doc.Sheets.getByIndex(0)
        for row in range(rows):
            sheet.getCellByPosition(0, row).setValue(row * 1.5)
            sheet.getCellByPosition(1, row).setString("secret %d \u00e9t\u00e9" % row)
        files = {}
        for name, password in passwords:
            path = os.path.join(work, name + ".xls")
            arguments = [_property("FilterName", "MS Excel 97"), _property("Overwrite", True)]
            if password is not None:
                arguments.append(_property("Password", password))
            doc.storeToURL(uno.systemPathToFileUrl(path), tuple(arguments))
            files[name] = path
        return files
    finally:
        doc.close(True)


def read(bin_dir, path, *password):
    run = subprocess.run([os.path.join(bin_dir, "read_records"), path, *password], capture_output=True, timeout=60)
    lines = run.stdout.decode("utf-8").splitlines()
    fields = dict(line.split("\t", 1) for line in lines if not line.startswith("string\t"))
    strings = [line.split("\t", 1)[1] for line in lines if line.startswith("string\t")]
    return fields, strings


def write_seeds(directory):
    """Small protected files for fuzz/fuzz_read_stream.cpp, behind the mode
    byte that gives the reader the password they need (0x04: "fuzz", 0x08:
    the published default; 0x00 reads the password file with none)."""
    work = tempfile.mkdtemp(prefix="lx_read_seeds_")
    os.environ["HOME"] = work
    try:
        with Office(work) as office:
            files = make_files(office, work, rows=12,
                               passwords=(("fuzz", "fuzz"), ("default", DEFAULT_PASSWORD)))
        os.makedirs(directory, exist_ok=True)
        for seed, name, mode in (("lo_rc4_fuzz.bin", "fuzz", 0x04), ("lo_rc4_nopass.bin", "fuzz", 0x00),
                                 ("lo_rc4_default.bin", "default", 0x08)):
            with open(files[name], "rb") as source, open(os.path.join(directory, seed), "wb") as target:
                target.write(bytes([mode]) + source.read())
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir")
    parser.add_argument("--seeds", help="write fuzz seeds into this folder and stop")
    args = parser.parse_args()
    if shutil.which("soffice") is None:
        print("FAIL: soffice not found (scripts/setup.sh installs LibreOffice)")
        return 1
    if args.seeds:
        return write_seeds(args.seeds)
    if not args.bin_dir:
        parser.error("--bin-dir is required")
    work = tempfile.mkdtemp(prefix="lx_read_encrypted_")
    os.environ["HOME"] = work
    failures = []
    try:
        with Office(work) as office:
            files = make_files(office, work)
        expected_strings = ["secret %d \u00e9t\u00e9" % row for row in range(ROWS)]
        expected_sum = "%.6f" % sum(row * 1.5 for row in range(ROWS))

        def check(label, path, password, result, protected):
            fields, strings = read(args.bin_dir, path, *password)
            print("%s: %s" % (label, " ".join("%s=%s" % item for item in sorted(fields.items()))))
            if fields.get("result") != result:
                failures.append("%s: result %s, expected %s" % (label, fields.get("result"), result))
                return
            if result != "100":
                return
            if fields.get("protected") != protected:
                failures.append("%s: protected %s, expected %s" % (label, fields.get("protected"), protected))
            if fields.get("numbers") != "%d\t%s" % (ROWS, expected_sum):
                failures.append("%s: numbers %r" % (label, fields.get("numbers")))
            if fields.get("labels") != str(ROWS):
                failures.append("%s: labels %r" % (label, fields.get("labels")))
            if strings != expected_strings:
                failures.append("%s: %d strings, first differing: %r" % (
                    label, len(strings), next((s for s, e in zip(strings, expected_strings) if s != e), None)))

        check("plain", files["plain"], [], "100", "0")
        check("password, right", files["password"], [PASSWORD], "100", "1")
        check("password, none", files["password"], [], "-1003", None)
        check("password, wrong", files["password"], ["Pa55-w0rD"], "-1005", None)
        check("default, none", files["default"], [], "100", "1")
        check("default, wrong", files["default"], ["not it"], "100", "1")
        size = os.path.getsize(files["password"])
        print("password file: %d bytes" % size)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        return 1
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
