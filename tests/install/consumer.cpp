// A host program built against the installed package: loads the example
// definition file named on the command line (relative to the zqapi
// directory of the registry's ZQEXE) and prints one record.
#include <quenzel.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  CQuenzelFile catalogue;
  if (!catalogue.Initialise(argv[1], "", nullptr, "")) return 1;
  CQuenzelRecord* item = catalogue.GetRecord(12);
  if (item == nullptr) return 1;
  CQuenzelRecord copy = *item;
  std::printf("record %d %s: %zu fields, key %s, error name %s\n", copy.recordNumber,
              copy.GetName().c_str(), copy.fields.size(), copy.keyF1Name.c_str(),
              QuenzelErrorName(QuenzelError::kRangeWarning));
  return 0;
}
