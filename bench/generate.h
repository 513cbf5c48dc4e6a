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

// The shapes of content every catalogue and data-record benchmark runs on:
// the item catalogue above, and two generated ones that stress other parts
// of the library. A shape gives the definition file, the record its data
// records use (its first block, numbered 12) and that record's values.
enum class ShapeKind { kItems, kNumeric, kText };

struct Shape {
  ShapeKind kind;
  const char* name;
  int records;        // record blocks in the definition file
  int fields;         // fields per block
  int streamRecords;  // data records in a benchmark's batch
};

// items: 2,000 records of 30 mixed fields (the project's catalogue);
// numeric: 5,000 records of 12 fields, short texts and value lists on most;
// text: 200 records of 200 fields, long texts, Base64 and code-page texts.
// The batches are a few megabytes each.
inline const std::vector<Shape>& Shapes() {
  static const std::vector<Shape> shapes = {{ShapeKind::kItems, "items", 2000, 30, 100000},
                                            {ShapeKind::kNumeric, "numeric", 5000, 12, 100000},
                                            {ShapeKind::kText, "text", 200, 200, 1000}};
  return shapes;
}

inline const Shape* FindShape(const std::string& name) {
  for (const Shape& shape : Shapes())
    if (name == shape.name) return &shape;
  return nullptr;
}

// Numeric shape: number, listed number, price, flag, weight, short text,
// unit of measure, character, year, listed percentage, short text, font.
inline std::string NumericFieldLine(int number, int kind) {
  const std::string n = std::to_string(number);
  const std::string name = "name=\"N" + n + "\"";
  switch (kind % 12) {
    case 0:
      return n + " NUMERIC " + name + " 6 0 " + (number == 1 ? "KEYPOS = \"F1\" " : "") +
             "1-999999\n";
    case 1:
      return n + " NUMERIC " + name + " 4 0 1,2,3,5,8,13,21,100-200\n";
    case 2:
      return n + " PRICE " + name + " 7 0 0-9999999\n";
    case 3:
      return n + " FLAG " + name + " 1 N Y,N\n";
    case 4:
      return n + " WEIGHT " + name + " 6 0 0-99999\n";
    case 5:
      return n + " STRING " + name + " 8 #\n";
    case 6:
      return n + " UOM " + name + " 1 1 0,1\n";
    case 7:
      return n + " CHARACTER " + name + " 1 X A-Z\n";
    case 8:
      return n + " YEAR " + name + " 4 0 1900-2099\n";
    case 9:
      return n + " PERCENTAGE " + name + " 3 0 0,5,10,15,20,25,50\n";
    case 10:
      return n + " NSTRING " + name + " 6 #\n";
    default:
      return n + " FONT " + name + " 1 A A,B,C\n";
  }
}

inline std::string NumericFieldValue(int kind, int i) {
  static const char* const kWords[] = {"Gouda", "Brie", "Edam", "Feta"};
  switch (kind % 12) {
    case 0:
      return std::to_string(1 + i % 999999);
    case 1: {
      static const int kListed[] = {1, 2, 3, 5, 8, 13, 21, 100, 150, 200};
      return std::to_string(kListed[i % 10]);
    }
    case 2:
      return std::to_string(199 + (i * 7) % 9000);
    case 3:
      return i % 3 ? "Y" : "N";
    case 4:
      return std::to_string(i % 5000);
    case 5:
      return std::string(kWords[i % 4]) + " " + std::to_string(i % 100);
    case 6:
      return std::to_string(i % 2);
    case 7:
      return std::string(1, static_cast<char>('A' + i % 26));
    case 8:
      return std::to_string(1990 + i % 100);
    case 9:
      return std::to_string(5 * (i % 6));
    case 10:
      return kWords[(i / 4) % 4];
    default:
      return std::string(1, static_cast<char>('A' + i % 3));
  }
}

// A long comment, in the definition file's code page (cp-1252 bytes).
inline std::string LongComment(int number) {
  return " // Beschreibung f\xfcr Feld " + std::to_string(number) +
         ": Zutaten, Allergene, Herkunft und Lagerhinweise, wie sie auf dem Etikett "
         "stehen; Pr\xfc"
         "fung durch die Qualit\xe4tssicherung, Fassung " +
         std::to_string(number % 7) + "\n";
}

