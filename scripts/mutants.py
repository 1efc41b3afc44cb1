#!/usr/bin/env python3
"""Mutation testing for Tidewell: which small faults in src/ does the test suite catch?

Each mutant is one small change to one place in the C++ code (a comparison
loosened, a condition's sense turned, a constant off by one).  The tool puts
it into the source file, rebuilds, runs the tests and puts the file back byte
for byte.  A mutant the tests notice is "killed"; one they do not notice has
"survived" and points at a fault the tests would let through.  docs/MUTANTS.md
explains the operators, the sample and how to read the results.

Python 3 standard library only; scripts/mutants.sh is the entry point.
"""

import argparse
import base64
import collections
import fnmatch
import hashlib
import json
import os
import re
import shutil
import select
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Files the Linux build does not compile (the Windows backends of the platform
# layer): a mutant there could never be killed here.
NOT_BUILT_HERE = ["src/platform/win32/*"]

# Macros whose value the Linux build knows, for the #if regions of a file.  A
# region whose condition names anything else is left alone, since its code may
# not be compiled (a mutant there would survive without meaning anything).
KNOWN_MACROS = {
    "__linux__": True, "__unix__": True, "__GNUC__": True,
    "Q_OS_UNIX": True, "Q_OS_LINUX": True,
    "_WIN32": False, "_WIN64": False, "WIN32": False, "_MSC_VER": False, "__MINGW32__": False,
    "Q_OS_WIN": False, "Q_OS_WINDOWS": False, "__APPLE__": False, "Q_OS_MACOS": False,
}

# The replacement of each operator, by the text at the site.
SWAPS = {
    "rel": {"<": "<=", "<=": "<", ">": ">=", ">=": ">"},
    "eq": {"==": "!=", "!=": "=="},
    "logic": {"&&": "||", "||": "&&"},
    "bool": {"true": "false", "false": "true"},
    "arith": {"+": "-", "-": "+"},
}
BINARY = {text: op for op, swaps in SWAPS.items() if op != "bool" for text in swaps}

# Punctuators, longest first, so that "<=" is never read as "<" and "=".
PUNCTUATORS = sorted(
    "<=> <<= >>= ... ->* << >> <= >= == != && || ++ -- += -= *= /= %= &= |= ^= -> :: .* "
    "< > ! + - * / % & | ^ ~ = ? : ; , . ( ) [ ] { } #".split(), key=len, reverse=True)

INT_LITERAL = re.compile(r"(0|[1-9][0-9']*)([uU]?[lL]{0,2}|[lL]{1,2}[uU]|[zZ][uU]?|[uU][zZ])")
IDENT_START = re.compile(r"[A-Za-z_]")
IDENT = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
PP_NUMBER = re.compile(r"\.?[0-9](?:[eEpP][+-]|'[0-9A-Za-z_]|[0-9A-Za-z_.])*")
RAW_PREFIXES = {"R", "u8R", "uR", "UR", "LR"}
STRING_PREFIXES = {"u8", "u", "U", "L"}


class Site:
    """One mutant: a place in a file and the change made there."""

    def __init__(self, path, offset, line, col, op, before, after, line_text, occurrence):
        self.path = path
        self.offset = offset  # in characters of the decoded file
        self.line = line
        self.col = col
        self.op = op
        self.before = before
        self.after = after
        self.line_text = line_text
        # The id names the site by what is there rather than where: the file,
        # the line's text (without indentation), which of the file's lines with
        # that same text it is, the column in that text and the operator.  So a
        # mutant keeps its id when lines are added or removed elsewhere in the
        # file, and two runs of changed code can be compared mutant by mutant.
        stripped = line_text.strip()
        indent = len(line_text) - len(line_text.lstrip())
        key = "\0".join([path, stripped, str(occurrence), str(col - 1 - indent), op, after])
        self.id = hashlib.sha256(key.encode("utf-8", "surrogateescape")).hexdigest()[:16]

    def where(self):
        return f"{self.path}:{self.line}:{self.col}"

    def change(self):
        return f"'{self.before}' -> '{self.after}'"


def _condition(directive, expr):
    """True/False for an #if condition on known macros, None when unknown."""
    expr = expr.split("//")[0].split("/*")[0].strip()
    if directive in ("ifdef", "ifndef"):
        value = KNOWN_MACROS.get(expr)
        if value is None:
            return None
        return value if directive == "ifdef" else not value
    m = re.fullmatch(r"(!?)\s*(?:defined\s*\(\s*(\w+)\s*\)|defined\s+(\w+)|(\w+))", expr)
    if not m:
        return None
    value = KNOWN_MACROS.get(m.group(2) or m.group(3) or m.group(4))
    if value is None:
        return None
    return value if not m.group(1) else not value


class Lexer:
    """Finds the mutation sites of one C++ file.

    Enough of C++'s lexical rules to stay out of comments, string and character
    literals (raw strings too), preprocessor lines and code the Linux build does
    not compile.  Binary operators count only with white space on both sides (the
    code is clang-formatted), which leaves template brackets, "T&&" and unary
    signs alone."""

    def __init__(self, path, text):
        self.path = path
        self.text = text
        self.lines = text.split("\n")
        self.line_starts = [0]
        for line in self.lines[:-1]:
            self.line_starts.append(self.line_starts[-1] + len(line) + 1)
        self.sites = []
        self.conditions = []  # per open #if: None (unknown), True (compiled), False (not)
        self.skip_parens = None  # paren depth at which a static_assert( ... ) ends
        self.depth = 0
        self.previous = []  # the last significant tokens

    def position(self, offset):
        lo, hi = 0, len(self.line_starts) - 1
        while lo < hi:
            mid = (lo + hi + 1) // 2
            if self.line_starts[mid] <= offset:
                lo = mid
            else:
                hi = mid - 1
        return lo + 1, offset - self.line_starts[lo] + 1

    def compiled(self):
        return all(c is True for c in self.conditions) and self.skip_parens is None

    def add(self, offset, op, before, after):
        if not self.compiled():
            return
        line, col = self.position(offset)
        self.sites.append((offset, line, col, op, before, after))

    def preprocessor(self, start):
        """Reads one directive (with its continuation lines); returns the end."""
        end = start
        while True:
            nl = self.text.find("\n", end)
            if nl < 0:
                end = len(self.text)
                break
            if self.text[nl - 1:nl] == "\\":
                end = nl + 1
                continue
            end = nl
            break
        body = self.text[start + 1:end].strip()
        m = re.match(r"(\w+)\s*(.*)", body, re.S)
        if m:
            directive, expr = m.group(1), m.group(2)
            if directive in ("if", "ifdef", "ifndef"):
                self.conditions.append(_condition(directive, expr))
            elif directive == "elif" and self.conditions:
                # Any branch after an unknown one stays unknown; after a taken
                # one it is not compiled.
                previous = self.conditions[-1]
                self.conditions[-1] = None if previous is None else (
                    "done" if previous in (True, "done") else _condition("if", expr))
            elif directive == "else" and self.conditions:
                previous = self.conditions[-1]
                self.conditions[-1] = None if previous is None else previous is False
            elif directive == "endif" and self.conditions:
                self.conditions.pop()
        return end

    def run(self):
        text, n, i = self.text, len(self.text), 0
        line_start = True
        while i < n:
            c = text[i]
            if c == "\n":
                line_start = True
                i += 1
                continue
            if c in " \t\r\f\v":
                i += 1
                continue
            if c == "\\" and text[i + 1:i + 2] == "\n":
                i += 2
                continue
            if c == "#" and line_start:
                i = self.preprocessor(i)
                continue
            line_start = False
            if text.startswith("//", i):
                nl = text.find("\n", i)
                i = n if nl < 0 else nl
                continue
            if text.startswith("/*", i):
                end = text.find("*/", i + 2)
                i = n if end < 0 else end + 2
                continue
            if c == '"' or c == "'":
                i = self.quoted(i, c)
                self.previous.append("literal")
                continue
            if IDENT_START.match(c):
                m = IDENT.match(text, i)
                word = m.group(0)
                j = m.end()
                if word in RAW_PREFIXES and text[j:j + 1] == '"':
                    i = self.raw_string(j)
                    self.previous.append("literal")
                    continue
                if word in STRING_PREFIXES and text[j:j + 1] in ('"', "'"):
                    i = self.quoted(j, text[j])
                    self.previous.append("literal")
                    continue
                if word in SWAPS["bool"] and self.previous[-1:] != ["operator"]:
                    self.add(i, "bool", word, SWAPS["bool"][word])
                if word == "static_assert" and self.skip_parens is None:
                    self.skip_parens = self.depth
                self.previous.append(word)
                i = j
                continue
            if c.isdigit() or (c == "." and text[i + 1:i + 2].isdigit()):
                m = PP_NUMBER.match(text, i)
                self.number(i, m.group(0))
                self.previous.append("literal")
                i = m.end()
                continue
            for p in PUNCTUATORS:
                if text.startswith(p, i):
                    break
            else:
                p = c
            self.punctuator(i, p)
            i += len(p)

    def number(self, i, token):
        m = INT_LITERAL.fullmatch(token)
        if not m:
            return
        # The 0 of a pure virtual function ("... ) const = 0;") is no number.
        if token == "0" and self.previous[-1:] == ["="] and len(self.previous) >= 2 and \
                self.previous[-2] in (")", "const", "override", "noexcept", "final") and \
                self.text[i + 1:].lstrip().startswith(";"):
            return
        # One mutant per constant, upwards (also downwards would give constants,
        # already the most common site, twice the share of the sample).
        value = int(m.group(1).replace("'", ""))
        self.add(i, "int", token, str(value + 1) + m.group(2))

    def punctuator(self, i, p):
        text = self.text
        after_operator = self.previous[-1:] == ["operator"]
        self.previous.append(p)
        if p == "(":
            self.depth += 1
        elif p == ")":
            self.depth -= 1
            if self.skip_parens is not None and self.depth <= self.skip_parens:
                self.skip_parens = None
        if after_operator:
            return
        if p in BINARY:
            before = text[i - 1:i]
            after = text[i + len(p):i + len(p) + 1]
            if before in (" ", "\t") and after in (" ", "\t", "\n", "\r") and \
                    not (p == "+" and self.joins_text(i)):
                self.add(i, BINARY[p], p, SWAPS[BINARY[p]][p])
        elif p == "!":
            self.add(i, "not", "!", "")

    def joins_text(self, i):
        """Whether a "+" is likely to join texts (a line with a string literal or a
        text type on it), where "-" would not compile."""
        line, _ = self.position(i)
        return re.search(r'"|QString|QLatin1|QChar|std::string|tr\(',
                         self.lines[line - 1]) is not None

    def quoted(self, i, quote):
        text, n = self.text, len(self.text)
        j = i + 1
        while j < n and text[j] != quote and text[j] != "\n":
            j += 2 if text[j] == "\\" else 1
        return j + 1

    def raw_string(self, i):
        # i is at the opening quote of R"delim( ... )delim"
        paren = self.text.find("(", i)
        delim = self.text[i + 1:paren]
        end = self.text.find(")" + delim + '"', paren)
        return len(self.text) if end < 0 else end + len(delim) + 2


def sites_of(path):
    text = (ROOT / path).read_bytes().decode("utf-8", "surrogateescape")
    lexer = Lexer(path, text)
    lexer.run()
    seen = collections.Counter()
    occurrence_of_line = {}
    for number, line_text in enumerate(lexer.lines, 1):
        stripped = line_text.strip()
        occurrence_of_line[number] = seen[stripped]
        seen[stripped] += 1
    result = []
    for offset, line, col, op, before, after in lexer.sites:
        result.append(Site(path, offset, line, col, op, before, after,
                           lexer.lines[line - 1], occurrence_of_line[line]))
    return result


def source_files(patterns):
    files = sorted(str(p.relative_to(ROOT)) for ext in ("*.cpp", "*.h")
                   for p in (ROOT / "src").rglob(ext))
    files = [f for f in files if not any(fnmatch.fnmatch(f, g) for g in NOT_BUILT_HERE)]
    if not patterns:
        return files
    chosen = []
    for pattern in patterns:
        pattern = os.path.relpath(os.path.abspath(pattern), ROOT) if os.path.isabs(pattern) \
            else os.path.normpath(pattern)
        matched = [f for f in files if fnmatch.fnmatch(f, pattern) or f.startswith(pattern + "/")]
        if not matched:
            sys.exit(f"mutants: no C++ file of src/ matches {pattern}")
        chosen += [f for f in matched if f not in chosen]
    return sorted(chosen)


def sample(sites, n, draw):
    """The n sites with the smallest hash of the draw and the id: a uniform sample
    that a change elsewhere in the code leaves as it is (a new site enters only
    if its own hash is small enough, pushing out at most one other).  Run in
    file and line order, so that one file's mutants come one after another."""
    def key(site):
        return hashlib.sha256(f"{draw}\0{site.id}".encode()).hexdigest()
    chosen = sorted(sites, key=key)[:n]
    return sorted(chosen, key=lambda s: (s.path, s.offset, s.after))


# --- running ---------------------------------------------------------------------------

class Interrupted(Exception):
    pass


def _raise_interrupted(signum, frame):
    raise Interrupted(signal.Signals(signum).name)


CRITICAL = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}


