#!/usr/bin/env python3
"""Mutation testing: plants one single-token fault at a time in the engine and
game sources and runs the unit tests and the simulator's golden runs against
it; a mutant that every test passes is a survivor, listed with its file, line
and change.

  tools/mutate.py [--seed N] [--count N] [--under PATH ...] [--without PROGRAM ...]
                  [--only FILE:LINE ...] [--list]

--under picks the mutants from some folders or files only; --without leaves test
programs out, to see which faults only they catch before cutting them.

Mutants that no input can tell from the original are listed, each with the
reason, in tools/mutate-equivalent.txt; one of them that survives is counted
apart and left out of the share killed. The same seed picks the same mutants
from the same sources. Work happens on a
copy of the tree in build-mutate/ (its own build, without -Werror so that a
mutant that only warns still runs), so ./test.sh's build and the sources
themselves are never touched. A mutant that does not compile is counted apart,
not as killed. The copy is refreshed from the working tree on every run.
"""
import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build-mutate"
SRC, BUILD = WORK / "src", WORK / "build"
DIRS = ("Graphics", "Game", "Platform")  # Platform/SDL and Windows are only reached end to end
TIME_LIMIT = 60  # seconds a test program may take before the mutant counts as killed (a hang)

# (name, pattern, replacement): each match is one mutant. Comparisons exclude
# shifts, arrows and template brackets by their neighbours.
OPERATORS = [
    ("flip <", r"(?<![<\-])<(?![<=])", "<="),
    ("flip <=", r"(?<!<)<=", "<"),
    ("flip >", r"(?<![>\-])>(?![>=])", ">="),
    ("flip >=", r"(?<!>)>=", ">"),
    ("flip ==", r"==", "!="),
    ("flip !=", r"!=", "=="),
    ("and->or", r"&&", "||"),
    ("or->and", r"\|\|", "&&"),
    ("const+1", r"(?<![\w.])\d+(?![\w.])", None),
    ("return true->false", r"\breturn true\b", "return false"),
    ("return false->true", r"\breturn false\b", "return true"),
    ("negate if", r"\bif \((.*)\)(?=\s*(\{|$|[A-Za-z_]))", None),
]
# Statements deleted whole: calls and assignments, not declarations or returns.
STATEMENT = re.compile(r"^\s*(?!return\b|case\b|break\b|continue\b|goto\b)([A-Za-z_][\w.\->\[\]()*]*\s*([-+*/|&^]?=|\+\+|--)[^=].*;|[A-Za-z_][\w.\->:]*\(.*\);)\s*$")
SKIP_LINE = re.compile(r"^\s*(#|//)|\bASSERT\(|static_assert|^\s*\*|/\*")
# Rows of constant tables: each number is its own checked fact, and there are
# so many that they would crowd out the logic.
TABLE_ROW = re.compile(r"^[\s\w{},-]*$")
CLASSES = {"flip": "comparison", "and-": "logic", "or->": "logic", "cons": "constant", "retu": "return",
           "nega": "condition", "dele": "statement"}


def equivalents():
    """(file, operator, the line as the mutant has it) of each reviewed equivalent mutant."""
    found = set()
    for row in (ROOT / "tools/mutate-equivalent.txt").read_text().splitlines():
        if row.strip() and not row.startswith("#"):
            file, operator, rest = row.split(" | ", 2)
            found.add((file.strip(), operator.strip(), rest.rsplit(" | ", 1)[0].strip()))
    return found


def strip_strings(line):
    """The line with string and character literals and the trailing comment blanked."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            if c == quote:
                quote = None
            out.append(c if not quote else " ")
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out).ljust(len(line))


def negated_if(code, match):
    """if (X) -> if (!(X)) where the parenthesis after if closes at the match's end."""
    start = code.index("(", match.start())
    depth = 0
    for j in range(start, len(code)):
        depth += {"(": 1, ")": -1}.get(code[j], 0)
        if depth == 0:
            return start, j + 1, "(!" + code[start:j + 1] + ")"
    return None


