#!/usr/bin/env python3
"""Checks the C# and Pascal declarations against a 32-bit quenzel.dll.

Every entry point that bindings/dotnet/NativeMethods.cs or
bindings/pascal/quenzel.pas declares must be exported twice: under its own
name, which both look up, and as name@N, where N is the bytes of arguments
that the declaration's types put on the stdcall stack. A wrong argument type
in a binding changes N and is caught here without running 32-bit code.

Usage:
  check_exports.py [--objdump i686-w64-mingw32-objdump] quenzel.dll
  check_exports.py --listing exports.txt   (the output of objdump -p, saved)
"""

from __future__ import annotations

import os
import re
import subprocess
import sys
from typing import Dict, Iterable, Set

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CSHARP = os.path.join(ROOT, "bindings", "dotnet", "NativeMethods.cs")
PASCAL = os.path.join(ROOT, "bindings", "pascal", "quenzel.pas")

# Bytes on the 32-bit stack: every argument takes a whole 4-byte slot,
# 64-bit integers and doubles two.
CSHARP_SIZES = {"int": 4, "uint": 4, "short": 4, "ushort": 4, "byte": 4, "sbyte": 4, "bool": 4,
                "char": 4, "float": 4, "IntPtr": 4, "UIntPtr": 4, "string": 4, "byte[]": 4,
                "long": 8, "ulong": 8, "double": 8}
PASCAL_SIZES = {"integer": 4, "longint": 4, "cardinal": 4, "longword": 4, "smallint": 4,
                "word": 4, "byte": 4, "shortint": 4, "boolean": 4, "longbool": 4, "single": 4,
                "nativeint": 4, "nativeuint": 4, "pointer": 4, "pansichar": 4, "int64": 8,
                "uint64": 8, "qword": 8, "double": 8}


def size(table: Dict[str, int], type_: str, where: str) -> int:
    type_ = type_.strip()
    if re.match(r"(out|ref|in)\s", type_):  # passed by reference
        return 4
    key = type_ if table is CSHARP_SIZES else type_.lower()
    if table is PASCAL_SIZES and re.fullmatch(r"p\w+", key):
        return 4  # a typed pointer
    if key not in table:
        raise SystemExit(f"check_exports.py: {where}: no stack size known for the type '{type_}'")
    return table[key]


def csharp_declarations(text: str) -> Dict[str, int]:
    found = {}
    for match in re.finditer(r"static\s+extern\s+[\w\[\]]+\s+(\w+)\s*\(([^)]*)\)\s*;", text):
        name, parameters = match.groups()
        found[name] = sum(size(CSHARP_SIZES, part.strip().rsplit(None, 1)[0], name)
                          for part in parameters.split(",") if part.strip())
    return found


def pascal_declarations(text: str) -> Dict[str, int]:
    found = {}
    pattern = (r"(?:function|procedure)\s+\w+\s*(?:\(([^)]*)\))?[^;]*;\s*"
               r"\{\$IFDEF MSWINDOWS\}stdcall\{\$ELSE\}cdecl\{\$ENDIF\};\s*"
               r"external\s+\w+\s+name\s+'(\w+)'\s*;")
    for match in re.finditer(pattern, text, re.I):
        parameters, name = match.groups()
        total = 0
        for group in (parameters or "").split(";"):
            if group.strip():
                names, _, type_ = group.partition(":")
                modifier = re.match(r"\s*(var|out|const)\s", names)
                count = len(names.split(","))
                total += count * (4 if modifier and modifier.group(1) != "const"
                                  else size(PASCAL_SIZES, type_, name))
        found[name] = total
    return found


def exported_names(listing: str) -> Set[str]:
    return set(re.findall(r"^\s*\[\s*\d+\]\s+(\S+)\s*$", listing, re.M))


def check(exports: Set[str], bindings: Dict[str, Dict[str, int]]) -> Iterable[str]:
    for binding, declarations in bindings.items():
        if not declarations:
            yield f"{binding}: no declarations found"
        for name, stack in sorted(declarations.items()):
            if name not in exports:
                yield f"{binding}: {name} is not exported"
            if f"{name}@{stack}" not in exports:
                decorated = sorted(e for e in exports if e.startswith(name + "@"))
                yield (f"{binding}: {name} takes {stack} bytes of arguments, the DLL exports "
                       f"{', '.join(decorated) or 'no decorated form'}")


def main(arguments: list) -> int:
    objdump = "i686-w64-mingw32-objdump"
    if arguments[:1] == ["--objdump"] and len(arguments) == 3:
        objdump, arguments = arguments[1], arguments[2:]
    if arguments[:1] == ["--listing"] and len(arguments) == 2:
        with open(arguments[1], encoding="utf-8") as stream:
            listing = stream.read()
    elif len(arguments) == 1:
        listing = subprocess.run([objdump, "-p", arguments[0]], check=True, capture_output=True,
                                 text=True).stdout
    else:
        print(__doc__, file=sys.stderr)
        return 2
    exports = exported_names(listing)
    with open(CSHARP, encoding="utf-8") as stream:
        csharp = csharp_declarations(stream.read())
    with open(PASCAL, encoding="utf-8") as stream:
        pascal = pascal_declarations(stream.read())
    problems = list(check(exports, {"C#": csharp, "Pascal": pascal}))
    for problem in problems:
        print(problem, file=sys.stderr)
    if not problems:
        print(f"{len(csharp)} C# and {len(pascal)} Pascal entry points exported with their "
              f"argument sizes")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
