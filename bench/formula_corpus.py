#!/usr/bin/python3
"""Writes bench/formulas.txt, the formula texts both sides of the formula
benchmark compile (bench/bench_formula.cpp, bench/formulas.cpp and
bench/peers/xlwt_formulas.py). The texts are drawn from a fixed seed, so a
run of this script gives the same file; the file is what the benchmarks
read, this script only remakes it.

    bench/formula_corpus.py [OUT]

Texts are in our syntax: ";" between arguments, no leading "=". Sheets named
in them: Sheet1, Sheet2, Sheet3, Data and 'Q1 Sales'. Every IF has three
arguments and no reference spans whole rows or columns, so that xlwt's
compiler takes the same texts (see bench/peers/xlwt_formulas.py).
"""
import os
import random
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
rng = random.Random(23)


def col():
    n = rng.randrange(0, 30)
    return "ABCDEFGHIJKLMNOPQRSTUVWXYZ"[n] if n < 26 else "A" + "ABCD"[n - 26]


def cell(absolute=None):
    c, r = col(), rng.randrange(1, 500)
    mode = rng.randrange(4) if absolute is None else absolute
    return ("$" if mode in (1, 3) else "") + c + ("$" if mode in (2, 3) else "") + str(r)


def area(rows=None):
    c1 = rng.randrange(0, 6)
    c2 = c1 + rng.randrange(0, 4)
    r1 = rng.randrange(1, 20)
    r2 = r1 + (rows or rng.randrange(5, 300))
    letters = "ABCDEFGHIJ"
    dollar = "$" if rng.random() < 0.4 else ""
    return "%s%s%s%d:%s%s%s%d" % (dollar, letters[c1], dollar, r1, dollar, letters[c2], dollar, r2)


def number():
    return rng.choice(["2", "10", "0.5", "100", "1.25", "3", "0.075", "1000", "12", "7.5"])


def sheet():
    return rng.choice(["Sheet2!", "Sheet3!", "Data!", "'Q1 Sales'!"])


def comparison(a, b):
    return "%s%s%s" % (a, rng.choice([">", "<", ">=", "<=", "=", "<>"]), b)


def simple():
    kind = rng.randrange(10)
    if kind == 0:
        return "%s+%s" % (cell(), cell())
    if kind == 1:
        return "%s*%s" % (cell(), number())
    if kind == 2:
        return "(%s+%s)*%s-%s/%s" % (cell(), cell(), cell(), cell(), number())
    if kind == 3:
        return "-%s^2+%s" % (cell(), cell())
    if kind == 4:
        return "%s*%s%%" % (cell(), rng.choice(["15", "7.5", "20"]))
    if kind == 5:
        return comparison(cell(), cell())
    if kind == 6:
        return "%s/(%s-%s)" % (cell(), cell(), number())
    if kind == 7:
        return "%s" % cell()
    if kind == 8:
        return "(%s-%s)/%s*100" % (cell(), cell(), cell())
    return "%s+%s-%s*%s" % (number(), cell(), cell(), number())


def condition():
    kind = rng.randrange(3)
    if kind == 0:
        return comparison(cell(), number())
    if kind == 1:
        return "AND(%s;%s)" % (comparison(cell(), number()), comparison(cell(), cell()))
    return "OR(%s;%s)" % (comparison(cell(), number()), comparison(cell(), "0"))


def nested_if(depth):
    if depth == 0:
        return rng.choice([cell(), number(), "%s*%s" % (cell(), number()), '"%s"' % rng.choice(["low", "mid", "high"])])
    return "IF(%s;%s;%s)" % (condition(), nested_if(depth - 1 if rng.random() < 0.5 else 0), nested_if(depth - 1))


def over_areas():
    kind = rng.randrange(9)
    if kind == 0:
        return "SUM(%s)" % area()
    if kind == 1:
        return "SUM(%s;%s;%s)" % (area(), area(), cell())
    if kind == 2:
        return "%s(%s)" % (rng.choice(["AVERAGE", "MAX", "MIN", "COUNT", "COUNTA"]), area())
    if kind == 3:
        return "VLOOKUP(%s;%s$A$2:$D$%d;%d;FALSE)" % (cell(), sheet(), rng.randrange(50, 2000), rng.randrange(2, 5))
    if kind == 4:
        return "INDEX(%s$B$2:$B$%d;MATCH(%s;%s$A$2:$A$%d;0))" % (
            sheet(), rng.randrange(50, 2000), cell(), sheet(), rng.randrange(50, 2000))
    if kind == 5:
        return "SUMIF(%s;\">%s\";%s)" % (area(50), number(), area(50))
    if kind == 6:
        return "COUNTIF(%s;%s)" % (area(), cell())
    if kind == 7:
        return "ROUND(SUM(%s)/COUNT(%s);2)" % (area(), area())
    return "INDEX(%s;%d;%d)" % (area(), rng.randrange(1, 20), rng.randrange(1, 4))


def sheet_qualified():
    kind = rng.randrange(6)
    if kind == 0:
        return "%s%s+%s%s" % (sheet(), cell(), sheet(), cell())
    if kind == 1:
        return "SUM(%s%s)" % (sheet(), area())
    if kind == 2:
        return "SUM(Sheet1:Sheet3!%s)" % cell()
    if kind == 3:
        return "'Q1 Sales'!%s*%s" % (cell(), number())
    if kind == 4:
        return "AVERAGE(Sheet2:Sheet3!%s)" % area()
    return "%s%s-%s" % (sheet(), cell(3), cell())


def strings():
    kind = rng.randrange(8)
    if kind == 0:
        return '"Total: "&TEXT(%s;"#,##0.00")' % cell()
    if kind == 1:
        return 'CONCATENATE(%s;" ";%s)' % (cell(), cell())
    if kind == 2:
        return 'IF(%s="";"empty";"He said ""yes""")' % cell()
    if kind == 3:
        return "LEFT(%s;3)&UPPER(%s)" % (cell(), cell())
    if kind == 4:
        return "LEN(TRIM(%s))" % cell()
    if kind == 5:
        return 'SUBSTITUTE(%s;"-";"/")' % cell()
    if kind == 6:
        return "MID(%s;%d;%d)&\"%s\"" % (cell(), rng.randrange(1, 5), rng.randrange(1, 9), rng.choice(["x", " kg", "%"]))
    return 'IF(ISERROR(%s);"n/a";%s&" units")' % (cell(), cell())


GROUPS = [
    ("simple references and arithmetic", simple, 100),
    ("nested IFs", lambda: nested_if(rng.randrange(2, 6)), 60),
    ("SUM, VLOOKUP, INDEX and others over areas", over_areas, 70),
    ("sheet-qualified references", sheet_qualified, 40),
    ("strings", strings, 40),
]


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(HERE, "formulas.txt")
    lines = ["# Formula texts of the formula benchmark (made by bench/formula_corpus.py).",
             "# One per line, our syntax, no leading '='; lines starting with # are comments."]
    for title, make, count in GROUPS:
        lines.append("# %s" % title)
        lines.extend(make() for _ in range(count))
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
