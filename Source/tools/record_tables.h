// A definition's records and fields as check and show print them: tables
// for people, JSON for programs.
#ifndef QUENZEL_TOOLS_RECORD_TABLES_H_
#define QUENZEL_TOOLS_RECORD_TABLES_H_

#include <quenzel.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace quenzel_tool {

using json = nlohmann::ordered_json;

// A record's number, name, action, field count and keys, and with
// `withFields` every field's definition.
json RecordJson(const CQuenzelRecord& record, bool withFields);
// JSON text on one line; bytes that are not UTF-8 are replaced.
std::string Dump(const json& value);

// One line per record under a heading line.
std::string RecordTable(const std::vector<const CQuenzelRecord*>& records);
// The record's summary line, a heading line and one line per field.
std::string FieldTable(const CQuenzelRecord& record);

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_RECORD_TABLES_H_
