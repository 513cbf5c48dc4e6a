#include "token_reader.h"

#include <climits>

#include "line_reader.h"
#include "numbers.h"
#include "stream_guard.h"

namespace quenzel {
namespace detail {

namespace {

inline bool IsSeparator(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The token reader's state machine, feeding each token character from `sb`
// to `sink` (which must offer push(char) and empty()). True when the stream
// ended.
template <typename Sink>
bool ScanToken(std::streambuf* sb, Sink& sink) {
  constexpr int kEof = std::char_traits<char>::eof();
  bool lastWasSeparator = false;
  for (;;) {
    int c = sb->sbumpc();
    if (c == kEof) return true;
    if (c == '"') {
      while ((c = sb->sbumpc()) != '"') {
        if (c == kEof) return true;
        sink.push(UpperAscii(static_cast<char>(c)));
      }
      if (lastWasSeparator) return false;
      continue;
    }
    if (c == '/') {
      while ((c = sb->sbumpc()) != '\n')
        if (c == kEof) return true;
      lastWasSeparator = false;
      continue;
    }
    if (IsSeparator(c)) {
      if (!sink.empty()) return false;
      lastWasSeparator = true;
      continue;
    }
    sink.push(UpperAscii(static_cast<char>(c)));
    lastWasSeparator = false;
  }
}

template <typename Sink>
void ReadTokenInto(std::istream& in, Sink& sink) {
  int& tokens = CurrentPosition().token;  // data records count on it without a line
  if (tokens < INT_MAX) ++tokens;
  if (!in.good()) {  // as a character read on a stream that is not good
    in.setstate(std::ios::failbit);
    return;
  }
  bool ended = false;
  if (!GuardBuffer(in, [&] { ended = ScanToken(in.rdbuf(), sink); }) || !ended) return;
  if (sink.empty())
    in.setstate(std::ios::eofbit | std::ios::failbit);
  else
    in.clear();
}

struct StringSink {
  std::string& token;
  void push(char c) { token.push_back(c); }
  bool empty() const { return token.empty(); }
};

// Keeps only what a number item needs: whether every character was a digit
// and the value as Atoi gives it (saturating at INT_MAX).
struct NumberSink {
  bool any = false;
  bool digitsOnly = true;
  long long value = 0;
  void push(char c) {
    any = true;
    if (!IsDigit(c)) {
      digitsOnly = false;
      return;
    }
    if (value <= INT_MAX) value = value * 10 + (c - '0');
  }
  bool empty() const { return !any; }
};

}  // namespace

std::string ReadToken(std::istream& in) {
  std::string token;
  StringSink sink{token};
  ReadTokenInto(in, sink);
  return token;
}

bool ReadNumberItem(std::istream& in, int& number) {
  NumberSink sink;
  ReadTokenInto(in, sink);
  if (!sink.any || !sink.digitsOnly) return false;
  number = sink.value > INT_MAX ? INT_MAX : static_cast<int>(sink.value);
  return true;
}

}  // namespace detail
}  // namespace quenzel