class Mutator:
    """Puts a mutant into its file and the original back.  The original bytes are
    also kept in a file of the build folder until they are back, so a run that
    was killed outright (SIGKILL, power) is repaired when the next one starts."""

    def __init__(self, build_dir):
        self.record = build_dir / "mutant-in-progress.json"
        self.path = None
        self.original = None

    def recover(self):
        if not self.record.exists():
            return
        data = json.loads(self.record.read_text())
        path = ROOT / data["path"]
        original = base64.b64decode(data["original"])
        if path.read_bytes() != original:
            path.write_bytes(original)
            print(f"mutants: restored {data['path']}, left mutated by a run that was killed",
                  file=sys.stderr)
        self.record.unlink()

    def apply(self, site):
        path = ROOT / site.path
        original = path.read_bytes()
        text = original.decode("utf-8", "surrogateescape")
        if text[site.offset:site.offset + len(site.before)] != site.before:
            raise RuntimeError(f"{site.where()}: '{site.before}' is not where it was")
        mutated = text[:site.offset] + site.after + text[site.offset + len(site.before):]
        signal.pthread_sigmask(signal.SIG_BLOCK, CRITICAL)
        try:
            self.record.write_text(json.dumps(
                {"path": site.path, "original": base64.b64encode(original).decode()}))
            self.path, self.original = path, original
            path.write_bytes(mutated.encode("utf-8", "surrogateescape"))
        finally:
            signal.pthread_sigmask(signal.SIG_UNBLOCK, CRITICAL)

    def restore(self):
        if self.path is None:
            return
        signal.pthread_sigmask(signal.SIG_BLOCK, CRITICAL)
        try:
            # A fresh modification time (not the original one), so that the next
            # build compiles the original again over the mutant's objects.
            self.path.write_bytes(self.original)
            if self.path.read_bytes() != self.original:
                raise RuntimeError(f"{self.path}: could not be restored")
            self.record.unlink(missing_ok=True)
            self.path = self.original = None
        finally:
            signal.pthread_sigmask(signal.SIG_UNBLOCK, CRITICAL)


