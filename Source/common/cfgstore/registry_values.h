// The values a registry holds and how each reads as text, switch and
// number, with the text helpers and the UTF-16 decoding that the export
// parser and the settings store share. Internal to cfgstore.
#ifndef CFGSTORE_REGISTRY_VALUES_H_
#define CFGSTORE_REGISTRY_VALUES_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace cfgstore {
namespace detail {

enum class Kind { kText, kExpandText, kNumber32, kNumber64, kOpaque };

struct Value {
  Kind kind = Kind::kText;
  uint64_t number = 0;
  std::string text;
};

using ValueMap = std::map<std::string, Value>;   // by lower-cased name
using KeyMap = std::map<std::string, ValueMap>;  // by normalised key

// ---- Text helpers ----------------------------------------------------------

char LowerAscii(char c);
std::string Lower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool StartsWith(std::string_view s, std::string_view prefix);
// Without blanks, tabs, line breaks, vertical tabs and form feeds.
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);
std::string_view Trim(std::string_view s);
// A C string, null read as empty.
std::string Str(const char* s);
// "SOFTWARE\\\\Foo\\" and "software\\foo" name the same key: lower case,
// empty components dropped.
std::string NormalizeKey(std::string_view path);

// UTF-16LE bytes to UTF-8. An odd trailing byte is dropped and an unpaired
// surrogate becomes U+FFFD. With `stopAtNul` the text ends at the first NUL.
std::string Utf16LeToUtf8(std::string_view bytes, bool stopAtNul);

// ---- Reading values as text, switch and number -----------------------------

// True for 1, true, yes and on, in any case, blanks around them ignored.
bool IsTrueWord(std::string_view text);
// Like atoi, but overflow saturates instead of being undefined.
int AtoiSaturating(std::string_view s);
// Numbers as unsigned decimal text; an expandable text with %NAME% expanded
// from the environment at the time of reading.
std::string TextOf(const Value& v);
bool SwitchOf(const Value& v);
int IntOf(const Value& v);

}  // namespace detail
}  // namespace cfgstore

#endif  // CFGSTORE_REGISTRY_VALUES_H_
