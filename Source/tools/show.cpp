// show: the records of a definition file, or one record's fields, as a
// table or as JSON.
#include <iostream>

#include "catalogue.h"
#include "commands.h"
#include "output.h"
#include "record_tables.h"
#include "suggest.h"

namespace quenzel_tool {

int Show(const CommonOptions& common, const ShowOptions& options) {
  if (int status = ApplySettings(common); status != kExitOk) return status;
  Output out;
  if (!out.Open(common.output)) return kExitBad;
  Catalogue catalogue;
  if (!catalogue.Load(common)) return kExitBad;
  std::string text;
  if (options.record.empty()) {
    const std::vector<const CQuenzelRecord*> records = catalogue.ByNumberOrder();
    if (options.json) {
      json all = json::array();
      for (const CQuenzelRecord* record : records) all.push_back(RecordJson(*record, true));
      text = Dump(all);
    } else {
      text = RecordTable(records);
      text.pop_back();
    }
  } else {
    const CQuenzelRecord* record = catalogue.Find(options.record);
    if (record == nullptr) {
      std::cerr << "quenzel: " << catalogue.name() << " has no record " << options.record
                << DidYouMean(options.record, catalogue.RecordNames()) << "\n";
      return kExitBad;
    }
    if (options.json) {
      text = Dump(RecordJson(*record, true));
    } else {
      text = FieldTable(*record);
      text.pop_back();
    }
  }
  return out.WriteLine(text) && out.Finish() ? kExitOk : kExitBad;
}

}  // namespace quenzel_tool