def descendants(pid):
    children = collections.defaultdict(list)
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        ppid = int(stat[stat.rfind(")") + 2:].split()[1])
        children[ppid].append(int(entry))
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        for child in children.get(p, []):
            found.append(child)
            todo.append(child)
    return found


def kill_tree(proc):
    """Ends a command we started and every process it started, also those that
    moved to a process group of their own (the program's propagation runs): all
    are stopped first, so that none starts another while they are ended."""
    if proc.poll() is not None:
        return
    pids = [proc.pid] + descendants(proc.pid)
    for sig in (signal.SIGSTOP, signal.SIGKILL):
        if sig == signal.SIGKILL:
            pids += [p for p in descendants(proc.pid) if p not in pids]
        for pid in pids:
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
    proc.wait()


def run(command, log, timeout=None, stop=None):
    """Runs a command in its own session (a Ctrl+C reaches only this script, which
    then ends the command) with its output in log.  Returns the exit code, None
    after the timeout, or the match of the regular expression stop as soon as a
    line of the output matches it (the command is ended then)."""
    with open(log, "wb") as out:
        proc = subprocess.Popen(command, cwd=ROOT, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                start_new_session=True)
        deadline = None if timeout is None else time.monotonic() + timeout
        pending = b""
        try:
            fd = proc.stdout.fileno()
            while True:
                wait = 1.0 if deadline is None else min(1.0, deadline - time.monotonic())
                if wait <= 0:
                    return None
                ready, _, _ = select.select([fd], [], [], wait)
                if not ready:
                    continue
                chunk = os.read(fd, 65536)
                if not chunk:
                    break
                out.write(chunk)
                pending += chunk
                *lines, pending = pending.split(b"\n")
                for line in lines if stop else []:
                    m = stop.search(line.decode("utf-8", "replace"))
                    if m:
                        return m
            return proc.wait()
        finally:
            kill_tree(proc)
            proc.stdout.close()