def candidates(under=None):
    """Every mutant of every source (under a prefix if given), in a fixed order."""
    found = []
    for top in DIRS:
        for path in sorted((ROOT / top).glob("*.cpp")):
            rel = str(path.relative_to(ROOT))
            if under and not any(rel.startswith(u) for u in under):
                continue
            for number, line in enumerate(path.read_text().splitlines(), 1):
                if SKIP_LINE.search(line):
                    continue
                code = strip_strings(line)
                if TABLE_ROW.match(code) and len(re.findall(r"\b\d+\b", code)) >= 4:
                    continue
                for name, pattern, replacement in OPERATORS:
                    for m in re.finditer(pattern, code):
                        if name == "negate if":
                            cut = negated_if(code, m)
                            if cut:
                                found.append((rel, number, cut[0], cut[1], cut[2], name))
                        elif name == "const+1":
                            found.append((rel, number, m.start(), m.end(), str(int(m.group(), 0) + 1), name))
                        elif name.startswith("flip <") and "template" in code:
                            continue
                        else:
                            found.append((rel, number, m.start(), m.end(), replacement, name))
                if STATEMENT.match(code):
                    found.append((rel, number, 0, len(line), "", "delete statement"))
    return found


def pick(found, seed, count):
    """count mutants spread evenly over the three folders and over the kinds of
    fault (constants alone outnumber the rest), chosen by the seed."""
    rng = random.Random(seed)
    chosen = []
    tops = [t for t in DIRS if any(c[0].startswith(t + "/") for c in found)]
    for i, top in enumerate(tops):
        pools = {}
        for c in found:
            if c[0].startswith(top + "/"):
                pools.setdefault(CLASSES[c[5][:4]], []).append(c)
        for _ in range(count // len(tops) + (i < count % len(tops))):
            kinds = sorted(k for k in pools if pools[k])
            if not kinds:
                break
            pool = pools[rng.choice(kinds)]
            chosen.append(pool.pop(rng.randrange(len(pool))))
    return chosen


def run(cmd, cwd, timeout=None, env=None):
    try:
        return subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout, env=env).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


# Test programs: (make target, binary in the build or a command, folder it runs in).
def test_programs():
    progs = []
    for source in sorted((ROOT / "tests").glob("*_test.cpp")):
        progs.append((source.stem, BUILD / source.stem, BUILD / "run"))
    for name in ("bundle_test", "inflate_test", "png_test", "laserpack_test"):
        progs.append((name, BUILD / name, BUILD))
    progs.append(("audio_test", BUILD / "audio_test", BUILD / "run"))
    # the simulator's golden runs: every frame of two long games, hashed
    progs.append(("simulate", ["bash", SRC / "tools/simulate/golden.sh", BUILD / "tools/simulate/simulate", BUILD / "run"],
                  BUILD / "run"))
    return progs


def ordered(progs, rel):
    """The programs whose tests name the mutated file's header first: most mutants die there."""
    header = Path(rel).with_suffix(".h").as_posix()
    def names(p):
        sources = list((ROOT / "tests").rglob(p[0] + ".cpp")) + list((ROOT / "tools").rglob(p[0] + ".cpp"))
        texts = [s.read_text() for s in sources]
        for t in list(texts):  # and the test helpers they include
            for inc in re.findall(r'#include "(?:tests/)?([\w/]+\.h)"', t):
                texts += [h.read_text() for h in (ROOT / "tests").rglob(Path(inc).name)]
        return any(header in t for t in texts)
    return sorted(progs, key=lambda p: not names(p))


