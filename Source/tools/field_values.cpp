#include "field_values.h"

#include "base64.h"
#include "catalogue.h"

namespace quenzel_tool {

std::string Quoted(const std::string& value) {
  std::string text = "\"";
  for (char c : value) {
    if (c == '\n') {
      text += "\\n";
    } else if (c == '\t') {
      text += "\\t";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static const char kHex[] = "0123456789ABCDEF";
      text += "\\x";
      text += kHex[(c >> 4) & 0xF];
      text += kHex[c & 0xF];
    } else {
      text += c;
    }
  }
  return text + "\"";
}

std::string FieldLabel(const CQuenzelField& field) {
  return "field " + std::to_string(field.m_FieldNumber) +
         (field.m_Name.empty() ? std::string() : " (" + NameToUtf8(field.m_Name) + ")");
}

std::string Allowed(const CQuenzelField& f) {
  std::string text;
  if (IsNumericType(f.m_Type)) {
    text = "a whole number";
    if (f.m_Length > 0) text += " of at most " + std::to_string(f.m_Length) + " digits";
    if (!f.m_ValueList.empty())
      text += ", in " + f.m_ValueList;
    else if (f.m_Min != -1 || f.m_Max != -1)
      text += ", from " + std::to_string(f.m_Min) + " to " + std::to_string(f.m_Max);
  } else if (IsSingleCharacterType(f.m_Type)) {
    text = "one character";
    if (!f.m_ValueList.empty()) text += ", in " + f.m_ValueList;
    if (!f.m_ValidChars.empty()) {
      text += ", one of";
      for (unsigned char c : f.m_ValidChars) text += std::string(" ") + static_cast<char>(c);
    }
  } else {
    text = "text";
    if (f.m_Length > 0) text += " of up to " + std::to_string(f.m_Length) + " characters";
    text += " that code page " +
            (f.m_CodePage.compare(0, 3, "cp-") == 0 ? f.m_CodePage.substr(3) : f.m_CodePage) +
            " can represent";
  }
  return text;
}

SetResult SetFromUser(CQuenzelField& field, const std::string& value, std::string& message) {
  const std::string label = FieldLabel(field) + ": " + Quoted(value) + ": ";
  if (value.find('\0') != std::string::npos) {
    message = label + "a zero byte cannot be sent in a data record";
    return SetResult::kRefused;
  }
  if (field.m_Private) {
    message = label + "the field is PRIVATE: the library does not set it from text";
    return SetResult::kRefused;
  }
  const std::string stored = field.IsClob() ? quenzel::detail::EncodeBase64(value) : value;
  const QuenzelError result = field.SetValueUTF8(stored, false);
  if (result == QuenzelError::kNone) return SetResult::kSet;
  if (result == QuenzelError::kRangeWarning) {
    message = label + QuenzelErrorName(result) + ": " + Quoted(field.m_Value) +
              " was stored instead (allowed: " + Allowed(field) + ")";
    return SetResult::kSubstituted;
  }
  message = label + QuenzelErrorName(result) + " (allowed: " + Allowed(field) + ")";
  return SetResult::kRefused;
}

}  // namespace quenzel_tool
