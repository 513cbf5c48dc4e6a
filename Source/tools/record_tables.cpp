#include "record_tables.h"

#include <cstdio>

#include "catalogue.h"

namespace quenzel_tool {

namespace {

std::vector<std::string> KeyFields(const CQuenzelRecord& record) {
  std::vector<std::string> keys;
  for (const std::string* key : {&record.keyF1Name, &record.keyF2Name, &record.keyF3Name})
    if (!key->empty()) keys.push_back(NameToUtf8(*key));
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

// The characters `text` shows: UTF-8 lead bytes and ASCII.
std::size_t Width(const std::string& text) {
  std::size_t width = 0;
  for (char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return width;
}

// `text` followed (or, for `right`, preceded) by blanks up to `width`
// characters, as printf's %-*s and %*s pad ASCII.
std::string Pad(const std::string& text, std::size_t width, bool right = false) {
  const std::size_t shown = Width(text);
  const std::string blanks(shown < width ? width - shown : 0, ' ');
  return right ? blanks + text : text + blanks;
}

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

std::string TypeOf(const CQuenzelField& f, const std::vector<std::string>& types,
                   std::size_t index) {
  return index < types.size() && !types[index].empty() ? types[index] : FieldTypeName(f.m_Type);
}

// The entries of a value list with their bounds, as the library reads
// them: ',' separates entries, the first '-' of an entry its low from its
// high bound, and whatever follows a second '-' is dropped. Bounds of
// number fields are numbers ('(' standing for a minus sign).
json ValueListJson(const CQuenzelField& f) {
  if (f.m_ValueList.empty()) return nullptr;
  const bool numeric = IsNumericType(f.m_Type);
  auto bound = [numeric](std::string text) -> json {
    if (!numeric) return NameToUtf8(text);
    std::string digits;
    for (char c : text)
      if (c == '(' || c == '-')
        digits.insert(0, 1, '-');
      else if (c >= '0' && c <= '9')
        digits.push_back(c);
    try {
      return digits.empty() || digits == "-" ? json(text) : json(std::stoll(digits));
    } catch (const std::out_of_range&) {
      return text;
    }
  };
  json entries = json::array();
  std::size_t start = 0;
  while (start <= f.m_ValueList.size()) {
    std::size_t end = f.m_ValueList.find(',', start);
    if (end == std::string::npos) end = f.m_ValueList.size();
    const std::string entry = f.m_ValueList.substr(start, end - start);
    start = end + 1;
    if (entry.empty()) continue;
    const std::size_t dash = entry.find('-');
    const std::string low = entry.substr(0, dash);
    const std::string high = dash == std::string::npos
                                 ? low
                                 : entry.substr(dash + 1, entry.find('-', dash + 1) - dash - 1);
    entries.push_back(json{{"low", bound(low)}, {"high", bound(high)}});
  }
  return entries;
}

// The default as the definition gives it: a number, a character, or a
// text field's initial value.
std::string DefaultText(const CQuenzelField& f) {
  if (IsNumericType(f.m_Type)) return std::to_string(f.m_Default);
  if (IsSingleCharacterType(f.m_Type)) {
    char c = static_cast<char>(f.m_Default & 0xFF);
    return c == '\0' ? std::string() : std::string(1, c);
  }
  return NameToUtf8(f.m_InitValue);
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

json FieldJson(const CQuenzelField& f, const std::string& type) {
  auto orNull = [](const std::string& text) { return text.empty() ? json(nullptr) : json(text); };
  auto setting = [](long long value) { return value == -1 ? json(nullptr) : json(value); };
  return json{{"number", f.m_FieldNumber},
              {"name", NameToUtf8(f.m_Name)},
              {"type", type},
              {"length", f.m_Length},
              {"default", DefaultText(f)},
              {"min", setting(f.m_Min)},
              {"max", setting(f.m_Max)},
              {"valueList", ValueListJson(f)},
              {"validCharacters",
               orNull(NameToUtf8(std::string(f.m_ValidChars.begin(), f.m_ValidChars.end())))},
              {"attributes", Attributes(f)},
              {"keyPosition", orNull(f.m_KeyPos)},
              {"comment", orNull(NameToUtf8(Trimmed(f.m_Comment)))}};
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

json RecordJson(const CQuenzelRecord& record, bool withFields,
                const std::vector<std::string>& types) {
  json out{{"number", record.recordNumber},
           {"name", record.name.empty() ? json(nullptr) : json(NameToUtf8(record.name))},
           {"action", ActionName(record.action)},
           {"fieldCount", record.fields.size()},
           {"keys", KeyFields(record)}};
  if (withFields) {
    out["fields"] = json::array();
    for (std::size_t i = 0; i < record.fields.size(); ++i)
      out["fields"].push_back(FieldJson(record.fields[i], TypeOf(record.fields[i], types, i)));
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
    text += Pad(std::to_string(record->recordNumber), 8, true) + "  " +
            Pad(OrDash(NameToUtf8(record->name)), 24) + " " + Pad(ActionName(record->action), 26) +
            " " + Pad(std::to_string(record->fields.size()), 6, true) + "  " +
            Joined(KeyFields(*record)) + "\n";
  return text;
}

std::string FieldTable(const CQuenzelRecord& record, const std::vector<std::string>& types) {
  std::string text =
      Format("record %d %s, action %s, %zu field%s, keys %s\n", record.recordNumber,
             OrDash(NameToUtf8(record.name)).c_str(), ActionName(record.action).c_str(),
             record.fields.size(), record.fields.size() == 1 ? "" : "s",
             Joined(KeyFields(record)).c_str());
  text +=
      Format("%8s  %-16s %-11s %6s  %-12s %-14s %-12s %-6s %-4s %-20s %s\n", "NUMBER", "NAME",
             "TYPE", "LENGTH", "DEFAULT", "RANGE", "LIST", "VALID", "KEY", "ATTRIBUTES", "COMMENT");
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    const CQuenzelField& f = record.fields[i];
    text += Pad(std::to_string(f.m_FieldNumber), 8, true) + "  " +
            Pad(OrDash(NameToUtf8(f.m_Name)), 16) + " " + Pad(TypeOf(f, types, i), 11) + " " +
            Pad(std::to_string(f.m_Length), 6, true) + "  " + Pad(OrDash(DefaultText(f)), 12) +
            " " + Pad(OrDash(RangeText(f)), 14) + " " + Pad(OrDash(NameToUtf8(f.m_ValueList)), 12) +
            " " +
            Pad(OrDash(NameToUtf8(std::string(f.m_ValidChars.begin(), f.m_ValidChars.end()))), 6) +
            " " + Pad(OrDash(f.m_KeyPos), 4) + " " + Pad(Joined(Attributes(f)), 20) + " " +
            NameToUtf8(Trimmed(f.m_Comment)) + "\n";
  }
  return text;
}

}  // namespace quenzel_tool
