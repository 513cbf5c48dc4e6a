#include "definition_walk.h"

#include <algorithm>
#include <map>
#include <sstream>

#include "diagnostics.h"
#include "field_types.h"
#include "line_reader.h"
#include "suggest.h"
#include "token_reader.h"

namespace quenzel_tool {

namespace {

namespace detail = quenzel::detail;
using detail::FieldLineFault;

const std::vector<std::string> kAttributes = {
    "KEYPOS", "KEY", "ERROR", "WARNING", "NOPARTIAL", "PRIVATE", "PSEUDO", "SPLITCNT", "DELCTLCH"};

std::vector<std::string> ActionNames() {
  std::vector<std::string> names;
  for (int code = 0; *ActionCodeName(code) != '\0'; ++code)
    names.emplace_back(ActionCodeName(code));
  return names;
}

// The items of a line as the token reader gives them (upper-cased, quotes
// taken, a comment left out).
std::vector<std::string> Items(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> items;
  for (;;) {
    std::string item = detail::ReadToken(in);
    if (item.empty() && !in.good()) break;
    items.push_back(item);
  }
  return items;
}

std::string ItemAt(const std::string& text, std::size_t index) {
  const std::vector<std::string> items = Items(text);
  return index < items.size() ? items[index] : std::string();
}

// The column of a double quote that opens a run the line never closes
// (outside a comment), or 0.
std::size_t UnbalancedQuote(const std::string& text) {
  std::size_t open = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') {
      open = open == 0 ? i + 1 : 0;
    } else if (text[i] == '/' && open == 0) {
      break;
    }
  }
  return open;
}

bool IsLetters(const std::string& item) {
  return !item.empty() &&
         std::all_of(item.begin(), item.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

std::string FieldReason(const Piece& piece) {
  const detail::FieldLineDiagnosis& why = piece.why;
  const std::string& item = why.item;
  switch (why.fault) {
    case FieldLineFault::kBadFieldNumber:
      return "\"" + ItemAt(piece.text, 0) + "\" is not a field number of 1 to 9999999";
    case FieldLineFault::kUnknownType:
      if (item.empty()) return "the field number is not followed by a type";
      return "unknown type " + item + DidYouMean(item, detail::TypeNames());
    case FieldLineFault::kNoLength:
      if (std::size_t column = UnbalancedQuote(piece.text))
        return "unbalanced quote: the text from column " +
               std::to_string(column + piece.column - 1) +
               " to the end of the line is read as one item, so the line has no length";
      return "the length is missing (it follows the field's name)";
    case FieldLineFault::kBadLength:
      return "the length \"" + ItemAt(piece.text, 3) + "\" is not a number";
    case FieldLineFault::kLengthOutOfRange:
      return "the length " + item + " is not within 1 to 99999998";
    case FieldLineFault::kBadPseudo:
      return "PSEUDO is not followed by a field number of 1 to 9999999";
    case FieldLineFault::kBadSplitCount:
      return "SPLITCNT is not followed by two counts";
    case FieldLineFault::kUnexpectedItem:
      return "\"" + item + "\" is not an attribute" + DidYouMean(item, kAttributes) +
             ", and a field of this type takes no value list or valid characters";
    case FieldLineFault::kBadValidCharacter:
      return "\"" + item + "\" is not an attribute" + DidYouMean(item, kAttributes) +
             ", and the valid characters are single characters";
    case FieldLineFault::kDefaultNotValid:
      return "the default character '" + item + "' is not among the valid characters";
    case FieldLineFault::kNone:
      break;
  }
  return "invalid field line";
}

}  // namespace

DefinitionWalk::DefinitionWalk(const std::string& text) {
  std::vector<std::size_t> lineStarts{0};
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') lineStarts.push_back(i + 1);
  std::istringstream in(text);
  auto read = [&](std::size_t start, bool header) -> Piece& {
    Piece piece;
    detail::ReadLine(in, piece.text);
    auto line = std::upper_bound(lineStarts.begin(), lineStarts.end(), start);
    piece.line = static_cast<int>(line - lineStarts.begin());
    piece.column = start - *(line - 1) + 1;
    piece.header = header;
    pieces_.push_back(std::move(piece));
    return pieces_.back();
  };
  auto offset = [&in] {
    return static_cast<std::size_t>(in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in));
  };

  // The same reads, in the same order, as the library's reader makes, so
  // that its line counter names the same piece.
  while (!in.eof()) {
    const std::size_t start = offset();
    const int c = in.get();
    if (c == std::char_traits<char>::eof()) break;
    if (c != '#') {
      in.unget();
      read(start, false);
      continue;
    }
    const Piece& header = read(start, true);
    WalkedBlock block;
    block.line = header.line;
    int action = 0;
    block.good = detail::ParseHeaderLine(header.text, block.number, action, block.name) ==
                 detail::HeaderResult::kOk;
    const bool sendOrDelete = action == kActionSend || action == kActionDelete;
    std::string lastFieldName, fieldName;
    while (in.good()) {
      if (in.peek() == '#') break;
      Piece& piece = read(offset(), false);
      if (detail::FieldLineName(piece.text, lastFieldName)) fieldName = lastFieldName;
      WalkedField walked{
          piece.line, piece.text,
          CQuenzelField(block.number, "", "", fieldName, "", sendOrDelete, block.name)};
      bool noField = false;
      if (!detail::ParseFieldLine(walked.field, detail::LineStream(piece.text), noField,
                                  &piece.why))
        block.good = false;
      else if (!noField)
        block.fields.push_back(std::move(walked));
    }
    blocks_.push_back(std::move(block));
  }
}

