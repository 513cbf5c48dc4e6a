// check: whether a definition file loads, what it holds, and with --strict
// the lines that load but lose their meaning.
#include <iostream>

#include "catalogue.h"
#include "commands.h"
#include "definition_walk.h"
#include "output.h"
#include "record_tables.h"

namespace quenzel_tool {

int Check(const CommonOptions& common, const CheckOptions& options) {
  if (int status = ApplySettings(common); status != kExitOk) return status;
  Output out;
  if (!out.Open(common.output)) return kExitBad;
  Catalogue catalogue;
  if (!catalogue.Load(common)) return kExitBad;
  int status = kExitOk;
  if (options.strict) {
    const DefinitionWalk walk(catalogue.text());
    const std::vector<std::string> warnings = Warnings(walk, catalogue.text(), catalogue.name());
    for (const std::string& warning : warnings) std::cerr << warning << "\n";
    if (!warnings.empty()) {
      std::cerr << catalogue.name() << ": " << warnings.size() << " warning"
                << (warnings.size() == 1 ? "" : "s") << " (--strict)\n";
      status = kExitBad;
    }
  }
  const std::vector<const CQuenzelRecord*> records = catalogue.ByNumberOrder();
  std::string text = catalogue.name() + ": " + std::to_string(records.size()) + " record" +
                     (records.size() == 1 ? "" : "s") + "\n" + RecordTable(records);
  text.pop_back();
  return out.WriteLine(text) && out.Finish() ? status : kExitBad;
}

}  // namespace quenzel_tool
