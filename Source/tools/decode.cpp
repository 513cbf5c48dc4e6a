// decode: data records from files or a pipe, printed as JSON one by one.
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "catalogue.h"
#include "commands.h"
#include "diagnostics.h"
#include "json_records.h"
#include "output.h"
#include "record_input.h"
#include "suggest.h"

namespace quenzel_tool {

namespace {

struct Tally {
  std::map<int, std::pair<std::string, long long>> read;  // number -> name, count
  long long outOfRange = 0;
  long long failures = 0;
};

class Decoder {
 public:
  Decoder(const Catalogue& catalogue, const CQuenzelRecord* fixed, const DecodeOptions& options,
          Output& out)
      : catalogue_(catalogue), fixed_(fixed), options_(options), out_(out) {}

  // Decodes every record of one input; false when a record failed (the
  // rest of that input is read only with --keep-going) or the output failed.
  bool DecodeInput(int fd, const std::string& name);
  const Tally& tally() const { return tally_; }
  bool outputFailed() const { return outputFailed_; }

 private:
  const Catalogue& catalogue_;
  const CQuenzelRecord* fixed_;
  const DecodeOptions& options_;
  Output& out_;
  Tally tally_;
  bool outputFailed_ = false;
};

bool Decoder::DecodeInput(int fd, const std::string& name) {
  // Records are printed as they are read, and handed on whenever the input
  // has to be waited for: at once from a pipe, in blocks from a file.
  CaptureBuffer buffer(fd, [this] {
    if (!out_.Flush()) outputFailed_ = true;
  });
  std::istream in(&buffer);
  bool ok = true;
  for (long long index = 1; buffer.NextRecord(); ++index) {
    Location where = Location::At(name, 0, 0, static_cast<long long>(buffer.MarkOffset()));
    buffer.MarkLine(where.line, where.column);
    const std::string prefix =
        "record " + std::to_string(index) + " (byte " + std::to_string(buffer.MarkOffset()) + "): ";
    // A record that does not read: reported, and with --keep-going skipped
    // up to the next record boundary, as the library's reader finds it.
    auto failed = [&](const std::string& why) {
      Diag().Error(where, prefix + why);
      ++tally_.failures;
      ok = false;
      if (!options_.keepGoing || buffer.error() != 0) return false;
      buffer.RewindToMark();
      in.clear();
      quenzel::detail::SkipRecord(in);
      in.clear();
      if (buffer.Offset() == buffer.MarkOffset()) buffer.SkipByte();
      const std::uint64_t skipped = buffer.Offset() - buffer.MarkOffset();
      Diag().Report(Severity::kNote, where,
                    "skipped " + std::to_string(skipped) + " byte" + (skipped == 1 ? "" : "s") +
                        " from byte " + std::to_string(buffer.MarkOffset()) +
                        " up to the next record boundary");
      return true;
    };
    const CQuenzelRecord* definition = fixed_;
    if (definition == nullptr) {
      int number = 0;
      std::string found;
      if (!buffer.PeekNumber(number, found)) {
        if (failed("no record number: " + found + " where a record begins")) continue;
        return false;
      }
      definition = catalogue_.ByNumber(number);
      if (definition == nullptr) {
        if (failed("record " + std::to_string(number) + " is not defined in " + catalogue_.name()))
          continue;
        return false;
      }
    }
    CQuenzelRecord record = *definition;
    in.clear();
    quenzel::detail::DataRecordDiagnosis why;
    quenzel::detail::ReadRecord(in, record, &why);
    if (in.fail()) {
      if (buffer.error() != 0)
        return failed(std::string("a read error: ") + std::strerror(buffer.error()));
      if (failed("record " + std::to_string(definition->recordNumber) + " (" +
                 NameToUtf8(definition->name) + ") does not read, stopped at byte " +
                 std::to_string(buffer.Offset()) + ": " +
                 Explain(record, why, buffer.Marked(), buffer.MarkOffset())))
        continue;
      return false;
    }
    const std::vector<std::string> outOfRange = OutOfRange(record, why);
    for (const std::string& value : outOfRange) Diag().Warning(where, prefix + value);
    tally_.outOfRange += static_cast<long long>(outOfRange.size());
    auto& count = tally_.read[record.recordNumber];
    count.first = NameToUtf8(record.name);
    ++count.second;
    if (outputFailed_ || (!options_.check && !out_.WriteLine(DecodedJson(record), false))) {
      outputFailed_ = true;
      return false;
    }
  }
  if (buffer.error() != 0) {
    Diag().Error(Location::At(name, 0, 0),
                 std::string("a read error stopped the input: ") + std::strerror(buffer.error()));
    ++tally_.failures;
    return false;
  }
  return ok;
}

int OpenInput(const std::string& path) {
#ifdef _WIN32
  return ::_open(path.c_str(), _O_RDONLY | _O_BINARY);
#else
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
}

void CloseInput(int fd) {
#ifdef _WIN32
  ::_close(fd);
#else
  ::close(fd);
#endif
}

std::string Summary(const Tally& tally) {
  long long total = 0;
  for (const auto& entry : tally.read) total += entry.second.second;
  std::string text = "records read: " + std::to_string(total) + "\n";
  for (const auto& entry : tally.read)
    text += "  " + std::to_string(entry.first) + " " +
            (entry.second.first.empty() ? "-" : entry.second.first) + ": " +
            std::to_string(entry.second.second) + "\n";
  text += "values outside their list or range: " + std::to_string(tally.outOfRange) + "\n";
  text += "records that did not read: " + std::to_string(tally.failures);
  return text;
}

}  // namespace

int Decode(const CommonOptions& common, const DecodeOptions& options) {
  std::vector<std::string> inputs = options.inputs;
  if (inputs.empty()) inputs.emplace_back("-");
  if (common.file == "-" && std::find(inputs.begin(), inputs.end(), "-") != inputs.end()) {
    Diag().Error("the definition file and the data records cannot both be standard input");
    return kExitUsage;
  }
  std::vector<std::string> read = inputs;
  read.push_back(common.file);
  if (!OutputSpareInputs(common.output, read)) return kExitUsage;
  if (int status = ApplySettings(common); status != kExitOk) return status;
  Catalogue catalogue;
  if (!catalogue.Load(common)) return kExitBad;
  const CQuenzelRecord* fixed = nullptr;
  if (!options.record.empty() && (fixed = catalogue.Find(options.record)) == nullptr) {
    Diag().Error(catalogue.NoRecord(options.record));
    return kExitBad;
  }
  Output out;
  if (!out.Open(common.output)) return kExitBad;
  Decoder decoder(catalogue, fixed, options, out);
  bool ok = true;
  for (const std::string& input : inputs) {
    const bool standardInput = input == "-";
    const int fd = standardInput ? 0 : OpenInput(input);
    if (fd < 0) {
      Diag().Error("cannot open " + input + ": " + std::strerror(errno));
      ok = false;
    } else {
      ok = decoder.DecodeInput(fd, standardInput ? "standard input" : input) && ok;
      if (!standardInput) CloseInput(fd);
    }
    if (decoder.outputFailed() || (!ok && !options.keepGoing)) break;
  }
  if (options.check && !decoder.outputFailed()) out.WriteLine(Summary(decoder.tally()));
  int status = ok ? kExitOk : kExitBad;
  if (options.check && decoder.tally().outOfRange > 0) status = kExitBad;
  if (Diag().warningsAsErrors() && Diag().errors() > 0) status = kExitBad;
  if (!out.Finish(status == kExitOk) || decoder.outputFailed()) return kExitBad;
  return status;
}

}  // namespace quenzel_tool
