"""The declaration generator and the export check on made-up input: the
faults they exist to catch must make them fail."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import check_exports  # noqa: E402
import generate  # noqa: E402

HEADER = """
enum QuenzelThing { QUENZEL_A = 0, QUENZEL_B, QUENZEL_C = 1 << 4, QUENZEL_D = -2 };
typedef struct QuenzelStop { int kind; int line; } QuenzelStop;
QUENZEL_API int QUENZEL_C_CALL quenzel_f(QuenzelField* field, long long value, int on);
QUENZEL_API size_t QUENZEL_C_CALL
quenzel_g(const QuenzelRecord* record, char* buffer, size_t capacity); /* a comment */
QUENZEL_API void QUENZEL_C_CALL quenzel_h(void);
"""


class Generator(unittest.TestCase):
    def test_reads_functions_enumerations_and_structures(self):
        functions, enums, structs = generate.parse(HEADER)
        self.assertEqual([(f.name, f.result, f.stack) for f in functions],
                         [("quenzel_f", "int", 16), ("quenzel_g", "size_t", 12),
                          ("quenzel_h", "void", 0)])
        self.assertEqual(enums[0].members,
                         [("QUENZEL_A", 0), ("QUENZEL_B", 1), ("QUENZEL_C", 16), ("QUENZEL_D", -2)])
        self.assertEqual(structs, [("QuenzelStop", "kind", "int"), ("QuenzelStop", "line", "int")])

    def test_writes_both_languages(self):
        parsed = generate.parse(HEADER)
        csharp, pascal = generate.csharp(*parsed, 1), generate.pascal(*parsed, 1)
        self.assertIn("internal static extern int quenzel_f(IntPtr field, long value, int on);",
                      csharp)
        self.assertIn("public enum Thing", csharp)
        self.assertIn("function quenzel_f(field: PQuenzelField; value: Int64; on_: Integer): "
                      "Integer;", pascal)
        self.assertIn("procedure quenzel_h;", pascal)
        # What is written, the export check reads back with the same sizes.
        self.assertEqual(check_exports.csharp_declarations(csharp),
                         {"quenzel_f": 16, "quenzel_g": 12, "quenzel_h": 0})
        self.assertEqual(check_exports.pascal_declarations(pascal),
                         {"quenzel_f": 16, "quenzel_g": 12, "quenzel_h": 0})

    def test_new_handles_and_function_pointers_need_no_edit(self):
        functions, _, _ = generate.parse(
            "typedef struct QuenzelReader QuenzelReader;\n"
            "typedef size_t(QUENZEL_C_CALL* QuenzelGetter)(const QuenzelField* f, int which);\n"
            "QUENZEL_API QuenzelGetter QUENZEL_C_CALL quenzel_getter(int which);\n"
            "QUENZEL_API int QUENZEL_C_CALL quenzel_reader_next(QuenzelReader* reader,\n"
            "                                                   long long* value);")
        self.assertEqual([f.stack for f in functions], [4, 8])
        pascal = generate.pascal(functions, [], [], 1)
        self.assertIn("PQuenzelReader = type Pointer;", pascal)
        self.assertIn("function quenzel_getter(which: Integer): Pointer;", pascal)
        self.assertIn("static extern IntPtr quenzel_getter(int which);",
                      generate.csharp(functions, [], [], 1))

    def test_unknown_type_says_where_to_add_it(self):
        with self.assertRaises(SystemExit) as stop:
            generate.parse("QUENZEL_API int QUENZEL_C_CALL quenzel_x(double value);")
        self.assertIn("add it to TYPES in bindings/generate.py", str(stop.exception))


LISTING = """
[Ordinal/Name Pointer] Table
\t[   0] quenzel_f
\t[   1] quenzel_f@16
\t[   2] quenzel_g
\t[   3] quenzel_g@12
"""


class ExportCheck(unittest.TestCase):
    def problems(self, declarations):
        exports = check_exports.exported_names(LISTING)
        return list(check_exports.check(exports, {"C#": declarations}))

    def test_matching_declarations_pass(self):
        self.assertEqual(self.problems({"quenzel_f": 16, "quenzel_g": 12}), [])

    def test_faults_are_named(self):
        cases = [
            ({"quenzel_f": 12}, "quenzel_f takes 12 bytes of arguments, the DLL exports "
                                "quenzel_f@16"),  # an int where a long long is
            ({"quenzel_h": 0}, "quenzel_h is not exported"),
            ({}, "no declarations found"),
        ]
        for declarations, message in cases:
            with self.subTest(declarations=declarations):
                self.assertTrue(any(message in problem for problem in self.problems(declarations)),
                                self.problems(declarations))

    def test_sizes_of_parameter_forms(self):
        csharp = ("internal static extern int a(long x, out UIntPtr y, byte[] z);\n"
                  "internal static extern void b();")
        pascal = ("function a(x: Int64; var y: NativeUInt; p, q: PAnsiChar): Integer;\n"
                  "  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external L name 'a';")
        self.assertEqual(check_exports.csharp_declarations(csharp), {"a": 16, "b": 0})
        self.assertEqual(check_exports.pascal_declarations(pascal), {"a": 20})


if __name__ == "__main__":
    unittest.main()