// Text shape: long texts with long comments, Base64 (CLOB), code-page
// texts, a few numbers.
inline std::string TextFieldLine(int number, int kind) {
  const std::string n = std::to_string(number);
  const std::string name = "name=\"Text field " + n + "\"";
  switch (kind % 10) {
    case 0:
      return n + " NUMERIC " + name + " 6 0 " + (number == 1 ? "KEYPOS = \"F1\" " : "") +
             "1-999999\n";
    case 1:
      return n + " TEXT " + name + " 400 SPLITCNT 4 100 DELCTLCH" + LongComment(number);
    case 2:
      return n + " CLOB " + name + " 4000 #" + LongComment(number);
    case 3:
      return n + " STRING " + name + " 60 INITVALUE= \"Neuer Artikel, bitte Text eingeben\"\n";
    case 4:
      return n + " TEXTNOTR " + name + " 200 #" + LongComment(number);
    case 5:
      return n + " NSTRING " + name + " 40 #\n";
    case 6:
      return n + " TEXT " + name + " 1000 #" + LongComment(number);
    case 7:
      return n + " STRING " + name + " 80" + LongComment(number);
    case 8:
      return n + " CLOB " + name + " 4000 #\n";
    default:
      return n + " PRICE " + name + " 7 0 0-9999999\n";
  }
}

// The Base64 text of `bytes` pseudo-random bytes (a label image, say).
inline std::string Base64Value(int bytes, int seed) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  unsigned state = 2654435761u * static_cast<unsigned>(seed + 1);
  for (int i = 0; i < bytes / 3 * 4; ++i) {
    state = state * 1103515245u + 12345u;
    text += kDigits[(state >> 16) & 63];
  }
  return text;
}

inline std::string TextFieldValue(int kind, int i) {
  static const char* const kSentences[] = {
      "Milch, Salz, Lab, Kulturen. K\xc3\xbchl lagern bei h\xc3\xb6"
      "chstens 7 \xc2\xb0"
      "C. ",
      "Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65 \xc3\xa0 la vanille, p\xc3\xa2tisserie maison. ",
      "Ingredients: wheat flour, water, yeast, salt; may contain traces of nuts. ",
      "Herkunft: Gro\xc3\x9f\x62ritannien, gereift 12 Monate, \xc3\xa0 point. "};
  const std::string sentence = kSentences[i % 4];
  switch (kind % 10) {
    case 0:
      return std::to_string(1 + i % 999999);
    case 1: {
      std::string text;
      for (int s = 0; s < 5; ++s) text += kSentences[(i + s) % 4];
      return text + std::to_string(i);
    }
    case 2:
      return Base64Value(300, i);
    case 3:
      return sentence + std::to_string(i % 1000);
    case 4:
      return sentence + sentence + std::to_string(i);
    case 5:
      return "Gr\xc3\xbc\xc3\x9f"
             "e aus K\xc3\xb6ln " +
             std::to_string(i % 100);
    case 6: {
      std::string text;
      for (int s = 0; s < 8; ++s) text += kSentences[(i + s) % 4];
      return text;
    }
    case 7:
      return "Artikel " + std::to_string(i) + ", " + sentence;
    case 8:
      return Base64Value(120, i + 7);
    default:
      return std::to_string(199 + (i * 7) % 9000);
  }
}

// The definition file of `shape`.
inline std::string ShapeDefinitionFile(const Shape& shape) {
  if (shape.kind == ShapeKind::kItems) return DefinitionFile(shape.records, shape.fields);
  std::string text = "; generated definition file, shape " + std::string(shape.name) + "\n";
  for (int r = 0; r < shape.records; ++r) {
    text += "#" + std::to_string(100 + r) + " SEND table:action \"" + shape.name +
            std::to_string(r) + "\"\n";
    for (int f = 1; f <= shape.fields; ++f)
      text += shape.kind == ShapeKind::kNumeric ? NumericFieldLine(f, f - 1 + r)
                                                : TextFieldLine(f, f - 1 + r);
  }
  return text;
}

// The block of the record the data records of `shape` use, without its
// leading '#', as CQuenzelRecord::Read takes it.
inline std::string ShapeStreamDefinition(const Shape& shape) {
  if (shape.kind == ShapeKind::kItems) return StreamRecordDefinition();
  std::string text = "12 SEND table:action \"" + std::string(shape.name) + "\"\n";
  for (int f = 1; f <= shape.fields; ++f)
    text +=
        shape.kind == ShapeKind::kNumeric ? NumericFieldLine(f, f - 1) : TextFieldLine(f, f - 1);
  return text;
}

// Values for record `i` of the stream of `shape`, one per field, UTF-8.
inline std::vector<std::string> ShapeStreamValues(const Shape& shape, int i) {
  if (shape.kind == ShapeKind::kItems) return StreamRecordValues(i);
  std::vector<std::string> values;
  for (int f = 0; f < shape.fields; ++f)
    values.push_back(shape.kind == ShapeKind::kNumeric ? NumericFieldValue(f, i + f)
                                                       : TextFieldValue(f, i + f));
  return values;
}

}  // namespace quenzel_bench

#endif  // QUENZEL_BENCH_GENERATE_H_