# A test that ended in anything but "Passed" (Failed, Timeout, Exception, Not
# Run) in ctest's output.
FAILED_TEST = re.compile(r"^\s*\d+/\d+ Test +#\d+: (\S+) .*\*\*\*")


def first_error(log):
    lines = Path(log).read_text(errors="replace").splitlines()
    for marker in ("error:", "FAILED", "Error"):
        for line in lines:
            if marker in line:
                return line.strip()[:200]
    return ""


class Runner:
    def __init__(self, args):
        self.args = args
        self.build_dir = (ROOT / args.build_dir).resolve()
        self.logs = self.build_dir / "mutant-logs"
        self.costs = None

    def configure_and_build(self):
        self.build_dir.mkdir(parents=True, exist_ok=True)
        self.logs.mkdir(exist_ok=True)
        command = ["cmake", "--preset", "dev", "-B", str(self.build_dir)]
        if not (self.build_dir / "CMakeCache.txt").exists() and shutil.which("ninja"):
            command += ["-G", "Ninja"]
        if shutil.which("ccache"):
            command += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache",
                        "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
        if self.build_dir != ROOT / "build" / "dev":
            # No debug information and the lld linker: the same code, built and
            # linked in less time.  Never in the developer's build/dev.
            fast = self.args.fast_build
            linker = "-fuse-ld=lld" if fast and shutil.which("ld.lld") else ""
            command += ["-DCMAKE_CXX_FLAGS_DEBUG=" + ("-g0" if fast else "-g"),
                        "-DCMAKE_EXE_LINKER_FLAGS=" + linker,
                        "-DCMAKE_SHARED_LINKER_FLAGS=" + linker]
        log = self.logs / "configure.log"
        if run(command, log) != 0:
            sys.exit(f"mutants: cmake configure failed, see {log}")
        started = time.monotonic()
        if not self.build():
            sys.exit(f"mutants: the unchanged tree does not build, see {self.logs / 'build.log'}")
        return time.monotonic() - started

    def build(self):
        log = self.logs / "build.log"
        return run(["cmake", "--build", str(self.build_dir), "-j", str(self.args.jobs)], log) == 0

    def test(self, timeout, first=()):
        """'passed', 'failed' (with the failing test) or 'timeout'.  The first
        test that fails decides: the run ends there, not when the tests already
        running have finished."""
        log = self.logs / "ctest.log"
        command = ["ctest", "--test-dir", str(self.build_dir), "-j", str(self.args.jobs),
                   "--no-tests=error"]
        if not self.args.with_bench:
            command += ["-LE", "bench"]
        if self.costs:
            self.write_order(first)
        result = run(command, log, timeout, FAILED_TEST)
        if result is None:
            return "timeout", ""
        if isinstance(result, re.Match):
            return "failed", result.group(1)
        if result != 0:
            return "failed", f"ctest exit code {result}"
        return "passed", ""

    def cost_file(self):
        return self.build_dir / "Testing" / "Temporary" / "CTestCostData.txt"

    def read_costs(self):
        """The time of each test in the run on the unchanged tree, from ctest's
        own record (which it keeps to order the tests)."""
        self.costs = {}
        for line in self.cost_file().read_text().splitlines():
            if line.strip() == "---":
                break
            fields = line.split()
            if len(fields) == 3:
                self.costs[fields[0]] = (fields[1], float(fields[2]))

    def write_order(self, first):
        """Orders the next test run through ctest's record: ctest runs the last
        run's failures first, then the costliest tests.  Here the tests that
        killed earlier mutants come first, then the quickest, so a mutant that
        some test kills is usually known within seconds; one that survives takes
        as long as ever (all tests pass)."""
        top = max(cost for _, cost in self.costs.values()) + 1
        lines = [f"{name} {runs} {top - cost:.6f}" for name, (runs, cost) in self.costs.items()]
        lines.append("---")
        lines += [name for name in first if name in self.costs]
        self.cost_file().write_text("\n".join(lines) + "\n")


