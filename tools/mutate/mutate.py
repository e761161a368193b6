#!/usr/bin/env python3
"""Plants small faults in the game's sources one at a time and tells which the tests miss.

Each fault is one small change of one token: a whole number changed by one, a comparison
turned, true and false swapped, && and || swapped, + and - swapped, a ! dropped, or a
statement deleted. The faults are drawn from a fixed seed, so a run can be repeated. For each,
the game and its tests are rebuilt in a build tree of their own (build/mutate, with the dev
preset's settings) and the test workflow's tests are run, except those that need a real
terminal or a browser. The source file is always put back, also on Ctrl-C.

    tools/mutate/mutate.py [--seed N] [--count N] [--file FILE] [--list] [--only FILE:LINE]

The score is the faults caught against the faults that compile; the survivors are listed
with their file, line and change, to be read one by one: some change nothing the game does.
"""
import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = ROOT / "build" / "mutate"
# The entry point and the hosts are the terminal and browser tests' business, but for the POSIX
# folder a game is kept in, which the store tests play on real disks.
LEFT_OUT = re.compile(r"^src/(main\.cpp|host/(?!PosixStore\.cpp$))")
SKIPPED_TESTS = r"^(RealTerminal|Browser)\."

# Comments, literals, preprocessor lines and words are read whole, so that nothing in them is
# changed; the rest are the operators and numbers a fault may turn.
TOKEN = re.compile(
    r"""(?P<comment>//[^\n]*|/\*.*?\*/)
      | (?P<literal>"(?:\\.|[^"\\\n])*"|'(?:\\.|[^'\\\n])*')
      | (?P<directive>^[ \t]*\#[^\n]*)
      | (?P<number>\b\d+\b(?!\.))
      | (?P<word>[A-Za-z_]\w*)
      | (?P<op>&&|\|\||<<=|>>=|<<|>>|<=|>=|==|!=|\+\+|--|\+=|-=|->|::|[<>!+\-])""",
    re.X | re.S | re.M)

TURNED = {"<": ["<=", ">"], "<=": ["<", ">"], ">": [">=", "<"], ">=": [">", "<="],
          "==": ["!="], "!=": ["=="], "&&": ["||"], "||": ["&&"], "+": ["-"], "-": ["+"],
          "++": ["--"], "--": ["++"], "+=": ["-="], "-=": ["+="], "true": ["false"], "false": ["true"]}
# Binary operators are written with a blank on each side; < and > without them are the
# brackets of a template.
SPACED = {"<", "<=", ">", ">=", "==", "!=", "&&", "||", "+", "-", "+=", "-="}


def faults_in(path, text):
    """Every fault that can be planted in one file: (path, start, end, replacement)."""
    found = []
    for m in TOKEN.finditer(text):
        kind, token, start, end = m.lastgroup, m.group(), m.start(), m.end()
        if kind == "number":
            value = int(token)
            found += [(path, start, end, str(value + 1))] + ([(path, start, end, str(value - 1))] if value else [])
        elif kind in ("word", "op") and token in TURNED:
            spaced = text[start - 1:start] == " " and text[end:end + 1] == " "
            if token not in SPACED or spaced:
                found += [(path, start, end, turned) for turned in TURNED[token]]
        elif kind == "op" and token == "!" and text[end:end + 1] != "=":
            found.append((path, start, end, ""))
    # A statement alone on its line, but not a declaration or a value returned: deleting those
    # does not compile or is undefined.
    for m in re.finditer(r"^[ \t]+((?:\+\+|--)?[\w.:*>()\[\]-]+(?:\+\+|--)?(?:[ \t]*(?:=|\+=|-=|<<)[^;\n]*|\([^;\n]*\))?;)[ \t]*$",
                         text, re.M):
        statement = m.group(1)
        if not re.match(r"(return \S|const |constexpr |static |using |int |bool |char |auto |std::\w+ )", statement):
            found.append((path, m.start(1), m.end(1), ""))
    return found


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def describe(fault, text):
    path, start, end, replacement = fault
    line = text.splitlines()[line_of(text, start) - 1].strip()
    change = f"'{text[start:end]}' -> '{replacement}'" if replacement or end - start < 3 else "statement deleted"
    return f"{path}:{line_of(text, start)}: {change}    [{line}]"


