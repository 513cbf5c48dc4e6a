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
// `withFields` every field's definition. `types` are the fields' types as
// the definition file writes them (an empty entry: the type as read).
// Settings a field does not have are null; a value list is given as its
// entries, each with its low and high bound.
json RecordJson(const CQuenzelRecord& record, bool withFields,
                const std::vector<std::string>& types = {});
// JSON text on one line; bytes that are not UTF-8 are replaced.
std::string Dump(const json& value);

// One line per record under a heading line; columns are aligned by the
// number of characters shown, names in UTF-8.
std::string RecordTable(const std::vector<const CQuenzelRecord*>& records);
// The record's summary line, a heading line and one line per field.
std::string FieldTable(const CQuenzelRecord& record, const std::vector<std::string>& types = {});

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_RECORD_TABLES_H_