def print_sample(chosen, total, files, draw):
    print(f"{len(chosen)} of {total} mutants in {files} files (draw {draw})")
    for s in chosen:
        print(f"{s.id}  {s.where():<48} {s.change():<16} | {s.line_text.strip()}")


def load_equivalent(path):
    """The mutants known to be equivalent: "ID  why" per line, # starts a comment."""
    if not path:
        return {}
    equivalent = {}
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                id_, _, why = line.partition(" ")
                equivalent[id_] = why.strip()
    return equivalent


def summary(results, seconds, equivalent=None):
    """The totals and a Markdown table per folder of src/.  Mutants listed in
    `equivalent` (no behaviour can tell them from the original) are counted
    apart, in neither killed nor survived."""
    equivalent = equivalent or {}

    def status(r):
        if r["id"] in equivalent and r["status"] == "survived":
            return "equivalent"
        return "killed" if r["status"] == "timeout" else r["status"]

    counts = collections.Counter(status(r) for r in results)
    timeouts = sum(1 for r in results if r["status"] == "timeout")
    killed = counts["killed"]
    built = killed + counts["survived"]
    score = f"{100 * killed / built:.0f}%" if built else "-"
    print(f"\n{len(results)} mutants: {killed} killed ({timeouts} by the timeout), "
          f"{counts['survived']} survived, {counts['equivalent']} equivalent, "
          f"{counts['no-build']} did not build; killed {score} of those that built and are not "
          f"equivalent")
    if results and seconds is not None:
        build = sum(r["build_seconds"] for r in results) / len(results)
        tests = sum(r["test_seconds"] for r in results) / len(results)
        print(f"time per mutant {seconds / len(results):.1f} s (build {build:.1f} s, "
              f"tests {tests:.1f} s); {seconds / 60:.1f} min in all")
    if not results:
        return
    folders = collections.OrderedDict()
    for r in sorted(results, key=lambda r: r["file"]):
        folder = r["file"].split("/")[1]
        folders.setdefault(folder, collections.Counter())[status(r)] += 1
    print("\n| folder | mutants | killed | survived | equivalent | no-build | killed of the rest |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for folder, c in folders.items():
        b = c["killed"] + c["survived"]
        pct = f"{100 * c['killed'] / b:.0f}%" if b else "-"
        print(f"| {folder} | {sum(c.values())} | {c['killed']} | {c['survived']} | "
              f"{c['equivalent']} | {c['no-build']} | {pct} |")
    print(f"| **all** | {len(results)} | {killed} | {counts['survived']} | "
          f"{counts['equivalent']} | {counts['no-build']} | {score} |")


def load_results(path):
    with open(path) as f:
        return [json.loads(line) for line in f if line.strip()]


def run_sample(args, chosen):
    if not args.allow_dirty:
        dirty = subprocess.run(["git", "status", "--porcelain", "src/"], cwd=ROOT,
                               capture_output=True, text=True, check=True).stdout
        if dirty.strip():
            sys.exit("mutants: src/ has uncommitted changes; commit or stash them, "
                     "or run with --allow-dirty\n" + dirty)
    equivalent = load_equivalent(args.equivalent)
    runner = Runner(args)
    mutator = Mutator(runner.build_dir)
    for signum in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, _raise_interrupted)
    signal.signal(signal.SIGINT, _raise_interrupted)
    results = []
    if args.resume:
        # A run stopped part-way goes on: the mutants its output holds are
        # taken from there, the others run and are added to it.
        if not args.output:
            sys.exit("mutants: --resume goes with --output FILE")
        if os.path.exists(args.output):
            with open(args.output) as f:
                done = {r["id"]: r for r in map(json.loads, filter(str.strip, f))}
            results = [done[site.id] for site in chosen if site.id in done]
            chosen = [site for site in chosen if site.id not in done]
            print(f"{len(results)} mutants taken from {args.output}, {len(chosen)} to run",
                  flush=True)
    output = open(args.output, "a" if args.resume else "w") if args.output else None
    started = time.monotonic()
    try:
        print("building the unchanged tree in", os.path.relpath(runner.build_dir, ROOT), flush=True)
        runner.configure_and_build()
        # ctest's record of the test times starts afresh, for the order below.
        runner.cost_file().unlink(missing_ok=True)
        t0 = time.monotonic()
        status, test = runner.test(None)
        baseline = time.monotonic() - t0
        if status != "passed":
            sys.exit(f"mutants: the tests fail on the unchanged tree ({test}); "
                     f"see {runner.logs / 'ctest.log'}")
        runner.read_costs()
        killers = []  # the tests that killed mutants, the latest first
        timeout = args.timeout or max(60, round(3 * baseline) + 30)
        print(f"the unchanged tree passes its tests in {baseline:.0f} s; "
              f"a test run longer than {timeout} s counts as killed\n", flush=True)
        started = time.monotonic()
        for index, site in enumerate(chosen, 1):
            t0 = time.monotonic()
            detail = ""
            try:
                mutator.apply(site)
                built = runner.build()
                t1 = time.monotonic()
                if not built:
                    status, detail = "no-build", first_error(runner.logs / "build.log")
                else:
                    outcome, detail = runner.test(timeout, killers)
                    if outcome == "failed":
                        killers = [detail] + [k for k in killers if k != detail][:29]
                    status = {"passed": "survived", "failed": "killed",
                              "timeout": "timeout"}[outcome]
            finally:
                mutator.restore()
            t2 = time.monotonic()
            record = {"id": site.id, "status": status, "file": site.path, "line": site.line,
                      "col": site.col, "op": site.op, "before": site.before, "after": site.after,
                      "text": site.line_text.strip(), "detail": detail,
                      "build_seconds": round(t1 - t0, 1), "test_seconds": round(t2 - t1, 1)}
            results.append(record)
            if output:
                output.write(json.dumps(record) + "\n")
                output.flush()
            shown = f"  ({detail})" if detail and status != "no-build" else ""
            print(f"[{index}/{len(chosen)}] {status:<8} {site.where():<44} {site.change():<14} "
                  f"{t2 - t0:5.1f} s{shown}", flush=True)
    except (Interrupted, KeyboardInterrupt) as e:
        print(f"\nmutants: stopped ({e or 'SIGINT'}); the source is restored", file=sys.stderr)
        summary(results, time.monotonic() - started, equivalent)
        return 130
    finally:
        mutator.restore()
        if output:
            output.close()
    summary(results, time.monotonic() - started, equivalent)
    return 0


