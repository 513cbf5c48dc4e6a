#include "json_records.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string_view>

#include "catalogue.h"
#include "field_values.h"

namespace quenzel_tool {

namespace {

using json = nlohmann::ordered_json;

std::string Describe(const json& value) {
  switch (value.type()) {
    case json::value_t::null:
      return "null";
    case json::value_t::array:
      return "a list";
    case json::value_t::object:
      return "an object";
    default:
      return "a " + std::string(value.type_name());
  }
}

// A scalar as text: strings as they stand, numbers as JSON writes them.
bool ScalarText(const json& value, std::string& text) {
  if (value.is_string()) {
    text = value.get<std::string>();
  } else if (value.is_boolean()) {
    text = value.get<bool>() ? "1" : "0";
  } else if (value.is_number()) {
    text = value.dump();
  } else {
    return false;
  }
  return true;
}

bool FieldEntry(const json& entry, std::size_t index, Assignment& out, std::string& error) {
  const std::string where = "fields[" + std::to_string(index) + "]";
  out.place = where;
  if (!entry.is_object()) {
    error = where + " is " + Describe(entry) +
            ", not an object with \"number\" or \"name\" and \"value\"";
    return false;
  }
  for (const auto& member : entry.items()) {
    if (member.key() != "number" && member.key() != "name" && member.key() != "value") {
      error = where + ": unknown member \"" + member.key() + "\"";
      return false;
    }
  }
  if (entry.contains("number")) {
    const json& number = entry["number"];
    if (!number.is_number_integer() || number.get<long long>() < 0 ||
        number.get<long long>() > 9999999) {
      error = where + ": \"number\" is " + (number.is_number() ? number.dump() : Describe(number)) +
              ", not a field number";
      return false;
    }
    out.number = number.get<int>();
    out.field = std::to_string(out.number);
  }
  if (entry.contains("name")) {
    if (!entry["name"].is_string()) {
      error = where + ": \"name\" is " + Describe(entry["name"]) + ", not a field name";
      return false;
    }
    (out.number == -1 ? out.field : out.name) = entry["name"].get<std::string>();
  }
  if (out.field.empty()) {
    error = where + " has neither \"number\" nor \"name\"";
    return false;
  }
  if (!entry.contains("value")) {
    error = where + " (" + out.field + ") has no \"value\"";
    return false;
  }
  if (!ScalarText(entry["value"], out.value)) {
    error = "field " + out.field + ": " + Describe(entry["value"]) + " is not a value";
    return false;
  }
  out.keepWhenUnchanged = true;
  return true;
}

// The column of the member `key` in `line`: where its quoted name is
// followed by a colon (the `nth` such place, from 0); 0 when not found.
long long MemberColumn(const std::string& line, const std::string& key, int nth = 0) {
  const std::string quoted = json(key).dump();
  for (std::size_t at = line.find(quoted); at != std::string::npos;
       at = line.find(quoted, at + 1)) {
    const std::size_t colon = line.find_first_not_of(" \t", at + quoted.size());
    if (colon != std::string::npos && line[colon] == ':' && nth-- == 0)
      return static_cast<long long>(at) + 1;
  }
  return 0;
}

bool NamedValue(const std::string& key, const json& value, Assignment& out, std::string& error) {
  out.field = key;
  if (ScalarText(value, out.value)) return true;
  error = "field " + key + ": " + Describe(value) + " is not a value";
  return false;
}

}  // namespace

bool ParseJsonRecord(const std::string& line, EncodeRequest& request, JsonError& failure) {
  request = EncodeRequest();
  failure = JsonError();
  std::string& error = failure.message;
  // The members seen in each open object, to find one given twice: the
  // JSON library would keep only the last.
  std::vector<std::vector<std::string>> open;
  std::string twice;
  const json::parser_callback_t members = [&](int, json::parse_event_t event, json& parsed) {
    if (event == json::parse_event_t::object_start) {
      open.emplace_back();
    } else if (event == json::parse_event_t::object_end) {
      if (!open.empty()) open.pop_back();
    } else if (event == json::parse_event_t::key && !open.empty() && twice.empty()) {
      const std::string key = parsed.get<std::string>();
      std::vector<std::string>& keys = open.back();
      if (std::find(keys.begin(), keys.end(), key) != keys.end()) twice = key;
      keys.push_back(key);
    }
    return true;
  };
  json object;
  try {
    object = json::parse(line, members);
  } catch (const json::parse_error& e) {
    // "[json.exception.parse_error.101] parse error at line 1, column 9: why"
    const std::string what = e.what();
    const std::size_t colon = what.find(": ");
    error = "not valid JSON" +
            (colon == std::string::npos ? std::string() : ": " + what.substr(colon + 2));
    failure.column = static_cast<long long>(e.byte);
    return false;
  }
  if (!twice.empty()) {
    const long long first = MemberColumn(line, twice, 0);
    const long long second = MemberColumn(line, twice, 1);
    error = "member " + json(twice).dump() + " appears twice in one object";
    if (first > 0 && second > 0)
      error += ", at columns " + std::to_string(first) + " and " + std::to_string(second);
    failure.column = second > 0 ? second : 1;
    return false;
  }
  if (!object.is_object()) {
    error = "a JSON object is needed, not " + Describe(object);
    return false;
  }
  if (object.contains("record")) {
    const json& record = object["record"];
    if (!ScalarText(record, request.record) || record.is_boolean()) {
      error = "\"record\" is " + Describe(record) + ", not a record number or name";
      return false;
    }
  }
  if (!object.contains("fields")) {  // the short form: every other member is a field
    for (const auto& member : object.items()) {
      if (member.key() == "record") continue;
      Assignment assignment;
      if (!NamedValue(member.key(), member.value(), assignment, error)) return false;
      assignment.place = "member " + json(member.key()).dump() + " (column " +
                         std::to_string(MemberColumn(line, member.key())) + ")";
      request.values.push_back(std::move(assignment));
    }
    return true;
  }
  for (const auto& member : object.items()) {
    if (member.key() == "record" || member.key() == "fields") continue;
    if (member.key() != "name") {
      error = "unknown member \"" + member.key() + "\" beside \"fields\"";
      return false;
    }
    if (!member.value().is_string()) {
      error = "\"name\" is " + Describe(member.value()) + ", not a record name";
      return false;
    }
    request.recordName = member.value().get<std::string>();
    if (request.record.empty()) request.record = request.recordName;
  }
  const json& fields = object["fields"];
  if (fields.is_object()) {
    for (const auto& member : fields.items()) {
      Assignment assignment;
      if (!NamedValue(member.key(), member.value(), assignment, error)) return false;
      assignment.place = "fields member " + json(member.key()).dump();
      request.values.push_back(std::move(assignment));
    }
  } else if (fields.is_array()) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      Assignment assignment;
      if (!FieldEntry(fields[i], i, assignment, error)) return false;
      request.values.push_back(std::move(assignment));
    }
  } else {
    error = "\"fields\" is " + Describe(fields) + ", not a list or an object";
    return false;
  }
  return true;
}

