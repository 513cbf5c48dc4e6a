#!/usr/bin/env python3
"""Writes the C# and Pascal declarations of the C interface from quenzel_c.h.

The header is the one source of the entry points, enumerations and the read
stop structure. This script turns them into
  bindings/dotnet/NativeMethods.cs           (the whole file), and
  bindings/pascal/quenzel.pas                (the part between its markers),
and with --check only compares what it would write with what is there, so
that a test fails as soon as the header and the bindings differ.

Usage (from anywhere):
  python3 bindings/generate.py           rewrite the declarations
  python3 bindings/generate.py --check   exit 1 when they are out of step
"""

from __future__ import annotations

import os
import re
import sys
from typing import Dict, List, NamedTuple, Tuple

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HEADER = os.path.join(ROOT, "Source", "common", "quenzeldll", "include", "quenzel", "quenzel_c.h")
CSHARP = os.path.join(ROOT, "bindings", "dotnet", "NativeMethods.cs")
PASCAL = os.path.join(ROOT, "bindings", "pascal", "quenzel.pas")
PASCAL_BEGIN = "{ BEGIN declarations written by bindings/generate.py from quenzel_c.h }"
PASCAL_END = "{ END declarations written by bindings/generate.py }"
REGENERATE = "python3 bindings/generate.py"


class Type(NamedTuple):
    csharp: str  # parameter or return type in the P/Invoke declaration
    pascal: str
    stack: int  # bytes the argument takes on the 32-bit stdcall stack


HANDLES = ["QuenzelCatalogue", "QuenzelRecord", "QuenzelField"]
# Every C type the header uses. A new one stops the script with a message
# naming it, so that its marshalling is decided here, once.
TYPES: Dict[str, Type] = {
    "void": Type("void", "", 0),
    "int": Type("int", "Integer", 4),
    "unsigned": Type("uint", "Cardinal", 4),
    "long long": Type("long", "Int64", 8),
    "float": Type("float", "Single", 4),
    "unsigned char": Type("byte", "Byte", 4),
    "size_t": Type("UIntPtr", "NativeUInt", 4),
    "const char*": Type("byte[]", "PAnsiChar", 4),
    "char*": Type("byte[]", "PAnsiChar", 4),
    "size_t*": Type("out UIntPtr", "PNativeUInt", 4),
    "int*": Type("out int", "PInteger", 4),
    "long long*": Type("out long", "PInt64", 4),
    "float*": Type("out float", "PSingle", 4),
    "unsigned char*": Type("out byte", "PByte", 4),
}
# Members of the header's structures: (C#, Pascal) field types.
STRUCT_MEMBERS: Dict[str, Tuple[str, str]] = {"int": ("int", "Integer"),
                                              "size_t": ("UIntPtr", "NativeUInt")}


def add_handle(name: str) -> None:
    """An opaque handle type: a pointer in both languages."""
    if name not in HANDLES:
        HANDLES.append(name)
    TYPES[name + "*"] = Type("IntPtr", "P" + name, 4)
    TYPES["const " + name + "*"] = Type("IntPtr", "P" + name, 4)


for _handle in list(HANDLES):
    add_handle(_handle)

# Pascal reserves some parameter names the header uses.
PASCAL_RESERVED = {"type", "on", "record", "unit", "label", "file", "set", "string", "result"}


class Function(NamedTuple):
    name: str
    result: str
    parameters: List[Tuple[str, str]]  # (C type, name)

    @property
    def stack(self) -> int:
        return sum(c_type(type_).stack for type_, _ in self.parameters)


class Enum(NamedTuple):
    name: str
    members: List[Tuple[str, int]]


def c_type(text: str) -> Type:
    normal = re.sub(r"\s+", " ", text.replace("*", "* ")).strip().replace(" *", "*")
    normal = normal.replace("* ", "*").strip()
    if normal not in TYPES:
        sys.exit(f"generate.py: quenzel_c.h uses the C type '{normal}', which the bindings do not "
                 f"marshal yet: add it to TYPES in bindings/generate.py, then run {REGENERATE}")
    return TYPES[normal]


def split_parameter(text: str) -> Tuple[str, str]:
    match = re.fullmatch(r"(.*?[\s*])(\w+)", text.strip())
    if not match:
        sys.exit(f"generate.py: cannot read the parameter '{text}' of quenzel_c.h")
    return match.group(1).strip(), match.group(2)


