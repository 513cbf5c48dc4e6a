// A small host program for the quenzel library (docs/host-program.md).
//
// It loads the shop's definition file, fills a copy of record 12 (ITEM)
// through the checking setters, writes it as a data record, reads the
// scale's answer back and prints what arrived. The registry export named by
// CFGSTORE_FILE tells the library where the definition file is (ZQEXE), its
// code page and the scale's weight units.
//
//   host_program [DEFINITION-FILE]     (default: shop.def)
#include <quenzel.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

// The host counts weights in hundredths of a kilogram: measurement system 1
// (kilograms), scaling factor -2 (units of 10^-2 kg).
constexpr int kHostSystem = 1;
constexpr int kHostFactor = -2;

// The answer the scale sends for the item, as the driver hands it over: a
// data record in the definition's code page (0xE9 is "e acute" in 1252),
// with the weight in the host's units.
const char kScaleAnswer[] = "12 1 4 \"4711\" 3 14 \"Caf\xe9 rye bread\" 5 3 \"379\" 7 3 \"150\" 0 ";

// The field `name` of `record`; the program stops when the definition lacks it.
CQuenzelField& Field(CQuenzelRecord& record, const char* name) {
  CQuenzelField* field = record.FindField(name);
  if (field == nullptr) {
    std::fprintf(stderr, "record %d has no field %s\n", record.recordNumber, name);
    std::exit(1);
  }
  return *field;
}

// Prints what a setter said when it was not plain success.
void Report(const char* what, QuenzelError result, const CQuenzelField& field) {
  if (result == QuenzelError::kNone) return;
  std::printf("  %-14s %s: rejected \"%s\", field holds \"%s\"\n", what, QuenzelErrorName(result),
              field.m_Rejected.c_str(), field.m_Value.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string fileName = argc > 1 ? argv[1] : "shop.def";

  // 1. Load the catalogue. "POS" names the audit log the library writes to.
  CQuenzelFile catalogue;
  if (!catalogue.Initialise(fileName, "POS", nullptr, "")) {
    const QuenzelReadError error = QuenzelLastReadError();
    std::fprintf(stderr, "cannot load %s (line %d, token %d, record %d, field %d)\n",
                 error.definitionPath.c_str(), error.line, error.token, error.recordNumber,
                 error.fieldNumber);
    return 1;
  }
  const CQuenzelRecord* itemTemplate = catalogue.GetRecord(12);
  if (itemTemplate == nullptr) {
    std::fprintf(stderr, "%s defines no record 12\n", catalogue.definitionPath.c_str());
    return 1;
  }
  std::printf("loaded %zu records from %s\n", catalogue.records.size(), fileName.c_str());

  // 2. Work on a copy; the template stays as the definition made it.
  CQuenzelRecord item = *itemTemplate;
  std::printf("record %d %s: %zu fields, key field %s\n", item.recordNumber, item.GetName().c_str(),
              item.fields.size(), item.keyF1Name.c_str());

  // 3. Tell the record the host's weight units. The record hands its
  //    measurement settings to its weight fields when it writes or reads a
  //    data record; writing it once to a scratch stream hands them over now,
  //    so that the setters below convert from the host's units.
  item.DriverSetRecordWeightDetails(kHostSystem, kHostFactor, false, false, true);
  std::ostringstream handOver;
  handOver << item;

  // 4. Fill the fields. Every setter checks the value against the definition.
  std::printf("setting fields:\n");
  CQuenzelField& plu = Field(item, "PLU");
  Report("PLU", plu.SetValue(4711, false), plu);
  plu.SetSupplied(true);  // the key is given
  CQuenzelField& description = Field(item, "DESCRIPTION");
  Report("DESCRIPTION", description.SetValueUTF8("Rye bread", false), description);
  CQuenzelField& price = Field(item, "PRICE");
  Report("PRICE 3,49", price.SetValue("3,49", false), price);  // not a number
  Report("PRICE 349", price.SetValue("349", false), price);
  CQuenzelField& priceBase = Field(item, "PB");
  Report("PB", priceBase.SetValue('1', false), priceBase);  // priced per piece
  CQuenzelField& tare = Field(item, "TARE");
  Report("TARE", tare.SetValue(125, false), tare);  // 1.25 kg in the host's units
  CQuenzelField& font = Field(item, "FONT");
  Report("FONT Z", font.SetValue('Z', false), font);  // not in its list A,B,C
  std::printf("  key supplied:  %s\n", item.CheckKeyFieldSupplied() ? "yes" : "no");

  long long tareHost = 0;
  tare.GetValue(tareHost);
  std::printf("  TARE holds %s (scale units), reads %lld (host units)\n", tare.m_Value.c_str(),
              tareHost);

  // 5. Write the data record for the driver.
  std::ostringstream request;
  request << item;
  std::printf("request: %s\n", request.str().c_str());

  // 6. Read the scale's answer into a fresh copy with the same host units.
  CQuenzelRecord answer = *itemTemplate;
  answer.DriverSetRecordWeightDetails(kHostSystem, kHostFactor, false, false, true);
  std::istringstream reply(kScaleAnswer);
  reply >> answer;
  if (reply.fail()) {
    std::fprintf(stderr, "the answer is not a valid data record for record 12\n");
    return 1;
  }

  // 7. Print what arrived, through the getters.
  long long number = 0;
  std::string text;
  std::printf("answer:\n");
  Field(answer, "PLU").GetValue(number);
  std::printf("  PLU            %lld\n", number);
  Field(answer, "DESCRIPTION").GetValueUTF8(text);
  std::printf("  DESCRIPTION    \"%s\" (UTF-8)\n", text.c_str());
  Field(answer, "PRICE").GetValue(number);
  std::printf("  PRICE          %lld\n", number);
  CQuenzelField& answerTare = Field(answer, "TARE");
  answerTare.GetValue(number);
  std::printf("  TARE           %lld (host units; the field holds %s)\n", number,
              answerTare.m_Value.c_str());
  char unit = 0;
  Field(answer, "UOM").GetValue(unit);
  std::printf("  UOM            %c (the definition's default)\n", unit);
  return 0;
}
