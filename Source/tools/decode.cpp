// decode: data records from files or a pipe, printed as JSON one by one.
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <map>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "catalogue.h"
#include "commands.h"
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
  // rest of that input is not read) or the output failed.
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
  for (long long index = 1; buffer.NextRecord(); ++index) {
    const std::string where = "quenzel: " + name + ": record " + std::to_string(index) + " (byte " +
                              std::to_string(buffer.MarkOffset()) + "): ";
    auto failed = [&](const std::string& why) {
      std::cerr << where << why << "\n";
      ++tally_.failures;
      return false;
    };
    const CQuenzelRecord* definition = fixed_;
    if (definition == nullptr) {
      int number = 0;
      std::string found;
      if (!buffer.PeekNumber(number, found))
        return failed("no record number: " + found + " where a record begins");
      definition = catalogue_.ByNumber(number);
      if (definition == nullptr)
        return failed("record " + std::to_string(number) + " is not defined in " +
                      catalogue_.name());
    }
    CQuenzelRecord record = *definition;
    in.clear();
    quenzel::detail::DataRecordDiagnosis why;
    quenzel::detail::ReadRecord(in, record, &why);
    if (in.fail()) {
      if (buffer.error() != 0)
        return failed(std::string("a read error: ") + std::strerror(buffer.error()));
      return failed("record " + std::to_string(definition->recordNumber) + " (" + definition->name +
                    ") does not read, stopped at byte " + std::to_string(buffer.Offset()) + ": " +
                    Explain(record, why));
    }
    const std::vector<std::string> outOfRange = OutOfRange(record, why);
    for (const std::string& value : outOfRange) std::cerr << where << "warning: " << value << "\n";
    tally_.outOfRange += static_cast<long long>(outOfRange.size());
    auto& count = tally_.read[record.recordNumber];
    count.first = record.name;
    ++count.second;
    if (outputFailed_ || (!options_.check && !out_.WriteLine(DecodedJson(record), false))) {
      outputFailed_ = true;
      return false;
    }
  }
  if (buffer.error() != 0) {
    std::cerr << "quenzel: " << name
              << ": a read error stopped the input: " << std::strerror(buffer.error()) << "\n";
    ++tally_.failures;
    return false;
  }
  return true;
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
    std::cerr
        << "quenzel: the definition file and the data records cannot both be standard input\n";
    return kExitUsage;
  }
  if (int status = ApplySettings(common); status != kExitOk) return status;
  Catalogue catalogue;
  if (!catalogue.Load(common)) return kExitBad;
  const CQuenzelRecord* fixed = nullptr;
  if (!options.record.empty() && (fixed = catalogue.Find(options.record)) == nullptr) {
    std::cerr << "quenzel: " << catalogue.name() << " has no record " << options.record
              << DidYouMean(options.record, catalogue.RecordNames()) << "\n";
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
      std::cerr << "quenzel: cannot open " << input << ": " << std::strerror(errno) << "\n";
      ok = false;
    } else {
      ok = decoder.DecodeInput(fd, standardInput ? "standard input" : input) && ok;
      if (!standardInput) CloseInput(fd);
    }
    if (decoder.outputFailed() || (!ok && !options.keepGoing)) break;
  }
  if (options.check && !decoder.outputFailed()) out.WriteLine(Summary(decoder.tally()));
  if (!out.Finish() || decoder.outputFailed()) return kExitBad;
  if (!ok) return kExitBad;
  return options.check && decoder.tally().outOfRange > 0 ? kExitBad : kExitOk;
}

}  // namespace quenzel_tool