void ReportReadError(const quenzel::detail::DefinitionDiagnosis& why, const std::string& fileName) {
  const QuenzelReadError& error = why.error;
  if (why.fileLine < 1) {
    Diag().Error(Location::At(fileName, 0, 0), "the file could not be loaded");
    return;
  }
  Piece piece;
  piece.text = why.piece;
  piece.line = why.fileLine;
  piece.column = static_cast<std::size_t>(why.column);
  piece.header = why.header;
  piece.why = why.field;
  const Location where = Location::At(fileName, piece.line, static_cast<long long>(piece.column));
  std::string reason;
  switch (error.kind) {
    case ReadErrorKind::kReadFailed:
      Diag().Error(where, "a read error stopped reading the file");
      return;
    case ReadErrorKind::kBadHeader:
      reason = "the record header has no record number (the '#' must be followed by digits)";
      break;
    case ReadErrorKind::kBadAction: {
      const std::string action = ItemAt(piece.text, 1);
      reason =
          "record " + std::to_string(error.recordNumber) + ": " +
          (action.empty() ? "the header has no action word (such as SEND or ENQUIRE)"
                          : "unknown action word " + action + DidYouMean(action, ActionNames()));
      break;
    }
    case ReadErrorKind::kBadField:
      reason = "record " + std::to_string(error.recordNumber) + ", field " +
               std::to_string(error.fieldNumber) + ": " + FieldReason(piece);
      break;
    default:
      reason = "the file could not be loaded";
      break;
  }
  if (piece.column > 1)
    reason += " (in the part of a long line from column " + std::to_string(piece.column) + ")";
  Diag().Error(where, reason, (piece.header ? "#" : "") + piece.text);
}