# A planted fault may send a test's game to the player's own kept game: the tests keep theirs in
# the build tree instead.
TEST_ENVIRONMENT = dict(os.environ, XDG_STATE_HOME=str(BUILD / "state"), HOME=str(BUILD / "home"))


def run(command, timeout=None):
    return subprocess.run(command, cwd=ROOT, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=timeout, env=TEST_ENVIRONMENT).returncode


def build_and_test():
    """'caught', 'survived' or 'no build' for the sources as they stand now."""
    if run(["cmake", "--build", str(BUILD), "--target", "zandrel_tests", "-j2"]) != 0:
        return "no build"
    try:
        status = run(["ctest", "--test-dir", str(BUILD), "-E", SKIPPED_TESTS, "--stop-on-failure",
                      "-j2", "--timeout", "30"], timeout=600)
    except subprocess.TimeoutExpired:
        return "caught"
    return "survived" if status == 0 else "caught"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--seed", type=int, default=1, help="which faults are drawn (default 1)")
    parser.add_argument("--count", type=int, default=150, help="how many faults (default 150)")
    parser.add_argument("--file", metavar="FILE", action="append", default=[],
                        help="draw the faults from this source alone (again: several)")
    parser.add_argument("--list", action="store_true", help="list the faults drawn, and plant none")
    parser.add_argument("--only", metavar="FILE:LINE", action="append", default=[],
                        help="of the faults drawn, plant only those at this place (again: several)")
    args = parser.parse_args()

    sources = sorted(p.relative_to(ROOT).as_posix() for p in (ROOT / "src").rglob("*.[ch]pp"))
    texts = {p: (ROOT / p).read_text() for p in sources
             if not LEFT_OUT.match(p) and (not args.file or p in args.file)}
    every = [f for p, text in texts.items() for f in faults_in(p, text)]
    drawn = random.Random(args.seed).sample(every, min(args.count, len(every)))
    drawn.sort(key=lambda f: (f[0], f[1]))  # one file after another rebuilds least
    if args.only:
        drawn = [f for f in drawn if f"{f[0]}:{line_of(texts[f[0]], f[1])}" in args.only]
    print(f"{len(drawn)} faults drawn with seed {args.seed} from {len(every)} possible ones")
    if args.list:
        for fault in drawn:
            print(describe(fault, texts[fault[0]]))
        return 0

    if run(["cmake", "--preset", "dev", "-B", str(BUILD)]) != 0 or build_and_test() != "survived":
        sys.exit("the unchanged game does not build or pass its tests in build/mutate")
    # A stop asked for from outside puts the file back as Ctrl-C does.
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    results = {"caught": [], "survived": [], "no build": []}
    started = time.monotonic()
    for number, fault in enumerate(drawn, 1):
        path, start, end, replacement = fault
        original = texts[path]
        try:
            (ROOT / path).write_text(original[:start] + replacement + original[end:])
            outcome = build_and_test()
        finally:
            (ROOT / path).write_text(original)
        results[outcome].append(fault)
        print(f"[{number}/{len(drawn)}] {outcome:8} {describe(fault, original)}", flush=True)
    # The last file put back is built again, so the tree is left as the sources are.
    run(["cmake", "--build", str(BUILD), "--target", "zandrel_tests", "-j2"])

    built = len(results["caught"]) + len(results["survived"])
    print(f"\nSeed {args.seed}: {len(results['caught'])} of {built} faults that compile caught"
          f" ({100 * len(results['caught']) / max(built, 1):.1f}%), in {time.monotonic() - started:.0f} s")
    for title, key in (("Survivors", "survived"), ("Faults that do not compile (not counted)", "no build")):
        print(f"\n{title}: {len(results[key])}")
        for fault in results[key]:
            print("  " + describe(fault, texts[fault[0]]))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        sys.exit("\nstopped; the sources are as they were")