def compare(before_path, after_path):
    def load(path):
        with open(path) as f:
            return {r["id"]: r for r in map(json.loads, filter(str.strip, f))}
    before, after = load(before_path), load(after_path)
    lost = [a for i, b in before.items() if b["status"] in ("killed", "timeout")
            for a in [after.get(i)] if a and a["status"] == "survived"]
    for r in sorted(lost, key=lambda r: (r["file"], r["line"])):
        print(f"survives now  {r['file']}:{r['line']}  '{r['before']}' -> '{r['after']}'  "
              f"| {r['text']}")
    unmatched = sum(1 for i in before if i not in after)
    print(f"{len(lost)} mutants killed in {before_path} survive in {after_path}; "
          f"{len(before) - unmatched} of {len(before)} matched, {unmatched} not in {after_path}")
    return 1 if lost else 0


def main():
    parser = argparse.ArgumentParser(
        prog="scripts/mutants.sh",
        description="Mutation testing of the C++ code in src/ (docs/MUTANTS.md).")
    parser.add_argument("-n", type=int, default=150, help="mutants in the sample (150)")
    parser.add_argument("--draw", default="1", metavar="D",
                        help="which sample: each draw is another, the same draw the same (1)")
    parser.add_argument("--files", nargs="+", metavar="PATTERN",
                        help="only these files: paths, folders or globs such as 'src/selection/*'")
    parser.add_argument("--list", action="store_true", help="print the sample, do not run it")
    parser.add_argument("--jobs", type=int, default=2, help="build and test jobs (2)")
    parser.add_argument("--timeout", type=int,
                        help="seconds a test run may take before the mutant counts as killed "
                             "(default: 3 times the unchanged tree's run plus 30)")
    parser.add_argument("--output", metavar="FILE",
                        help="also write the results, one JSON line each")
    parser.add_argument("--compare", nargs=2, metavar=("BEFORE", "AFTER"),
                        help="print the mutants killed in BEFORE that survive in AFTER")
    parser.add_argument("--summary", metavar="FILE",
                        help="print the totals and the table per folder of an --output FILE")
    parser.add_argument("--equivalent", metavar="FILE",
                        help="mutants known to be equivalent (\"ID  why\" per line), counted apart")
    parser.add_argument("--build-dir", default="build/mutants", help="build folder (build/mutants)")
    parser.add_argument("--no-fast-build", dest="fast_build", action="store_false",
                        help="build with the dev preset's debug information and linker")
    parser.add_argument("--with-bench", action="store_true",
                        help="also run the benchmark tests (label bench)")
    parser.add_argument("--resume", action="store_true",
                        help="with --output: keep the mutants FILE already holds, run the rest")
    parser.add_argument("--ids", nargs="+", metavar="ID",
                        help="only the sample's mutants with these ids (as --list and --output give them)")
    parser.add_argument("--survivors-of", metavar="FILE",
                        help="only the sample's mutants that FILE (an --output) records as survived: "
                             "to see whether new tests kill them")
    parser.add_argument("--allow-dirty", action="store_true",
                        help="run even with uncommitted changes in src/")
    args = parser.parse_args()
    os.chdir(ROOT)
    if args.compare:
        return compare(*args.compare)
    if args.summary:
        summary(load_results(args.summary), None, load_equivalent(args.equivalent))
        return 0
    # A run killed outright (SIGKILL, power) may have left its mutant behind.
    Mutator((ROOT / args.build_dir).resolve()).recover()
    files = source_files(args.files)
    sites = [s for f in files for s in sites_of(f)]
    chosen = sample(sites, args.n, args.draw)
    # A subset of the sample: its mutants are those of the whole sample, so
    # their ids and results compare with a run of the whole.
    wanted = set(args.ids or ())
    if args.survivors_of:
        with open(args.survivors_of) as f:
            wanted |= {r["id"] for r in map(json.loads, filter(str.strip, f))
                       if r["status"] == "survived"}
    if args.ids or args.survivors_of:
        chosen = [site for site in chosen if site.id in wanted]
    if args.list:
        print_sample(chosen, len(sites), len(files), args.draw)
        return 0
    print(f"{len(chosen)} of {len(sites)} mutants in {len(files)} files (draw {args.draw})")
    return run_sample(args, chosen)


if __name__ == "__main__":
    sys.exit(main())