std::vector<Finding> Warnings(const DefinitionWalk& walk, const std::string& text) {
  std::vector<std::pair<int, std::string>> found;
  auto warn = [&found](int line, std::string message) {
    found.emplace_back(line, std::move(message));
  };

  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
    warn(1, std::string(
                "the file begins with a UTF-8 byte-order mark, so its first line is not read") +
                (text.size() > 3 && text[3] == '#' ? ": the record block there is lost" : ""));
  int longLine = 0;
  for (const Piece& piece : walk.pieces())
    if (piece.column > 1 && piece.line != longLine && (longLine = piece.line) != 0)
      warn(piece.line, "the line is longer than 1023 characters: from column " +
                           std::to_string(piece.column) + " on it is read as a line of its own");

  std::map<int, int> numbers;
  std::map<std::string, int> names;
  for (const WalkedBlock& block : walk.blocks()) {
    const std::string key = block.name.empty() ? std::to_string(block.number) : block.name;
    if (!names.emplace(key, block.line).second)
      warn(block.line, "record " + key + " is already defined at line " +
                           std::to_string(names[key]) + ": this block is not kept");
    else if (!numbers.emplace(block.number, block.line).second)
      warn(block.line, "record number " + std::to_string(block.number) +
                           " is already defined at line " + std::to_string(numbers[block.number]) +
                           ": this block is found by its name only");
    std::map<int, int> fieldNumbers;
    for (const WalkedField& walked : block.fields) {
      const CQuenzelField& f = walked.field;
      if (!fieldNumbers.emplace(f.m_FieldNumber, walked.line).second)
        warn(walked.line, "field number " + std::to_string(f.m_FieldNumber) +
                              " is already defined at line " +
                              std::to_string(fieldNumbers[f.m_FieldNumber]) + " in record " + key +
                              ": lookups by number find only one of them");
      const std::vector<std::string> items = Items(walked.text);
      for (std::size_t i = 4; i < items.size(); ++i) {
        const std::string& item = items[i];
        if (items[i - 1] == "INITVALUE=") continue;
        for (const char* glued : {"KEYPOS=", "KEY="}) {
          const std::string word(glued, std::char_traits<char>::length(glued) - 1);
          if (item.compare(0, word.size() + 1, glued) == 0) {
            warn(walked.line, std::string(item)
                                  .append(" is read as one item, not as the ")
                                  .append(word)
                                  .append(" attribute: put a blank between ")
                                  .append(word)
                                  .append(" and '='"));
            break;
          }
        }
        if (IsLetters(item) && item.size() >= 4 &&
            std::find(kAttributes.begin(), kAttributes.end(), item) == kAttributes.end()) {
          const std::string nearest = Nearest(item, kAttributes);
          if (!nearest.empty())
            warn(walked.line, std::string(item)
                                  .append(" is not an attribute (did you mean ")
                                  .append(nearest)
                                  .append("?): it is read as a value"));
        }
      }
      if (IsNumericType(f.m_Type) && items.size() > 4 && f.m_Default == 0) {
        int written = 0;
        std::istringstream tail(items[4]);
        if (detail::ReadNumberItem(tail, written) && written != 0)
          warn(walked.line, "the default " + items[4] +
                                " is the last item on the line and is ignored: the default is 0");
      }
      if (f.m_InitValue.size() > static_cast<std::size_t>(f.m_Length))
        warn(walked.line, "the initial value is " + std::to_string(f.m_InitValue.size()) +
                              " bytes long, longer than the field (" + std::to_string(f.m_Length) +
                              ")");
    }
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Finding> findings;
  findings.reserve(found.size());
  for (auto& entry : found) findings.push_back(Finding{entry.first, std::move(entry.second)});
  return findings;
}

std::vector<std::string> WrittenTypes(const DefinitionWalk& walk, const CQuenzelRecord& record) {
  std::vector<std::string> types(record.fields.size());
  for (const WalkedBlock& block : walk.blocks()) {
    if (block.number != record.recordNumber || block.name != record.name) continue;
    for (std::size_t i = 0; i < types.size() && i < block.fields.size(); ++i)
      if (block.fields[i].field.m_FieldNumber == record.fields[i].m_FieldNumber)
        types[i] = ItemAt(block.fields[i].text, 1);
    break;  // the catalogue keeps the first block of a name
  }
  return types;
}

Losses Lost(const DefinitionWalk& walk, const std::string& text) {
  // A block runs from its header to the line before the next header (or
  // the end of the file).
  int lastLine = 0;
  for (const Piece& piece : walk.pieces()) lastLine = std::max(lastLine, piece.line);
  std::vector<int> headers;
  for (const WalkedBlock& block : walk.blocks()) headers.push_back(block.line);
  auto linesFrom = [&](int line) {
    auto next = std::upper_bound(headers.begin(), headers.end(), line);
    return (next == headers.end() ? lastLine + 1 : *next) - line;
  };
  Losses lost;
  // A byte-order mark hides the first line's '#': that block is never begun.
  if (text.compare(0, 4, "\xEF\xBB\xBF#") == 0) {
    ++lost.blocks;
    lost.lines += linesFrom(1);
  }
  std::map<std::string, int> names;
  for (const WalkedBlock& block : walk.blocks()) {
    const std::string key = block.name.empty() ? std::to_string(block.number) : block.name;
    if (names.emplace(key, block.line).second) continue;
    ++lost.blocks;
    lost.lines += linesFrom(block.line);
  }
  return lost;
}

}  // namespace quenzel_tool