def parse(header: str) -> Tuple[List[Function], List[Enum], List[Tuple[str, str, str]]]:
    code = re.sub(r"/\*.*?\*/", " ", header, flags=re.S)
    code = re.sub(r"//[^\n]*", " ", code)
    code = re.sub(r"#[^\n]*", " ", code)
    # Opaque structures are handles; pointers to functions (callbacks the
    # library calls, getters it hands out) travel as plain pointers.
    for match in re.finditer(r"typedef\s+struct\s+(\w+)\s+(\w+)\s*;", code):
        add_handle(match.group(2))
    # Structures the caller passes for the library to fill.
    for match in re.finditer(r"typedef\s+struct\s+(\w+)\s*\{", code):
        name = match.group(1)
        TYPES[name + "*"] = Type("out " + name[len("Quenzel"):], "P" + name, 4)
    for match in re.finditer(r"typedef[^;{}]*?\(\s*QUENZEL_C_CALL\s*\*\s*(\w+)\s*\)\s*\([^)]*\)\s*;",
                             code):
        TYPES[match.group(1)] = Type("IntPtr", "Pointer", 4)
    functions = []
    for match in re.finditer(r"QUENZEL_API\s+(.*?)\bQUENZEL_C_CALL\s+(\w+)\s*\((.*?)\)\s*;",
                             code, re.S):
        result, name, parameters = match.groups()
        c_type(result)
        parameters = " ".join(parameters.split())
        pairs = [] if parameters in ("", "void") else [
            split_parameter(part) for part in parameters.split(",")]
        for type_, _ in pairs:
            c_type(type_)
        functions.append(Function(name, " ".join(result.split()), pairs))
    enums = []
    for match in re.finditer(r"enum\s+(\w+)\s*\{(.*?)\}", code, re.S):
        members, value = [], -1
        for item in match.group(2).split(","):
            if not item.strip():
                continue
            member, _, expression = item.partition("=")
            if expression.strip():
                if not re.fullmatch(r"[-0-9<\s]+", expression):
                    sys.exit(f"generate.py: cannot evaluate the enumerator '{item.strip()}'")
                value = eval(expression)  # digits, minus signs and shifts only
            else:
                value += 1
            members.append((member.strip(), value))
        enums.append(Enum(match.group(1), members))
    structs = []
    for match in re.finditer(r"typedef\s+struct\s+(\w+)\s*\{(.*?)\}\s*\w+\s*;", code, re.S):
        for member in match.group(2).split(";"):
            if member.strip():
                type_, name = split_parameter(member)
                if type_ not in STRUCT_MEMBERS:
                    sys.exit(f"generate.py: the structure member '{member.strip()}' has a type "
                             f"the bindings do not marshal: add it to STRUCT_MEMBERS")
                structs.append((match.group(1), name, type_))
    if not functions:
        sys.exit("generate.py: no QUENZEL_API function found in quenzel_c.h")
    return functions, enums, structs


def camel(words: str, lower_first: bool = False) -> str:
    text = "".join(part[:1].upper() + part[1:].lower() for part in words.split("_"))
    return text[:1].lower() + text[1:] if lower_first else text


def enum_prefix(enum: Enum) -> str:
    names = [member for member, _ in enum.members]
    prefix = os.path.commonprefix(names)
    return prefix[:prefix.rfind("_") + 1] if len(names) > 1 else "QUENZEL_"


def csharp(functions: List[Function], enums: List[Enum], structs: List[Tuple[str, str, str]],
           version: int) -> str:
    out = [
        "// Written by bindings/generate.py from quenzel_c.h: edit the header, then run",
        f"// `{REGENERATE}`. One P/Invoke declaration per entry point; texts go",
        "// in as zero-terminated UTF-8 byte arrays and come out through the caller's",
        "// buffer (see Native.cs). The members mean what quenzel_c.h says of them.",
        "#pragma warning disable 1591",
        "using System;",
        "using System.Runtime.InteropServices;",
        "",
        "namespace Quenzel",
        "{",
    ]
    for enum in enums:
        name = enum.name[len("Quenzel"):] if enum.name.startswith("Quenzel") else enum.name
        prefix = enum_prefix(enum)
        out.append(f"    /// <summary>The values of the C interface's {enum.name}.</summary>")
        out.append(f"    public enum {name}")
        out.append("    {")
        for member, value in enum.members:
            out.append(f"        {camel(member[len(prefix):])} = {value},")
        out.append("    }")
        out.append("")
    for struct in sorted({item[0] for item in structs}):
        out.append(f"    /// <summary>The C interface's {struct}.</summary>")
        out.append("    [StructLayout(LayoutKind.Sequential)]")
        out.append(f"    public struct {struct[len('Quenzel'):]}")
        out.append("    {")
        for _, member, type_ in (item for item in structs if item[0] == struct):
            out.append(f"        public {STRUCT_MEMBERS[type_][0]} {camel(member)};")
        out.append("    }")
        out.append("")
    out.append("    internal static partial class NativeMethods")
    out.append("    {")
    out.append("        /// <summary>The interface version these declarations were written for.</summary>")
    out.append(f"        internal const int InterfaceVersion = {version};")
    for function in functions:
        out.append(f"        [DllImport(Library, CallingConvention = CallingConvention.StdCall, "
                   f"ExactSpelling = true)]")
        parameters = ", ".join(f"{c_type(type_).csharp} {name}"
                               for type_, name in function.parameters)
        out.append(f"        internal static extern {c_type(function.result).csharp} "
                   f"{function.name}({parameters});")
    out.append("    }")
    out.append("}")
    return "\n".join(out) + "\n"


