#include "record_tables.h"

#include <cstdio>

namespace quenzel_tool {

namespace {

std::vector<std::string> KeyFields(const CQuenzelRecord& record) {
  std::vector<std::string> keys;
  for (const std::string* key : {&record.keyF1Name, &record.keyF2Name, &record.keyF3Name})
    if (!key->empty()) keys.push_back(*key);
  return keys;
}

std::string Joined(const std::vector<std::string>& items, const char* empty = "-") {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
  return text.empty() ? empty : text;
}

std::string Trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  std::size_t last = text.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string ActionName(int action) {
  const char* name = ActionCodeName(action);
  return *name ? name : "-";
}

// The default as the definition gives it: a number, a character, or a
// text field's initial value.
std::string DefaultText(const CQuenzelField& f) {
  if (IsNumericType(f.m_Type)) return std::to_string(f.m_Default);
  if (IsSingleCharacterType(f.m_Type)) {
    char c = static_cast<char>(f.m_Default & 0xFF);
    return c == '\0' ? std::string() : std::string(1, c);
  }
  return f.m_InitValue;
}

std::string RangeText(const CQuenzelField& f) {
  if (f.m_Min == -1 && f.m_Max == -1) return std::string();
  return std::to_string(f.m_Min) + ".." + std::to_string(f.m_Max);
}

std::vector<std::string> Attributes(const CQuenzelField& f) {
  std::vector<std::string> attributes;
  if (f.m_Private) attributes.emplace_back("PRIVATE");
  if (f.m_NoPartial) attributes.emplace_back("NOPARTIAL");
  if (f.m_DelCtlCh) attributes.emplace_back("DELCTLCH");
  if (f.m_PseudoNumber != -1) attributes.emplace_back("PSEUDO " + std::to_string(f.m_PseudoNumber));
  if (f.m_SplitCnt1 != 0 || f.m_SplitCnt2 != 0)
    attributes.emplace_back("SPLITCNT " + std::to_string(f.m_SplitCnt1) + " " +
                            std::to_string(f.m_SplitCnt2));
  if (!f.m_Key.empty()) attributes.emplace_back("KEY=" + f.m_Key);
  if (!IsNumericType(f.m_Type) && !IsSingleCharacterType(f.m_Type)) {
    if (f.m_NoPad)
      attributes.emplace_back("NOPAD");
    else if ((f.m_Default & 0xFF) != 0)
      attributes.emplace_back("PADDED");
  }
  return attributes;
}

json FieldJson(const CQuenzelField& f) {
  return json{{"number", f.m_FieldNumber},
              {"name", f.m_Name},
              {"type", FieldTypeName(f.m_Type)},
              {"length", f.m_Length},
              {"default", DefaultText(f)},
              {"min", f.m_Min},
              {"max", f.m_Max},
              {"valueList", f.m_ValueList},
              {"validCharacters", std::string(f.m_ValidChars.begin(), f.m_ValidChars.end())},
              {"attributes", Attributes(f)},
              {"keyPosition", f.m_KeyPos},
              {"comment", Trimmed(f.m_Comment)}};
}

// printf into a string.
template <typename... Args>
std::string Format(const char* format, Args... args) {
  const int size = std::snprintf(nullptr, 0, format, args...);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0) + 1, '\0');
  (void)std::snprintf(&text[0], text.size(), format, args...);
  text.pop_back();
  return text;
}

}  // namespace

json RecordJson(const CQuenzelRecord& record, bool withFields) {
  json out{{"number", record.recordNumber},
           {"name", record.name},
           {"action", ActionName(record.action)},
           {"fieldCount", record.fields.size()},
           {"keys", KeyFields(record)}};
  if (withFields) {
    out["fields"] = json::array();
    for (const CQuenzelField& field : record.fields) out["fields"].push_back(FieldJson(field));
  }
  return out;
}

std::string Dump(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string RecordTable(const std::vector<const CQuenzelRecord*>& records) {
  std::string text =
      Format("%8s  %-24s %-26s %6s  %s\n", "NUMBER", "NAME", "ACTION", "FIELDS", "KEYS");
  for (const CQuenzelRecord* record : records)
    text += Format("%8d  %-24s %-26s %6zu  %s\n", record->recordNumber,
                   record->name.empty() ? "-" : record->name.c_str(),
                   ActionName(record->action).c_str(), record->fields.size(),
                   Joined(KeyFields(*record)).c_str());
  return text;
}

std::string FieldTable(const CQuenzelRecord& record) {
  std::string text =
      Format("record %d %s, action %s, %zu field%s, keys %s\n", record.recordNumber,
             record.name.empty() ? "-" : record.name.c_str(), ActionName(record.action).c_str(),
             record.fields.size(), record.fields.size() == 1 ? "" : "s",
             Joined(KeyFields(record)).c_str());
  text +=
      Format("%8s  %-16s %-11s %6s  %-12s %-14s %-12s %-6s %-4s %-20s %s\n", "NUMBER", "NAME",
             "TYPE", "LENGTH", "DEFAULT", "RANGE", "LIST", "VALID", "KEY", "ATTRIBUTES", "COMMENT");
  for (const CQuenzelField& f : record.fields) {
    std::string dash = "-";
    auto orDash = [&](const std::string& text) { return text.empty() ? dash : text; };
    text += Format(
        "%8d  %-16s %-11s %6d  %-12s %-14s %-12s %-6s %-4s %-20s %s\n", f.m_FieldNumber,
        orDash(f.m_Name).c_str(), FieldTypeName(f.m_Type), f.m_Length,
        orDash(DefaultText(f)).c_str(), orDash(RangeText(f)).c_str(), orDash(f.m_ValueList).c_str(),
        orDash(std::string(f.m_ValidChars.begin(), f.m_ValidChars.end())).c_str(),
        orDash(f.m_KeyPos).c_str(), Joined(Attributes(f)).c_str(), Trimmed(f.m_Comment).c_str());
  }
  return text;
}

}  // namespace quenzel_tool
