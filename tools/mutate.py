#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One-line mutants of a C++ source file, and whether the tests notice them.

Usage:
  tools/mutate.py [options] FILE [FILE ...]

FILE is a path relative to the project root, e.g. model/lognormal/normal_distribution.cpp.
Each mutant changes one line: a binary operator swapped (+ - * / < <= > >= ==
!= && ||, and the compound assignments), a unary minus or a ! dropped, a
constant changed (0, 1 and 2 to the others, other integers by one, the first
digit of a decimal fraction, a hexadecimal fraction's exponent, a character
literal to its neighbour, a string literal emptied), a condition negated, a
statement line deleted, a returned value replaced by {}, a loop bound moved by
one, a post-increment made a pre-increment, true and false swapped.

The mutants are built and tested in a scratch copy of the tree, never in the
project itself: the first run copies the project (without build/ and .git)
into --tree and configures --tree/build with the release flags (Ninja,
Release, COTALIA_TESTS=ON); later runs copy over only the files that changed,
so the build stays incremental. Each mutant is written into the copy, the test
programs are rebuilt and run (fastest first, stopping at the first failure),
and the original file is put back. A mutant is
  does-not-build  the build failed,
  equivalent      its object file is byte for byte the original's (no test
                  can tell it apart, so none is run),
  killed          a test program failed or overran its timeout,
  survived        every test program passed.
The summary ends with the surviving mutants as diffs.