def pascal(functions: List[Function], enums: List[Enum], structs: List[Tuple[str, str, str]],
           version: int) -> str:
    out = [PASCAL_BEGIN, "", "const", "  { the interface version these declarations were written for }",
           f"  QUENZEL_C_INTERFACE_VERSION = {version};"]
    for enum in enums:
        out.append(f"  {{ {enum.name} }}")
        for member, value in enum.members:
            out.append(f"  {member} = {value};")
    out += ["", "type"]
    for handle in HANDLES:
        out.append(f"  P{handle} = type Pointer;")
    for struct in sorted({item[0] for item in structs}):
        out.append(f"  T{struct} = record")
        for _, member, type_ in (item for item in structs if item[0] == struct):
            out.append(f"    {camel(member)}: {STRUCT_MEMBERS[type_][1]};")
        out.append("  end;")
        out.append(f"  P{struct} = ^T{struct};")
    out.append("")
    for function in functions:
        parameters = "; ".join(
            f"{name + '_' if name.lower() in PASCAL_RESERVED else name}: {c_type(type_).pascal}"
            for type_, name in function.parameters)
        parameters = f"({parameters})" if parameters else ""
        result = c_type(function.result).pascal
        head = (f"function {function.name}{parameters}: {result};" if result
                else f"procedure {function.name}{parameters};")
        out.append(head)
        out.append(f"  {{$IFDEF MSWINDOWS}}stdcall{{$ELSE}}cdecl{{$ENDIF}}; "
                   f"external QuenzelLibrary name '{function.name}';")
    out += ["", PASCAL_END]
    return "\n".join(out)


def pascal_file(current: str, declarations: str) -> str:
    begin, end = current.find(PASCAL_BEGIN), current.find(PASCAL_END)
    if begin < 0 or end < begin:
        sys.exit(f"generate.py: {PASCAL} lacks the markers of its generated part")
    return current[:begin] + declarations + current[end + len(PASCAL_END):]


def interface_version(header: str) -> int:
    match = re.search(r"#define\s+QUENZEL_C_INTERFACE_VERSION\s+(\d+)", header)
    if not match:
        sys.exit("generate.py: quenzel_c.h does not define QUENZEL_C_INTERFACE_VERSION")
    return int(match.group(1))


def main() -> int:
    check = sys.argv[1:] == ["--check"]
    if sys.argv[1:] not in ([], ["--check"]):
        print(__doc__)
        return 2
    with open(HEADER, encoding="utf-8") as stream:
        header = stream.read()
    functions, enums, structs = parse(header)
    version = interface_version(header)
    with open(PASCAL, encoding="utf-8") as stream:
        pascal_now = stream.read()
    wanted = {CSHARP: csharp(functions, enums, structs, version),
              PASCAL: pascal_file(pascal_now, pascal(functions, enums, structs, version))}
    stale = []
    for path, text in wanted.items():
        try:
            with open(path, encoding="utf-8", newline="") as stream:
                if stream.read() == text:
                    continue
        except FileNotFoundError:
            pass
        stale.append(os.path.relpath(path, ROOT))
        if not check:
            with open(path, "w", encoding="utf-8", newline="\n") as stream:
                stream.write(text)
    if check and stale:
        print(f"The declarations in {', '.join(stale)} differ from quenzel_c.h. "
              f"Bring them in step with `{REGENERATE}` (from the repository root) and "
              f"commit the result.", file=sys.stderr)
        return 1
    print(f"{len(functions)} functions, {len(enums)} enumerations: "
          + ("in step" if check else f"{len(stale)} file(s) rewritten"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
