// A failed read in the user's words, from the library loader's diagnosis;
// and, for `check --strict`, a second look at a file that loaded: walked
// with the library's own line reader and line grammar, block by block, to
// point out the lines that load but lose their meaning, which the library
// has no reason to know.
#ifndef QUENZEL_TOOLS_DEFINITION_WALK_H_
#define QUENZEL_TOOLS_DEFINITION_WALK_H_

#include <quenzel.h>
#include <quenzel_diagnostics.h>

#include <string>
#include <vector>

#include "definition_line.h"
#include "definition_reader.h"

namespace quenzel_tool {

// One piece of text the line reader gives: a line, or part of a line longer
// than the reader takes at once.
struct Piece {
  std::string text;                         // as the reader gives it (a header without its '#')
  int line = 0;                             // the file's own line number, from 1
  std::size_t column = 1;                   // where the piece starts on that line, from 1
  bool header = false;                      // a record header (its '#' taken before the piece)
  quenzel::detail::FieldLineDiagnosis why;  // a refused field line: why
};

struct WalkedField {
  int line = 0;
  std::string text;
  CQuenzelField field;
};

struct WalkedBlock {
  int line = 0;
  int number = 0;
  std::string name;
  bool good = true;  // the header and every field line parse
  std::vector<WalkedField> fields;
};

class DefinitionWalk {
 public:
  explicit DefinitionWalk(const std::string& text);

  // The pieces in reading order; the reader's line counter N is piece N-1.
  const std::vector<Piece>& pieces() const { return pieces_; }
  const std::vector<WalkedBlock>& blocks() const { return blocks_; }

 private:
  std::vector<Piece> pieces_;
  std::vector<WalkedBlock> blocks_;
};

// Reports a failed read as an error at its line and column with the line
// echoed, from the library's diagnosis; the tool adds the words for the
// fault and, for an unknown word, what the user may have meant.
void ReportReadError(const quenzel::detail::DefinitionDiagnosis& why, const std::string& fileName);

// One finding about a file that loads: its line and what it says.
struct Finding {
  int line = 0;
  std::string message;
};

// The traps of a file that loads: lines that are read differently from what
// they seem to say, in line order.
std::vector<Finding> Warnings(const DefinitionWalk& walk, const std::string& text);

// What the library's catalogue loses of a file that loads: the blocks it
// drops (led by a byte-order mark, or a record name already taken) and
// the lines of those blocks.
struct Losses {
  int blocks = 0;
  int lines = 0;
};
Losses Lost(const DefinitionWalk& walk, const std::string& text);

// The type of each of `record`'s fields as the definition file writes it
// (the library reads some types as others, such as DATETIME as STRING);
// an empty entry where the file's line could not be matched.
std::vector<std::string> WrittenTypes(const DefinitionWalk& walk, const CQuenzelRecord& record);

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_DEFINITION_WALK_H_
