#include "text_readers.h"

#include <climits>
#include <cstring>

namespace quenzel {
namespace detail {

namespace {

thread_local int t_lineCounter = 0;
thread_local int t_tokenCounter = 0;

inline bool IsSeparator(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The end of the stream was reached while reading a token: a non-empty token
// counts as read, an empty one leaves the stream at its end.
void TokenAtEnd(std::istream& in, const std::string& token) {
  if (token.empty())
    in.setstate(std::ios::eofbit | std::ios::failbit);
  else
    in.clear();
}

template <typename T>
T ParseSigned(const char* p, T min, T max) {
  if (p == nullptr) return 0;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  // Accumulate as a negative number so that the minimum is representable.
  T value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    int digit = *p - '0';
    if (value < (min + digit) / 10) return negative ? min : max;
    value = static_cast<T>(value * 10 - digit);
  }
  if (negative) return value;
  return value < -max ? max : static_cast<T>(-value);
}

}  // namespace

int& LineCounter() { return t_lineCounter; }
int& TokenCounter() { return t_tokenCounter; }

void ReadLine(std::istream& in, std::string& line) {
  line.clear();
  ++t_lineCounter;
  t_tokenCounter = 0;

  std::istream::sentry ok(in, true);
  if (!ok) return;  // the sentry has set failbit
  std::streambuf* sb = in.rdbuf();
  std::ios::iostate state = std::ios::goodbit;
  bool taken = false;
  bool stopped = false;  // a zero byte ended the text; later characters are dropped
  int stored = 0;
  for (;;) {
    int c = sb->sgetc();
    if (c == std::char_traits<char>::eof()) {
      state |= std::ios::eofbit;
      break;
    }
    if (c == '\n') {
      sb->sbumpc();
      taken = true;
      break;
    }
    if (c == '\r') {
      sb->sbumpc();
      if (sb->sgetc() == '\n') {
        sb->sbumpc();
        taken = true;
        break;
      }
      if (stored == kMaxLinePiece) {  // the CR starts the next piece
        sb->sputbackc('\r');
        state |= std::ios::failbit;
        break;
      }
    } else {
      if (stored == kMaxLinePiece) {
        state |= std::ios::failbit;
        break;
      }
      sb->sbumpc();
    }
    taken = true;
    ++stored;
    if (c == '\0') stopped = true;
    if (!stopped) line.push_back(static_cast<char>(c));
  }
  if (!taken) state |= std::ios::failbit;
  if (!line.empty())
    in.clear();
  else if (state != std::ios::goodbit)
    in.setstate(state);
}

std::string ReadToken(std::istream& in) {
  ++t_tokenCounter;
  std::string token;
  if (!in.good()) {  // as a character read on a stream that is not good
    in.setstate(std::ios::failbit);
    return token;
  }
  std::streambuf* sb = in.rdbuf();
  constexpr int kEof = std::char_traits<char>::eof();
  bool lastWasSeparator = false;
  for (;;) {
    int c = sb->sbumpc();
    if (c == kEof) {
      TokenAtEnd(in, token);
      return token;
    }
    if (c == '"') {
      while ((c = sb->sbumpc()) != '"') {
        if (c == kEof) {
          TokenAtEnd(in, token);
          return token;
        }
        token.push_back(UpperAscii(static_cast<char>(c)));
      }
      if (lastWasSeparator) return token;
      continue;
    }
    if (c == '/') {
      while ((c = sb->sbumpc()) != '\n') {
        if (c == kEof) {
          TokenAtEnd(in, token);
          return token;
        }
      }
      lastWasSeparator = false;
      continue;
    }
    if (IsSeparator(c)) {
      if (!token.empty()) return token;
      lastWasSeparator = true;
      continue;
    }
    token.push_back(UpperAscii(static_cast<char>(c)));
    lastWasSeparator = false;
  }
}

bool IsNumberItem(const std::string& token) {
  if (token.empty()) return false;
  for (char c : token)
    if (c < '0' || c > '9') return false;
  return true;
}

int Atoi(const char* text) { return ParseSigned<int>(text, INT_MIN, INT_MAX); }

long long Atoi64(const char* text) { return ParseSigned<long long>(text, LLONG_MIN, LLONG_MAX); }

}  // namespace detail
}  // namespace quenzel
