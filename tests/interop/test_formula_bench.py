"""The formula benchmark's two sides (lx_formulas and bench/peers/
xlwt_formulas.py) compile every text of bench/formulas.txt and report the
same count; a text either side cannot compile stops that side with a
failure instead of being timed or skipped (xlwt cannot know sheet names
before a save, so an unknown sheet is ours to refuse only); the rewrite into xlwt's syntax
changes separators only outside strings and quoted sheet names. Runs each
side for a moment only: speed is measured by bench/compare --formulas."""
import argparse
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BENCH = os.path.join(os.path.dirname(os.path.dirname(HERE)), "bench")
CORPUS = os.path.join(BENCH, "formulas.txt")
sys.path.insert(0, os.path.join(BENCH, "peers"))

import xlwt_formulas  # noqa: E402

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(command):
    done = subprocess.run(command, capture_output=True, text=True, timeout=120)
    lines = [line for line in done.stdout.splitlines() if line.startswith("{")]
    return done.returncode, json.loads(lines[-1]) if lines else None, done.stderr


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir")
    parser.parse_args()
    sides = {"lx": [os.environ.get("LX_FORMULAS", "lx_formulas")],
             "xlwt": ["/usr/bin/python3", os.path.join(BENCH, "peers", "xlwt_formulas.py")]}
    texts = xlwt_formulas.read_corpus(CORPUS)
    check(len(texts) >= 200, "corpus holds only %d texts" % len(texts))
    for side, command in sides.items():
        code, report, err = run(command + ["--corpus", CORPUS, "--seconds", "0.05"])
        check(code == 0 and report is not None, "%s failed on the corpus: %s" % (side, err.strip()[-500:]))
        if report:
            check(report["writer"] == side and report["formulas"] == len(texts),
                  "%s reported %r for %d texts" % (side, report, len(texts)))
            check(report["compiled"] == report["rounds"] * len(texts) and report["token_bytes"] > 3 * len(texts),
                  "%s: counts do not add up: %r" % (side, report))
    with tempfile.TemporaryDirectory() as tmp:
        # xlwt looks sheet names up only when a workbook is saved.
        for bad, refusing in (("SUM(A1;", sides), ("NOSUCHFUNCTION(A1)", sides), ("Nowhere!A1+1", ("lx",))):
            path = os.path.join(tmp, "bad.txt")
            with open(path, "w") as f:
                f.write("# one good text and one bad\nA1+1\n%s\n" % bad)
            for side in refusing:
                command = sides[side]
                code, report, _ = run(command + ["--corpus", path, "--seconds", "0.01"])
                check(code != 0 and report is None, "%s timed a corpus holding %r" % (side, bad))
    cases = [('IF(A1;"a;b";C1)', 'IF(A1,"a;b",C1)'), ("SUM('x;y'!A1;B2)", "SUM('x;y'!A1,B2)"),
             ('"say ""a;b"""&MAX(1;2)', '"say ""a;b"""&MAX(1,2)')]
    for text, expected in cases:
        got = xlwt_formulas.xlwt_syntax(text)
        check(got == expected, "xlwt_syntax(%r) = %r, expected %r" % (text, got, expected))
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        return 1
    print("OK: both formula compilers take the whole corpus and refuse bad texts")
    return 0


if __name__ == "__main__":
    sys.exit(main())
