// A batch of data records of each content shape (generate.h; 100,000
// records of the 20 mixed fields of the item record, for one): writing it
// with operator<< and reading it back with operator>>, against the same
// content as JSON lines serialised and parsed with nlohmann-json (what a
// host might use instead) and with RapidJSON (the next anchor), and a plain
// copy of the bytes (the floor). Every writer appends to one output string
// kept across iterations, so that none of them pays for growing fresh
// memory page by page. Each benchmark's name ends in its shape's name.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "generate.h"
#include "per_shape.h"
#include "quenzel.h"

namespace {

using quenzel_bench::Shape;

constexpr int kDistinct = 1000;  // records written are cycled through these

CQuenzelRecord Template(const Shape& shape) {
  CQuenzelRecord read("bench", "");
  std::istringstream in(quenzel_bench::ShapeStreamDefinition(shape));
  read.Read(in);
  for (CQuenzelField& field : read.fields) field.m_CodePage = "cp-1252";
  return CQuenzelRecord(read);
}

struct Batch {
  int size = 0;                         // data records in the batch
  std::vector<CQuenzelRecord> records;  // kDistinct filled records
  std::string stream;                   // `size` data records
  std::string jsonLines;                // the same content, one JSON object per line
  std::vector<nlohmann::json> jsonObjects;
  std::vector<std::unique_ptr<rapidjson::Document>> rapidObjects;
};

Batch MakeBatch(const Shape& shape) {
  Batch b;
  b.size = shape.streamRecords;
  CQuenzelRecord base = Template(shape);
  for (int i = 0; i < kDistinct; ++i) {
    CQuenzelRecord record = base;
    std::vector<std::string> values = quenzel_bench::ShapeStreamValues(shape, i);
    for (std::size_t f = 0; f < values.size(); ++f) record.fields[f].SetValueUTF8(values[f], false);
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
  for (int i = 0; i < b.size; ++i) {
    stream << b.records[static_cast<std::size_t>(i % kDistinct)];
    lines << b.jsonObjects[static_cast<std::size_t>(i % kDistinct)].dump() << '\n';
  }
  b.stream = stream.str();
  b.jsonLines = lines.str();
  return b;
}

// Built on first use, so that a filtered run builds only its shapes.
const Batch& TheBatch(const Shape& shape) {
  static std::map<std::string, Batch> batches;
  auto it = batches.find(shape.name);
  if (it == batches.end()) it = batches.emplace(shape.name, MakeBatch(shape)).first;
  return it->second;
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

void Count(benchmark::State& state, const Batch& batch, std::size_t bytes) {
  state.SetItemsProcessed(state.iterations() * batch.size);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

void BM_WriteRecords(benchmark::State& state, const Shape& shape) {
  const Batch& batch = TheBatch(shape);
  std::vector<CQuenzelRecord> records = batch.records;
  StringSink sink;
  for (auto _ : state) {
    sink.text.clear();
    std::ostream out(&sink);
    for (int i = 0; i < batch.size; ++i) out << records[static_cast<std::size_t>(i % kDistinct)];
    benchmark::DoNotOptimize(sink.text.data());
  }
  Count(state, batch, batch.stream.size());
}

void BM_ReadRecords(benchmark::State& state, const Shape& shape) {
  const Batch& batch = TheBatch(shape);
  CQuenzelRecord record = Template(shape);
  for (auto _ : state) {
    ViewBuffer bytes(batch.stream);
    std::istream in(&bytes);
    for (int i = 0; i < batch.size; ++i) {
      in >> record;
      if (in.fail()) state.SkipWithError("a record did not read");
    }
  }
  Count(state, batch, batch.stream.size());
}

void BM_JsonSerialise(benchmark::State& state, const Shape& shape) {
  const Batch& batch = TheBatch(shape);
  std::string out;
  for (auto _ : state) {
    out.clear();
    for (int i = 0; i < batch.size; ++i) {
      out += batch.jsonObjects[static_cast<std::size_t>(i % kDistinct)].dump();
      out += '\n';
    }
    benchmark::DoNotOptimize(out.data());
  }
  Count(state, batch, batch.jsonLines.size());
}

void BM_JsonParse(benchmark::State& state, const Shape& shape) {
  const Batch& batch = TheBatch(shape);
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
  Count(state, batch, batch.jsonLines.size());
}

void BM_RapidJsonSerialise(benchmark::State& state, const Shape& shape) {
  const Batch& batch = TheBatch(shape);
  std::string out;
  for (auto _ : state) {
    out.clear();
    for (int i = 0; i < batch.size; ++i) {
      rapidjson::StringBuffer text;
      rapidjson::Writer<rapidjson::StringBuffer> writer(text);
      batch.rapidObjects[static_cast<std::size_t>(i % kDistinct)]->Accept(writer);
      out.append(text.GetString(), text.GetSize());
      out += '\n';
    }
    benchmark::DoNotOptimize(out.data());
  }
  Count(state, batch, batch.jsonLines.size());
}

void BM_RapidJsonParse(benchmark::State& state, const Shape& shape) {
  const Batch& batch = TheBatch(shape);
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
  Count(state, batch, batch.jsonLines.size());
}

void BM_CopyBytes(benchmark::State& state, const Shape& shape) {
  const Batch& batch = TheBatch(shape);
  for (auto _ : state) {
    std::string copy = batch.stream;
    benchmark::DoNotOptimize(copy.data());
  }
  Count(state, batch, batch.stream.size());
}

}  // namespace

int main(int argc, char** argv) {
  return quenzel_bench::RunPerShape(argc, argv,
                                    {{"BM_WriteRecords", BM_WriteRecords},
                                     {"BM_ReadRecords", BM_ReadRecords},
                                     {"BM_JsonSerialise", BM_JsonSerialise},
                                     {"BM_JsonParse", BM_JsonParse},
                                     {"BM_RapidJsonSerialise", BM_RapidJsonSerialise},
                                     {"BM_RapidJsonParse", BM_RapidJsonParse},
                                     {"BM_CopyBytes", BM_CopyBytes}});
}
