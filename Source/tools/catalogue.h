// The definition file as the tool loads it: the settings of the command
// line applied to this process, the file read by the library's own reader
// (never through the cache, and from the path exactly as the user wrote
// it), and the records found the way the library's catalogue finds them.
#ifndef QUENZEL_TOOLS_CATALOGUE_H_
#define QUENZEL_TOOLS_CATALOGUE_H_

#include <quenzel.h>

#include <map>
#include <string>
#include <vector>

#include "commands.h"

namespace quenzel_tool {

// Applies --registry, --log-dir, --log and the code page to this process.
// kExitOk, or kExitUsage after saying on stderr what is wrong.
int ApplySettings(const CommonOptions& common);

// Names of records and fields are bytes in the definition file's code page
// (the one ApplySettings chose); the user sees and writes them in UTF-8.
std::string NameToUtf8(const std::string& name);
std::string NameFromUtf8(const std::string& name);

class Catalogue {
 public:
  // Reads the definition file `common.file` ("-": standard input). False
  // after saying on stderr where and why reading stopped, or that the file
  // holds no record block.
  bool Load(const CommonOptions& common);

  // A record as CQuenzelFile::GetRecord finds it: by number when `which`
  // is one and a record has it, else by name. Null when there is none.
  const CQuenzelRecord* Find(const std::string& which) const;
  const CQuenzelRecord* ByNumber(int number) const;
  // The names and numbers to suggest for a record that was not found.
  std::vector<std::string> RecordNames() const;
  // "FILE has no record X (did you mean Y?); it holds 1 SCALESTATUS, ...".
  std::string NoRecord(const std::string& which) const;

  // Every block that loaded, in the order of the file (the library keeps
  // only the first of two records with the same name or number).
  const std::vector<CQuenzelRecord>& blocks() const { return blocks_; }
  // The lookups' records in record-number order.
  std::vector<const CQuenzelRecord*> ByNumberOrder() const;
  // The file's bytes as the library read them, and its name for messages.
  const std::string& text() const { return text_; }
  const std::string& name() const { return name_; }

 private:
  bool ReadStandardInput();

  std::string name_;
  std::string text_;
  std::vector<CQuenzelRecord> blocks_;
  std::map<std::string, std::size_t> byKey_;        // name, or number when unnamed
  std::map<std::string, std::string> keyOfNumber_;  // number -> key
};

// The value of a text of decimal digits; false when it is none or too big.
bool ToNumber(const std::string& text, int& value);

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_CATALOGUE_H_
