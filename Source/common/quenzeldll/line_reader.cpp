#include "line_reader.h"

namespace quenzel {
namespace detail {

ReadPosition& CurrentPosition() {
  thread_local ReadPosition position;
  return position;
}

std::istringstream& LineStream(const std::string& line) {
  thread_local std::istringstream stream;
  stream.clear();
  stream.flags(std::ios::skipws | std::ios::dec);
  stream.width(0);
  stream.str(line);
  return stream;
}

void ReadLine(std::istream& in, std::string& line) {
  line.clear();
  ReadPosition& position = CurrentPosition();
  ++position.line;
  position.token = 0;

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

}  // namespace detail
}  // namespace quenzel
