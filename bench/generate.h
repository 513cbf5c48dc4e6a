// Generated benchmark input: large definition files of mixed field types
// and the data records that go with them.
#ifndef QUENZEL_BENCH_GENERATE_H_
#define QUENZEL_BENCH_GENERATE_H_

#include <string>
#include <vector>

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

// The record of the data-record benchmarks: 20 fields of mixed types.
inline const char* StreamRecordDefinition() {
  return "12 SEND table:action \"ITEM\"\n"
         "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
         "2 BARCODE name=\"EAN\" 13 0 \n"
         "3 STRING name=\"DESCRIPTION\" 24 #\n"
         "4 NSTRING name=\"SHORTNAME\" 12 #\n"
         "5 PRICE name=\"PRICE\" 7 0 0-9999999\n"
         "6 PRICEBASE name=\"PB\" 1 0 0,1\n"
         "7 WEIGHT name=\"TARE\" 6 0 0-99999\n"
         "8 UOM name=\"UOM\" 1 1 0,1\n"
         "9 NUMERIC name=\"GROUP\" 4 0 1-9999\n"
         "10 CURRENCY name=\"DEPOSIT\" 5 0 0-99999\n"
         "11 YEAR name=\"BESTBEFORE\" 4 2000 1900-2099\n"
         "12 PERCENTAGE name=\"DISCOUNT\" 3 0 0-100\n"
         "13 TEXT name=\"INGREDIENTS\" 400 #\n"
         "14 FLAG name=\"ACTIVE\" 1 N Y,N\n"
         "15 CHARACTER name=\"CLASS\" 1 X A-Z\n"
         "16 VALUE name=\"POINTS\" 5 0 0-99999\n"
         "17 STRING name=\"ORIGIN\" 20 #\n"
         "18 NUMERIC name=\"SHELFLIFE\" 3 0 0-999\n"
         "19 FONT name=\"FONT\" 1 A A,B,C\n"
         "20 TEXTNOTR name=\"NOTES\" 60 #\n";
}

// Values for record `i` of the stream, one per field of
// StreamRecordDefinition(), all within the fields' ranges.
inline std::vector<std::string> StreamRecordValues(int i) {
  static const char* const kWords[] = {"Gouda", "Brie", "Emmental", "Cheddar", "Feta", "Edam"};
  const std::string word = kWords[i % 6];
  return {std::to_string(1 + i % 999999),
          std::to_string(4006381333000LL + i),
          word + " cheese, " + std::to_string(i % 97) + " weeks",
          word.substr(0, 4),
          std::to_string(199 + (i * 7) % 9000),
          std::to_string(i % 2),
          std::to_string(i % 500),
          std::to_string((i / 2) % 2),
          std::to_string(1 + i % 9999),
          std::to_string(i % 100),
          std::to_string(1990 + i % 100),
          std::to_string(i % 50),
          "Milk, salt, rennet, cultures. Store below 7 degrees. Batch " + std::to_string(i),
          i % 3 ? "Y" : "N",
          std::string(1, static_cast<char>('A' + i % 26)),
          std::to_string(i % 99999),
          "Netherlands",
          std::to_string(i % 999),
          std::string(1, static_cast<char>('A' + i % 3)),
          "Counter " + std::to_string(i % 12)};
}

}  // namespace quenzel_bench

#endif  // QUENZEL_BENCH_GENERATE_H_
