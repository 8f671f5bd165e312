#!/usr/bin/env python3
"""Checks that a shared library exports exactly what its public headers declare.

Reads the library's defined dynamic symbols (nm -D --defined-only) and the declarations of the
headers (as gen_symbol_table.py reads them for the version script and the programs' symbol
tables), and fails naming every symbol exported without a declaration (an internal leaking out)
and every declaration not exported (a public function missing from the library).

usage: check_exports.py LIBRARY.so header...
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_symbol_table  # noqa: E402


def exported(library):
    out = subprocess.run(["nm", "-D", "--defined-only", library], check=True,
                         capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        fields = line.split()
        if len(fields) < 3 or fields[1] == "A":  # "A": the version node itself
            continue
        names.add(fields[2].split("@")[0])
    return names


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    library, headers = sys.argv[1], sys.argv[2:]
    declared = {name for name, _ in gen_symbol_table.declared(gen_symbol_table.read_only(headers))}
    have = exported(library)
    extra, missing = sorted(have - declared), sorted(declared - have)
    name = os.path.basename(library)
    for symbol in extra:
        print("%s exports %s, which no public header declares" % (name, symbol))
    for symbol in missing:
        print("%s does not export %s, which a public header declares" % (name, symbol))
    if extra or missing:
        return 1
    print("%s exports its %d public declarations and nothing else" % (name, len(have)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