Options:
  --list            print the mutants and stop; nothing is built
  --sample N        test N mutants drawn at random (all by default)
  --seed S          the seed of the draw (default 1), so a sample repeats
  --lines A-B       only mutants of lines A to B (repeatable)
  --tree DIR        the scratch copy (default /tmp/mutants/tree)
  --source DIR      the project to copy (default: the one holding this tool)
  --git REF         copy the files of commit REF (git archive) instead of the
                    working tree, e.g. while others have it half edited ...
  --overlay PATH    ... with these files of the working tree over them
                    (repeatable; a test file being written, say)
  --timeout SECONDS per test program and mutant (default: 10 times the
                    program's time on the unmutated tree, at least 60)
  --program NAME    a test program under build/tests to run (repeatable;
                    default: cotalia_digits, given the digests recorded in
                    tests/model/digests.txt, cotalia_model_tests
                    cotalia_window_core_tests cotalia_window_tests
                    cotalia_elementary_tests)
  --json FILE       also write every mutant's outcome to FILE

Examples:
  tools/mutate.py --list window/form/wiring.cpp
  tools/mutate.py --git HEAD --overlay tests/window/form/wiring_test.cpp \\
      window/form/menu_bar.cpp window/form/wiring.cpp
  tools/mutate.py --sample 60 --seed 7 model/lognormal/normal_distribution.cpp

It takes minutes to hours (a few seconds to a mutant, more for those that
survive): a developer's tool, not a stage of ./test.
"""

import argparse
import dataclasses
import difflib
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tarfile
import tempfile
import time
from pathlib import Path

DEFAULT_PROGRAMS = [
    "cotalia_digits",
    "cotalia_model_tests",
    "cotalia_window_core_tests",
    "cotalia_window_tests",
    "cotalia_elementary_tests",  # the slowest: last
]
QT_PROGRAMS = {"cotalia_window_tests"}  # Qt Test, not GoogleTest
# Neither: the digests against those recorded, as CTest runs it (the path is
# the scratch tree's).
PROGRAM_ARGUMENTS = {"cotalia_digits": ["tests/model/digests.txt"]}
CONFIGURE_FLAGS = ["-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release", "-DCOTALIA_TESTS=ON"]
BUILD_TIMEOUT = 900


@dataclasses.dataclass
class Mutant:
    path: str
    line: int  # 1-based
    original: str
    mutated: str
    kind: str
    outcome: str = ""
    detail: str = ""

    def diff(self):
        return "".join(
            difflib.unified_diff(
                [self.original + "\n"],
                [self.mutated + "\n"],
                f"a/{self.path}:{self.line}",
                f"b/{self.path}:{self.line}",
                n=0,
            )
        )


# ---------------------------------------------------------------- the lexer

# A line's code split into (kind, text) pieces: "code", "string", "char" or
# "comment"; carries whether a /* comment is still open at its end.
def split_line(line, in_comment):
    pieces = []
    i = 0
    code = ""
    while i < len(line):
        if in_comment:
            end = line.find("*/", i)
            if end < 0:
                pieces.append(("comment", line[i:]))
                return pieces, True
            pieces.append(("comment", line[i : end + 2]))
            i = end + 2
            in_comment = False
            continue
        c = line[i]
        if line.startswith("//", i):
            if code:
                pieces.append(("code", code))
                code = ""
            pieces.append(("comment", line[i:]))
            return pieces, False
        if line.startswith("/*", i):
            if code:
                pieces.append(("code", code))
                code = ""
            in_comment = True
            continue
        if c == '"' or (c == "'" and re.match(r"'(\\.|[^\\'])'", line[i:])):
            if code:
                pieces.append(("code", code))
                code = ""
            j = i + 1
            while j < len(line) and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            pieces.append(("string" if c == '"' else "char", line[i : j + 1]))
            i = j + 1
            continue
        code += c
        i += 1
    if code:
        pieces.append(("code", code))
    return pieces, in_comment


def replace_in_pieces(pieces, index, start, end, new):
    text = pieces[index][1]
    out = list(pieces)
    out[index] = (pieces[index][0], text[:start] + new + text[end:])
    return "".join(t for _, t in out)


# ------------------------------------------------------------ the operators

BINARY_SWAPS = {
    "+": ["-"],
    "-": ["+"],
    "*": ["/"],
    "/": ["*"],
    "<": ["<=", ">"],
    "<=": ["<", ">"],
    ">": [">=", "<"],
    ">=": [">", "<"],
    "==": ["!="],
    "!=": ["=="],
    "&&": ["||"],
    "||": ["&&"],
    "+=": ["-="],
    "-=": ["+="],
    "*=": ["/="],
    "/=": ["*="],
}
# clang-format puts spaces around binary operators and none inside template
# brackets, so " < " is a comparison and "array<" is not.
BINARY = re.compile(r"(?<= )(<=|>=|==|!=|&&|\|\||\+=|-=|\*=|/=|[-+*/<>])(?= |$)")
UNARY_MINUS = re.compile(r"(?:(?<=[(\[,=?:])|(?<=return )|(?<=[-+*/<>=] )|^(?=\s*-))\s*(-)(?=[\w(.])")
NOT = re.compile(r"!(?!=)")
NUMBER = re.compile(
    r"(?<![\w.'])(0[xX][0-9a-fA-F.]+[pP][-+]?\d+|\d+\.\d*(?:[eE][-+]?\d+)?|\d+[eE][-+]?\d+|\.\d+(?:[eE][-+]?\d+)?|\d+)"
    r"([uUlLfF]*)(?![\w.'])"
)
BOOL = re.compile(r"\b(true|false)\b")
POST_INCREMENT = re.compile(r"\b(\w+)(\+\+|--)")
CONDITION = re.compile(r"\b(if|while)\s*\(")
FOR = re.compile(r"\bfor\s*\(")
RETURN = re.compile(r"^(\s*)return\b(.*);(\s*)$")
# A declaration cannot be deleted without the build failing: not worth a build.
DECLARATION = re.compile(r"^\s*(?!(?:return|delete|throw|else|goto)\b)(?:[\w:]+(?:<.*>)?[&*]*\s+)+[&*]*\w+\s*(?:=|\{|;|\[)")


def number_variants(text):
    if text.lower().startswith("0x"):
        m = re.match(r"(.*[pP])([-+]?\d+)$", text)
        exponent = int(m.group(2))
        return [f"{m.group(1)}{exponent + 10}", f"{m.group(1)}{exponent - 10}"]
    if re.fullmatch(r"\d+", text):
        value = int(text)
        if value in (0, 1, 2):
            return [str(v) for v in (0, 1, 2) if v != value]
        return [str(value + 1), str(value - 1)]
    # A decimal fraction: its first significant digit up by one (down from 9).
    for k, c in enumerate(text):
        if c in "123456789":
            return [text[:k] + ("8" if c == "9" else chr(ord(c) + 1)) + text[k + 1 :]]
        if c in "eE":
            break
    return ["1.0"] if float(text) == 0 else []


def matching_paren(text, open_index):
    depth = 0
    for k in range(open_index, len(text)):
        if text[k] == "(":
            depth += 1
        elif text[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def balanced(text):
    return text.count("(") == text.count(")") and text.count("{") == text.count("}")


def mutants_of_line(pieces, previous_code):
    """(kind, new line) for one line split into pieces."""
    line = "".join(t for _, t in pieces)
    found = []
    for index, (kind, text) in enumerate(pieces):
        if kind == "string" and len(text) > 2:
            found.append(("empty string", replace_in_pieces(pieces, index, 0, len(text), '""')))
            continue
        if kind == "char":
            c = text[1:-1]
            if len(c) == 1 and c.isalnum():
                for n in (chr(ord(c) - 1), chr(ord(c) + 1)):
                    if n.isalnum():
                        found.append(("character", replace_in_pieces(pieces, index, 0, len(text), f"'{n}'")))
            continue
        if kind != "code":
            continue
        for m in BINARY.finditer(text):
            for new in BINARY_SWAPS[m.group(1)]:
                found.append((f"{m.group(1)} -> {new}", replace_in_pieces(pieces, index, m.start(1), m.end(1), new)))
        for m in UNARY_MINUS.finditer(text):
            found.append(("drop unary -", replace_in_pieces(pieces, index, m.start(1), m.end(1), "")))
        for m in NOT.finditer(text):
            found.append(("drop !", replace_in_pieces(pieces, index, m.start(), m.end(), "")))
        for m in NUMBER.finditer(text):
            for new in number_variants(m.group(1)):
                found.append(
                    (f"constant {m.group(1)} -> {new}", replace_in_pieces(pieces, index, m.start(1), m.end(1), new))
                )
        for m in BOOL.finditer(text):
            new = "false" if m.group(1) == "true" else "true"
            found.append((f"{m.group(1)} -> {new}", replace_in_pieces(pieces, index, m.start(), m.end(), new)))
        for m in POST_INCREMENT.finditer(text):
            new = m.group(2) + m.group(1)
            found.append(("post- to pre-increment", replace_in_pieces(pieces, index, m.start(), m.end(), new)))
        for m in CONDITION.finditer(text):
            close = matching_paren(text, m.end() - 1)
            if close > 0:
                inner = text[m.end() : close]
                if re.fullmatch(r"[^=!<>&|]+ (?:==|!=) [^=!<>&|]+", inner):
                    continue  # the same mutant as the swap of == and !=
                found.append(
                    ("negate condition", replace_in_pieces(pieces, index, m.end(), close, f"!({inner})"))
                )
        for m in FOR.finditer(text):
            close = matching_paren(text, m.end() - 1)
            header = text[m.end() : close] if close > 0 else ""
            parts = header.split(";")
            if len(parts) != 3 or not parts[1].strip():
                continue
            start = m.end() + len(parts[0]) + 1
            cond = parts[1]
            found.append(
                ("negate loop condition", replace_in_pieces(pieces, index, start, start + len(cond), f" !({cond.strip()})"))
            )
            c = re.match(r"(\s*.*?\s(?:<|<=|>|>=)\s)(.+?)(\s*)$", cond)
            if c and not re.fullmatch(r"\d+", c.group(2)):  # a literal's are the constants'
                for delta in (" + 1", " - 1"):
                    new = f"{c.group(1)}({c.group(2)}){delta}{c.group(3)}"
                    found.append(("loop bound off by one", replace_in_pieces(pieces, index, start, start + len(cond), new)))
    # Whole-statement mutants, where the line holds one whole statement.
    code = "".join(t for k, t in pieces if k != "comment").rstrip()
    starts_statement = previous_code.rstrip().endswith((";", "{", "}", ")", ":")) or not previous_code.strip()
    if code.endswith(";") and starts_statement and balanced(code) and not DECLARATION.match(code):
        stripped = code.strip()
        if not stripped.startswith(("using ", "namespace ", "#", "static_assert", "}")):
            found.append(("delete statement", re.match(r"\s*", line).group(0) + "// (deleted)"))
    r = RETURN.match(code)
    if r and starts_statement and r.group(2).strip() not in ("{}", "") and balanced(code):
        found.append(("return {}", f"{r.group(1)}return {{}};"))
    return found


def generate(path, text):
    mutants = []
    in_comment = False
    previous_code = ""
    seen = set()
    for number, line in enumerate(text.split("\n"), start=1):
        pieces, in_comment_after = split_line(line, in_comment)
        in_comment = in_comment_after
        code = "".join(t for k, t in pieces if k != "comment")
        if not code.strip():
            continue
        if code.lstrip().startswith("#"):
            previous_code = code
            continue
        for kind, new in mutants_of_line(pieces, previous_code):
            if new != line and (number, new) not in seen:
                seen.add((number, new))
                mutants.append(Mutant(path, number, line, new, kind))
        previous_code = code
    return mutants


# ------------------------------------------------------- the scratch tree

def run(command, cwd, timeout, env=None):
    try:
        p = subprocess.run(
            command, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout
        )
        return p.returncode, p.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired as e:
        return None, (e.stdout or b"").decode(errors="replace")


def sync(source, tree):
    """Copies the files of source that differ into tree."""
    copied = 0
    for root, dirs, files in os.walk(source):
        rel = os.path.relpath(root, source)
        dirs[:] = [d for d in dirs if not (rel == "." and d in ("build", ".git"))]
        for name in files:
            src = Path(root) / name
            dst = Path(tree) / rel / name
            if src.is_symlink():
                continue
            data = src.read_bytes()
            if not dst.exists() or dst.read_bytes() != data:
                dst.parent.mkdir(parents=True, exist_ok=True)
                dst.write_bytes(data)
                shutil.copymode(src, dst)
                copied += 1
    return copied


def prepare_tree(args):
    tree = Path(args.tree)
    tree.mkdir(parents=True, exist_ok=True)
    if args.git:
        with tempfile.TemporaryDirectory() as temp:
            archive = Path(temp) / "tree.tar"
            subprocess.run(["git", "-C", args.source, "archive", "-o", str(archive), args.git], check=True)
            extracted = Path(temp) / "tree"
            with tarfile.open(archive) as tar:
                tar.extractall(extracted)
            copied = sync(extracted, tree)
        for overlay in args.overlay:
            src = Path(args.source) / overlay
            dst = tree / overlay
            if not dst.exists() or dst.read_bytes() != src.read_bytes():
                dst.parent.mkdir(parents=True, exist_ok=True)
                shutil.copyfile(src, dst)
                copied += 1
    else:
        copied = sync(args.source, tree)
    print(f"scratch tree {tree}: {copied} files copied", flush=True)
    if not (tree / "build" / "build.ninja").exists():
        code, out = run(["cmake", "-S", ".", "-B", "build", *CONFIGURE_FLAGS], tree, BUILD_TIMEOUT)
        if code != 0:
            sys.exit(f"configuring the scratch tree failed:\n{out}")
    return tree


def build(tree, programs):
    code, out = run(["cmake", "--build", "build", "--target", *programs], tree, BUILD_TIMEOUT)
    return code == 0, out


def objects_of(tree, path):
    """The object files built from path, hashed."""
    suffix = Path(path).name + ".o"
    hashes = {}
    for obj in sorted((tree / "build").rglob(suffix)):
        if f"/{Path(path).parent.name}/" in str(obj) or Path(path).parent == Path("."):
            hashes[str(obj)] = hashlib.sha256(obj.read_bytes()).hexdigest()
    return hashes


def run_tests(tree, programs, timeouts):
    """None if every program passed, else why not."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8")
    for program in programs:
        command = [str(tree / "build" / "tests" / program)]
        if program in PROGRAM_ARGUMENTS:
            command += [str(tree / a) for a in PROGRAM_ARGUMENTS[program]]
        elif program not in QT_PROGRAMS:
            command.append("--gtest_fail_fast")
        code, out = run(command, tree / "build" / "tests", timeouts.get(program), env)
        if code is None:
            return f"{program}: timed out after {timeouts[program]:.0f} s"
        if code != 0:
            failed = [l for l in out.splitlines() if "[  FAILED  ]" in l or l.startswith("FAIL!")]
            return f"{program}: {failed[0].strip() if failed else f'exit {code}'}"
    return None


