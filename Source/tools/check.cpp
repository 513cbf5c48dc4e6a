// check: whether a definition file loads, what it holds, what the library
// drops of it, and with --strict the lines that load but lose their meaning.
#include "catalogue.h"
#include "commands.h"
#include "definition_walk.h"
#include "diagnostics.h"
#include "output.h"
#include "record_tables.h"

namespace quenzel_tool {

namespace {

std::string Counted(std::size_t count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

int Check(const CommonOptions& common, const CheckOptions& options) {
  if (!OutputSpareInputs(common.output, {common.file})) return kExitUsage;
  if (int status = ApplySettings(common); status != kExitOk) return status;
  Output out;
  if (!out.Open(common.output)) return kExitBad;
  Catalogue catalogue;
  if (!catalogue.Load(common)) return kExitBad;
  int status = kExitOk;
  const DefinitionWalk walk(catalogue.text());
  const Location file = Location::At(catalogue.name(), 0, 0);
  if (options.strict) {
    const std::vector<Finding> warnings = Warnings(walk, catalogue.text());
    for (const Finding& warning : warnings)
      Diag().Warning(Location::At(catalogue.name(), warning.line, 1), warning.message);
    if (!warnings.empty()) {
      Diag().Report(Severity::kNote, file, Counted(warnings.size(), "warning") + " (--strict)");
      status = kExitBad;
    }
  }
  // Even without --strict, a block the library drops is an error: its
  // records are silently missing from every program that loads the file.
  const Losses lost = Lost(walk, catalogue.text());
  if (lost.blocks > 0) {
    Diag().Error(file, Counted(static_cast<std::size_t>(lost.blocks), "record block") +
                           " dropped, " + Counted(static_cast<std::size_t>(lost.lines), "line") +
                           " lost" +
                           (options.strict ? "" : " (check --strict says where and why)"));
    status = kExitBad;
  }
  if (Diag().warningsAsErrors() && Diag().warnings() + Diag().errors() > 0) status = kExitBad;
  const std::vector<const CQuenzelRecord*> records = catalogue.ByNumberOrder();
  std::string text =
      catalogue.name() + ": " + Counted(records.size(), "record") + "\n" + RecordTable(records);
  text.pop_back();
  const bool written = out.WriteLine(text) && out.Finish(status == kExitOk);
  return written ? status : kExitBad;
}

}  // namespace quenzel_tool
