// A batch of data records (100,000 records of 20 mixed fields): writing it
// with operator<< and reading it back with operator>>, against the same
// content as JSON lines serialised and parsed with nlohmann-json (what a
// host might use instead) and with RapidJSON (the next anchor), and a plain
// copy of the bytes (the floor). Every writer appends to one output string
// kept across iterations, so that none of them pays for growing fresh
// memory page by page.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "generate.h"
#include "quenzel.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kDistinct = 1000;  // records written are cycled through these

CQuenzelRecord Template() {
  CQuenzelRecord read("bench", "");
  std::istringstream in(quenzel_bench::StreamRecordDefinition());
  read.Read(in);
  for (CQuenzelField& field : read.fields) field.m_CodePage = "cp-1252";
  return CQuenzelRecord(read);
}

struct Batch {
  std::vector<CQuenzelRecord> records;  // kDistinct filled records
  std::string stream;                   // kRecords data records
  std::string jsonLines;                // the same content, one JSON object per line
  std::vector<nlohmann::json> jsonObjects;
  std::vector<std::unique_ptr<rapidjson::Document>> rapidObjects;
};

const Batch& TheBatch() {
  static const Batch batch = [] {
    Batch b;
    CQuenzelRecord base = Template();
    for (int i = 0; i < kDistinct; ++i) {
      CQuenzelRecord record = base;
      std::vector<std::string> values = quenzel_bench::StreamRecordValues(i);
      for (std::size_t f = 0; f < values.size(); ++f)
        record.fields[f].SetValueUTF8(values[f], false);
      b.records.push_back(record);
      nlohmann::json object;
      for (std::size_t f = 0; f < values.size(); ++f)
        object[std::to_string(record.fields[f].m_FieldNumber)] = values[f];
      b.jsonObjects.push_back(object);
      auto doc = std::make_unique<rapidjson::Document>();
      doc->SetObject();
      for (std::size_t f = 0; f < values.size(); ++f) {
        rapidjson::Value key(std::to_string(record.fields[f].m_FieldNumber).c_str(),
                             doc->GetAllocator());
        rapidjson::Value value(values[f].c_str(), doc->GetAllocator());
        doc->AddMember(key, value, doc->GetAllocator());
      }
      b.rapidObjects.push_back(std::move(doc));
    }
    std::ostringstream stream, lines;
    for (int i = 0; i < kRecords; ++i) {
      stream << b.records[static_cast<std::size_t>(i % kDistinct)];
      lines << b.jsonObjects[static_cast<std::size_t>(i % kDistinct)].dump() << '\n';
    }
    b.stream = stream.str();
    b.jsonLines = lines.str();
    return b;
  }();
  return batch;
}

// A stream buffer that appends to a string, as the JSON baseline does: the
// data-record writer's cost, not a string stream's growth policy.
class StringSink : public std::streambuf {
 public:
  std::string text;

 protected:
  int_type overflow(int_type c) override {
    if (c != traits_type::eof()) text.push_back(static_cast<char>(c));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    text.append(s, static_cast<std::size_t>(n));
    return n;
  }
};

// A stream buffer over bytes that stay where they are, as the JSON parsers
// read them: the reader's cost, not that of copying the batch into a string
// stream.
class ViewBuffer : public std::streambuf {
 public:
  explicit ViewBuffer(const std::string& bytes) {
    char* begin = const_cast<char*>(bytes.data());
    setg(begin, begin, begin + bytes.size());
  }
};

void Count(benchmark::State& state, std::size_t bytes) {
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

void BM_WriteRecords(benchmark::State& state) {
  std::vector<CQuenzelRecord> records = TheBatch().records;
  StringSink sink;
  for (auto _ : state) {
    sink.text.clear();
    std::ostream out(&sink);
    for (int i = 0; i < kRecords; ++i) out << records[static_cast<std::size_t>(i % kDistinct)];
    benchmark::DoNotOptimize(sink.text.data());
  }
  Count(state, TheBatch().stream.size());
}
BENCHMARK(BM_WriteRecords)->Unit(benchmark::kMillisecond);

void BM_ReadRecords(benchmark::State& state) {
  const Batch& batch = TheBatch();
  CQuenzelRecord record = Template();
  for (auto _ : state) {
    ViewBuffer bytes(batch.stream);
    std::istream in(&bytes);
    for (int i = 0; i < kRecords; ++i) {
      in >> record;
      if (in.fail()) state.SkipWithError("a record did not read");
    }
  }
  Count(state, batch.stream.size());
}
BENCHMARK(BM_ReadRecords)->Unit(benchmark::kMillisecond);

void BM_JsonSerialise(benchmark::State& state) {
  const Batch& batch = TheBatch();
  std::string out;
  for (auto _ : state) {
    out.clear();
    for (int i = 0; i < kRecords; ++i) {
      out += batch.jsonObjects[static_cast<std::size_t>(i % kDistinct)].dump();
      out += '\n';
    }
    benchmark::DoNotOptimize(out.data());
  }
  Count(state, batch.jsonLines.size());
}
BENCHMARK(BM_JsonSerialise)->Unit(benchmark::kMillisecond);

void BM_JsonParse(benchmark::State& state) {
  const Batch& batch = TheBatch();
  for (auto _ : state) {
    std::size_t start = 0;
    while (start < batch.jsonLines.size()) {
      std::size_t end = batch.jsonLines.find('\n', start);
      nlohmann::json object =
          nlohmann::json::parse(batch.jsonLines.data() + start, batch.jsonLines.data() + end);
      benchmark::DoNotOptimize(object.size());
      start = end + 1;
    }
  }
  Count(state, batch.jsonLines.size());
}
BENCHMARK(BM_JsonParse)->Unit(benchmark::kMillisecond);

void BM_RapidJsonSerialise(benchmark::State& state) {
  const Batch& batch = TheBatch();
  std::string out;
  for (auto _ : state) {
    out.clear();
    for (int i = 0; i < kRecords; ++i) {
      rapidjson::StringBuffer text;
      rapidjson::Writer<rapidjson::StringBuffer> writer(text);
      batch.rapidObjects[static_cast<std::size_t>(i % kDistinct)]->Accept(writer);
      out.append(text.GetString(), text.GetSize());
      out += '\n';
    }
    benchmark::DoNotOptimize(out.data());
  }
  Count(state, batch.jsonLines.size());
}
BENCHMARK(BM_RapidJsonSerialise)->Unit(benchmark::kMillisecond);

void BM_RapidJsonParse(benchmark::State& state) {
  const Batch& batch = TheBatch();
  for (auto _ : state) {
    std::size_t start = 0;
    while (start < batch.jsonLines.size()) {
      std::size_t end = batch.jsonLines.find('\n', start);
      rapidjson::Document object;
      object.Parse(batch.jsonLines.data() + start, end - start);
      if (object.HasParseError()) state.SkipWithError("a line did not parse");
      benchmark::DoNotOptimize(object.MemberCount());
      start = end + 1;
    }
  }
  Count(state, batch.jsonLines.size());
}
BENCHMARK(BM_RapidJsonParse)->Unit(benchmark::kMillisecond);

void BM_CopyBytes(benchmark::State& state) {
  const Batch& batch = TheBatch();
  for (auto _ : state) {
    std::string copy = batch.stream;
    benchmark::DoNotOptimize(copy.data());
  }
  Count(state, batch.stream.size());
}
BENCHMARK(BM_CopyBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
