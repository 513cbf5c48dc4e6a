// The readers shared by the definition-file parser and the data-record
// reader (the line reader, the token reader and the number item, with the
// C-runtime style number conversions they rely on), and the conversion of
// text between a code page and UTF-8. Not installed.
//
// The line and token counters locate a read failure for the audit log: the
// line counter counts lines since the catalogue started a file, the token
// counter counts tokens asked for since the latest line. Both are
// thread_local, so each thread reading a definition file sees its own.
#ifndef QUENZEL_TEXT_READERS_H_
#define QUENZEL_TEXT_READERS_H_

#include <initializer_list>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace quenzel {
namespace detail {

// Longest piece the line reader returns; a longer line comes in pieces.
constexpr int kMaxLinePiece = 1023;

int& LineCounter();
int& TokenCounter();

// Reads up to the next line feed (taken, not stored), at most kMaxLinePiece
// characters, into `line`. A carriage return right before the line feed is
// part of the line break, as in a text-mode file. The text stops at a zero
// byte. Adds 1 to the line counter and zeroes the token counter. When the
// text is not empty the stream's state is cleared; otherwise it is left as
// the read left it (end of stream, or failure with nothing taken).
void ReadLine(std::istream& in, std::string& line);

// Reads one token, upper-cased, and adds 1 to the token counter.
// Separators are blank, tab, CR and LF; a double quote starts a quoted run
// that is taken whole (separators included); a '/' outside quotes skips the
// rest of the line. When the stream ends with a non-empty token the stream's
// state is cleared; an empty token leaves the stream at its end.
std::string ReadToken(std::istream& in);

// Reads one token as ReadToken does; true when it is a number item, with
// its value (as Atoi gives it) in `number`.
bool ReadNumberItem(std::istream& in, int& number);

// A number item: non-empty and decimal digits only.
bool IsNumberItem(const std::string& token);

// C `atoi`: leading white space, optional sign, leading digits; 0 when there
// are none. Out-of-range values saturate at INT_MIN / INT_MAX.
int Atoi(const char* text);
inline int Atoi(const std::string& text) { return Atoi(text.c_str()); }

// C `_atoi64`: as Atoi with 64 bits.
long long Atoi64(const char* text);
inline long long Atoi64(const std::string& text) { return Atoi64(text.c_str()); }

// ASCII upper case; other bytes are left as they are.
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// True when numbers inserted into `out` come out as plain decimal digits,
// exactly as std::to_string writes them: decimal base, no sign or base
// flags, no field width, and the classic locale (no digit grouping). The
// data-record writers then write preformatted bytes in one go.
bool PlainNumbers(const std::ostream& out);

// Writes the pieces through `out` as one formatted output: nothing when the
// stream is not ready, the bad bit when the stream buffer takes less.
void WritePieces(std::ostream& out, std::initializer_list<std::string_view> pieces);

// Converts `text` from the code page `codePage` (an ICU converter name such
// as "cp-1252") to UTF-8. The whole text is converted, however many bytes
// its characters need. An unknown code page gives the empty text;
// characters the conversion cannot map become the substitution character.
std::string CodePageToUtf8(const std::string& text, const std::string& codePage);

// Converts UTF-8 `text` to the code page `codePage`, with the same rules.
std::string Utf8ToCodePage(const std::string& text, const std::string& codePage);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_TEXT_READERS_H_