def prepare():
    """The copy brought up to the working tree (files that changed only, so the
    build stays warm), then built."""
    files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=ROOT, check=True,
                           capture_output=True, text=True).stdout.split("\n")
    for rel in filter(None, files):
        src, dst = ROOT / rel, SRC / rel
        if src.is_file() and (not dst.exists() or dst.read_bytes() != src.read_bytes()):
            dst.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy(src, dst)  # a fresh time, so that make sees the change
    # an interrupted run may have left a mutant's object newer than its restored source
    for top in DIRS:
        for path in (SRC / top).glob("*.cpp"):
            path.touch()
    subprocess.run(["cmake", "-S", SRC, "-B", BUILD], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2"], check=True, stdout=subprocess.DEVNULL)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=60)
    parser.add_argument("--only", nargs="*", help="FILE:LINE of the mutants to run (of the seed's choice)")
    parser.add_argument("--under", nargs="*", help="folders or files: the mutants are picked from them alone")
    parser.add_argument("--without", nargs="*", default=[], help="test programs to leave out")
    parser.add_argument("--list", action="store_true", help="list the chosen mutants and stop")
    args = parser.parse_args()

    chosen = pick(candidates(args.under), args.seed, args.count)
    if args.only:
        chosen = [c for c in chosen if f"{c[0]}:{c[1]}" in args.only]
    if args.list:
        for rel, line, _, _, new, name in chosen:
            print(f"{rel}:{line}: {name}: {new!r}")
        return 0
    prepare()
    progs = [p for p in test_programs() if p[0] not in args.without]
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", SDL_VIDEODRIVER="dummy")
    killed, survivors, broken, equivalent = [], [], [], []
    reviewed = equivalents()
    original = {}

    def restore(*_):
        for rel, text in original.items():
            (SRC / rel).write_text(text)
        if _:
            sys.exit(130)
    signal.signal(signal.SIGINT, restore)
    signal.signal(signal.SIGTERM, restore)

    for n, (rel, line, start, end, new, name) in enumerate(chosen, 1):
        path = SRC / rel
        text = original.setdefault(rel, path.read_text())
        lines = text.split("\n")
        old = lines[line - 1]
        lines[line - 1] = old[:start] + new + old[end:]
        label = f"{rel}:{line}: {name}: {lines[line - 1].strip()}"
        t0 = time.time()
        try:
            path.write_text("\n".join(lines))
            if run(["make", "-j2", "zepcore/fast"], BUILD) != 0:
                broken.append(label)
                print(f"[{n}/{len(chosen)}] does not compile  {label}", flush=True)
                continue
            verdict = None
            for target, binary, cwd in ordered(progs, rel):
                extra = ["laserpack/fast", "laserinspect/fast"] if target == "laserpack_test" else []
                if run(["make", "-j2", f"{target}/fast"] + extra, BUILD) != 0:
                    continue
                rc = run(binary if isinstance(binary, list) else [binary], cwd, TIME_LIMIT, env)
                if rc != 0:
                    verdict = f"{target} ({'hang' if rc == 'timeout' else 'exit ' + str(rc)})"
                    break
            same = (rel, name, lines[line - 1].strip()) in reviewed
            if verdict:
                killed.append(label)
            else:
                (equivalent if same else survivors).append(label)
            outcome = "killed by " + verdict if verdict else "equivalent" if same else "SURVIVED"
            print(f"[{n}/{len(chosen)}] {outcome}  {label}"
                  f"  ({time.time() - t0:.0f} s)", flush=True)
        finally:
            path.write_text(text)
    ran = len(killed) + len(survivors)
    print(f"\nseed {args.seed}: {len(chosen)} mutants, {len(broken)} did not compile, {len(equivalent)} equivalent, "
          f"{ran} ran otherwise: {len(killed)} killed, {len(survivors)} survived"
          + (f" ({100 * len(killed) / ran:.0f} % killed)" if ran else ""))
    for s in survivors:
        print("  survivor " + s)
    # leave the copy's build as the sources are
    run(["make", "-j2", "zepcore/fast"], BUILD)
    return 0


if __name__ == "__main__":
    sys.exit(main())
