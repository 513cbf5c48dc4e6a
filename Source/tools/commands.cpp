// check and show: what a definition file holds, and where it goes wrong.
#include "commands.h"

#include <quenzel.h>

#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "catalogue.h"
#include "definition_walk.h"
#include "output.h"
#include "suggest.h"

namespace quenzel_tool {

namespace {

using json = nlohmann::ordered_json;

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

// printf into a string.
template <typename... Args>
std::string Format(const char* format, Args... args) {
  const int size = std::snprintf(nullptr, 0, format, args...);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0) + 1, '\0');
  (void)std::snprintf(&text[0], text.size(), format, args...);
  text.pop_back();
  return text;
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

}  // namespace

int Check(const CommonOptions& common, const CheckOptions& options) {
  if (int status = ApplySettings(common); status != kExitOk) return status;
  Output out;
  if (!out.Open(common.output)) return kExitBad;
  Catalogue catalogue;
  if (!catalogue.Load(common)) return kExitBad;
  int status = kExitOk;
  if (options.strict) {
    const DefinitionWalk walk(catalogue.text());
    const std::vector<std::string> warnings = Warnings(walk, catalogue.text(), catalogue.name());
    for (const std::string& warning : warnings) std::cerr << warning << "\n";
    if (!warnings.empty()) {
      std::cerr << catalogue.name() << ": " << warnings.size() << " warning"
                << (warnings.size() == 1 ? "" : "s") << " (--strict)\n";
      status = kExitBad;
    }
  }
  const std::vector<const CQuenzelRecord*> records = catalogue.ByNumberOrder();
  std::string text = catalogue.name() + ": " + std::to_string(records.size()) + " record" +
                     (records.size() == 1 ? "" : "s") + "\n" + RecordTable(records);
  text.pop_back();
  return out.WriteLine(text) && out.Finish() ? status : kExitBad;
}

int Show(const CommonOptions& common, const ShowOptions& options) {
  if (int status = ApplySettings(common); status != kExitOk) return status;
  Output out;
  if (!out.Open(common.output)) return kExitBad;
  Catalogue catalogue;
  if (!catalogue.Load(common)) return kExitBad;
  std::string text;
  if (options.record.empty()) {
    const std::vector<const CQuenzelRecord*> records = catalogue.ByNumberOrder();
    if (options.json) {
      json all = json::array();
      for (const CQuenzelRecord* record : records) all.push_back(RecordJson(*record, true));
      text = Dump(all);
    } else {
      text = RecordTable(records);
      text.pop_back();
    }
  } else {
    const CQuenzelRecord* record = catalogue.Find(options.record);
    if (record == nullptr) {
      std::cerr << "quenzel: " << catalogue.name() << " has no record " << options.record
                << DidYouMean(options.record, catalogue.RecordNames()) << "\n";
      return kExitBad;
    }
    if (options.json) {
      text = Dump(RecordJson(*record, true));
    } else {
      text = FieldTable(*record);
      text.pop_back();
    }
  }
  return out.WriteLine(text) && out.Finish() ? kExitOk : kExitBad;
}

}  // namespace quenzel_tool
