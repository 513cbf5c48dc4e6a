// Generated benchmark input: large definition files of mixed field types
// and the data records that go with them.
#ifndef QUENZEL_BENCH_GENERATE_H_
#define QUENZEL_BENCH_GENERATE_H_

#include <string>

namespace quenzel_bench {

// One field line of each kind, cycled through a record's fields.
inline std::string FieldLine(int number, int kind) {
  const std::string n = std::to_string(number);
  const std::string name = "name=\"F" + n + "\"";
  switch (kind % 10) {
    case 0:
      return n + " NUMERIC " + name + " 6 0 KEYPOS = \"F1\" 1-999999 // key\n";
    case 1:
      return n + " STRING " + name + " 24 INITVALUE= \"New item\"\n";
    case 2:
      return n + " PRICE " + name + " 7 0 0-9999999\n";
    case 3:
      return n + " FLAG " + name + " 1 N Y,N\n";
    case 4:
      return n + " WEIGHT " + name + " 6 0 0-99999 // weight\n";
    case 5:
      return n + " TEXT " + name + " 400 SPLITCNT 4 100 DELCTLCH\n";
    case 6:
      return n + " BARCODE " + name + " 13 0 NOPARTIAL\n";
    case 7:
      return n + " CHARACTER " + name + " 1 X A-Z\n";
    case 8:
      return n + " YEAR " + name + " 4 0 1900-2099\n";
    default:
      return n + " NSTRING " + name + " 12 #\n";
  }
}

// `records` record blocks of `fields` fields each.
inline std::string DefinitionFile(int records, int fields) {
  std::string text = "; generated definition file\n";
  for (int r = 0; r < records; ++r) {
    text += "#" + std::to_string(100 + r) + " SEND table:action \"REC" + std::to_string(r) + "\"\n";
    for (int f = 1; f <= fields; ++f) text += FieldLine(f, f + r);
  }
  return text;
}

}  // namespace quenzel_bench

#endif  // QUENZEL_BENCH_GENERATE_H_