# ---------------------------------------------------------------- the run

def parse_lines(texts):
    ranges = []
    for text in texts:
        a, _, b = text.partition("-")
        ranges.append((int(a), int(b or a)))
    return ranges


def main():
    parser = argparse.ArgumentParser(
        usage=argparse.SUPPRESS, description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter
    )
    parser.add_argument("files", nargs="+", help=argparse.SUPPRESS)
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--sample", type=int)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--lines", action="append", default=[])
    parser.add_argument("--tree", default="/tmp/mutants/tree")
    parser.add_argument("--source", default=str(Path(__file__).resolve().parent.parent))
    parser.add_argument("--git")
    parser.add_argument("--overlay", action="append", default=[])
    parser.add_argument("--timeout", type=float)
    parser.add_argument("--program", action="append")
    parser.add_argument("--json")
    args = parser.parse_args()
    programs = args.program or DEFAULT_PROGRAMS
    ranges = parse_lines(args.lines)

    source = Path(args.source)
    mutants = []
    for path in args.files:
        found = generate(path, (source / path).read_text())
        if ranges:
            found = [m for m in found if any(a <= m.line <= b for a, b in ranges)]
        mutants.extend(found)
    if args.sample is not None and args.sample < len(mutants):
        chosen = random.Random(args.seed).sample(range(len(mutants)), args.sample)
        mutants = [mutants[i] for i in sorted(chosen)]
    if args.list:
        for m in mutants:
            print(f"{m.path}:{m.line}: {m.kind}\n  - {m.original.strip()}\n  + {m.mutated.strip()}")
        print(f"{len(mutants)} mutants")
        return

    tree = prepare_tree(args)
    ok, out = build(tree, programs)
    if not ok:
        sys.exit(f"the unmutated scratch tree does not build:\n{out[-4000:]}")
    timeouts = {}
    for program in programs:
        start = time.monotonic()
        failure = run_tests(tree, [program], {})
        if failure:
            sys.exit(f"the unmutated scratch tree fails its tests: {failure}")
        timeouts[program] = args.timeout or max(60.0, 10 * (time.monotonic() - start))
    originals = {path: (tree / path).read_bytes() for path in args.files}
    original_objects = {path: objects_of(tree, path) for path in args.files}

    # Killed, it still puts the original back (the next run's copy would too).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped"))
    try:
        for count, m in enumerate(mutants, start=1):
            target = tree / m.path
            lines = originals[m.path].decode().split("\n")
            assert lines[m.line - 1] == m.original, f"{m.path}:{m.line} differs in the scratch tree"
            lines[m.line - 1] = m.mutated
            target.write_text("\n".join(lines))
            built, out = build(tree, programs)
            if not built:
                m.outcome = "does-not-build"
            elif objects_of(tree, m.path) == original_objects[m.path]:
                m.outcome = "equivalent"
                m.detail = "the same object code"
            else:
                failure = run_tests(tree, programs, timeouts)
                m.outcome = "killed" if failure else "survived"
                m.detail = failure or ""
            target.write_bytes(originals[m.path])
            print(f"[{count}/{len(mutants)}] {m.outcome:14} {m.path}:{m.line} {m.kind}  {m.detail}", flush=True)
    finally:
        for path, data in originals.items():
            (tree / path).write_bytes(data)
        build(tree, programs)

    print("\n== summary ==")
    print(f"{'file':40} {'mutants':>7} {'built':>6} {'killed':>6} {'survived':>8} {'same-obj':>8} {'no-build':>8}")
    for path in args.files:
        ms = [m for m in mutants if m.path == path]
        n = {o: sum(1 for m in ms if m.outcome == o) for o in ("killed", "survived", "equivalent", "does-not-build")}
        built = n["killed"] + n["survived"] + n["equivalent"]
        print(
            f"{path:40} {len(ms):7} {built:6} {n['killed']:6} {n['survived']:8} {n['equivalent']:8} "
            f"{n['does-not-build']:8}"
        )
    survivors = [m for m in mutants if m.outcome == "survived"]
    print(f"\n== {len(survivors)} surviving mutants ==")
    for m in survivors:
        print(f"# {m.kind}\n{m.diff()}")
    if args.json:
        Path(args.json).write_text(json.dumps([dataclasses.asdict(m) for m in mutants], indent=1))


if __name__ == "__main__":
    main()
