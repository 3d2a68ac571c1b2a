#!/usr/bin/env python3
"""command_line.py PROGRAM VERSION: the options of the headless program, one row per case.

A row that does not end the program at once would start the supervisor: it runs in an empty
folder, and the wait for its end is far longer than any answer needs."""

import os
import re
import subprocess
import sys
import tempfile

PROGRAM, VERSION = os.path.abspath(sys.argv[1]), sys.argv[2]

HELP = [r"^Uso: vandrelVirazuzor \[--help \| --version\]$", "vandrelempresa.ini",
        "ini do servidor", "SIGINT", "SIGTERM", "saída padrão", "saída de erro",
        "JOURNAL_STREAM", "--version"]
# arguments, exit code, patterns for standard output, patterns for standard error
CASES = [
    (["--version"], 0, [rf"^vandrel Virazuzor {re.escape(VERSION)}$",
                        r"^Compilado em (0[1-9]|[12]\d|3[01])/(0[1-9]|1[0-2])/20\d\d\.$"], []),
    (["--help"], 0, HELP, []),
    (["-h"], 0, HELP, []),
    (["--version", "--help"], 0, HELP, []),
    (["--verbose"], 2, [], [r"^vandrelVirazuzor: opção desconhecida: --verbose$", "--help"]),
    (["--version", "extra"], 2, [], ["opção desconhecida: extra$"]),
    (["-version"], 2, [], ["opção desconhecida: -version$"]),
    ([""], 2, [], ["opção desconhecida: $"]),
]


def main():
    failures = []
    with tempfile.TemporaryDirectory() as empty:
        for arguments, code, out_patterns, err_patterns in CASES:
            result = subprocess.run([PROGRAM, *arguments], cwd=empty, stdin=subprocess.DEVNULL,
                                    capture_output=True, timeout=120)
            out = result.stdout.decode("utf-8")
            err = result.stderr.decode("utf-8")
            problems = []
            if result.returncode != code:
                problems.append(f"exit code {result.returncode}, expected {code}")
            for stream, text, patterns in (("stdout", out, out_patterns),
                                           ("stderr", err, err_patterns)):
                if not patterns and text:
                    problems.append(f"unexpected {stream}: {text!r}")
                for pattern in patterns:
                    if not re.search(pattern, text, re.MULTILINE):
                        problems.append(f"{stream} lacks {pattern!r}: {text!r}")
            status = "ok" if not problems else "FAILED"
            print(f"{status}: {arguments}")
            failures += [f"{arguments}: {p}" for p in problems]
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
