#!/usr/bin/env python3
"""Regenerates the expected output of the golden cases with Free Pascal.

Each case under cases/<feature>/<case>.pas is a program followed, after its final "end.", by sections:

    === output            expected output (one ShowMessage per line); written by this script
    === output delphi     expected output written by hand where Delphi's semantics differ from Free Pascal's
                          on 64-bit (32-bit Integer arithmetic, ...); this script leaves it alone
    === error             the expected run-time error text (one line), written by hand
    === messages          the expected compile messages, written by hand; the case must not compile

For every case with a plain "output" section (or none, and no "messages"), the program is compiled with
`fpc -Mdelphi` behind a small prelude (units, and a ShowMessage that writes a line) and run; its
standard output up to an unhandled error becomes the "output" section. Cases marked "output delphi"
are still run, and a difference from their hand-written output is printed for review.

Usage: regenerate.py [case files or folders...]   (default: every case)
"""

import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CASES = os.path.join(HERE, "cases")

PRELUDE = """{$mode %s}{$H+}
uses SysUtils, Classes, Math, StrUtils, DateUtils;
procedure ShowMessage(const Message: string);
begin
  WriteLn(Message);
end;
"""

SECTION = re.compile(r"^=== (output delphi|output|error|messages)\b.*$", re.M)


def split_case(text):
    """Returns (program, {section name: lines}) for a case file."""
    match = SECTION.search(text)
    program = text if match is None else text[: match.start()]
    sections = {}
    order = []
    for m in SECTION.finditer(text):
        order.append(m)
    for i, m in enumerate(order):
        end = order[i + 1].start() if i + 1 < len(order) else len(text)
        body = text[m.end() + 1 : end] if m.end() < len(text) else ""
        sections[m.group(1)] = (m.group(0), body)
    return program, sections


def fpc_program(program):
    """Puts the prelude after the program heading (or first, when there is none). A case whose text
    says "fpc-mode: objfpc" is compiled in that mode (for example for string case selectors, which
    Free Pascal refuses in Delphi mode)."""
    mode = "objfpc" if "fpc-mode: objfpc" in program else "delphi"
    prelude = PRELUDE % mode
    heading = re.match(r"(\s*(\{[^}]*\}\s*|//[^\n]*\n\s*)*)(program\s+\w+\s*;)", program, re.I)
    if heading:
        cut = heading.end()
        return program[:cut] + "\n" + prelude + program[cut:]
    return prelude + program


def run_fpc(program):
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "casemain.pas")
        with open(source, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write(fpc_program(program))
        built = subprocess.run(["fpc", "-O1", "-o" + os.path.join(tmp, "casemain"), source],
                               cwd=tmp, capture_output=True, text=True)
        if built.returncode != 0:
            raise RuntimeError("fpc failed:\n" + built.stdout[-2000:])
        ran = subprocess.run([os.path.join(tmp, "casemain")], cwd=tmp, capture_output=True, timeout=60)
        out = ran.stdout.decode("utf-8", "surrogateescape")
        lines = []
        for line in out.splitlines():
            if line.startswith("An unhandled exception occurred") or line.startswith("Runtime error "):
                break
            lines.append(line)
        return lines


def regenerate(path):
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        text = f.read()
    program, sections = split_case(text)
    if "messages" in sections:
        return "skipped (compile errors)"
    try:
        lines = run_fpc(program)
    except RuntimeError:
        if "output delphi" in sections:
            return "kept Delphi output (Free Pascal does not compile this case)"
        raise
    body = "".join(line + "\n" for line in lines)
    if "output delphi" in sections:
        header, expected = sections["output delphi"]
        if expected != body:
            return "kept Delphi output; Free Pascal gives:\n" + body
        return "kept Delphi output (same as Free Pascal)"
    rebuilt = program.rstrip("\n") + "\n=== output\n" + body
    if "error" in sections:
        header, expected = sections["error"]
        rebuilt += header + "\n" + expected
    if rebuilt != text:
        with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write(rebuilt)
        return "updated"
    return "unchanged"


def main():
    targets = sys.argv[1:] or [CASES]
    files = []
    for t in targets:
        if os.path.isdir(t):
            for root, _, names in os.walk(t):
                files += [os.path.join(root, n) for n in names if n.endswith(".pas")]
        else:
            files.append(t)
    failed = False
    for path in sorted(files):
        try:
            result = regenerate(path)
        except Exception as e:  # report and go on with the other cases
            result = "FAILED: " + str(e)
            failed = True
        print(os.path.relpath(path, HERE) + ": " + result)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
