#include "json_records.h"

#include <nlohmann/json.hpp>

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

bool NamedValue(const std::string& key, const json& value, Assignment& out, std::string& error) {
  out.field = key;
  if (ScalarText(value, out.value)) return true;
  error = "field " + key + ": " + Describe(value) + " is not a value";
  return false;
}

}  // namespace

bool ParseJsonRecord(const std::string& line, EncodeRequest& request, std::string& error) {
  request = EncodeRequest();
  json object = json::parse(line, nullptr, false);
  if (object.is_discarded()) {
    error = "not valid JSON";
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

std::string DecodedJson(const CQuenzelRecord& record) {
  json out{{"record", record.recordNumber}, {"name", record.name}, {"fields", json::array()}};
  json& fields = out["fields"];
  for (const CQuenzelField& field : record.fields)
    fields.push_back(json{
        {"number", field.m_FieldNumber}, {"name", field.m_Name}, {"value", StoredValue(field)}});
  return out.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace quenzel_tool
