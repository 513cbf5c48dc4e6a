#include "token_reader.h"

#include <algorithm>
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
void ReadTokenInto(std::istream& in, Sink& sink, ReadPosition& at) {
  if (at.token < INT_MAX) ++at.token;  // data records count on it without a line
  if (!in.good()) {                    // as a character read on a stream that is not good
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
  std::string* text = nullptr;  // keeps the token's characters when set
  std::size_t most = 0;
  void push(char c) {
    any = true;
    if (text != nullptr && text->size() < most) text->push_back(c);
    if (!IsDigit(c)) {
      digitsOnly = false;
      return;
    }
    if (value <= INT_MAX) value = value * 10 + (c - '0');
  }
  bool empty() const { return !any; }
};

// A number item that the buffer holds whole: separators, digits and the
// separator that ends them, with no quote or comment. Takes it and gives
// true; otherwise takes nothing and gives false, and the token reader
// reads the item. `sink` gets what the token reader would give it.
bool TakeHeldNumber(std::streambuf* sb, NumberSink& sink) {
  const std::size_t held = GetArea::Held(sb);
  if (held == 0) return false;
  const char* const begin = GetArea::Next(sb);
  const char* const end = begin + std::min<std::size_t>(held, INT_MAX);
  const char* p = begin;
  while (p != end && IsSeparator(*p)) ++p;
  const char* const digits = p;
  long long value = 0;
  for (; p != end && IsDigit(*p); ++p)
    if (value <= INT_MAX) value = value * 10 + (*p - '0');
  if (p == digits || p == end || !IsSeparator(*p)) return false;
  GetArea::Advance(sb, static_cast<std::size_t>(p + 1 - begin));
  sink.any = true;
  sink.value = value;
  return true;
}

// Reads a number item through `sink`, taking a whole held number at once.
bool ReadNumberInto(std::istream& in, int& number, ReadPosition& at, NumberSink& sink) {
  if (in.good() && TakeHeldNumber(in.rdbuf(), sink)) {
    if (at.token < INT_MAX) ++at.token;
  } else {
    ReadTokenInto(in, sink, at);
  }
  if (!sink.any || !sink.digitsOnly) return false;
  number = sink.value > INT_MAX ? INT_MAX : static_cast<int>(sink.value);
  return true;
}

}  // namespace

std::string ReadToken(std::istream& in) {
  std::string token;
  StringSink sink{token};
  ReadTokenInto(in, sink, CurrentPosition());
  return token;
}

bool ReadNumberItem(std::istream& in, int& number) {
  return ReadNumberItem(in, number, CurrentPosition());
}

bool ReadNumberItem(std::istream& in, int& number, ReadPosition& at) {
  NumberSink sink;
  return ReadNumberInto(in, number, at, sink);
}

bool ReadNumberItem(std::istream& in, int& number, ReadPosition& at, std::string& item,
                    std::size_t most) {
  item.clear();
  NumberSink sink;
  sink.text = &item;
  sink.most = most;
  if (ReadNumberInto(in, number, at, sink)) {
    item.clear();
    return true;
  }
  return false;
}

}  // namespace detail
}  // namespace quenzel