namespace {

// The length of the well-formed UTF-8 character at the start of `s`, or 0.
std::size_t Utf8Length(std::string_view s) {
  const auto byte = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the bounds of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

// A JSON string as the JSON library writes it (characters beyond ASCII as
// they are, control characters escaped), with U+FFFD for each byte that
// does not begin a well-formed UTF-8 character.
void AppendString(std::string& out, std::string_view s) {
  static const char kHex[] = "0123456789abcdef";
  out.push_back('"');
  while (!s.empty()) {
    const unsigned char c = static_cast<unsigned char>(s[0]);
    std::size_t taken = 1;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out.push_back(kHex[c >> 4]);
          out.push_back(kHex[c & 0xF]);
        } else if ((taken = Utf8Length(s)) == 0) {
          out += "\xEF\xBF\xBD";
          taken = 1;
        } else {
          out.append(s.data(), taken);
        }
    }
    s.remove_prefix(taken);
  }
  out.push_back('"');
}

}  // namespace

std::string DecodedJson(const CQuenzelRecord& record) {
  // Written directly: building a JSON document first costs more than the
  // rest of decoding a record.
  std::string out = "{\"record\":" + std::to_string(record.recordNumber) + ",\"name\":";
  AppendString(out, NameToUtf8(record.name));
  out += ",\"fields\":[";
  const char* separator = "";
  for (const CQuenzelField& field : record.fields) {
    out += separator;
    out += "{\"number\":";
    out += std::to_string(field.m_FieldNumber);
    out += ",\"name\":";
    AppendString(out, NameToUtf8(field.m_Name));
    out += ",\"value\":";
    AppendString(out, StoredValue(field));
    out.push_back('}');
    separator = ",";
  }
  out += "]}";
  return out;
}

}  // namespace quenzel_tool
