// show: the records of a definition file, or one record's fields, as a
// table or as JSON.
#include "catalogue.h"
#include "commands.h"
#include "definition_walk.h"
#include "diagnostics.h"
#include "output.h"
#include "record_tables.h"

namespace quenzel_tool {

int Show(const CommonOptions& common, const ShowOptions& options) {
  if (!OutputSpareInputs(common.output, {common.file})) return kExitUsage;
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
      const DefinitionWalk walk(catalogue.text());
      for (const CQuenzelRecord* record : records)
        all.push_back(RecordJson(*record, true, WrittenTypes(walk, *record)));
      text = Dump(all);
    } else {
      text = RecordTable(records);
      text.pop_back();
    }
  } else {
    const CQuenzelRecord* record = catalogue.Find(options.record);
    if (record == nullptr) {
      Diag().Error(catalogue.NoRecord(options.record));
      return kExitBad;
    }
    const std::vector<std::string> types = WrittenTypes(DefinitionWalk(catalogue.text()), *record);
    if (options.json) {
      text = Dump(RecordJson(*record, true, types));
    } else {
      text = FieldTable(*record, types);
      text.pop_back();
    }
  }
  return out.WriteLine(text) && out.Finish() ? kExitOk : kExitBad;
}

}  // namespace quenzel_tool
