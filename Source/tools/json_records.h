// Data records as JSON, both ways. decode writes one object per record:
//   {"record": 12, "name": "ITEM", "fields": [{"number": 1, "name": "PLU", "value": "4711"}, ...]}
// and encode --json reads that shape back, as well as the short forms
//   {"PLU": 4711, "DESCRIPTION": "Gouda"}                (fields by name or number)
//   {"record": 12, "fields": {"PLU": 4711}}
// Values are the stored text; numbers and strings are both accepted, true
// and false stand for 1 and 0.
#ifndef QUENZEL_TOOLS_JSON_RECORDS_H_
#define QUENZEL_TOOLS_JSON_RECORDS_H_

#include <quenzel.h>

#include <string>
#include <vector>

namespace quenzel_tool {

struct Assignment {
  std::string field;  // the number or name as written
  int number = -1;    // from a "number" member: the field by number only
  std::string name;   // from a "name" member beside a number: must agree
  std::string value;
  // The long form lists every field of the record: a value equal to the
  // one the record already holds is left as it is.
  bool keepWhenUnchanged = false;
  // Where the value was given, for a message about a field given twice:
  // "PLU=5", "member \"PLU\" (column 2)", "fields[3]".
  std::string place;
};

struct EncodeRequest {
  std::string record;      // number or name; empty: the command line's
  std::string recordName;  // a "name" member beside "record": must agree
  std::vector<Assignment> values;
};

// Why a line was refused, and the column (from 1) it points at.
struct JsonError {
  std::string message;
  long long column = 1;
};

// Parses one line of encode's JSON input. False with `error` set. A member
// that appears twice in one object is refused.
bool ParseJsonRecord(const std::string& line, EncodeRequest& request, JsonError& error);

// One line of decode's output for `record`; names are converted from the
// definition's code page.
std::string DecodedJson(const CQuenzelRecord& record);

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_JSON_RECORDS_H_
