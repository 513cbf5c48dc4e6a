// The token reader shared by the definition-line parser and the data-record
// reader, and the number item read through it. Not installed.
#ifndef QUENZEL_TOKEN_READER_H_
#define QUENZEL_TOKEN_READER_H_

#include <cstddef>
#include <istream>
#include <string>

#include "line_reader.h"

namespace quenzel {
namespace detail {

// Reads one token, upper-cased, and adds 1 to the token counter.
// Separators are blank, tab, CR and LF; a double quote starts a quoted run
// that is taken whole (separators included); a '/' outside quotes skips the
// rest of the line. When the stream ends with a non-empty token the stream's
// state is cleared; an empty token leaves the stream at its end.
std::string ReadToken(std::istream& in);

// Reads one token as ReadToken does; true when it is a number item
// (decimal digits only), with its value as Atoi gives it in `number`.
bool ReadNumberItem(std::istream& in, int& number);
// The same, counting the token in `at`, the thread's CurrentPosition(): a
// caller that reads many tokens looks the counters up once.
bool ReadNumberItem(std::istream& in, int& number, ReadPosition& at);
// The same, keeping the first `most` characters of a token that is no
// number item in `item` (empty when the token is a number item, or when
// the stream ended before any token).
bool ReadNumberItem(std::istream& in, int& number, ReadPosition& at, std::string& item,
                    std::size_t most);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_TOKEN_READER_H_
