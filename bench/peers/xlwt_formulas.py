#!/usr/bin/python3
"""The xlwt side of the formula benchmark: compiles the texts of
bench/formulas.txt with xlwt's formula compiler (xlwt.Formula: its lexer and
parser turn a text into BIFF8 token bytes) and prints one JSON line.

    xlwt_formulas.py [--corpus FILE] [--seconds S]

Texts are written in xlwt's syntax before the clock starts: the only change
is "," for ";" between arguments (outside string literals and quoted sheet
names), the separator xlwt's own examples use; xlwt's lexer takes ";" as
well and gives the same bytes. The corpus keeps to what both compilers take
(three-argument IF, no whole-row or whole-column references, no defined
names), so nothing else needs rewriting.

Timing is that of bench/formulas.cpp: one untimed round over all texts,
then whole rounds until at least S seconds have passed; compile_s is the
wall time of the timed rounds, cpu_s their processor time.
"""
import argparse
import json
import os
import resource
import sys
import time

import xlwt

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def read_corpus(path):
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\n") for line in f if line.strip() and not line.startswith("#")]


def xlwt_syntax(text):
    """';' between arguments becomes ','; strings and quoted names are kept."""
    out = []
    quote = None
    for ch in text:
        if quote:
            if ch == quote:
                quote = None  # a doubled quote closes and reopens: same result
        elif ch in "\"'":
            quote = ch
        elif ch == ";":
            ch = ","
        out.append(ch)
    return "".join(out)


def compile_round(texts):
    token_bytes = 0
    for text in texts:
        token_bytes += len(xlwt.Formula(text).rpn())
    return token_bytes


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--corpus", default=os.path.join(ROOT, "bench", "formulas.txt"))
    parser.add_argument("--seconds", type=float, default=2.0)
    args = parser.parse_args(argv)
    texts = [xlwt_syntax(t) for t in read_corpus(args.corpus)]
    failed = []
    for text in texts:
        try:
            xlwt.Formula(text).rpn()
        except Exception as error:  # xlwt raises plain Exception for unknown functions
            failed.append("%s: %s" % (text, error))
    if failed:
        sys.stderr.write("xlwt could not compile %d texts:\n%s\n" % (len(failed), "\n".join(failed[:10])))
        return 1
    rounds = 0
    token_bytes = 0
    cpu0 = time.process_time()
    start = time.perf_counter()
    while True:
        token_bytes = compile_round(texts)
        rounds += 1
        elapsed = time.perf_counter() - start
        if elapsed >= args.seconds:
            break
    cpu = time.process_time() - cpu0
    compiled = rounds * len(texts)
    print(json.dumps({"writer": "xlwt", "formulas": len(texts), "rounds": rounds, "compiled": compiled,
                      "compile_s": elapsed, "cpu_s": cpu, "per_second": compiled / elapsed,
                      "token_bytes": token_bytes,
                      "peak_rss": resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024}))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
